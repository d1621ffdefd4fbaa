// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/folder_tree.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "base/text.h"
#include "fsrecovery/date_texts.h"

namespace salvora {

std::size_t AppendMiscellaneousRow(TextTable& foundFolders) {
    const std::size_t row = foundFolders.appendRow();
    foundFolders.setCell(row, found_folder::Name, std::string(kMiscellaneousName));
    foundFolders.setCell(row, found_folder::Sector, "0");
    foundFolders.setCell(row, found_folder::Self, std::to_string(kMiscellaneousSelf));
    foundFolders.setCell(row, found_folder::Parent, "0");
    foundFolders.setCell(row, found_folder::Date, "0");
    foundFolders.setCell(row, found_folder::Time, std::to_string(CurrentFatTimeWord()));
    foundFolders.setCell(row, found_folder::Size, "0");
    foundFolders.setCell(row, found_folder::Attr, "16");
    foundFolders.setCell(row, found_folder::Type, "FOLDER");
    return row;
}
namespace {

// A table cell as an unsigned 32-bit number; nullopt when it is not one.
std::optional<std::uint32_t> cellNumber(const std::string& text) {
    std::uint32_t value = 0;
    const char* first = text.data();
    const char* last = text.data() + text.size();
    auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first)
        return std::nullopt;
    return value;
}

std::uint64_t cellNumber64(const std::string& text) {
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

// The key the table sorts by, for a number we search for.
std::int32_t sortKey(std::uint32_t value) {
    return value > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
               ? std::numeric_limits<std::int32_t>::max()
               : static_cast<std::int32_t>(value);
}

// First row at or after which the column's key is not below key (the table sorted by that column).
std::size_t lowerBound(const TextTable& table, std::size_t column, std::int32_t key) {
    std::size_t low = 0;
    std::size_t high = table.rowCount();
    while (low < high) {
        std::size_t middle = low + (high - low) / 2;
        if (decimalPrefixToInt32(table.cell(middle, column)) < key)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

} // namespace

// ---- FolderTree ---------------------------------------------------------------------------------------

TreeItem FolderTree::ensureRoot() {
    if (m_root != kNoTreeItem)
        return m_root;
    m_root = insertItem(kNoTreeItem, std::string(kRootItemText), kImageRootItem, std::nullopt);
    mutableItem(m_root).expanded = true;
    return m_root;
}

TreeItem FolderTree::insertItem(TreeItem parent, std::string text, int image,
                                std::optional<std::size_t> node) {
    FolderTreeItem entry;
    entry.text = std::move(text);
    entry.image = image;
    entry.parent = valid(parent) ? parent : kNoTreeItem;
    entry.node = node;
    m_items.push_back(std::move(entry));
    TreeItem item = static_cast<TreeItem>(m_items.size());
    if (valid(parent))
        mutableItem(parent).children.push_back(item);
    return item;
}

const FolderTreeItem& FolderTree::item(TreeItem item) const {
    static const FolderTreeItem kNone{};
    return valid(item) ? m_items[item - 1] : kNone;
}

void FolderTree::setText(TreeItem item, std::string text) {
    if (valid(item))
        mutableItem(item).text = std::move(text);
}

std::vector<TreeItem> FolderTree::topLevelItems() const {
    std::vector<TreeItem> items;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].parent == kNoTreeItem)
            items.push_back(static_cast<TreeItem>(i + 1));
    return items;
}

void FolderTree::setCheckState(TreeItem item, CheckState state) {
    if (valid(item))
        mutableItem(item).check = state;
}

void FolderTree::setSubtree(TreeItem item, CheckState state) {
    // Iterative: a hostile tree may be deep.
    std::vector<TreeItem> pending{item};
    while (!pending.empty()) {
        TreeItem current = pending.back();
        pending.pop_back();
        FolderTreeItem& entry = mutableItem(current);
        entry.check = state;
        pending.insert(pending.end(), entry.children.begin(), entry.children.end());
    }
}

void FolderTree::toggleCheck(TreeItem item) {
    if (!valid(item))
        return;
    const CheckState state =
        checkState(item) == CheckState::Ticked ? CheckState::Unticked : CheckState::Ticked;
    setSubtree(item, state);
    for (TreeItem ancestor = parent(item); valid(ancestor); ancestor = parent(ancestor)) {
        const auto& children = this->item(ancestor).children;
        bool allAgree = std::all_of(children.begin(), children.end(),
                                    [&](TreeItem child) { return checkState(child) == state; });
        mutableItem(ancestor).check = allAgree ? state : CheckState::PartlyTicked;
    }
}

void FolderTree::setExpanded(TreeItem item, bool expanded) {
    if (valid(item))
        mutableItem(item).expanded = expanded;
}

void FolderTree::sortChildrenByText(TreeItem item) {
    if (!valid(item))
        return;
    auto& children = mutableItem(item).children;
    std::stable_sort(children.begin(), children.end(), [&](TreeItem a, TreeItem b) {
        const std::string upperA = toUpperAscii(text(a));
        const std::string upperB = toUpperAscii(text(b));
        return upperA != upperB ? upperA < upperB : text(a) < text(b);
    });
}

// ---- FolderModel --------------------------------------------------------------------------------------

void FolderModel::reset() {
    tree.clear();
    FolderList.clear();
    FolderCount = 0;
    lastInsertedValid = false;
    lastInsertedSelf = 0;
    lastInsertedItem = kNoTreeItem;
    treeLinkRowOfSelf.clear();
    nodeOfSelf.clear();
    ListStopFlag = false;
}

FolderNode* FolderModel::nodeOf(TreeItem item) {
    auto index = tree.node(item);
    return index && *index < FolderList.size() ? &FolderList[*index] : nullptr;
}

const FolderNode* FolderModel::nodeOf(TreeItem item) const {
    auto index = tree.node(item);
    return index && *index < FolderList.size() ? &FolderList[*index] : nullptr;
}

TreeItem FolderModel::itemOfSelf(std::uint32_t self) const {
    auto found = nodeOfSelf.find(self);
    if (found == nodeOfSelf.end() || found->second >= FolderList.size())
        return kNoTreeItem;
    return FolderList[found->second].treeItem;
}

// ---- FolderTreeBuilder --------------------------------------------------------------------------------

void FolderTreeBuilder::status(const std::string& text) {
    if (m_progress)
        m_progress->setStatus(text);
}

std::optional<TreeItem> FolderTreeBuilder::lookUpTreeLink(std::uint32_t self) {
    TextTable& links = m_tables.TreeLinkTable;
    auto& index = m_model.treeLinkRowOfSelf;
    const std::string selfText = std::to_string(self);
    auto found = index.find(self);
    if (found != index.end() && links.cell(found->second, 0) == selfText)
        return cellNumber(links.cell(found->second, 1)).value_or(kNoTreeItem);
    // The table was emptied or changed behind the index (a new mode, Back): index it again.
    if (found != index.end() || index.size() != links.rowCount()) {
        index.clear();
        for (std::size_t row = 0; row < links.rowCount(); ++row)
            if (auto number = cellNumber(links.cell(row, 0)))
                index.emplace(*number, row);
        found = index.find(self);
        if (found != index.end())
            return cellNumber(links.cell(found->second, 1)).value_or(kNoTreeItem);
    }
    return std::nullopt;
}

TreeItem FolderTreeBuilder::InsertFolderNode(TreeItem parentItem, const std::string& name, std::uint32_t self,
                                             std::uint64_t date, std::uint64_t time, std::uint32_t parent,
                                             bool deleted, std::uint64_t cluster0Start) {
    FolderTree& tree = m_model.tree;
    const TreeItem root = tree.ensureRoot();
    if (!tree.valid(parentItem))
        parentItem = root;

    std::optional<std::size_t> linkRow;
    if (!m_model.loadingLog) {
        if (auto existing = lookUpTreeLink(self)) {
            m_model.lastInsertedValid = true;
            m_model.lastInsertedSelf = self;
            m_model.lastInsertedItem = *existing;
            return *existing;
        }
        linkRow = m_tables.TreeLinkTable.appendRow({std::to_string(self)});
        m_model.treeLinkRowOfSelf[self] = *linkRow;
    }

    const std::size_t nodeIndex = m_model.FolderList.size();
    const TreeItem item = tree.insertItem(parentItem, name, kImageClosedFolder, nodeIndex);
    if (linkRow)
        m_tables.TreeLinkTable.setCell(*linkRow, 1, std::to_string(item));

    FolderNode node;
    node.name = name;
    node.treeItem = item;
    node.self = self;
    node.parent = parent;
    node.date = date;
    node.time = time;
    node.deleted = deleted;
    node.cluster0Start = cluster0Start;
    m_model.FolderList.push_back(std::move(node));
    m_model.nodeOfSelf.emplace(self, nodeIndex);
    ++m_model.FolderCount;

    m_model.lastInsertedValid = true;
    m_model.lastInsertedSelf = self;
    m_model.lastInsertedItem = item;
    return item;
}

TreeItem FolderTreeBuilder::parentItemFor(std::uint32_t parent, std::uint32_t rootParentNumber) {
    if (parent == rootParentNumber)
        return m_model.tree.ensureRoot();
    if (m_model.lastInsertedValid && m_model.lastInsertedSelf == parent)
        return m_model.lastInsertedItem;
    return m_model.itemOfSelf(parent);
}

void FolderTreeBuilder::ResolveOrphans() {
    TextTable& table = m_tables.FoundFolderTable;
    m_drained.clear();
    m_drainedCount = 0;
    table.sortByColumn(found_folder::Self);
    const std::size_t rows = table.rowCount();
    if (m_progress)
        m_progress->setRange(0, rows);
    for (std::size_t row = 0; row < rows; ++row) {
        if (m_progress)
            m_progress->setPosition(row + 1);
        auto parent = cellNumber(table.cell(row, found_folder::Parent));
        if (parent && *parent == kFatRootParent)
            continue;
        bool found = false;
        if (parent) {
            // A parent that already has a node (inserted directly by a walker) is as good as one in the
            // table.
            found = m_model.itemOfSelf(*parent) != kNoTreeItem;
            for (std::size_t r = lowerBound(table, found_folder::Self, sortKey(*parent));
                 !found && r < rows &&
                 decimalPrefixToInt32(table.cell(r, found_folder::Self)) == sortKey(*parent);
                 ++r)
                found = cellNumber(table.cell(r, found_folder::Self)) == parent;
        }
        if (!found)
            table.setCell(row, found_folder::Parent, std::to_string(kMiscellaneousSelf));
    }
    table.sortByColumn(found_folder::Parent);
}

void FolderTreeBuilder::insertRow(std::size_t row, TreeItem parentItem,
                                  std::optional<std::uint32_t> forcedParent) {
    const TextTable& table = m_tables.FoundFolderTable;
    std::string name = table.cell(row, found_folder::Name);
    if (name.empty())
        name = "DIR_" + std::to_string(m_model.nextDirNumber++);
    const std::uint32_t self = cellNumber(table.cell(row, found_folder::Self)).value_or(0);
    const std::uint32_t parent =
        forcedParent ? *forcedParent : cellNumber(table.cell(row, found_folder::Parent)).value_or(0);
    InsertFolderNode(parentItem, name, self, cellNumber64(table.cell(row, found_folder::Date)),
                     cellNumber64(table.cell(row, found_folder::Time)), parent,
                     table.cell(row, found_folder::Deleted) == "1",
                     cellNumber64(table.cell(row, found_folder::Cluster0Start)));
    if (m_drained.size() < table.rowCount())
        m_drained.resize(table.rowCount(), false);
    if (!m_drained[row])
        ++m_drainedCount;
    m_drained[row] = true;
}

void FolderTreeBuilder::DrainChildren(std::uint32_t self, TreeItem parentItem) {
    const TextTable& table = m_tables.FoundFolderTable;
    const std::size_t rows = table.rowCount();
    for (std::size_t row = lowerBound(table, found_folder::Parent, sortKey(self));
         row < rows && decimalPrefixToInt32(table.cell(row, found_folder::Parent)) == sortKey(self); ++row) {
        if (rowDrained(row) || cellNumber(table.cell(row, found_folder::Parent)) != self)
            continue;
        if (table.cell(row, found_folder::Type) != "FOLDER")
            continue;
        insertRow(row, parentItem);
    }
}

void FolderTreeBuilder::compactTable() {
    TextTable& table = m_tables.FoundFolderTable;
    if (m_drained.empty())
        return;
    // Rebuild the table from the rows still waiting, in order, in one pass.
    TextTable kept(table.headers());
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        if (rowDrained(row))
            continue;
        std::vector<std::string> cells;
        cells.reserve(table.columnCount());
        for (std::size_t column = 0; column < table.columnCount(); ++column)
            cells.push_back(table.cell(row, column));
        kept.appendRow(cells);
    }
    table = std::move(kept);
    m_drained.clear();
    m_drainedCount = 0;
}

