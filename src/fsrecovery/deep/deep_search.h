// SPDX-License-Identifier: GPL-3.0-or-later
// Deep Search: reads every sector of a range and rebuilds folders from what it recognises, FAT boot sectors
// and directory-start sectors, or NTFS file records, for media whose file-system structures are damaged or
// whose partition was lost. The user's choice of file system decides the branch; nothing is detected.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/seams.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"
#include "fsrecovery/scan_tables.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora {

// Volume number of a directory that belongs to no volume.
inline constexpr std::uint32_t kNoVolume = 4294967295u;

// What a Deep Search run keeps after it ends: the listing, the save engine and the recovery log read it.
struct DeepSearchState {
    std::uint64_t VolumeCount = 0; // rows of VolumeParamTable
    bool singleVolume = false;     // a boot sector whose root directory proved valid, and no directory found
    std::string fileSystem;        // the choice of the last run: "FAT16", "FAT32" or "NTFS"; empty before one
    std::uint64_t currentVolume = 0; // FAT: the 1-based row of VolumeParamTable loaded last, 0 before any
};

// Everything a Deep Search reads and fills. volumes.volumeParameters and volumes.partType are the working
// set; volumes.computedParameters holds the parameters computed for the selection and is never changed.
struct DeepSearchContext {
    const DeviceNamespace& devices;
    std::string devicePath;       // CurrentDevicePath
    std::string fileSystem;       // the user's choice: "FAT16", "FAT32" or "NTFS"
    std::uint64_t rangeStart = 0; // first sector scanned
    std::uint64_t rangeEnd = 0;   // the scan runs while the chunk start is below this sector
    // NTFS branch: the start sector of the selected volume, or of the disk's first partition for a whole
    // disk.
    std::uint64_t volumeStart = 0;
    VolumeState& volumes;
    ScanTables& tables;
    FolderModel& folders;
    DeepSearchState& deep;
    ProgressSink& progress;
    Prompter& prompter;
    const StopFlag& stop;
};

struct DeepSearchOutcome {
    bool stopped = false;      // the scan ended on a stop request; the tree holds what was found
    bool nothingFound = false; // no volume accepted (FAT), or no record inserted (NTFS)
};

// The whole Deep Search of the range for the context's file-system choice. The folder tree is rebuilt, the
// tables are refilled; a stopped scan still builds the tree from the rows found so far and restores the
// working parameters from the computed ones.
DeepSearchOutcome RunDeepSearch(DeepSearchContext& context);

// The NTFS branch of RunDeepSearch (deep_ntfs.cpp).
DeepSearchOutcome RunDeepNtfsSearch(DeepSearchContext& context);

// The walker that lists the folders found by the last RunDeepSearch; it selects each folder's own volume
// before reading it. Null when nothing can be listed.
std::unique_ptr<FolderFileWalker> DeepSearchFolderWalker(DeepSearchContext& context);

} // namespace salvora
