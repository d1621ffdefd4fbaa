// SPDX-License-Identifier: GPL-3.0-or-later
// The searches as the mode windows start them, on a session that listed the lost cards.
#include <gtest/gtest.h>

#include "app/drive_tree_page.h"
#include "app/partition_searches.h"
#include "app/targets.h"
#include "support/fixtures.h"
#include "volumes/volume_parameters.h"

namespace salvora {
namespace {

class ScriptedPrompter final : public Prompter {
public:
    explicit ScriptedPrompter(bool answer = false) : m_answer(answer) {}
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        messages.push_back(text);
        return m_answer;
    }
    std::vector<std::string> messages;

private:
    bool m_answer;
};

struct ListedSession {
    Session session;
    DriveTreeRoots roots;
    NullProgress quiet;
    StopFlag stop{false};
    ScriptedPrompter prompter;

    ListedSession(std::vector<std::string> disks, std::vector<std::string> volumes, SearchMode mode,
                  bool searchPartitionless = false) {
        for (std::string& disk : disks)
            session.sources.diskImages.push_back(test::fixturePath(disk));
        for (std::string& volume : volumes)
            session.sources.volumeImages.push_back(test::fixturePath(volume));
        roots = listDrives(session, mode, searchPartitionless);
    }
    NodeId diskNode(int number) const { return session.driveList.disk(number)->node; }
    NodeId driveNode(char letter) const { return session.driveList.drive(letter)->node; }
};

TEST(SearchMorePartitions, StartsTheSearchTheSelectionCallsFor) {
    ListedSession listed({"lost/lost-card.img"}, {}, SearchMode::Deep);
    Session& session = listed.session;
    DriveTree& tree = session.driveTree;
    auto decide = [&](NodeId node, SearchMode mode, SearchMoreRequest request = {}) {
        SelectDriveNode(session.driveList, session.volumes, tree, node, mode);
        request.mode = mode;
        return decideSearchMorePartitions(session, tree, node, request);
    };
    EXPECT_EQ(decide(listed.diskNode(0), SearchMode::Basic).action, SearchMoreAction::SearchDisk);
    EXPECT_EQ(decide(listed.driveNode('D'), SearchMode::Deep).action, SearchMoreAction::SearchDrive);

    SearchMoreDecision basicOnDrive = decide(listed.driveNode('D'), SearchMode::Basic);
    EXPECT_EQ(basicOnDrive.action, SearchMoreAction::Message);
    EXPECT_EQ(basicOnDrive.message, kSelectPhysicalDiskToSearch);
    EXPECT_TRUE(basicOnDrive.selectPhysicalDrives);
    SearchMoreDecision deepOnRoot = decide(listed.roots.computer, SearchMode::Deep);
    EXPECT_EQ(deepOnRoot.message, kSelectDriveToSearch);
    EXPECT_FALSE(deepOnRoot.selectPhysicalDrives);
    EXPECT_EQ(decide(listed.roots.computer, SearchMode::Deep, {SearchMode::Deep, false, true, 0}).action,
              SearchMoreAction::DisableWindow);
    EXPECT_EQ(decide(listed.diskNode(0), SearchMode::Basic, {SearchMode::Basic, true, false, 0}).action,
              SearchMoreAction::Nothing);

    ScriptedPrompter no(false);
    StopFlag stop{false};
    EXPECT_FALSE(askStopPartitionSearch(no, stop));
    EXPECT_FALSE(stop);
    ScriptedPrompter yes(true);
    EXPECT_TRUE(askStopPartitionSearch(yes, stop));
    EXPECT_TRUE(stop);
    EXPECT_EQ(yes.messages, std::vector<std::string>{"Do you want to stop searching partition?"});
}

TEST(SearchMorePartitions, RecordsTheVolumesFoundInsideADriveInTheDriveTable) {
    ListedSession listed({}, {"lost/drive-two-volumes.img"}, SearchMode::Deep);
    auto finds = searchDriveForVolumes(listed.session, listed.session.driveTree, 'D', listed.quiet,
                                       listed.prompter, listed.stop);
    ASSERT_TRUE(finds);
    ASSERT_EQ(finds->size(), 2u);
    const TextTable& table = listed.session.tables.DriveTable;
    ASSERT_EQ(table.rowCount(), 2u);
    const std::vector<std::string> ntfs{R"(Log|\\.\D:|)", "Recognised1", "0", "40959", "0", "98304"};
    const std::vector<std::string> fat16{R"(Log|\\.\D:|)", "Recognised2", "49152", "90112", "49260", "98304"};
    for (std::size_t column = 0; column < 6; ++column) {
        EXPECT_EQ(table.cell(0, column), ntfs[column]);
        EXPECT_EQ(table.cell(1, column), fat16[column]);
    }
    // A second search adds no row to either list.
    ASSERT_TRUE(searchDriveForVolumes(listed.session, listed.session.driveTree, 'D', listed.quiet,
                                      listed.prompter, listed.stop));
    EXPECT_EQ(table.rowCount(), 2u);
    EXPECT_EQ(listed.session.driveSearch.foundFileSystems.size(), 2u);

    EXPECT_FALSE(searchDriveForVolumes(listed.session, listed.session.driveTree, 'Q', listed.quiet,
                                       listed.prompter, listed.stop));
    EXPECT_FALSE(searchDiskForLostPartitions(listed.session, listed.session.driveTree, SearchMode::Deep, 3,
                                             listed.quiet, listed.prompter, listed.stop));
}

TEST(SearchMorePartitions, BasicAndDeepSearchListingsSearchPartitionlessDisks) {
    for (SearchMode mode : {SearchMode::Basic, SearchMode::Deep, SearchMode::Photo}) {
        ListedSession listed({"lost/lost-card-wiped.img"}, {}, mode, true);
        const bool searches = mode != SearchMode::Photo;
        EXPECT_EQ(listed.session.volumes.partitionLists[0].count, searches ? 3 : 0);
    }
}

TEST(SearchMorePartitions, TheArmedHookSearchesAWholeDiskWhoseNtfsBootSectorsAreGone) {
    ListedSession listed({"lost/lost-card-wiped.img"}, {}, SearchMode::Basic);
    Session& session = listed.session;
    // A whole-disk selection taken for NTFS: neither its first sector (the wiped sector 0) nor the disk's
    // last one carries a boot sector, so the computation starts the search, which computes its first find.
    session.volumes.selectedVolume = {physicalDrivePath(0), "NTFS", 0, 409600};
    armAutomaticPartitionSearch(session, session.driveTree, listed.diskNode(0), SearchMode::Basic,
                                listed.quiet, listed.prompter, listed.stop);
    EXPECT_FALSE(ComputeVolumeParameters(session.volumes, session.devices));
    EXPECT_TRUE(session.partitionSearch.AutoSearchResult);
    EXPECT_EQ(session.volumes.selectedVolume.fileSystem, "FAT32");
    EXPECT_EQ(session.volumes.volumeParameters.firstFAT, 63u + 32);
    EXPECT_EQ(listed.prompter.messages,
              std::vector<std::string>{"Found 1 more partitions in selected Disk ( Disk - 0 )"});
    disarmAutomaticPartitionSearch(session);
    EXPECT_FALSE(session.volumes.automaticPartitionSearch);
}

class NoDialogs final : public DeviceDialogs {
public:
    bool runNoDevice(const std::function<bool()>&) override { return false; }
    bool confirmWholeMediumScan() override { return false; }
};

TEST(SearchMorePartitions, DeepSearchShowsTheRecognisedVolumeSelectedInItsTree) {
    Session session;
    session.sources.volumeImages.push_back(test::fixturePath("lost/drive-two-volumes.img"));
    DriveTreePage page(session, SearchMode::Deep);
    NoDialogs dialogs;
    ASSERT_TRUE(page.open(dialogs));
    NullProgress quiet;
    ScriptedPrompter prompter;
    StopFlag stop{false};
    ASSERT_TRUE(searchDriveForVolumes(session, page.tree(), 'D', quiet, prompter, stop));
    const NodeId drive = session.driveList.drive('D')->node;
    ASSERT_EQ(page.tree().node(drive).children.size(), 2u);

    page.select(page.tree().node(drive).children[1]);
    ASSERT_TRUE(page.recognised());
    EXPECT_EQ(session.driveList.SelectionKind, "Recognised");
    EXPECT_EQ(page.recognised()->number, 2);
    EXPECT_EQ(page.recognised()->startText, "49152");
    EXPECT_EQ(page.recognised()->panel.size(), 2u);
    EXPECT_EQ(page.recognised()->maxText, "98304");

    page.select(drive);
    EXPECT_FALSE(page.recognised());
    EXPECT_EQ(session.driveList.SelectionKind, "Logical");
    // Rebuilding the tree forgets the volumes found in it.
    ASSERT_EQ(page.refresh(prompter, dialogs), DriveTreePage::RefreshResult::Listed);
    EXPECT_TRUE(session.driveSearch.foundFileSystems.empty());
}

TEST(SearchMorePartitions, BasicAndDeepSearchWindowsSearchTheirPartitionlessDisksWhenTheyOpen) {
    for (SearchMode mode : {SearchMode::Basic, SearchMode::Deep, SearchMode::Photo}) {
        Session session;
        session.sources.diskImages.push_back(test::fixturePath("lost/lost-card-wiped.img"));
        DriveTreePage page(session, mode);
        NoDialogs dialogs;
        ASSERT_TRUE(page.open(dialogs));
        const bool searches = mode != SearchMode::Photo;
        ASSERT_EQ(page.automaticPartitionSearchDue(), searches);
        NullProgress quiet;
        ScriptedPrompter prompter;
        StopFlag stop{false};
        page.runAutomaticPartitionSearch(quiet, prompter, stop);
        const NodeId disk = session.driveList.disk(0)->node;
        EXPECT_EQ(page.tree().node(disk).children.size(), searches ? 3u : 0u);
        if (!searches)
            continue;
        EXPECT_EQ(prompter.messages,
                  std::vector<std::string>{"Found 3 more partitions in selected Disk ( Disk - 0 )"});
        ASSERT_EQ(page.selection().kind, NodeSelection::Kind::Partition);
        EXPECT_EQ(page.selection().panel[4].value, "63");
    }
}

} // namespace
} // namespace salvora
