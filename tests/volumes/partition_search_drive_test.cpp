// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "support/disk_builder.h"
#include "support/fixtures.h"
#include "support/recording_prompter.h"
#include "support/test_media.h"
#include "volumes/drive_search.h"

namespace salvora {
namespace {

using test::RecordingPrompter;

// A Deep Search window's drive tree with one logical drive E: read from the medium given.
struct DriveSearch {
    DeviceNamespace devices;
    DriveTree tree;
    DriveSearchState state;
    NullProgress quiet;
    StopFlag stop{false};
    RecordingPrompter prompter;
    NodeId driveNode = kNoNode;
    std::uint64_t totalSectors = 0;

    explicit DriveSearch(std::shared_ptr<const Medium> medium, std::optional<std::uint64_t> sectors = {}) {
        devices.setVolume('E', medium);
        totalSectors = sectors ? *sectors : medium->size().value_or(0) / 512;
        NodeId computer = tree.addNode("My Computer", kImageComputer, kNoNode);
        NodeId logical = tree.addNode("Logical Drives", kImageLogicalBranch, computer);
        driveNode = tree.addNode("E:\\ (48.00 MB - CARD - NTFS)", kImageVolume, logical);
    }
    static DriveSearch ofFixture(const std::string& relative) {
        return DriveSearch(std::make_shared<FileMedium>(test::fixturePath(relative)));
    }
    DriveSearchFinish run() {
        DriveSearchContext context{devices,      tree,  driveNode, "E:", volumePath('E'),
                                   totalSectors, state, quiet,     stop};
        SearchDriveForPartitions(context);
        return FinishDriveSearch(context, prompter);
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (NodeId child : tree.node(driveNode).children)
            out.push_back(tree.node(child).label);
        return out;
    }
};

TEST(DriveSearch, ListsTheNtfsVolumeOfADriveOnce) {
    // mkntfs's volume fills the drive; its backup boot sector in the last sector is not a second volume.
    DriveSearch search = DriveSearch::ofFixture("partitions/ntfs-volume.img");
    DriveSearchFinish finish = search.run();
    ASSERT_EQ(search.state.foundFileSystems.size(), 1u);
    const FoundFileSystemRow& row = search.state.foundFileSystems[0];
    EXPECT_EQ(row[0], R"(Log|\\.\E:|)");
    EXPECT_EQ(row[1], "Recognised1");
    EXPECT_EQ(row[2], "NTFS");
    EXPECT_EQ(row[3], "0");
    EXPECT_EQ(row[4], "98303");
    EXPECT_EQ(row[5], " 48.00 MB");
    EXPECT_EQ(row[8], "2");
    EXPECT_EQ(row[9], "98303");
    EXPECT_EQ(row[12], "");
    EXPECT_EQ(search.labels(), std::vector<std::string>{"Recognised1 -  48.00 MB - NTFS"});
    EXPECT_EQ(finish.selectedNode, search.tree.node(search.driveNode).children[0]);
    EXPECT_TRUE(search.tree.node(search.driveNode).expanded);
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"Found 1 more partitions in selected Drive ( Drive - E: )"});

    // Searching the same drive again lists nothing new.
    search.prompter.messages.clear();
    finish = search.run();
    EXPECT_EQ(search.state.foundFileSystems.size(), 1u);
    EXPECT_EQ(search.labels().size(), 1u);
    EXPECT_EQ(finish.selectedNode, kNoNode);
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"No more partitions found in selected Drive ( Drive - E: )"});
}

TEST(DriveSearch, NumbersTheVolumesOfADriveInTheOrderFound) {
    DriveSearch search = DriveSearch::ofFixture("lost/drive-two-volumes.img");
    // A row of another drive searched earlier in the same window does not count.
    FoundFileSystemRow other;
    other[0] = R"(Log|\\.\F:|)";
    other[2] = "NTFS";
    search.state.foundFileSystems.push_back(other);
    search.run();
    ASSERT_EQ(search.state.foundFileSystems.size(), 3u);
    EXPECT_EQ(search.labels(), (std::vector<std::string>{"Recognised1 -  20.00 MB - NTFS",
                                                         "Recognised2 -  20.00 MB - FAT16"}));
    // The FAT16 row as fsstat lays the volume out: FAT 0 at +4, FAT 1 at +44, root at +84 (32 sectors),
    // cluster 2 at +116 with 4 sectors per cluster.
    const FoundFileSystemRow& fat = search.state.foundFileSystems[2];
    const FoundFileSystemRow expected{
        R"(Log|\\.\E:|)", "Recognised2", "FAT16", "49152", "90112", " 20.00 MB", "40", "4", "32",
        "49236",          "4",           "49260", "49156", "49196", "",          ""};
    EXPECT_EQ(fat, expected);
    // NTFS: 8 sectors per cluster, the MFT at cluster 4 and its mirror at cluster 2559.
    const FoundFileSystemRow& ntfs = search.state.foundFileSystems[1];
    EXPECT_EQ(ntfs[6], "8");
    EXPECT_EQ(ntfs[10], "4");
    EXPECT_EQ(ntfs[11], "2559");
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"Found 2 more partitions in selected Drive ( Drive - E: )"});
}

