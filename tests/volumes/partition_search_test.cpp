// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/partition_search.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "support/disk_builder.h"
#include "support/fixtures.h"
#include "support/recording_prompter.h"
#include "support/test_media.h"
#include "volumes/partition_table.h"
#include "volumes/volume_parameters.h"

namespace salvora {
namespace {

constexpr std::uint64_t kCylinder = 255 * 63;

struct Row {
    std::string fileSystem;
    std::uint64_t start;
    std::uint64_t end;
    bool operator==(const Row&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
    return out << row.fileSystem << " " << row.start << "-" << row.end;
}

// The three volumes of the lost card (tests/fixtures/make-lost-partition-fixtures) as their boot sectors
// give them; mkfs.fat rounds a FAT volume down, NTFS leaves its backup boot sector out of its count.
const std::vector<Row> kLostCardVolumes{
    {"FAT32", 63, 63 + 128448}, {"FAT16", 128520, 128520 + 64256}, {"NTFS", 192843, 192843 + 128455}};

// A disk of zero sectors with single sectors laid over it, without holding the disk in memory.
class SparseDisk {
public:
    explicit SparseDisk(std::uint64_t sectors)
        : m_disk(
              std::make_shared<test::PatchedMedium>(std::make_shared<test::RecordingMedium>(sectors * 512))) {
    }
    // Lays the sector that `write` makes as sector 0 of a one-sector disk at sector `at`.
    SparseDisk& sector(std::uint64_t at, const std::function<void(test::DiskBuilder&)>& write) {
        test::DiskBuilder one(1);
        write(one);
        std::vector<std::byte> bytes(512);
        one.build()->open()->readAt(0, bytes);
        m_disk->patch(at * 512, std::move(bytes));
        return *this;
    }
    std::shared_ptr<const Medium> medium() const { return m_disk; }

private:
    std::shared_ptr<test::PatchedMedium> m_disk;
};

// Answers every message and records it.
using test::RecordingPrompter;

// Sets the stop flag once the walk reaches a cylinder, as a Stop press answered Yes would.
class StopAtCylinder final : public ProgressSink {
public:
    StopAtCylinder(StopFlag& stop, std::uint64_t cylinder) : m_stop(stop), m_cylinder(cylinder) {}
    void setRange(std::uint64_t, std::uint64_t) override {}
    void setPosition(std::uint64_t position) override {
        if (position >= m_cylinder)
            m_stop = true;
    }
    void setStatus(const std::string&) override {}

private:
    StopFlag& m_stop;
    std::uint64_t m_cylinder;
};

// One disk in a session of its own: the medium as disk 0, its node in a drive tree, and a search of it.
struct Search {
    VolumeState volumes;
    DeviceNamespace devices;
    DriveTree tree;
    DriveListState driveList;
    PartitionSearchState state;
    NullProgress quiet;
    ProgressSink* progress = &quiet;
    StopFlag stop{false};
    RecordingPrompter prompter;
    NodeId physical = kNoNode;
    NodeId diskNode = kNoNode;
    std::shared_ptr<const Medium> disk;
    std::uint64_t totalSectors = 0;
    SearchGeometry geometry;

    explicit Search(std::shared_ptr<const Medium> medium) : disk(std::move(medium)) {
        devices.setPhysicalDisk(0, disk);
        totalSectors = disk->size().value_or(0) / 512;
        geometry = {static_cast<std::uint32_t>(totalSectors / kCylinder), 255, 63};
        NodeId computer = tree.addNode("My Computer", kImageComputer, kNoNode);
        physical = tree.addNode("Physical Drives", kImageDisk, computer);
        diskNode = tree.addNode("Removable Media (Disk0 - 200.00 MB)", kImageDisk, physical);
    }
    static Search ofFixture(const std::string& name) {
        return Search(std::make_shared<FileMedium>(test::fixturePath("lost/" + name)));
    }
    PartitionSearchContext context() {
        return PartitionSearchContext{volumes,  devices,      tree,  diskNode,  0,
                                      geometry, totalSectors, state, *progress, stop};
    }
    PartitionSearchFinish run(bool automatic = false) {
        PartitionSearchContext c = context();
        return StartPartitionSearch(c, automatic, driveList, SearchMode::Basic, prompter);
    }
    void walkTable() { WalkPartitionTable({volumes, devices, &tree}, 0, totalSectors, diskNode); }
    std::vector<Row> rows() const {
        std::vector<Row> out;
        const PartitionList& list = volumes.partitionLists[0];
        for (int i = 0; i < list.count; ++i) {
            const PartitionRow& row = list.rows[static_cast<std::size_t>(i)];
            EXPECT_EQ(row.index, i);
            out.push_back({row.fileSystem, row.start, row.end});
        }
        return out;
    }
    std::vector<std::string> labels() const {
        std::vector<std::string> out;
        for (NodeId child : tree.node(diskNode).children)
            out.push_back(tree.node(child).label);
        return out;
    }
};

TEST(PartitionSearch, FindsEveryVolumeOfACardWhosePartitionTableWasWiped) {
    Search search = Search::ofFixture("lost-card-wiped.img");
    search.walkTable();
    ASSERT_TRUE(search.rows().empty());

    PartitionSearchFinish finish = search.run();
    EXPECT_EQ(search.rows(), kLostCardVolumes);
    EXPECT_EQ(search.labels(), (std::vector<std::string>{"Partition - 1 ( FAT32 )", "Partition - 2 ( FAT16 )",
                                                         "Partition - 3 ( NTFS )"}));
    for (NodeId child : search.tree.node(search.diskNode).children)
        EXPECT_EQ(search.tree.node(child).textColour, kFoundPartitionColour);
    EXPECT_TRUE(search.tree.node(search.diskNode).expanded);
    EXPECT_EQ(search.state.PartitionsFound, 3);
    EXPECT_FALSE(search.state.SearchInProgress);
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"Found 3 more partitions in selected Disk ( Disk - 0 )"});

