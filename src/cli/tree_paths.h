// SPDX-License-Identifier: GPL-3.0-or-later
// Folders of a search result named by paths, as the command line shows them: "/" for Root,
// "/DCIM/100PHOTO" below it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fsrecovery/folder_tree.h"

namespace salvora::cli {

struct FolderPath {
    TreeItem item;
    std::string path;
};

// Every folder of the tree, parents before children, each with its path.
std::vector<FolderPath> folderPaths(const FolderModel& model);

// The folder at path, or nullopt when the tree has none.
std::optional<TreeItem> findFolder(const FolderModel& model, const std::string& path);

// A file's path split into the path of the folder that lists it ("/" for Root) and the file's name.
struct FilePathParts {
    std::string folder;
    std::string name;
};
FilePathParts splitFilePath(const std::string& path);

} // namespace salvora::cli
