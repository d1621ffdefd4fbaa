// SPDX-License-Identifier: GPL-3.0-or-later
// The volumes the operating system would mount from a disk: every partition-table entry (MBR, extended
// chain or GUID table) whose first sector is a boot sector of a file system we know, or the whole disk when
// it carries a file system without a partition table. This is what gets drive letters; it is deliberately
// not the product's own partition walk, which skips some entries the system still mounts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/medium.h"

namespace salvora {

struct OsVolume {
    std::uint64_t startSector = 0;
    std::uint64_t sectorCount = 0;
    std::string fileSystem; // as the system reports it: "FAT", "FAT32", "NTFS", "exFAT"
};

std::vector<OsVolume> ListOsVolumes(const Medium& disk);

} // namespace salvora