    // The window selects the first partition and shows its panel.
    EXPECT_EQ(finish.selectedNode, search.tree.node(search.diskNode).children.front());
    EXPECT_EQ(search.driveList.SelectionKind, "part");
    ASSERT_EQ(finish.panel.size(), 7u);
    EXPECT_EQ(finish.panel[1].value, "1");
    EXPECT_EQ(finish.panel[2].value, "FAT32");
    EXPECT_EQ(finish.panel[4].value, "63");

    // Each find is a volume the parameter computation accepts (fsstat: FAT 0 at +32, FAT 1 at +1020).
    search.volumes.selectedVolume = {physicalDrivePath(0), "FAT32", 63, 63 + 128448};
    ASSERT_TRUE(ComputeVolumeParameters(search.volumes, search.devices));
    EXPECT_EQ(search.volumes.volumeParameters.firstFAT, 63u + 32);
    EXPECT_EQ(search.volumes.volumeParameters.secondFAT, 63u + 1020);
    search.volumes.selectedVolume = {physicalDrivePath(0), "NTFS", 192843, 192843 + 128455};
    EXPECT_TRUE(ComputeVolumeParameters(search.volumes, search.devices));
}

TEST(PartitionSearch, ListsNothingTwice) {
    // A second search of the same disk: every find is already listed.
    Search again = Search::ofFixture("lost-card-wiped.img");
    again.run();
    again.prompter.messages.clear();
    again.run();
    EXPECT_EQ(again.rows(), kLostCardVolumes);
    EXPECT_EQ(again.labels().size(), 3u);
    EXPECT_EQ(again.state.PartitionsFound, 0);
    EXPECT_EQ(again.prompter.messages,
              std::vector<std::string>{"No more partitions found in selected Disk ( Disk - 0 )"});

    // The intact card: the table's partitions are longer than the volumes made in them, and still the
    // same partitions.
    Search intact = Search::ofFixture("lost-card.img");
    intact.walkTable();
    const std::vector<Row> table{
        {"FAT32", 63, 63 + 128456}, {"FAT16", 128520, 128520 + 64260}, {"NTFS", 192843, 192843 + 128456}};
    ASSERT_EQ(intact.rows(), table);
    intact.run();
    EXPECT_EQ(intact.rows(), table);
    EXPECT_EQ(intact.prompter.messages,
              std::vector<std::string>{"No more partitions found in selected Disk ( Disk - 0 )"});
}

TEST(PartitionSearch, NumbersFindsAfterThePartitionsAlreadyListed) {
    // Only the FAT16 partition is in the table; the search adds the other two after it.
    auto card = std::make_shared<test::PatchedMedium>(
        std::make_shared<FileMedium>(test::fixturePath("lost/lost-card.img")));
    card->patch(0x1BE, std::vector<std::byte>(16, std::byte{0}));
    card->patch(0x1BE + 32, std::vector<std::byte>(16, std::byte{0}));
    Search search(card);
    search.walkTable();
    ASSERT_EQ(search.labels(), std::vector<std::string>{"Partition - 1 ( FAT16 )"});
    search.run();
    EXPECT_EQ(search.labels(), (std::vector<std::string>{"Partition - 1 ( FAT16 )", "Partition - 2 ( FAT32 )",
                                                         "Partition - 3 ( NTFS )"}));
    EXPECT_FALSE(search.tree.node(search.tree.node(search.diskNode).children[0]).textColour.has_value());
    EXPECT_EQ(search.state.PartitionsFound, 2);
}

TEST(PartitionSearch, FindsABootSectorAtHeadZeroWhenHeadOneHasNone) {
    Search search(
        SparseDisk(30 * kCylinder)
            .sector(7 * kCylinder, [](test::DiskBuilder& b) { b.bootSector(0, "FAT32").u32(0, 0x20, 20000); })
            .medium());
    search.run();
    EXPECT_EQ(search.rows(), (std::vector<Row>{{"FAT32", 7 * kCylinder, 7 * kCylinder + 20000}}));
}

TEST(PartitionSearch, SearchesAnyGeometryAs255HeadsBy63Sectors) {
    struct Case {
        SearchGeometry reported;
        std::uint64_t totalSectors;
        SearchGeometry searched;
    } cases[] = {
        // 32 sectors per track, 64 heads: the same 7,864,320 sectors make 489 cylinders of 16065.
        {{3840, 64, 32}, 3840ull * 64 * 32, {489, 255, 63}},
        {{1000, 16, 63}, 1000ull * 16 * 63, {1000, 16, 63}},
        // Nonsense geometries never send the walk past the disk.
        {{4000000000u, 0, 63}, 20 * kCylinder, {21, 255, 63}},
        {{4000000000u, 255, 63}, 20 * kCylinder, {21, 255, 63}},
        {{0, 0, 0}, 20 * kCylinder, {21, 255, 63}},
    };
    for (const Case& c : cases) {
        SearchGeometry g = NormaliseSearchGeometry(c.reported, c.totalSectors);
        EXPECT_EQ(g.cylinders, c.searched.cylinders) << c.reported.cylinders;
        EXPECT_EQ(g.heads, c.searched.heads);
        EXPECT_EQ(g.sectorsPerTrack, c.searched.sectorsPerTrack);
    }

    // A disk that reports 32 sectors per track: the boot sector at head 1 of the 255 x 63 cylinder 9 is
    // found, though the reported layout has no track there.
    const std::uint64_t at = 9 * kCylinder + 63;
    Search search(SparseDisk(20 * kCylinder)
                      .sector(at, [](test::DiskBuilder& b) { b.bootSector(0, "NTFS").u64(0, 0x28, 5000); })
                      .medium());
    search.geometry = {static_cast<std::uint32_t>(20 * kCylinder / (64 * 32)), 64, 32};
    search.run();
    EXPECT_EQ(search.rows(), (std::vector<Row>{{"NTFS", at, at + 5000}}));
}

TEST(PartitionSearch, HostileBootSectorsAreReadSafely) {
    struct Case {
        const char* what;
        std::uint32_t size;
        std::optional<std::uint64_t> end;
    } cases[] = {
        {"no sectors at all", 0, std::nullopt},
        {"past the end of the disk", 50000000, 63 + 50000000ull},
        // Sizes are unsigned: 2^31 sectors and more is a large volume, not a negative one.
        {"negative as signed 32-bit", 0xFFFFFFFFu, 63 + 0xFFFFFFFFull},
    };
    EXPECT_FALSE(RecognisePartitionBootSector({}, 63)); // a buffer too short for any field
    for (const Case& c : cases) {
        Search search(
            SparseDisk(4 * kCylinder)
                .sector(63, [&](test::DiskBuilder& b) { b.bootSector(0, "FAT32").u32(0, 0x20, c.size); })
                .medium());
        search.run();
        if (c.end) {
            EXPECT_EQ(search.rows().front(), (Row{"FAT32", 63, *c.end})) << c.what;
        } else {
            // Nothing found: the whole disk is offered instead.
            EXPECT_EQ(search.rows(), (std::vector<Row>{{"FAT32", 0, 4 * kCylinder}})) << c.what;
        }
    }

    // A FAT16 volume too small for the 32-bit size field keeps its size in the 16-bit one.
    Search search(SparseDisk(4 * kCylinder)
                      .sector(63, [](test::DiskBuilder& b) { b.bootSector(0, "FAT16").u16(0, 0x13, 30000); })
                      .medium());
    search.run();
    EXPECT_EQ(search.rows().front(), (Row{"FAT16", 63, 63 + 30000}));
}

TEST(PartitionSearch, OffersTheWholeDiskWhenNothingIsFound) {
    struct Case {
        std::uint64_t sectors;
        std::string fileSystem;
        std::string label;
    } cases[] = {
        {2047, "Unknown", "Unknown Partition"},
        {2048, "FAT32", "Partition - 1 ( FAT32 )"},
        {35ull * 1024 * 2048 - 1, "FAT32", "Partition - 1 ( FAT32 )"},
        {35ull * 1024 * 2048, "NTFS", "Partition - 1 ( NTFS )"},
    };
    for (const Case& c : cases) {
        Search search(std::make_shared<test::RecordingMedium>(c.sectors * 512));
        PartitionSearchFinish finish = search.run();
        EXPECT_EQ(search.rows(), (std::vector<Row>{{c.fileSystem, 0, c.sectors}})) << c.sectors;
        EXPECT_EQ(search.labels(), std::vector<std::string>{c.label});
        EXPECT_FALSE(search.tree.node(finish.selectedNode).textColour.has_value());
        EXPECT_EQ(finish.panel[5].value, std::to_string(c.sectors));
        EXPECT_EQ(search.prompter.messages,
                  std::vector<std::string>{"Found 1 more partitions in selected Disk ( Disk - 0 )"});
    }

    // A disk that cannot be read yields no finds, and is offered whole all the same.
    auto gone = std::make_shared<test::FaultyMedium>(std::make_shared<test::RecordingMedium>(4096 * 512));
    Search unreadable(gone);
    gone->remove();
    unreadable.run();
    EXPECT_EQ(unreadable.rows(), (std::vector<Row>{{"FAT32", 0, 4096}}));
}

TEST(PartitionSearch, StopsBetweenFindsAndKeepsWhatWasFound) {
    Search search = Search::ofFixture("lost-card-wiped.img");
    StopAtCylinder stopper(search.stop, 10);
    search.progress = &stopper;
    search.run();
    // Cylinders 0 and 8 were read before the stop, cylinder 12 was not.
    EXPECT_EQ(search.rows(), (std::vector<Row>{kLostCardVolumes[0], kLostCardVolumes[1]}));
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"Found 2 more partitions in selected Disk ( Disk - 0 )"});
}

