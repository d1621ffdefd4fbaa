// SPDX-License-Identifier: GPL-3.0-or-later
// The found-item model of Basic and Deep Search: the folder tree (kept on the engine side; the GUI shows it
// through a model adapter, the CLI prints it), the folder nodes behind its items in insertion order
// (FolderList), and the building of the tree from the rows the walkers leave in FoundFolderTable.
//
// Numbering that runs through the whole model:
//   - a folder is known by its self number: FAT its first cluster, NTFS its MFT record number;
//   - parent 0 is the FAT root directory, parent 5 the NTFS root directory (MFT record 5);
//   - self 268435455 (0x0FFFFFFF) is the pseudo-folder KLX_Miscellaneous, home of every folder whose parent
//     cannot be found; giving a folder the parent 268435455 moves it there.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/seams.h"
#include "fsrecovery/scan_tables.h"

namespace salvora {

// A tree item handle. TreeItem cells of TreeLinkTable and the hidden list column hold it as decimal text.
using TreeItem = std::uint32_t;
inline constexpr TreeItem kNoTreeItem = 0;

inline constexpr std::uint32_t kFatRootParent = 0;
inline constexpr std::uint32_t kNtfsRootParent = 5;
inline constexpr std::uint32_t kMiscellaneousSelf = 268435455;
inline constexpr std::string_view kMiscellaneousName = "KLX_Miscellaneous";
inline constexpr std::string_view kRootItemText = "Root";
inline constexpr std::string_view kStoringDirectoryInformation =
    "Storing Directory Information. Please wait...";

// Image indexes of the folder tree's pictures.
inline constexpr int kImageRootItem = 0;
inline constexpr int kImageClosedFolder = 1;

// Check states, numbered as the tree's state images.
enum class CheckState : std::uint8_t { Unticked = 1, Ticked = 2, PartlyTicked = 3 };

// Columns of FoundFolderTable.
namespace found_folder {
inline constexpr std::size_t Name = 0;
inline constexpr std::size_t Sector = 1;
inline constexpr std::size_t Self = 2;
inline constexpr std::size_t Parent = 3;
inline constexpr std::size_t Date = 4;
inline constexpr std::size_t Time = 5;
inline constexpr std::size_t Size = 6;
inline constexpr std::size_t Attr = 7;
inline constexpr std::size_t SysID = 8;
inline constexpr std::size_t Type = 9;
inline constexpr std::size_t Deleted = 10;
inline constexpr std::size_t Cluster0Start = 11;
} // namespace found_folder

// Appends the FAT scans' row for KLX_Miscellaneous: sector, parent, date and size 0, attr 16, the current
// time as a FAT time word. Returns its index.
std::size_t AppendMiscellaneousRow(TextTable& foundFolders);

// The record behind every folder item of the tree. FolderList keeps them in insertion order; the node after
// FolderList[i] is FolderList[i + 1].
struct FolderNode {
    std::string name;
    TreeItem treeItem = kNoTreeItem;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::uint64_t date = 0; // FAT: the FAT date word in the low 16 bits; NTFS: the creation FILETIME
    std::uint64_t time = 0; // FAT: the FAT time word in the low 16 bits; NTFS: 0
    bool listed = false;
    bool deleted = false;
    std::uint64_t cluster0Start = 0; // Deep Search: Cluster0Start of the folder's volume; 0 in Basic Search
};

// One item of the folder tree.
struct FolderTreeItem {
    std::string text;
    int image = kImageClosedFolder;
    TreeItem parent = kNoTreeItem;
    std::vector<TreeItem> children; // in display order
    CheckState check = CheckState::Unticked;
    bool expanded = false;
    std::optional<std::size_t> node; // index into FolderList (the item's data); none for "Root"
};

// The folder tree control's content. Handles are 1-based and stay valid until clear().
class FolderTree {
public:
    bool empty() const { return m_items.empty(); }
    std::size_t itemCount() const { return m_items.size(); }
    void clear() {
        m_items.clear();
        m_root = kNoTreeItem;
    }
    bool valid(TreeItem item) const { return item != kNoTreeItem && item <= m_items.size(); }

    // The "Root" item, or kNoTreeItem before one was created.
    TreeItem root() const { return m_root; }
    // Creates the top-level "Root" item (unticked, expanded) when the tree has none and returns it.
    TreeItem ensureRoot();
    // Appends an item as the last child of parent (kNoTreeItem: a top-level item).
    TreeItem insertItem(TreeItem parent, std::string text, int image, std::optional<std::size_t> node);

    const FolderTreeItem& item(TreeItem item) const;
    const std::string& text(TreeItem item) const { return this->item(item).text; }
    void setText(TreeItem item, std::string text);
    TreeItem parent(TreeItem item) const { return valid(item) ? this->item(item).parent : kNoTreeItem; }
    const std::vector<TreeItem>& children(TreeItem item) const { return this->item(item).children; }
    std::optional<std::size_t> node(TreeItem item) const {
        return valid(item) ? this->item(item).node : std::nullopt;
    }
    std::vector<TreeItem> topLevelItems() const;

