// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/partition_table.h"

#include <gtest/gtest.h>

#include <cctype>

#include "support/disk_builder.h"
#include "support/fixtures.h"
#include "volumes/partition_entries.h"

namespace salvora {
namespace {

struct Row {
    std::string fileSystem;
    std::uint64_t start;
    std::uint64_t end;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.fileSystem << " " << row.start << "-" << row.end;
}

struct Walk {
    VolumeState volumes;
    DeviceNamespace devices;
    DriveTree tree;
    NodeId diskNode = kNoNode;

    std::vector<Row> run(std::shared_ptr<const Medium> disk, int number = 0) {
        devices.setPhysicalDisk(number, disk);
        diskNode = tree.addNode("Removable Media (Disk0 - 1.00 GB)", kImageDisk, kNoNode);
        WalkPartitionTable({volumes, devices, &tree}, number, *disk->size() / 512, diskNode);
        std::vector<Row> rows;
        const PartitionList& list = volumes.partitionLists[static_cast<std::size_t>(number)];
        for (int i = 0; i < list.count; ++i) {
            const PartitionRow& row = list.rows[static_cast<std::size_t>(i)];
            EXPECT_EQ(row.index, i);
            rows.push_back({row.fileSystem, row.start, row.end});
        }
        return rows;
    }
    std::vector<std::string> childLabels() const {
        std::vector<std::string> labels;
        for (NodeId child : tree.node(diskNode).children)
            labels.push_back(tree.node(child).label);
        return labels;
    }
};

struct FixtureCase {
    const char* image;
    std::vector<Row> rows;
};

class PartitionFixtures : public ::testing::TestWithParam<FixtureCase> {};

// Images made by sfdisk, mkfs.fat and mkntfs (tests/fixtures/make-partition-fixtures); the sectors agree with
// what mmls prints for them.
TEST_P(PartitionFixtures, ListsThePartitionsOfImagesMadeByRealTools) {
    Walk walk;
    auto rows = walk.run(std::make_shared<FileMedium>(test::fixturePath(GetParam().image)));
    EXPECT_EQ(rows, GetParam().rows);
    ASSERT_EQ(walk.childLabels().size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(walk.childLabels()[i], partitionLabel(static_cast<int>(i) + 1, rows[i].fileSystem));
}

INSTANTIATE_TEST_SUITE_P(
    Images, PartitionFixtures,
    ::testing::Values(
        FixtureCase{"partitions/mbr-fat16.img", {{"FAT16", 2048, 65536}}},
        // Logical partitions are numbered after the primary ones; the extended partition itself is not listed.
        FixtureCase{"partitions/mbr-extended.img",
                    {{"FAT32", 2048, 133120}, {"FAT16", 137216, 202752}, {"NTFS", 204800, 409600}}},
        // GUID entries keep their inclusive end; the Microsoft reserved partition is never listed.
        FixtureCase{"partitions/gpt.img", {{"FAT32", 34816, 165887}, {"NTFS", 165888, 296959}}},
        FixtureCase{"partitions/superfloppy.img", {}}),
    [](const ::testing::TestParamInfo<FixtureCase>& info) {
        std::string name = std::string(info.param.image).substr(std::string("partitions/").size());
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(PartitionWalk, LabelsSayPartitionNumberAndFileSystem) {
    EXPECT_EQ(partitionLabel(1, "FAT32"), "Partition - 1 ( FAT32 )");
    EXPECT_EQ(partitionLabel(12, "NTFS"), "Partition - 12 ( NTFS )");
}

TEST(PartitionWalk, AnIncompleteSignatureMeansNoPartitions) {
    auto disk = test::DiskBuilder(200000).entry(0, 0, 0x0C, 2048, 100000).bootSector(2048, "FAT32")
                    .byte(0, 0x1FF, 0x00).build();
    EXPECT_TRUE(Walk().run(disk).empty());
}

TEST(PartitionWalk, AnEntryNearTheDiskEndStopsTheWholeWalk) {
    const std::uint32_t total = 200000;
    auto disk = test::DiskBuilder(total)
                    .entry(0, 0, 0x0C, 2048, 60000).bootSector(2048, "FAT32")
                    .entry(0, 1, 0x05, 70000, 20000) // an extended chain that must not be followed
                    .entry(70000, 0, 0x06, 2048, 10000).bootSector(72048, "FAT16")
                    .entry(0, 2, 0x07, total - 24575, 24575).bootSector(total - 24575, "NTFS")
                    .entry(0, 3, 0x0C, 100000, 1000).bootSector(100000, "FAT32")
                    .build();
    // Entry 2 is 24575 sectors from the end: the walk stops there, before entry 3 and the chain.
    EXPECT_EQ(Walk().run(disk), (std::vector<Row>{{"FAT32", 2048, 62048}}));

    auto justFarEnough = test::DiskBuilder(total).entry(0, 0, 0x07, total - 24576, 24576)
                             .bootSector(total - 24576, "NTFS").build();
    EXPECT_EQ(Walk().run(justFarEnough).size(), 1u);
}

TEST(PartitionWalk, Fat12IsListedOnlyInsideAnExtendedPartition) {
    auto disk = test::DiskBuilder(200000)
                    .entry(0, 0, 0x01, 2048, 8000).bootSector(2048, "FAT12")
                    .entry(0, 1, 0x0F, 20000, 50000)
                    .entry(20000, 0, 0x01, 100, 8000).bootSector(20100, "FAT12")
                    .build();
    EXPECT_EQ(Walk().run(disk), (std::vector<Row>{{"FAT16", 20100, 28100}}));
}

TEST(PartitionWalk, TypeBytesDecideWhenNoLabelIsFound) {
    auto disk = test::DiskBuilder(300000)
                    .entry(0, 0, 0x0E, 1000, 1000)
                    .entry(0, 1, 0x0B, 3000, 1000)
                    .entry(0, 2, 0x83, 5000, 1000) // a Linux partition: not ours
                    .entry(0, 3, 0x07, 7000, 1000)
                    .build();
    EXPECT_EQ(Walk().run(disk),
              (std::vector<Row>{{"FAT16", 1000, 2000}, {"FAT32", 3000, 4000}, {"NTFS", 7000, 8000}}));
}

TEST(PartitionWalk, AChainOfExtendedRecordsThatLoopsEnds) {
    // The second EBR links back to the first.
    auto disk = test::DiskBuilder(300000)
                    .entry(0, 0, 0x05, 10000, 100000)
                    .entry(10000, 0, 0x06, 10, 100).bootSector(10010, "FAT16")
                    .entry(10000, 1, 0x05, 5000, 1000)
                    .entry(15000, 0, 0x06, 10, 100).bootSector(15010, "FAT16")
                    .entry(15000, 1, 0x05, 0, 1000)
                    .build();
    EXPECT_EQ(Walk().run(disk), (std::vector<Row>{{"FAT16", 10010, 10110}, {"FAT16", 15010, 15110}}));
}

TEST(PartitionWalk, RecordsAtMost26Partitions) {
    test::DiskBuilder builder(400000);
    builder.entry(0, 0, 0x05, 1000, 300000);
    for (std::uint32_t i = 0; i < 30; ++i) {
        std::uint32_t ebr = 1000 + i * 1000;
        builder.entry(ebr, 0, 0x06, 10, 100).bootSector(ebr + 10, "FAT16");
        if (i + 1 < 30)
            builder.entry(ebr, 1, 0x05, (i + 1) * 1000, 1000);
    }
    Walk walk;
    auto rows = walk.run(builder.build());
    EXPECT_EQ(rows.size(), 26u);
    EXPECT_EQ(rows.back().start, 1000u + 25 * 1000 + 10);
    EXPECT_EQ(walk.childLabels().back(), "Partition - 26 ( FAT16 )");
}

TEST(PartitionWalk, GuidEntriesNeedALabelAndStopAtTheFirstUnusedEntry) {
    test::DiskBuilder builder(100000);
    builder.entry(0, 0, 0xEE, 1, 99999).text(1, 0, "EFI PART");
    auto putEntry = [&](int index, const Guid& type, std::uint64_t first, std::uint64_t last) {
        std::uint64_t sector = 2 + static_cast<std::uint64_t>(index) / 4;
        std::size_t at = static_cast<std::size_t>(index % 4) * 128;
        for (std::size_t b = 0; b < 16; ++b)
            builder.byte(sector, at + b, type[b]);
        builder.u64(sector, at + 32, first).u64(sector, at + 40, last);
    };
    const Guid basicData = guidFromText("EBD0A0A2-B9E5-4433-87C0-68B6B72699C7");
    putEntry(0, kMicrosoftReservedGuid, 40, 2047);
    builder.bootSector(40, "FAT32"); // a label inside the reserved partition must not make it listed
    putEntry(1, basicData, 2048, 10239);
    builder.bootSector(2048, "FAT32");
    putEntry(2, basicData, 10240, 20479); // no label: skipped
    putEntry(3, basicData, 20480, 30719);
    builder.bootSector(20480, "NTFS");
    putEntry(4, Guid{}, 0, 0); // end of the used entries
    putEntry(5, basicData, 40000, 50000);
    builder.bootSector(40000, "FAT32");
    EXPECT_EQ(Walk().run(builder.build()), (std::vector<Row>{{"FAT32", 2048, 10239}, {"NTFS", 20480, 30719}}));
}

TEST(PartitionWalk, PartitionsNeverGetPartitionChildren) {
    DriveTree tree;
    NodeId disk = tree.addNode("Removable Media (Disk1 - 1.88 GB)", kImageDisk, kNoNode);
    NodeId partition = AddPartitionNode(&tree, "Partition - 1 ( FAT32 )", disk);
    EXPECT_NE(partition, disk);
    EXPECT_EQ(tree.node(partition).image, kImageVolume);
    EXPECT_TRUE(tree.node(disk).expanded);
    EXPECT_EQ(AddPartitionNode(&tree, "Partition - 2 ( FAT32 )", partition), partition);
    EXPECT_TRUE(tree.node(partition).children.empty());
}

TEST(PartitionWalk, PublicImagesFromOtherSystems) {
    auto fat64 = test::sharedTestdata("dfir_ntfs/fat64.raw.gz");
    auto ntfs = test::sharedTestdata("dfir_ntfs/ntfs_index.raw.gz");
    auto chain = test::sharedTestdata("dfir_ntfs/mbr-512-p1e2.bin.gz");
    if (!fat64 || !ntfs || !chain)
        GTEST_SKIP() << "../shared/testdata is not here";
    // This FAT32 boot sector lacks its "FAT32" label: the type byte 0x0B decides.
    EXPECT_EQ(Walk().run(std::make_shared<FileMedium>(*fat64)), (std::vector<Row>{{"FAT32", 2048, 131072}}));
    EXPECT_EQ(Walk().run(std::make_shared<FileMedium>(*ntfs)), (std::vector<Row>{{"NTFS", 128, 59520}}));
    // Linux partitions only, and a disk too small for the 24576-sector rule: nothing of ours.
    EXPECT_TRUE(Walk().run(std::make_shared<FileMedium>(*chain)).empty());
}

} // namespace
} // namespace salvora
