// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/file_list.h"

#include <ctime>

#include "carving/file_types.h"
#include "fsrecovery/date_texts.h"

namespace salvora {
namespace {

std::vector<FileListColumn> commonColumns() {
    return {{"Name", 145}, {"Type", 60}, {"Size", 60}, {"Date", 60}, {"Time", 60}};
}

std::pair<std::string, std::string> folderDateTexts(const FolderNode& node, bool filetimes) {
    if (node.name == kMiscellaneousName && node.self == kMiscellaneousSelf)
        return {MiscellaneousDateText(std::time(nullptr)),
                FatTimeText(static_cast<std::uint16_t>(node.time))};
    if (filetimes)
        return FileTimeTexts(node.date);
    return {FatDateText(static_cast<std::uint16_t>(node.date)),
            FatTimeText(static_cast<std::uint16_t>(node.time))};
}

} // namespace

std::vector<FileListColumn> BasicSearchListColumns() {
    auto columns = commonColumns();
    columns.insert(columns.end(), {{"SelfCluster-Debug Info 1", 0},
                                   {"ParentCluster-Debug Info 2", 0},
                                   {"TreeItem-Debug Info 3", 0},
                                   {"SFN", 0}});
    return columns;
}

std::vector<FileListColumn> DeepSearchListColumns() {
    auto columns = commonColumns();
    columns.insert(columns.end(), {{"Sector-Debug Info 1", 0},
                                   {"ParentMFT-Debug Info 2", 0},
                                   {"SelfMFT-Debug Info 3", 0},
                                   {"SFN", 0},
                                   {"FILE_SYS", 0}});
    return columns;
}

std::string FileList::countsLabel() const {
    return std::to_string(folderCount) + " Folders, " + std::to_string(fileCount) + " Files";
}

void appendFileRow(FileList& list, const std::string& name, const std::string& size, const std::string& date,
                   const std::string& time, const std::string& debug1, const std::string& debug2,
                   const std::string& debug3, const std::string& shortName) {
    FileListRow row;
    row.cells[file_list::Name] = name;
    row.cells[file_list::Type] = FileTypeDescription(findExtension(name), name);
    row.cells[file_list::Size] = size;
    row.cells[file_list::Date] = date;
    row.cells[file_list::Time] = time;
    row.cells[file_list::Debug1] = debug1;
    row.cells[file_list::Debug2] = debug2;
    row.cells[file_list::Debug3] = debug3;
    row.cells[file_list::SFN] = shortName;
    list.rows.push_back(std::move(row));
    ++list.fileCount;
}

void PopulateList(FolderModel& model, TreeItem selectedItem, FolderFileWalker* walker, FileList& list) {
    model.ListStopFlag = false;
    list.clear();
    const FolderTree& tree = model.tree;
    if (!tree.valid(selectedItem))
        return;

    const std::uint32_t rootSelf = walker ? walker->rootSelf() : kFatRootParent;
    const bool filetimes = rootSelf == kNtfsRootParent;
    const FolderNode* selected = model.nodeOf(selectedItem);
    const std::uint32_t self = selected ? selected->self : rootSelf;
    const bool selectedDeleted = selected && selected->deleted;
    const bool miscellaneous = selected && selected->self == kMiscellaneousSelf;

    if (walker)
        walker->selectFolder(selected);
    if (walker && !miscellaneous && !tree.children(selectedItem).empty())
        walker->renameChildFolders(model, selectedItem, self);

    // Child folders. The children are copied: renaming may not add items, but a GUI may read the tree.
    const std::vector<TreeItem> children = tree.children(selectedItem);
    for (TreeItem child : children) {
        if (model.ListStopFlag)
            return;
        FolderNode* node = model.nodeOf(child);
        if (!node || node->parent != self)
            continue;
        if (selectedDeleted)
            node->deleted = true;
        auto [date, time] = folderDateTexts(*node, filetimes);
        FileListRow row;
        row.folder = true;
        row.cells[file_list::Name] = node->name;
        row.cells[file_list::Type] = "FOLDER";
        row.cells[file_list::Size] = "0";
        row.cells[file_list::Date] = std::move(date);
        row.cells[file_list::Time] = std::move(time);
        row.cells[file_list::Debug1] = std::to_string(node->self);
        row.cells[file_list::Debug2] = std::to_string(node->parent);
        row.cells[file_list::Debug3] = std::to_string(child);
        list.rows.push_back(std::move(row));
        ++list.folderCount;
    }

    if (walker && !miscellaneous && !model.ListStopFlag)
        walker->listFiles(list, self, model.ListStopFlag);
}

void RenameAllFolders(FolderModel& model, FolderFileWalker* walker) {
    const TreeItem root = model.tree.root();
    if (root == kNoTreeItem)
        return;
    model.ListStopFlag = false;
    const std::uint32_t rootSelf = walker ? walker->rootSelf() : kFatRootParent;
    // Items are numbered in insertion order, but a parent is not always inserted before its children's
    // names matter; walk breadth first from the root instead.
    std::vector<TreeItem> pending{root};
    for (std::size_t next = 0; next < pending.size(); ++next) {
        const TreeItem item = pending[next];
        const std::vector<TreeItem>& children = model.tree.children(item);
        if (children.empty())
            continue;
        const FolderNode* node = model.nodeOf(item);
        const std::uint32_t self = node ? node->self : rootSelf;
        const bool deleted = node && node->deleted;
        if (walker && !(node && node->self == kMiscellaneousSelf)) {
            walker->selectFolder(node);
            walker->renameChildFolders(model, item, self);
        }
        for (TreeItem child : model.tree.children(item)) {
            FolderNode* childNode = model.nodeOf(child);
            if (deleted && childNode && childNode->parent == self)
                childNode->deleted = true;
            pending.push_back(child);
        }
    }
}

bool ScanFoundNothing(const FolderModel& model, bool scanFoundFolders) {
    const FolderTree& tree = model.tree;
    if (tree.itemCount() <= 1)
        return true;
    if (tree.itemCount() == 2 && !scanFoundFolders) {
        const FolderNode* only = model.FolderList.empty() ? nullptr : &model.FolderList.front();
        return only && only->self == kMiscellaneousSelf;
    }
    return false;
}

} // namespace salvora
