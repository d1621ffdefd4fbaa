// SPDX-License-Identifier: GPL-3.0-or-later
// What the volume commands do with a search result once the scan is over: print the folder tree, list one
// folder (--ls), print JSON for scripts (--json, --files) or save what was found (--save). Shared by every
// command that ends with a folder tree, whether it came from a scan or from a recovery log.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/save_found_items.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"

namespace salvora::cli {

// The result to show or save.
struct FoundItems {
    std::string targetText; // as the user named it: disk0, disk0:1, E:
    std::string fileSystem; // "FAT16", "FAT32", "NTFS"
    bool stopped = false;   // the scan ended on a stop request
    FolderModel& folders;
    FolderFileWalker* walker = nullptr; // lists a folder's files again; null: folders only, nothing to save
    SaveSource source;                  // where the files are read from when saved
};

// Renames every folder as listing it would, then does what the options ask. Returns the exit code.
int writeFoundItems(const FoundItems& found, const FoundItemsOptions& options, OutputStreams streams);

// The folder tree, one line per folder, children indented by two blanks, deleted ones marked.
void printFolderTree(const FolderModel& model, std::ostream& out);

// A folder's list: the five visible columns aligned, then the counts label.
void printFileList(const FileList& list, std::ostream& out);

} // namespace salvora::cli
