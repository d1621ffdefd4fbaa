// SPDX-License-Identifier: GPL-3.0-or-later
// salvora basic --save: saving what a Basic Search found, all of it or the folders and files named.
#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"
#include "fsrecovery/basic_search.h"

namespace salvora::cli {

struct SaveFoundItemsJob {
    std::string destination;
    std::vector<std::string> paths; // tree paths of folders or files; everything when empty
    std::string onConflict;         // ask, overwrite, skip or rename
    bool showProgress = true;
};

// Saves from the result of the Basic Search in context, listing folders again through walker, and prints
// a summary. Returns the exit code: failure when a named path is not in the result or the save stopped.
int saveFoundItems(const BasicSearchContext& context, FolderFileWalker& walker, const SaveFoundItemsJob& job,
                   OutputStreams streams);

} // namespace salvora::cli
