// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/found_items_output.h"

#include <algorithm>
#include <array>
#include <ostream>

#include <nlohmann/json.hpp>

#include "cli/open_found_item.h"
#include "cli/tree_paths.h"

namespace salvora::cli {
namespace {

bool isDeleted(const FolderModel& model, TreeItem item) {
    const FolderNode* node = model.nodeOf(item);
    return node && node->deleted;
}

std::uint64_t sizeOf(const std::string& text) {
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

nlohmann::ordered_json treeJson(const FoundItems& found, bool withFiles) {
    FolderModel& model = found.folders;
    nlohmann::ordered_json folders = nlohmann::ordered_json::array();
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const FolderPath& folder : folderPaths(model)) {
        folders.push_back({{"path", folder.path}, {"deleted", isDeleted(model, folder.item)}});
        if (!withFiles)
            continue;
        FileList list;
        PopulateList(model, folder.item, found.walker, list);
        const std::string prefix = folder.path == "/" ? "" : folder.path;
        for (const FileListRow& row : list.rows) {
            if (row.folder)
                continue;
            files.push_back({{"path", prefix + "/" + row.cells[file_list::Name]},
                             {"size", sizeOf(row.cells[file_list::Size])},
                             {"date", row.cells[file_list::Date]},
                             {"time", row.cells[file_list::Time]}});
        }
    }
    nlohmann::ordered_json json = {{"target", found.targetText},
                                   {"fileSystem", found.fileSystem},
                                   {"stopped", found.stopped},
                                   {"folders", folders}};
    if (withFiles)
        json["files"] = files;
    return json;
}

} // namespace

void printFolderTree(const FolderModel& model, std::ostream& out) {
    if (model.tree.root() == kNoTreeItem)
        return;
    // Iterative, so a deep tree cannot exhaust the stack.
    struct Pending {
        TreeItem item;
        std::string indent;
    };
    std::vector<Pending> stack{{model.tree.root(), ""}};
    while (!stack.empty()) {
        Pending current = std::move(stack.back());
        stack.pop_back();
        out << current.indent << model.tree.text(current.item);
        if (isDeleted(model, current.item))
            out << "  [deleted]";
        out << "\n";
        const auto& children = model.tree.children(current.item);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, current.indent + "  "});
    }
}

void printFileList(const FileList& list, std::ostream& out) {
    std::size_t widths[5] = {4, 4, 4, 4, 4};
    for (const FileListRow& row : list.rows)
        for (std::size_t c = 0; c < 5; ++c)
            widths[c] = std::max(widths[c], row.cells[c].size());
    auto line = [&](const std::array<std::string, 5>& cells) {
        for (std::size_t c = 0; c < 5; ++c) {
            out << cells[c];
            if (c + 1 < 5)
                out << std::string(widths[c] - std::min(widths[c], cells[c].size()) + 2, ' ');
        }
        out << "\n";
    };
    line({"Name", "Type", "Size", "Date", "Time"});
    for (const FileListRow& row : list.rows)
        line({row.cells[0], row.cells[1], row.cells[2], row.cells[3], row.cells[4]});
    out << list.countsLabel() << "\n";
}

int writeFoundItems(const FoundItems& found, const FoundItemsOptions& options, OutputStreams streams) {
    // Name every folder as listing each one would, so the tree shows real names throughout.
    RenameAllFolders(found.folders, found.walker);

    if (!options.saveDestination.empty()) {
        if (!found.walker) {
            streams.err << "salvora: nothing to save: the volume's file system cannot be listed\n";
            return kExitFailure;
        }
        return saveFoundItems(
            found.source, *found.walker,
            {options.saveDestination, options.savePaths, options.onConflict, options.showProgress}, streams);
    }
    if (!options.openPath.empty()) {
        if (!found.walker) {
            streams.err << "salvora: nothing to open: the volume's file system cannot be listed\n";
            return kExitFailure;
        }
        return openFoundItem(found.source, *found.walker, options.openPath, streams);
    }
    if (!options.listPath.empty()) {
        auto item = findFolder(found.folders, options.listPath);
        if (!item) {
            streams.err << "salvora: no folder " << options.listPath << " in the folder tree\n";
            return kExitFailure;
        }
        FileList list;
        PopulateList(found.folders, *item, found.walker, list);
        printFileList(list, streams.out);
        return kExitOk;
    }
    if (options.json) {
        streams.out << treeJson(found, options.files).dump(2) << "\n";
        return kExitOk;
    }
    printFolderTree(found.folders, streams.out);
    return kExitOk;
}

} // namespace salvora::cli
