// SPDX-License-Identifier: GPL-3.0-or-later
// Recovering the parameters of a FAT volume whose boot sector is unusable, from the directory clusters
// themselves: two directory starts whose cluster and sector distances agree give the cluster size and the
// place of the data area.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/seams.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora::fat {

struct DirectoryStartAt {
    std::uint64_t sector = 0;
    std::uint32_t cluster = 0;
};

// The parameters two directory starts agree on, or nothing. startSector is the volume's first sector and
// reserved the reserved sectors before the first FAT.
std::optional<VolumeParameters> parametersFromPair(const DirectoryStartAt& reference,
                                                   const DirectoryStartAt& later, std::uint64_t startSector,
                                                   std::uint32_t reserved, bool fat32);

// Derives the parameters of the FAT16 or FAT32 volume from startSector to endSector by scanning for directory
// starts; true and params filled on success. Progress shows the sector being read; a stop request ends it
// (false).
bool RecoverFatParameters(const DeviceNamespace& devices, const std::string& devicePath, bool fat32,
                          std::uint64_t startSector, std::uint64_t endSector, VolumeParameters& params,
                          ProgressSink& progress, const StopFlag& stop);

} // namespace salvora::fat
