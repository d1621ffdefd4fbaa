// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/folder_tree.h"

#include <gtest/gtest.h>

#include "fsrecovery/file_list.h"

namespace salvora {
namespace {

struct Model {
    FolderModel folders;
    ScanTables tables;
    FolderTreeBuilder builder{folders, tables};

    // A FAT row as the lost-directory scan writes it.
    void row(const std::string& name, std::uint32_t self, std::uint32_t parent,
             const std::string& deleted = "") {
        tables.FoundFolderTable.appendRow({name, "0", std::to_string(self), std::to_string(parent), "0", "0",
                                           "0", "16", "0", "FOLDER", deleted});
    }
    void miscellaneousRow() { row(std::string(kMiscellaneousName), kMiscellaneousSelf, 0); }

    // "Root/a/b" style path of an item.
    std::string path(TreeItem item) const {
        std::string text;
        for (; item != kNoTreeItem; item = folders.tree.parent(item))
            text = folders.tree.text(item) + (text.empty() ? "" : "/" + text);
        return text;
    }
    std::string pathOfSelf(std::uint32_t self) const { return path(folders.itemOfSelf(self)); }
    int nodesWithSelf(std::uint32_t self) const {
        int count = 0;
        for (const FolderNode& node : folders.FolderList)
            count += node.self == self;
        return count;
    }
};

TEST(BuildTree, PlacesFoldersUnderTheirParentsAndOrphansUnderMiscellaneous) {
    Model m;
    m.miscellaneousRow();
    // Rows arrive in cluster order, children before parents in places.
    m.row("DIR1", 3, 9); // child of 9, found before its parent
    m.row("DIR2", 5, 0); // root level
    m.row("DIR3", 6, 5); // three siblings under 5
    m.row("DIR4", 7, 5);
    m.row("DIR5", 8, 5);
    m.row("DIR6", 9, 0);
    m.row("DIR7", 11, 400); // parent cluster that no found folder has
    m.row("DIR8", 12, 11);  // child of the orphan
    m.builder.BuildTree(kFatRootParent);

    EXPECT_EQ(m.pathOfSelf(5), "Root/DIR2");
    for (std::uint32_t sibling : {6u, 7u, 8u})
        EXPECT_EQ(m.folders.tree.parent(m.folders.itemOfSelf(sibling)), m.folders.itemOfSelf(5));
    EXPECT_EQ(m.pathOfSelf(3), "Root/DIR6/DIR1");
    EXPECT_EQ(m.pathOfSelf(11), "Root/KLX_Miscellaneous/DIR7");
    EXPECT_EQ(m.pathOfSelf(12), "Root/KLX_Miscellaneous/DIR7/DIR8");
    EXPECT_TRUE(m.tables.FoundFolderTable.empty());
    EXPECT_EQ(m.folders.FolderCount, 9u);
    EXPECT_EQ(m.tables.TreeLinkTable.rowCount(), 9u);
}

TEST(BuildTree, PlacesBreadthFirstAndSortsTheRootLevelByName) {
    Model m;
    m.row("zeta", 2, 0);
    m.row("Alpha", 3, 0);
    m.row("deep", 4, 2);
    m.row("beta", 5, 0);
    m.builder.BuildTree(kFatRootParent);
    const TreeItem root = m.folders.tree.root();
    std::vector<std::string> names;
    for (TreeItem child : m.folders.tree.children(root))
        names.push_back(m.folders.tree.text(child));
    EXPECT_EQ(names, (std::vector<std::string>{"Alpha", "beta", "zeta"}));
    // Breadth first: every root-level folder is in FolderList before the first grandchild.
    EXPECT_EQ(m.folders.FolderList.back().self, 4u);
    EXPECT_TRUE(m.folders.FolderList[0].listed); // has children
}

TEST(BuildTree, TheSameFolderTwiceShowsOnce) {
    Model m;
    m.row("DIR1", 4, 0);
    m.row("DIR1 again", 4, 0);
    m.row("DIR2", 6, 4);
    m.builder.BuildTree(kFatRootParent);
    EXPECT_EQ(m.nodesWithSelf(4), 1);
    EXPECT_EQ(m.folders.tree.itemCount(), 3u); // Root, DIR1, DIR2
}

TEST(BuildTree, ParentLoopsEndUnderMiscellaneousWithoutHanging) {
    Model m;
    m.miscellaneousRow();
    m.row("A", 10, 11); // A and B name each other as parent
    m.row("B", 11, 10);
    m.row("C", 12, 12); // its own parent
    m.builder.BuildTree(kFatRootParent);
    for (std::uint32_t self : {10u, 11u, 12u}) {
        EXPECT_EQ(m.nodesWithSelf(self), 1);
        EXPECT_EQ(m.path(m.folders.tree.parent(m.folders.itemOfSelf(self))), "Root/KLX_Miscellaneous");
        EXPECT_EQ(m.folders.nodeOf(m.folders.itemOfSelf(self))->parent, kMiscellaneousSelf);
    }
}

TEST(BuildTree, EmptyNamesBecomeNumberedDirNamesAcrossScans) {
    Model m;
    m.row("", 2, 0);
    m.row("", 3, 0);
    m.builder.BuildTree(kFatRootParent);
    EXPECT_EQ(m.pathOfSelf(2), "Root/DIR_1");
    EXPECT_EQ(m.pathOfSelf(3), "Root/DIR_2");
    // A new scan: the model and tables are emptied, the counter goes on.
    m.folders.reset();
    m.tables.clearAll();
    m.row("", 7, 0);
    m.builder.BuildTree(kFatRootParent);
    EXPECT_EQ(m.pathOfSelf(7), "Root/DIR_3");
}

TEST(BuildTree, DeletedRowsGiveDeletedNodes) {
    Model m;
    m.row("gone", 2, 0, "1");
    m.row("kept", 3, 0);
    m.builder.BuildTree(kFatRootParent);
    EXPECT_TRUE(m.folders.nodeOf(m.folders.itemOfSelf(2))->deleted);
    EXPECT_FALSE(m.folders.nodeOf(m.folders.itemOfSelf(3))->deleted);
}

TEST(BuildTree, NtfsRowsWhoseParentWasInsertedDirectlyAreNotOrphans) {
    // A walker inserts folders whose parent already has a node and leaves the others in the table.
    Model m;
    const TreeItem misc = m.builder.InsertFolderNode(kNoTreeItem, std::string(kMiscellaneousName),
                                                     kMiscellaneousSelf, 0, 0, kNtfsRootParent, false, 0);
    const TreeItem docs =
        m.builder.InsertFolderNode(kNoTreeItem, "Documents", 64, 0, 0, kNtfsRootParent, false, 0);
    // Record 40 names record 64 as parent, but was read before 64 became a node.
    m.tables.FoundFolderTable.appendRow({"Letters", "", "40", "64", "0", "", "", "", "", "FOLDER", ""});
    m.tables.FoundFolderTable.appendRow({"Stray", "", "41", "999", "0", "", "", "", "", "FOLDER", "1"});
    m.builder.BuildTree(kNtfsRootParent);
    EXPECT_EQ(m.folders.tree.parent(m.folders.itemOfSelf(40)), docs);
    EXPECT_EQ(m.folders.tree.parent(m.folders.itemOfSelf(41)), misc);
}

TEST(InsertFolderNode, UsesTheLastInsertedPairForARunOfSiblings) {
    Model m;
    const TreeItem parent = m.builder.InsertFolderNode(kNoTreeItem, "P", 20, 0, 0, 5, false, 0);
    EXPECT_EQ(m.builder.parentItemFor(20, kNtfsRootParent), parent);
    EXPECT_EQ(m.builder.parentItemFor(5, kNtfsRootParent), m.folders.tree.root());
    EXPECT_EQ(m.builder.parentItemFor(77, kNtfsRootParent), kNoTreeItem);
    // A second insertion of the same self returns the first item and remembers it.
    EXPECT_EQ(m.builder.InsertFolderNode(kNoTreeItem, "P again", 20, 0, 0, 5, false, 0), parent);
    EXPECT_EQ(m.folders.FolderCount, 1u);
    EXPECT_EQ(m.tables.TreeLinkTable.cell(0, 1), std::to_string(parent));
}

TEST(InsertFolderNode, SurvivesTheTablesBeingEmptiedBehindIt) {
    Model m;
    m.builder.InsertFolderNode(kNoTreeItem, "A", 20, 0, 0, 0, false, 0);
    m.tables.clearAll();
    m.folders.reset();
    m.builder.InsertFolderNode(kNoTreeItem, "A", 20, 0, 0, 0, false, 0);
    EXPECT_EQ(m.folders.FolderCount, 1u);
    EXPECT_EQ(m.tables.TreeLinkTable.rowCount(), 1u);
}

TEST(FolderTree, TickingSetsDescendantsAndAncestors) {
    Model m;
    const TreeItem a = m.builder.InsertFolderNode(kNoTreeItem, "a", 2, 0, 0, 0, false, 0);
    const TreeItem b = m.builder.InsertFolderNode(kNoTreeItem, "b", 3, 0, 0, 0, false, 0);
    const TreeItem a1 = m.builder.InsertFolderNode(a, "a1", 4, 0, 0, 2, false, 0);
    const TreeItem a2 = m.builder.InsertFolderNode(a, "a2", 5, 0, 0, 2, false, 0);
    const TreeItem a11 = m.builder.InsertFolderNode(a1, "a11", 6, 0, 0, 4, false, 0);
    FolderTree& tree = m.folders.tree;
    const TreeItem root = tree.root();
    EXPECT_EQ(tree.checkState(root), CheckState::Unticked);

    tree.toggleCheck(a1);
    EXPECT_EQ(tree.checkState(a1), CheckState::Ticked);
    EXPECT_EQ(tree.checkState(a11), CheckState::Ticked);
    EXPECT_EQ(tree.checkState(a), CheckState::PartlyTicked);
    EXPECT_EQ(tree.checkState(root), CheckState::PartlyTicked);

    tree.toggleCheck(a2);
    EXPECT_EQ(tree.checkState(a), CheckState::Ticked);
    EXPECT_EQ(tree.checkState(root), CheckState::PartlyTicked);
    tree.toggleCheck(b);
    EXPECT_EQ(tree.checkState(root), CheckState::Ticked);

    tree.toggleCheck(root); // ticked: everything becomes unticked
    for (TreeItem item : {root, a, b, a1, a2, a11})
        EXPECT_EQ(tree.checkState(item), CheckState::Unticked);
}

TEST(ScanFoundNothing, RootAloneOrRootAndMiscellaneousWithoutFolders) {
    Model m;
    m.folders.tree.ensureRoot();
    EXPECT_TRUE(ScanFoundNothing(m.folders, false));
    m.builder.InsertFolderNode(kNoTreeItem, std::string(kMiscellaneousName), kMiscellaneousSelf, 0, 0, 0,
                               false, 0);
    EXPECT_TRUE(ScanFoundNothing(m.folders, false));
    EXPECT_FALSE(ScanFoundNothing(m.folders, true));
    m.builder.InsertFolderNode(kNoTreeItem, "x", 2, 0, 0, 0, false, 0);
    EXPECT_FALSE(ScanFoundNothing(m.folders, false));
}

// A walker that lists fixed files and counts how often it is asked.
class ScriptedWalker final : public FolderFileWalker {
public:
    std::uint32_t rootSelf() const override { return 0; }
    void listFiles(FileList& list, std::uint32_t self, const StopFlag& stop) override {
        for (int i = 0; i < 3 && !stop; ++i) {
            appendFileRow(list, "file" + std::to_string(i) + ".jpg", "10", "01-JAN-1980", "00:00:00",
                          std::to_string(self), "", "", "FILE" + std::to_string(i) + ".JPG");
            if (i == stopAfter)
                stopFlag->store(true);
        }
    }
    int stopAfter = -1;
    StopFlag* stopFlag = nullptr;
};

TEST(PopulateList, FolderRowsThenFileRowsWithTheHiddenColumns) {
    Model m;
    m.row("gone", 2, 0, "1");
    m.row("inner", 3, 2);
    m.miscellaneousRow();
    m.builder.BuildTree(kFatRootParent);
    ScriptedWalker walker;
    FileList list;
    PopulateList(m.folders, m.folders.itemOfSelf(2), &walker, list);
    ASSERT_EQ(list.rows.size(), 4u);
    const auto& folder = list.rows[0].cells;
    EXPECT_EQ(folder[file_list::Name], "inner");
    EXPECT_EQ(folder[file_list::Type], "FOLDER");
    EXPECT_EQ(folder[file_list::Size], "0");
    EXPECT_EQ(folder[file_list::Date], "00-ERR-1980");
    EXPECT_EQ(folder[file_list::Debug1], "3");
    EXPECT_EQ(folder[file_list::Debug2], "2");
    EXPECT_EQ(folder[file_list::Debug3], std::to_string(m.folders.itemOfSelf(3)));
    // The child of a deleted folder is deleted too.
    EXPECT_TRUE(m.folders.nodeOf(m.folders.itemOfSelf(3))->deleted);
    EXPECT_EQ(list.rows[1].cells[file_list::Type], "Image File");
    EXPECT_EQ(list.rows[1].cells[file_list::SFN], "FILE0.JPG");
    EXPECT_EQ(list.countsLabel(), "1 Folders, 3 Files");

    // KLX_Miscellaneous lists folders only; Root lists its folders, then the root's files.
    PopulateList(m.folders, m.folders.itemOfSelf(kMiscellaneousSelf), &walker, list);
    EXPECT_EQ(list.countsLabel(), "0 Folders, 0 Files");
    PopulateList(m.folders, m.folders.tree.root(), &walker, list);
    EXPECT_EQ(list.countsLabel(), "2 Folders, 3 Files");
}

TEST(PopulateList, CancelKeepsTheRowsListedSoFar) {
    Model m;
    m.row("a", 2, 0);
    m.builder.BuildTree(kFatRootParent);
    ScriptedWalker walker;
    walker.stopAfter = 1;
    walker.stopFlag = &m.folders.ListStopFlag;
    FileList list;
    PopulateList(m.folders, m.folders.tree.root(), &walker, list);
    EXPECT_EQ(list.countsLabel(), "1 Folders, 2 Files");
    EXPECT_EQ(list.rows.size(), 3u);
}

TEST(FileListColumns, HiddenColumnsHaveNoWidth) {
    auto basic = BasicSearchListColumns();
    ASSERT_EQ(basic.size(), 9u);
    EXPECT_EQ(basic[5].header, "SelfCluster-Debug Info 1");
    EXPECT_EQ(basic[7].header, "TreeItem-Debug Info 3");
    EXPECT_EQ(basic[0].width, 145);
    for (std::size_t c = 5; c < basic.size(); ++c)
        EXPECT_EQ(basic[c].width, 0);
    auto deep = DeepSearchListColumns();
    ASSERT_EQ(deep.size(), 10u);
    EXPECT_EQ(deep[6].header, "ParentMFT-Debug Info 2");
    EXPECT_EQ(deep[9].header, "FILE_SYS");
}

} // namespace
} // namespace salvora
