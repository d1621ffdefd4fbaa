// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/drive_tree_page.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"

namespace salvora {
namespace {

struct RecordingPrompter : Prompter {
    std::vector<std::string> messages;
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        messages.push_back(text);
        return false;
    }
};

// Answers the no-device dialog with a script: each entry is run before a press of "Retry"; when the
// script is used up the user presses "Exit".
struct ScriptedDialogs : DeviceDialogs {
    std::vector<std::function<void()>> beforeRetry;
    int noDeviceShown = 0;
    int retries = 0;
    bool runNoDevice(const std::function<bool()>& retry) override {
        ++noDeviceShown;
        for (auto& step : beforeRetry) {
            step();
            ++retries;
            if (retry())
                return true;
        }
        return false;
    }
    bool confirmWholeMediumScan() override { return false; }
};

void attachTwoImages(Session& session) {
    session.sources.diskImages = {test::fixturePath("partitions/mbr-extended.img")};
    session.sources.volumeImages = {test::fixturePath("partitions/ntfs-volume.img")};
}

std::vector<std::string> childLabels(const DriveTree& tree, NodeId node) {
    std::vector<std::string> labels;
    for (NodeId child : tree.node(node).children)
        labels.push_back(tree.node(child).label);
    return labels;
}

TEST(DriveTreePage, OpensOnTheThreeFixedNodesWithDisksPartitionsAndDrives) {
    Session session;
    attachTwoImages(session);
    ScriptedDialogs dialogs;
    DriveTreePage page(session, SearchMode::Basic);
    ASSERT_TRUE(page.open(dialogs));
    EXPECT_EQ(dialogs.noDeviceShown, 0);
    const DriveTree& tree = page.tree();
    const DriveTreeRoots& roots = page.roots();
    EXPECT_EQ(tree.node(roots.computer).label, "My Computer");
    EXPECT_EQ(tree.node(roots.computer).image, kImageComputer);
    EXPECT_EQ(tree.node(roots.physical).label, "Physical Drives");
    EXPECT_EQ(tree.node(roots.physical).image, kImageDisk);
    EXPECT_EQ(tree.node(roots.logical).label, "Logical Drives");
    EXPECT_EQ(tree.node(roots.logical).image, kImageLogicalBranch);
    EXPECT_TRUE(tree.node(roots.computer).expanded);

    auto disks = childLabels(tree, roots.physical);
    ASSERT_EQ(disks.size(), 1u);
    EXPECT_EQ(disks[0], "Removable Media (Disk0 - 200.00 MB)");
    NodeId disk = tree.node(roots.physical).children[0];
    EXPECT_EQ(childLabels(tree, disk),
              (std::vector<std::string>{"Partition - 1 ( FAT32 )", "Partition - 2 ( FAT16 )",
                                        "Partition - 3 ( NTFS )"}));
    // The disk's three volumes, then the volume image.
    EXPECT_EQ(tree.node(roots.logical).children.size(), 4u);
    EXPECT_TRUE(page.hintVisible());
}

TEST(DriveTreePage, SelectingEachKindOfNodeShowsItsPanel) {
    Session session;
    attachTwoImages(session);
    ScriptedDialogs dialogs;
    DriveTreePage page(session, SearchMode::Photo);
    ASSERT_TRUE(page.open(dialogs));
    const DriveTree& tree = page.tree();
    NodeId disk = tree.node(page.roots().physical).children[0];

    const NodeSelection& diskPanel = page.select(disk);
    EXPECT_EQ(diskPanel.kind, NodeSelection::Kind::PhysicalDisk);
    ASSERT_EQ(diskPanel.panel.size(), 13u);
    EXPECT_EQ(diskPanel.panel[0].name, "1. Model :");
    EXPECT_EQ(diskPanel.panel[12].value, "\\\\.\\PHYSICALDRIVE0");
    EXPECT_EQ(session.driveList.SelectionKind, "Hard Disk");
    EXPECT_FALSE(page.hintVisible());

    const NodeSelection& partition = page.select(tree.node(disk).children[1]);
    EXPECT_EQ(partition.kind, NodeSelection::Kind::Partition);
    ASSERT_EQ(partition.panel.size(), 7u);
    EXPECT_EQ(partition.panel[2].value, "FAT16");
    EXPECT_EQ(partition.panel[3].value, "Photo Search");

    NodeId drive = tree.node(page.roots().logical).children.back();
    const NodeSelection& drivePanel = page.select(drive);
    EXPECT_EQ(drivePanel.kind, NodeSelection::Kind::LogicalDrive);
    ASSERT_EQ(drivePanel.panel.size(), 9u);
    EXPECT_EQ(drivePanel.panel[2].value, "NTFS");
    EXPECT_EQ(session.driveList.SelectionKind, "Logical");
    EXPECT_EQ(session.driveList.selectedVolumePath, "\\\\.\\" + drivePanel.panel[3].value);

    EXPECT_TRUE(page.select(page.roots().computer).panel.empty());
    EXPECT_TRUE(page.hintVisible());
}

TEST(DriveTreePage, NoDeviceDialogUntilRetryFindsAnAttachedImage) {
    Session session;
    ScriptedDialogs dialogs;
    DriveTreePage page(session, SearchMode::Basic);
    dialogs.beforeRetry = {
        [] {}, // nothing plugged in yet: the dialog stays
        [&] { ASSERT_TRUE(page.attachImage(test::fixturePath("partitions/gpt.img"), false)); }};
    ASSERT_TRUE(page.open(dialogs));
    EXPECT_EQ(dialogs.noDeviceShown, 1);
    EXPECT_EQ(dialogs.retries, 2);
    EXPECT_EQ(page.tree().node(page.roots().physical).children.size(), 1u);
}

TEST(DriveTreePage, ExitFromTheNoDeviceDialogClosesTheWindow) {
    Session session;
    ScriptedDialogs dialogs;
    DriveTreePage page(session, SearchMode::Signature);
    EXPECT_FALSE(page.open(dialogs));
    RecordingPrompter prompter;
    EXPECT_EQ(page.refresh(prompter, dialogs), DriveTreePage::RefreshResult::Exit);
    EXPECT_EQ(dialogs.noDeviceShown, 2);
}

TEST(DriveTreePage, RefreshRebuildsTheTreeUnlessWorkHasStarted) {
    Session session;
    attachTwoImages(session);
    ScriptedDialogs dialogs;
    RecordingPrompter prompter;
    DriveTreePage page(session, SearchMode::Deep);
    ASSERT_TRUE(page.open(dialogs));
    ASSERT_TRUE(page.attachImage(test::fixturePath("partitions/mbr-fat16.img"), false));
    EXPECT_EQ(page.refresh(prompter, dialogs), DriveTreePage::RefreshResult::Listed);
    EXPECT_EQ(page.tree().node(page.roots().physical).children.size(), 2u);
    EXPECT_TRUE(prompter.messages.empty());

    page.setWorkRunning(true);
    EXPECT_EQ(page.refresh(prompter, dialogs), DriveTreePage::RefreshResult::Refused);
    page.setWorkRunning(false);
    page.setRecoveredItemsListed(true);
    EXPECT_EQ(page.refresh(prompter, dialogs), DriveTreePage::RefreshResult::Refused);
    EXPECT_EQ(prompter.messages, (std::vector<std::string>(2, kRefreshRefused)));
    EXPECT_EQ(page.tree().node(page.roots().physical).children.size(), 2u);
}

TEST(DriveTreePage, AnImageThatCannotBeReadIsNotAttached) {
    Session session;
    DriveTreePage page(session, SearchMode::Basic);
    EXPECT_FALSE(page.attachImage("/nonexistent/card.img", false));
    EXPECT_FALSE(page.attachImage(test::makeTempDir(), true));
    EXPECT_TRUE(session.sources.diskImages.empty());
    EXPECT_TRUE(session.sources.volumeImages.empty());
}

} // namespace
} // namespace salvora