TEST(DriveSearch, SelectingARecognisedNodeShowsTheDrivesRowsAndItsRange) {
    DriveSearch search = DriveSearch::ofFixture("lost/drive-two-volumes.img");
    search.run();
    NodeId second = search.tree.node(search.driveNode).children[1];
    RecognisedSelection selection =
        SelectRecognisedNode(search.state, search.tree, second, {R"(\\.\D:|1000)", R"(\\.\E:|98304)"});
    ASSERT_EQ(selection.panel.size(), 2u);
    EXPECT_EQ(selection.panel[0].size(), 15u);
    EXPECT_EQ(selection.panel[1][0], "Recognised2");
    EXPECT_EQ(selection.number, 2);
    EXPECT_EQ(selection.fileSystem, "FAT16");
    EXPECT_EQ(selection.startText, "49152");
    EXPECT_EQ(selection.endText, "90112");
    EXPECT_EQ(selection.sliderMaximum, 98304u);
    EXPECT_EQ(selection.maxText, "98304");

    // A volume reaching past the drive's sector count ends at the drive's end.
    selection = SelectRecognisedNode(search.state, search.tree, second, {R"(\\.\E:|60000)"});
    EXPECT_EQ(selection.endText, "60000");
    EXPECT_EQ(selection.sliderMaximum, 60000u);
    // Without an entry for the drive, the volume's end is the scale.
    selection = SelectRecognisedNode(search.state, search.tree, second, {});
    EXPECT_EQ(selection.endText, "90112");
    EXPECT_EQ(selection.sliderMaximum, 90112u);
    EXPECT_EQ(selection.maxText, "");

    EXPECT_EQ(recognisedNumber("Recognised12 - 1.00 MB - NTFS"), 12);
    EXPECT_EQ(recognisedNumber("Recognised"), 0);
    EXPECT_EQ(recognisedNumber(""), 0);
}

TEST(DriveSearch, RecordsNoFat32AndNoEmptyNtfsVolume) {
    DriveSearch fat32 = DriveSearch::ofFixture("partitions/superfloppy.img");
    fat32.run();
    EXPECT_TRUE(fat32.state.foundFileSystems.empty());
    EXPECT_TRUE(fat32.labels().empty());

    test::DiskBuilder builder(4096);
    builder.bootSector(100, "NTFS"); // sector count 0
    builder.bootSector(200, "NTFS").u32(200, 0x28, 0xFFFFFFFFu);
    // A FAT16 boot sector whose layout would put cluster 0 before the drive, and one past the last sector of
    // the drive that the last chunk still covers.
    builder.text(300, 0x36, "FAT16").byte(300, 0x0D, 255).byte(300, 0x1FE, 0x55).byte(300, 0x1FF, 0xAA);
    builder.text(3000, 0x36, "FAT16").u32(3000, 0x20, 64).byte(3000, 0x1FE, 0x55).byte(3000, 0x1FF, 0xAA);
    DriveSearch hostile(builder.build(), 2500);
    hostile.run();
    ASSERT_EQ(hostile.state.foundFileSystems.size(), 3u);
    // The NTFS sector count is cut to the drive's size.
    EXPECT_EQ(hostile.state.foundFileSystems[0][3], "200");
    EXPECT_EQ(hostile.state.foundFileSystems[0][4], "2700");
    EXPECT_EQ(hostile.state.foundFileSystems[1][11], "0");
    EXPECT_EQ(hostile.state.foundFileSystems[2][3], "3000");
}

TEST(DriveSearch, ADriveThatCannotBeOpenedReportsNothing) {
    auto gone = std::make_shared<test::FaultyMedium>(
        std::make_shared<FileMedium>(test::fixturePath("partitions/ntfs-volume.img")));
    DriveSearch search(gone);
    gone->remove();
    search.run();
    EXPECT_TRUE(search.state.foundFileSystems.empty());
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"No more partitions found in selected Drive ( Drive - E: )"});
}

} // namespace
} // namespace salvora
