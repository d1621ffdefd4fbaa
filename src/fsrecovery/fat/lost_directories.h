// SPDX-License-Identifier: GPL-3.0-or-later
// The data-area scan of a FAT Basic Search: every cluster that starts a directory naming itself becomes a
// row of FoundFolderTable, whether the directory is still linked into the tree or lost.
#pragma once

#include <cstdint>
#include <string>

#include "base/seams.h"
#include "fsrecovery/scan_tables.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora::fat {

inline constexpr std::uint32_t kScanChunkBytes = 262144; // 512 sectors per read

struct LostDirectoryScan {
    std::uint64_t rowsAdded = 0; // directory rows, KLX_Miscellaneous not counted
    bool stopped = false;
    bool deviceOpened = false;
};

// Puts KLX_Miscellaneous in row 0 of FoundFolderTable, then reads the data area from cluster 2 up to
// endSector in 262144-byte chunks through one handle and adds a row per directory start whose "." entry
// names its own cluster. Tests stop before each chunk.
LostDirectoryScan ScanLostDirectories(const DeviceNamespace& devices, const std::string& devicePath,
                                      const VolumeParameters& params, bool fat32, std::uint64_t endSector,
                                      TextTable& foundFolders, ProgressSink& progress, const StopFlag& stop);

} // namespace salvora::fat
