// SPDX-License-Identifier: GPL-3.0-or-later
// --open of the volume commands: the file list's Open command for one file named by its path.
#pragma once

#include <string>

#include "cli/commands.h"
#include "cli/save_found_items.h"

namespace salvora::cli {

// Copies the file at path (as the tree shows it, e.g. /DCIM/IMG_0001.JPG) into our temporary folder and
// opens the copy with the desktop's application for it. Returns the exit code.
int openFoundItem(const SaveSource& source, FolderFileWalker& walker, const std::string& path,
                  OutputStreams streams);

} // namespace salvora::cli
