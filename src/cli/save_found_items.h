// SPDX-License-Identifier: GPL-3.0-or-later
// --save of the volume commands: saving what a search found, all of it or the folders and files named.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"
#include "save/save_run.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora::cli {

struct SaveFoundItemsJob {
    std::string destination;
    std::vector<std::string> paths; // tree paths of folders or files; everything when empty
    std::string onConflict;         // ask, overwrite, skip or rename
    bool showProgress = true;
};

// The result a save reads: its folder tree and the volume its files are read from.
struct SaveSource {
    const DeviceNamespace& devices;
    std::string devicePath; // the path the scan read (CurrentDevicePath)
    std::string fileSystem; // "FAT16", "FAT32" or "NTFS"
    VolumeParameters params;
    FolderModel& folders;
    SaveVolumeSelector* volumes = nullptr; // selects each file's volume in a result spanning several
};

// Saves from the result in source, listing folders again through walker, and prints a summary. Returns the
// exit code: failure when a named path is not in the result or the save stopped.
int saveFoundItems(const SaveSource& source, FolderFileWalker& walker, const SaveFoundItemsJob& job,
                   OutputStreams streams);

} // namespace salvora::cli
