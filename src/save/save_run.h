// SPDX-License-Identifier: GPL-3.0-or-later
// Saving what is ticked in the folder tree of a Basic or Deep Search: count the files first, then recreate
// each ticked folder below the destination and write its files, one request per file with conflicts
// resolved, until the end or a stop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"
#include "save/save_context.h"

namespace salvora {

struct SaveRunTotals {
    std::uint64_t files = 0;   // files of the ticked folders (FilesToSave)
    std::uint64_t folders = 0; // ticked folders
    std::uint64_t bytes = 0;   // their listed sizes
};

struct SaveRunReport {
    SaveRunTotals totals;
    std::uint64_t filesWritten = 0; // files whose writer ran (not skipped by a conflict answer)
    std::uint64_t bytesWritten = 0; // their listed sizes
    std::uint64_t filesSkipped = 0; // skipped by a conflict answer, a Skip, or after a stop
    bool stopped = false;           // StopSaving ended the save early
};

// What the save shows besides the writers' per-file texts.
class SaveRunProgress {
public:
    virtual ~SaveRunProgress() = default;
    // The counting pass: folders and files found so far.
    virtual void counted(const SaveRunTotals& totals) = 0;
    // A folder of the result was created below the destination: done of total.
    virtual void folderSaved(std::uint64_t done, std::uint64_t total) = 0;
};

// A result whose folders lie on several volumes (a Deep Search of FAT structures): before each file is
// written, the volume it was listed from becomes current and its parameters go into the save context.
class SaveVolumeSelector {
public:
    virtual ~SaveVolumeSelector() = default;
    // folderCluster0Start: the Cluster0Start of the folder the row was listed from; none for "Root" and for
    // rows given without their folder, which name their volume in their own cells.
    virtual void selectVolume(std::optional<std::uint64_t> folderCluster0Start, const FileListRow& row,
                              SaveContext& save) = 0;
};

struct SaveRunContext {
    FolderModel& model;
    FolderFileWalker& walker; // lists the files of a folder again from the medium
    SaveContext& save;
    SaveRunProgress* progress = nullptr;
    SaveVolumeSelector* volumes = nullptr; // null: every file is on the volume of save.params
};

// Saves every ticked folder (with all its files and folders) and, inside partly ticked folders, the ticked
// ones, below destination: the "Root" item stands for destination itself, every other folder for a folder
// named as in the tree. Names from the medium are made safe first, so nothing is written outside
// destination. StopSaving, FilesSaved and the conflict answer are reset at the start: every save asks anew.
SaveRunReport RunTreeSave(SaveRunContext& context, const std::string& destination);

// Saves the given folders whole, whatever their ticks say, each at its place below destination.
SaveRunReport SaveFolderSubtrees(SaveRunContext& context, const std::vector<TreeItem>& folders,
                                 const std::string& destination);

// Saves the given file rows of one folder's list into destination (the list's "Save" command).
SaveRunReport SaveListedFiles(SaveRunContext& context, const std::vector<FileListRow>& rows,
                              const std::string& destination);

} // namespace salvora
