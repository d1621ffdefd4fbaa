// SPDX-License-Identifier: GPL-3.0-or-later
// Image files the user attaches: a whole-disk image is described like a removable physical disk, a volume
// image like a removable logical drive. The description depends only on the file's name, size and first
// bytes, so a disk image keeps its identity from one run to the next.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/result.h"
#include "storage/disk_candidate.h"

namespace salvora {

// Checks that path can serve as a medium (a regular file or block device of at least one sector that can
// be opened for reading) and returns its size in bytes, or explains why not.
Result<std::uint64_t> checkImageFile(const std::string& path);

// A disk image as a removable disk: product "Disk Image " + file name, no vendor, the given bus type,
// revision "1.0", a serial derived from the image's size and first 64 KiB, and the 255 x 63 geometry.
Result<PhysicalDiskCandidate> DescribeDiskImage(const std::string& path, int busType);

struct VolumeImage {
    std::string name; // the file name
    std::string path;
    std::shared_ptr<const Medium> medium;
    std::uint64_t bytes = 0;
};

Result<VolumeImage> DescribeVolumeImage(const std::string& path);

} // namespace salvora
