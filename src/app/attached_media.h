// SPDX-License-Identifier: GPL-3.0-or-later
// Image files the user attaches: a whole-disk image becomes a removable physical disk, a volume image a
// removable logical drive. Drive letters go from D: upward in discovery order: the volumes of each disk in
// disk order, then the volume images.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "storage/device_namespace.h"

namespace salvora {

struct AttachedDisk {
    int number = 0;
    std::string imagePath;
    std::uint64_t totalSectors = 0;
};

struct AttachedVolume {
    char letter = 0;
    std::string imagePath;
    std::string fileSystem;          // as the system reports it ("FAT", "FAT32", "NTFS", "exFAT") or "Unknown"
    std::uint64_t totalSectors = 0;
    std::optional<int> disk;         // set when the volume is a partition of an attached disk
    std::uint64_t startOnDisk = 0;   // first sector on that disk
    std::uint64_t endOnDisk = 0;     // first sector after it
};

struct AttachedMedia {
    std::vector<AttachedDisk> disks;
    std::vector<AttachedVolume> volumes;

    const AttachedDisk* disk(int number) const;
    const AttachedVolume* volume(char letter) const;
};

// Checks that every image can be read as a medium, numbers the disks from 0, and gives letters to the
// volumes of the disks and to the volume images. A file that cannot be opened, is empty, or is not a
// regular file or block device is refused with a clear message and nothing is attached.
Result<AttachedMedia> attachImages(DeviceNamespace& devices, const std::vector<std::string>& diskImages,
                                   const std::vector<std::string>& volumeImages);

} // namespace salvora