    CheckState checkState(TreeItem item) const {
        return valid(item) ? this->item(item).check : CheckState::Unticked;
    }
    void setCheckState(TreeItem item, CheckState state);
    // A click on the item's check box: a ticked item and all its descendants become unticked, otherwise they
    // all become ticked; then every ancestor is set from its children (ticked or unticked when they all
    // agree, partly ticked otherwise).
    void toggleCheck(TreeItem item);

    void setExpanded(TreeItem item, bool expanded);
    // Orders the children of item by their text, ignoring ASCII case.
    void sortChildrenByText(TreeItem item);

private:
    FolderTreeItem& mutableItem(TreeItem item) { return m_items.at(item - 1); }
    void setSubtree(TreeItem item, CheckState state);

    std::vector<FolderTreeItem> m_items;
    TreeItem m_root = kNoTreeItem;
};

// The state of the found-item model that a session keeps: the tree, FolderList, FolderCount, the one-entry
// cache and ListStopFlag. Reset when a mode starts and when a scan starts; the DIR_%d counter never is.
struct FolderModel {
    FolderTree tree;
    std::vector<FolderNode> FolderList;
    std::uint64_t FolderCount = 0;
    // Set by Cancel in the "Populating" window and polled by listings and chain walks.
    StopFlag ListStopFlag{false};
    // While a recovery log is being loaded, the duplicate check of InsertFolderNode is skipped.
    bool loadingLog = false;
    // The number of the next "DIR_%d" name given to a folder row without a name.
    std::uint32_t nextDirNumber = 1;

    // The one-entry cache: the self number and tree item of the most recently inserted node.
    bool lastInsertedValid = false;
    std::uint32_t lastInsertedSelf = 0;
    TreeItem lastInsertedItem = kNoTreeItem;

    // Lookup aids kept beside the tables so that no search walks FolderList or TreeLinkTable.
    std::unordered_map<std::uint32_t, std::size_t> treeLinkRowOfSelf; // self -> its TreeLinkTable row
    std::unordered_map<std::uint32_t, std::size_t> nodeOfSelf;        // self -> first node with it

    void reset();

    // The node behind a tree item, or nullptr for "Root" and invalid handles.
    FolderNode* nodeOf(TreeItem item);
    const FolderNode* nodeOf(TreeItem item) const;
    // The item of the node with that self number, or kNoTreeItem. Constant time.
    TreeItem itemOfSelf(std::uint32_t self) const;
};

// The operations of the model over the session's tables. A thin view: construct one where needed.
class FolderTreeBuilder {
public:
    FolderTreeBuilder(FolderModel& model, ScanTables& tables, ProgressSink* progress = nullptr)
        : m_model(model), m_tables(tables), m_progress(progress) {}

    // Inserts one folder node as the last child of parentItem (kNoTreeItem: the "Root" item, created when
    // missing). A self number that already has a node (TreeLinkTable) gets no second one: its item is
    // returned instead.
    TreeItem InsertFolderNode(TreeItem parentItem, const std::string& name, std::uint32_t self,
                              std::uint64_t date, std::uint64_t time, std::uint32_t parent, bool deleted,
                              std::uint64_t cluster0Start);

    // The item of the parent number for a walker that inserts directly: the root item for the root parent
    // number, the one-entry cache when it matches, else the node with that self number; kNoTreeItem when the
    // parent has no node yet.
    TreeItem parentItemFor(std::uint32_t parent, std::uint32_t rootParentNumber);

    // Gives every FoundFolderTable row whose parent is neither 0, nor a row's self, nor an existing node the
    // parent 268435455, then leaves the table sorted by parent.
    void ResolveOrphans();

    // Moves every row whose parent is self (the table sorted by parent) into the tree under parentItem.
    // Moved rows are marked and leave the table in one pass at the end of BuildTree (or compactTable()),
    // which keeps the drain linear in the number of rows.
    void DrainChildren(std::uint32_t self, TreeItem parentItem);
    void compactTable();

    // The whole table-to-tree procedure. rootLevel, when given, runs in place of the plain root-level step
    // (the FAT walker names the root-level rows from the root directory first) and must place those rows
    // with DrainChildren(rootParentNumber, root).
    void BuildTree(std::uint32_t rootParentNumber,
                   const std::function<void(FolderTreeBuilder&)>& rootLevel = {});

    FolderModel& model() { return m_model; }
    ScanTables& tables() { return m_tables; }

private:
    void status(const std::string& text);
    bool rowDrained(std::size_t row) const { return row < m_drained.size() && m_drained[row]; }
    void insertRow(std::size_t row, TreeItem parentItem, std::optional<std::uint32_t> forcedParent = {});
    std::optional<TreeItem> lookUpTreeLink(std::uint32_t self);

    FolderModel& m_model;
    ScanTables& m_tables;
    ProgressSink* m_progress;
    std::vector<bool> m_drained; // rows of FoundFolderTable already moved into the tree
    std::size_t m_drainedCount = 0;
};

} // namespace salvora
