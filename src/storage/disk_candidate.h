// SPDX-License-Identifier: GPL-3.0-or-later
// What device discovery knows about one physical disk before the drive list decides whether to show it:
// a removable block device found in sysfs, or a disk image the user attached. Everything here is read
// from the system or the file; nothing is opened for writing.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "storage/medium.h"

namespace salvora {

struct DiskGeometry {
    std::uint64_t cylinders = 0;
    std::uint32_t tracksPerCylinder = 0;
    std::uint32_t sectorsPerTrack = 0;
    std::uint32_t bytesPerSector = 512;
    int mediaType = 0; // kMediaRemovable, kMediaFixed
};

// The texts of the device's identity as the device reports them, each trimmed.
struct DeviceStrings {
    std::string vendor;
    std::string product;
    std::string revision;
    std::string serial;
};

// A partition as the system sees it: where it lies on its disk and where it is mounted.
struct SystemPartition {
    std::string name;        // "sdb1", "mmcblk0p1"
    int number = 0;          // the system's partition number
    std::uint64_t start = 0; // first sector on the disk
    std::uint64_t sectors = 0;
    std::string mountPoint; // empty when not mounted
};

struct PhysicalDiskCandidate {
    std::string name;       // "sdb", "mmcblk0", or the image's file name
    std::string devicePath; // "/dev/sdb" or the image's path
    std::shared_ptr<const Medium> medium;
    bool readable = false; // the medium could be opened for reading just now
    // Empty when the geometry could not be read (no medium in the slot, size unknown): the disk is skipped.
    std::optional<DiskGeometry> geometry;
    std::uint64_t totalSectors = 0; // 512-byte sectors
    // Empty when the adapter could not be asked: interface, model, revision and serial stay empty.
    std::optional<int> busType;
    DeviceStrings strings;
    bool isImage = false;
    // The partitions the system found on a block device, in the system's order; empty for an image, whose
    // partition table we read ourselves.
    std::optional<std::vector<SystemPartition>> partitions;
    std::string mountPoint; // the whole disk's mount point (a card formatted without a partition table)
};

// The 255 heads x 63 sectors layout that disks without a geometry of their own are given.
DiskGeometry derivedGeometry(std::uint64_t totalSectors, int mediaType);

} // namespace salvora
