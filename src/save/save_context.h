// SPDX-License-Identifier: GPL-3.0-or-later
// One file to save, and everything a writer needs around it.
#pragma once

#include <cstdint>
#include <string>

#include "base/seams.h"
#include "save/conflicts.h"
#include "save/save_progress.h"
#include "save/save_state.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora {

struct FileSaveRequest {
    std::string destinationPath;
    std::string displayName;
    std::uint64_t size = 0;
    std::uint32_t startCluster = 0; // FAT: the file's first cluster
    std::uint64_t recordSector = 0; // NTFS: absolute sector of the file's 1024-byte MFT record
    std::uint16_t askFlag = 0;      // 1: resolve conflicts, count the file and show its progress
};

// The volume a writer reads from and the seams it reports through.
struct SaveContext {
    const DeviceNamespace& devices;
    std::string devicePath; // the path the scan read (CurrentDevicePath)
    std::string fileSystem; // "FAT16", "FAT32" or "NTFS"
    VolumeParameters params;
    SaveState& state;
    SaveProgress& progress;
    ConflictPrompter& conflicts;
    Prompter& prompter;
};

// The message shown when the destination cannot take more data; the save stops after it.
inline constexpr const char* kDestinationFullMessage =
    "Unable to continue saving recovered data.\n\nEither Destination Drive is inaccessible or there is no "
    "free "
    "space available in drive to save recovered data.";

} // namespace salvora