TEST(PartitionSearch, ADiskWithAFullListGetsNoMore) {
    Search search = Search::ofFixture("lost-card-wiped.img");
    PartitionList& list = search.volumes.partitionLists[0];
    for (int i = 0; i < kMaxPartitions - 1; ++i) {
        list.rows[static_cast<std::size_t>(i)] = {"FAT32", kNoNode, 1000u + i, 2000u + i, i};
        list.count = i + 1;
    }
    search.run();
    EXPECT_EQ(list.count, kMaxPartitions);
    EXPECT_EQ(search.rows().back(), kLostCardVolumes[0]);

    // A disk node that already has 26 partition nodes ends the walk at once.
    Search crowded = Search::ofFixture("lost-card-wiped.img");
    for (int i = 0; i < kMaxPartitions; ++i)
        crowded.tree.addNode(partitionLabel(i + 1, "FAT32"), kImageVolume, crowded.diskNode);
    crowded.run();
    EXPECT_EQ(crowded.volumes.partitionLists[0].count, 0);
}

TEST(PartitionSearch, AutomaticSearchComputesTheParametersOfItsFirstFind) {
    // Neither NTFS boot sector of a whole-disk selection is valid: the computation starts the search, which
    // makes its first find the selection and computes it.
    auto card = std::make_shared<test::PatchedMedium>(
        std::make_shared<FileMedium>(test::fixturePath("lost/lost-card-wiped.img")));
    card->fillSector(63, std::byte{0}); // the FAT32 boot sector too: the FAT16 one is the first find
    Search search(card);
    search.volumes.selectedVolume = {physicalDrivePath(0), "NTFS", 63, search.totalSectors};
    bool started = false;
    search.volumes.automaticPartitionSearch = [&] {
        started = true;
        search.run(true);
    };
    EXPECT_FALSE(ComputeVolumeParameters(search.volumes, search.devices));
    ASSERT_TRUE(started);
    EXPECT_TRUE(search.state.AutoSearchResult);
    EXPECT_EQ(search.volumes.selectedVolume.fileSystem, "FAT16");
    EXPECT_EQ(search.volumes.selectedVolume.start, 128520u);
    EXPECT_EQ(search.volumes.volumeParameters.firstFAT, 128520u + 4);
    EXPECT_EQ(search.prompter.messages.size(), 1u);
    EXPECT_TRUE(search.volumes.automaticPartitionSearch != nullptr);
}

TEST(PartitionSearch, SearchesThePartitionlessDisksOfAListing) {
    Search search = Search::ofFixture("lost-card-wiped.img");
    search.driveList.PartitionlessDisks.push_back(PartitionlessDisk{
        search.geometry.cylinders, 255, 63, search.diskNode, search.totalSectors, physicalDrivePath(0)});
    AutomaticSearchContext context{search.volumes,   search.devices,  search.tree,
                                   search.driveList, search.state,    SearchMode::Deep,
                                   search.quiet,     search.prompter, search.stop};
    SearchPartitionlessDisks(context);
    EXPECT_EQ(search.rows(), kLostCardVolumes);
    EXPECT_EQ(search.prompter.messages,
              std::vector<std::string>{"Found 3 more partitions in selected Disk ( Disk - 0 )"});
}

} // namespace
} // namespace salvora
