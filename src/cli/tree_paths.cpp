// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/tree_paths.h"

#include <algorithm>
#include <deque>

namespace salvora::cli {

// Every folder of the tree, parents before children, each with its path.
std::vector<FolderPath> folderPaths(const FolderModel& model) {
    std::vector<FolderPath> paths;
    const TreeItem root = model.tree.root();
    if (root == kNoTreeItem)
        return paths;
    std::deque<FolderPath> pending{{root, "/"}};
    while (!pending.empty()) {
        FolderPath current = std::move(pending.front());
        pending.pop_front();
        for (TreeItem child : model.tree.children(current.item)) {
            std::string prefix = current.path == "/" ? "" : current.path;
            pending.push_back({child, prefix + "/" + model.tree.text(child)});
        }
        paths.push_back(std::move(current));
    }
    return paths;
}

std::optional<TreeItem> findFolder(const FolderModel& model, const std::string& path) {
    TreeItem item = model.tree.root();
    std::size_t start = 0;
    while (item != kNoTreeItem && start < path.size()) {
        std::size_t slash = path.find('/', start);
        std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        start = slash == std::string::npos ? path.size() : slash + 1;
        if (part.empty())
            continue;
        const auto& children = model.tree.children(item);
        auto found = std::find_if(children.begin(), children.end(),
                                  [&](TreeItem child) { return model.tree.text(child) == part; });
        if (found == children.end())
            return std::nullopt;
        item = *found;
    }
    if (item == kNoTreeItem)
        return std::nullopt;
    return item;
}

FilePathParts splitFilePath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {"/", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace salvora::cli