void FolderTreeBuilder::BuildTree(std::uint32_t rootParentNumber,
                                  const std::function<void(FolderTreeBuilder&)>& rootLevel) {
    TextTable& table = m_tables.FoundFolderTable;
    FolderTree& tree = m_model.tree;
    status(std::string(kStoringDirectoryInformation));
    ResolveOrphans();
    const TreeItem root = tree.ensureRoot();

    // Root level. On NTFS the pseudo-folder's own row hangs under the root too.
    if (rootParentNumber == kNtfsRootParent) {
        for (std::size_t row = 0; row < table.rowCount(); ++row)
            if (cellNumber(table.cell(row, found_folder::Self)) == kMiscellaneousSelf &&
                cellNumber(table.cell(row, found_folder::Parent)) == kMiscellaneousSelf)
                table.setCell(row, found_folder::Parent, std::to_string(kNtfsRootParent));
        table.sortByColumn(found_folder::Parent);
    }
    if (rootLevel) {
        rootLevel(*this);
    } else {
        const std::size_t rows = table.rowCount();
        for (std::size_t row = lowerBound(table, found_folder::Parent, sortKey(rootParentNumber));
             row < rows &&
             decimalPrefixToInt32(table.cell(row, found_folder::Parent)) == sortKey(rootParentNumber);
             ++row) {
            auto self = cellNumber(table.cell(row, found_folder::Self));
            if (rowDrained(row) || self == rootParentNumber ||
                cellNumber(table.cell(row, found_folder::Parent)) != rootParentNumber ||
                table.cell(row, found_folder::Type) != "FOLDER")
                continue;
            insertRow(row, root);
        }
    }

    // Breadth first: every node drains its children, including the nodes appended on the way.
    if (m_progress)
        m_progress->setRange(0, table.rowCount());
    for (std::size_t i = 0; i < m_model.FolderList.size() && m_drainedCount < table.rowCount(); ++i) {
        if (m_progress)
            m_progress->setPosition(i + 1);
        const std::uint32_t self = m_model.FolderList[i].self;
        const TreeItem item = m_model.FolderList[i].treeItem;
        DrainChildren(self, item);
    }

    // Whatever is left (parents in a loop, parents never placed) goes under KLX_Miscellaneous.
    bool anyLeft = false;
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        anyLeft = anyLeft || (!rowDrained(row) && table.cell(row, found_folder::Type) == "FOLDER");
    if (anyLeft) {
        TreeItem miscellaneous = kNoTreeItem;
        for (const FolderNode& node : m_model.FolderList)
            if (node.name == kMiscellaneousName) {
                miscellaneous = node.treeItem;
                break;
            }
        if (miscellaneous == kNoTreeItem)
            miscellaneous = InsertFolderNode(root, std::string(kMiscellaneousName), kMiscellaneousSelf, 0, 0,
                                             rootParentNumber, false, 0);
        for (std::size_t row = 0; row < table.rowCount(); ++row)
            if (!rowDrained(row) && table.cell(row, found_folder::Type) == "FOLDER")
                insertRow(row, miscellaneous, kMiscellaneousSelf);
    }

    table.clear();
    m_drained.clear();
    m_drainedCount = 0;
    tree.setExpanded(root, true);
    tree.sortChildrenByText(root);
    for (FolderNode& node : m_model.FolderList)
        if (!tree.children(node.treeItem).empty() || node.name.find("DIR") != std::string::npos)
            node.listed = true;
}

} // namespace salvora
