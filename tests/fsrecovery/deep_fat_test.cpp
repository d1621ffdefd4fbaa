// SPDX-License-Identifier: GPL-3.0-or-later
// Deep Search of FAT structures: directories assigned to volumes by their boot sectors and, without one, by
// pairs whose positions agree on a cluster size; cards made by mkfs.fat and mtools scanned whole; damaged
// boot sectors that claim no cluster size or a gigantic FAT never crash the scan or the listing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>

#include "app/session.h"
#include "fsrecovery/deep/deep_fat_rows.h"
#include "fsrecovery/deep/deep_fat_search.h"
#include "fsrecovery/deep/deep_fat_volumes.h"
#include "fsrecovery/deep/deep_search.h"
#include "storage/sector_reader.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

using test::fixturePath;

using deep::directory_row::Cluster0Start;
using deep::directory_row::Volume;

// DirectoryTable rows from (sector, self) pairs, parent 0.
void addDirectories(ScanTables& tables, std::initializer_list<std::pair<std::uint64_t, std::uint64_t>> rows) {
    for (auto [sector, self] : rows)
        tables.DirectoryTable.appendRow(
            {std::to_string(sector), std::to_string(self), "0", "0", "0", "0", "", ""});
}

TEST(DeepFatAssignment, PairOfDirectoriesGivesClusterSizeAndClusterZeroAndOthersJoin) {
    ScanTables tables;
    NullProgress progress;
    // 10064 - 10000 = 8 x (108 - 100): eight sectors per cluster, cluster 0 at 10000 - 8 x 100 = 9200.
    addDirectories(tables, {{10000, 100}, {10064, 108}, {9200 + 8 * 200, 200}, {12345, 7}});
    ASSERT_EQ(deep::AssignDirectories(tables, false, "FAT16", progress), 1u);
    const TextTable& volumes = tables.VolumeParamTable;
    ASSERT_EQ(volumes.rowCount(), 1u);
    EXPECT_EQ(volumes.cell(0, deep::volume_row::Sector), "0");
    EXPECT_EQ(volumes.cell(0, deep::volume_row::SPC), "8");
    EXPECT_EQ(volumes.cell(0, deep::volume_row::Cluster0Start), "9200");
    EXPECT_EQ(volumes.cell(0, deep::volume_row::PartType), "FAT16");
    EXPECT_EQ(volumes.cell(0, deep::volume_row::FirstFat), "");
    for (std::size_t row = 0; row < 3; ++row) {
        EXPECT_EQ(tables.DirectoryTable.cell(row, Volume), "1") << row;
        EXPECT_EQ(tables.DirectoryTable.cell(row, Cluster0Start), "9200") << row;
    }
    // The fourth fits no pair: it belongs to no volume and keeps the last inferred cluster 0.
    EXPECT_EQ(tables.DirectoryTable.cell(3, Volume), "4294967295");
    EXPECT_EQ(tables.DirectoryTable.cell(3, Cluster0Start), "9200");
}

TEST(DeepFatAssignment, PairsThatDisagreeFormNoVolume) {
    struct Case {
        const char* what;
        std::pair<std::uint64_t, std::uint64_t> a, b;
    };
    const Case cases[] = {
        {"sector difference not a multiple of the cluster difference", {10000, 100}, {10065, 108}},
        {"quotient 3", {10000, 100}, {10024, 108}},
        {"quotient above 128", {10000, 100}, {10000 + 256 * 8, 108}},
        {"second self not below the first sector", {100, 10}, {20000, 20000 - 100 + 10}},
        {"cluster numbers in the wrong order", {10064, 108}, {10000, 100}},
    };
    for (const Case& c : cases) {
        ScanTables tables;
        NullProgress progress;
        addDirectories(tables, {c.a, c.b});
        EXPECT_EQ(deep::AssignDirectories(tables, false, "FAT32", progress), 0u) << c.what;
        EXPECT_EQ(tables.DirectoryTable.cell(0, Volume), "4294967295") << c.what;
        EXPECT_EQ(tables.DirectoryTable.cell(1, Volume), "4294967295") << c.what;
        EXPECT_TRUE(tables.VolumeParamTable.empty()) << c.what;
    }
}

TEST(DeepFatAssignment, ClusterNumbersAboveFat16RangeMakeTheInferredVolumeFat32) {
    ScanTables tables;
    NullProgress progress;
    const std::uint64_t c0 = 1000000;
    addDirectories(tables, {{c0 + 4 * 100, 100}, {c0 + 4 * 101, 101}, {c0 + 4 * 70000, 70000}});
    ASSERT_EQ(deep::AssignDirectories(tables, false, "FAT16", progress), 1u);
    EXPECT_EQ(tables.VolumeParamTable.cell(0, deep::volume_row::PartType), "FAT32");
    EXPECT_EQ(tables.DirectoryTable.cell(2, Volume), "1");
}

TEST(DeepFatAssignment, BootSectorClaimsItsDirectoriesBeforeAnyPairing) {
    ScanTables tables;
    NullProgress progress;
    // Two boot sectors (a volume and its backup six sectors later) and a directory of the first.
    tables.VolumeParamTableFound.appendRow(
        {"2048", "1000", "4", "0", "2", "32", "4072", "2080", "3080", "200000", "FAT32"});
    tables.VolumeParamTableFound.appendRow(
        {"2054", "1000", "4", "0", "2", "32", "4078", "2086", "3086", "200006", "FAT32"});
    addDirectories(tables, {{4072 + 4 * 3, 3}, {4072 + 4 * 9, 9}});
    ASSERT_EQ(deep::AssignDirectories(tables, false, "FAT32", progress), 1u);
    EXPECT_EQ(tables.VolumeParamTable.cell(0, deep::volume_row::Sector), "2048");
    EXPECT_EQ(tables.DirectoryTable.cell(1, Volume), "1");
    EXPECT_EQ(tables.DirectoryTable.cell(1, Cluster0Start), "4072");
}

// ---- the recognisers
// ---------------------------------------------------------------------------------------

std::vector<std::byte> sectorOf(const std::string& image, std::uint64_t sector) {
    std::vector<std::byte> bytes(kSectorSize);
    auto open = FileMedium(image).open();
    auto got = open ? open->readAt(sector * kSectorSize, bytes) : std::nullopt;
    EXPECT_TRUE(got && *got == kSectorSize);
    return bytes;
}

TEST(DeepFatRecognisers, BootSectorRowsFromMkfsFat) {
    // FAT32 at sector 2048: 32 reserved sectors, 2 sectors per cluster.
    auto fat32 = sectorOf(fixturePath("deep/two-volumes.img"), 2048);
    auto row = deep::BootSectorRow(fat32, 2048);
    ASSERT_TRUE(row);
    const std::uint64_t spf = deep::cellValue((*row)[deep::volume_row::SPF]);
    EXPECT_EQ((*row)[deep::volume_row::PartType], "FAT32");
    EXPECT_EQ((*row)[deep::volume_row::SPC], "2");
    EXPECT_EQ((*row)[deep::volume_row::RootStart], "2");
    EXPECT_EQ((*row)[deep::volume_row::FirstFat], "2080");
    EXPECT_EQ(deep::cellValue((*row)[deep::volume_row::Cluster0Start]), 2080 + 2 * spf - 4);
    EXPECT_EQ((*row)[deep::volume_row::TotalSectors], std::to_string(2048 + le32(fat32, 0x20)));

    // FAT16 of 16 MiB keeps its sector count in the 16-bit field.
    auto fat16 = sectorOf(fixturePath("deep/fat16-root.img"), 0);
    row = deep::BootSectorRow(fat16, 0);
    ASSERT_TRUE(row);
    EXPECT_EQ((*row)[deep::volume_row::PartType], "FAT16");
    EXPECT_EQ((*row)[deep::volume_row::RootSectors], "32");
    EXPECT_EQ((*row)[deep::volume_row::TotalSectors], "32768");

    // One byte off and it is no boot sector.
    fat16[511] = std::byte{0};
    EXPECT_FALSE(deep::BootSectorRow(fat16, 0));
    EXPECT_FALSE(deep::DirectoryStartRow(fat16, 0));
}

// ---- whole runs
// ----------------------------------------------------------------------------------------------

// Sets the stop flag once the scan reaches a sector, as Stop pressed during the scan would.
class StopAtSector final : public ProgressSink {
public:
    StopAtSector(StopFlag& stop, std::uint64_t sector) : m_stop(stop), m_sector(sector) {}
    void setRange(std::uint64_t, std::uint64_t) override {}
    void setPosition(std::uint64_t position) override {
        if (position >= m_sector)
            m_stop = true;
    }
    void setStatus(const std::string&) override {}

private:
    StopFlag& m_stop;
    std::uint64_t m_sector;
};

class DeepFatRun {
public:
    explicit DeepFatRun(std::shared_ptr<const Medium> medium) {
        m_session.devices.setPhysicalDisk(0, std::move(medium));
        m_session.CurrentDevicePath = physicalDrivePath(0);
    }

    DeepSearchOutcome run(const std::string& fileSystem, std::uint64_t first, std::uint64_t end,
                          std::uint64_t stopAt = UINT64_MAX) {
        m_progress = std::make_unique<StopAtSector>(m_stop, stopAt);
        m_context = std::make_unique<DeepSearchContext>(DeepSearchContext{
            m_session.devices, m_session.CurrentDevicePath, fileSystem, first, end, 0, m_session.volumes,
            m_session.tables, m_session.folders, m_session.deep, *m_progress, m_prompter, m_stop});
        DeepSearchOutcome outcome = RunDeepSearch(*m_context);
        m_walker = DeepSearchFolderWalker(*m_context);
        return outcome;
    }

    // Every file of every folder by folder path ("" for Root), in listing order.
    std::vector<std::string> listing() {
        std::vector<std::string> names;
        FolderModel& model = m_session.folders;
        std::vector<TreeItem> items{model.tree.root()};
        for (const FolderNode& node : model.FolderList)
            items.push_back(node.treeItem);
        for (TreeItem item : items) {
            FileList list;
            PopulateList(model, item, m_walker.get(), list);
            for (const FileListRow& row : list.rows)
                if (!row.folder)
                    names.push_back(model.tree.text(item) + "/" + row.cells[file_list::Name]);
        }
        return names;
    }

    std::vector<std::string> rootChildren() const {
        std::vector<std::string> names;
        const FolderTree& tree = m_session.folders.tree;
        for (TreeItem child : tree.children(tree.root()))
            names.push_back(tree.text(child));
        return names;
    }

    Session& session() { return m_session; }
    FolderFileWalker* walker() { return m_walker.get(); }

private:
    Session m_session;
    std::unique_ptr<StopAtSector> m_progress;
    NullPrompter m_prompter;
    StopFlag m_stop{false};
    std::unique_ptr<DeepSearchContext> m_context;
    std::unique_ptr<FolderFileWalker> m_walker;
};

std::shared_ptr<const Medium> imageFile(const std::string& name) {
    return std::make_shared<FileMedium>(fixturePath("deep/" + name));
}

std::uint64_t sectorsOf(const std::string& name) {
    return std::filesystem::file_size(fixturePath("deep/" + name)) / kSectorSize;
}

TEST(DeepFatSearch, TwoVolumesShareOneTreeAndRootListsTheFirstVolumeFirst) {
    DeepFatRun run(imageFile("two-volumes.img"));
    DeepSearchOutcome outcome = run.run("FAT32", 0, sectorsOf("two-volumes.img"));
    EXPECT_FALSE(outcome.nothingFound);
    EXPECT_EQ(run.session().deep.VolumeCount, 2u);
    EXPECT_EQ(run.rootChildren(), (std::vector<std::string>{"First", "KLX_Miscellaneous", "Second"}));
    EXPECT_TRUE(run.session().tables.DirectoryTable.empty());
    // The run ends with the first volume current.
    EXPECT_EQ(run.session().deep.currentVolume, 1u);
    const std::vector<std::string> files = run.listing();
    auto position = [&](const std::string& name) {
        return std::find(files.begin(), files.end(), name) - files.begin();
    };
    ASSERT_LT(position("Root/FIRST.TXT"), static_cast<std::ptrdiff_t>(files.size()));
    ASSERT_LT(position("Root/SECOND.TXT"), static_cast<std::ptrdiff_t>(files.size()));
    EXPECT_LT(position("Root/FIRST.TXT"), position("Root/SECOND.TXT"));
    // The folders of both volumes have the same cluster numbers; each lists its own volume's files.
    EXPECT_EQ(std::count(files.begin(), files.end(), "Work/REPORT.TXT"), 2);
    EXPECT_EQ(std::count(files.begin(), files.end(), "Beach/waves with a long name.txt"), 2);
}

TEST(DeepFatSearch, StopKeepsWhatTheScanFoundAndLeavesTheComputedParameters) {
    DeepFatRun run(imageFile("two-volumes.img"));
    VolumeParameters computed;
    computed.SPC = 64;
    computed.Cluster0Start = 12345;
    run.session().volumes.computedParameters = computed;
    // Stop once the first volume's directories were read, long before the second volume begins.
    DeepSearchOutcome outcome = run.run("FAT32", 0, sectorsOf("two-volumes.img"), 100000);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_FALSE(outcome.nothingFound);
    EXPECT_EQ(run.session().deep.VolumeCount, 1u);
    EXPECT_EQ(run.rootChildren(), (std::vector<std::string>{"First", "KLX_Miscellaneous"}));
    EXPECT_EQ(run.session().volumes.computedParameters.Cluster0Start, 12345u);
    EXPECT_NE(run.session().volumes.volumeParameters.Cluster0Start, 12345u); // the first volume is current
}

TEST(DeepFatSearch, BootSectorWithoutDirectoriesListsTheRootFiles) {
    DeepFatRun run(imageFile("fat16-root.img"));
    DeepSearchOutcome outcome = run.run("FAT16", 0, sectorsOf("fat16-root.img"));
    EXPECT_FALSE(outcome.nothingFound);
    EXPECT_TRUE(run.session().deep.singleVolume);
    EXPECT_EQ(run.rootChildren(), (std::vector<std::string>{"KLX_Miscellaneous"}));
    EXPECT_EQ(run.listing(), (std::vector<std::string>{"Root/ALPHA.TXT", "Root/Beta with a long name.dat",
                                                       "Root/GAMMA.BIN"}));
}

TEST(DeepFatSearch, RangeWithoutStructuresFindsNothing) {
    DeepFatRun run(imageFile("wiped-table.img"));
    // The first sectors of the card hold neither a boot sector nor a directory.
    DeepSearchOutcome outcome = run.run("FAT32", 0, 1024);
    EXPECT_TRUE(outcome.nothingFound);
    EXPECT_EQ(run.session().folders.tree.itemCount(), 1u);
    EXPECT_EQ(run.walker(), nullptr);
}

// ---- damaged boot sectors ------------------------------------------------------------------------------

// A boot sector with the FAT32 label whose fields are set by the caller, and a directory start after it.
std::vector<std::byte> hostileCard(std::uint8_t spc, std::uint32_t sectorsPerFat, std::uint32_t rootCluster) {
    std::vector<std::byte> card(4096 * kSectorSize);
    auto put = [&](std::size_t offset, std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            card[offset + static_cast<std::size_t>(i)] = static_cast<std::byte>((value >> (8 * i)) & 0xFF);
    };
    put(0x0D, spc, 1);
    put(0x0E, 1, 2);
    put(0x20, 0xFFFFFFFF, 4);
    put(0x24, sectorsPerFat, 4);
    put(0x2C, rootCluster, 4);
    std::memcpy(card.data() + 0x52, "FAT32   ", 8);
    put(510, 0xAA55, 2);
    // Directory starts naming cluster 5 and 0x0FFFFFFF, and a sector of FAT-looking bytes.
    for (std::size_t sector : {100u, 200u}) {
        std::memcpy(card.data() + sector * kSectorSize, ".          \x10", 12);
        std::memcpy(card.data() + sector * kSectorSize + 32, "..         \x10", 12);
        put(sector * kSectorSize + 26, sector == 100 ? 5 : 0xFFFF, 2);
        put(sector * kSectorSize + 20, sector == 100 ? 0 : 0x0FFF, 2);
    }
    put(300 * kSectorSize, 0xFFFFF8, 3);
    return card;
}

TEST(DeepFatSearch, DamagedBootSectorsNeitherCrashNorHang) {
    struct Case {
        const char* what;
        std::uint8_t spc;
        std::uint32_t spf;
        std::uint32_t rootCluster;
    };
    const Case cases[] = {
        {"no sectors per cluster", 0, 8, 2},
        {"a gigantic FAT", 8, 0xFFFFFFFF, 2},
        {"the root at the last cluster", 128, 1, 0x0FFFFFFF},
        {"everything at its largest", 255, 0xFFFFFFFF, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        for (const char* fileSystem : {"FAT16", "FAT32"}) {
            DeepFatRun run(std::make_shared<MemoryMedium>(hostileCard(c.spc, c.spf, c.rootCluster)));
            run.run(fileSystem, 0, 4096);
            (void)run.listing();
            SCOPED_TRACE(c.what);
            EXPECT_FALSE(run.session().folders.tree.empty());
        }
    }
}

} // namespace
} // namespace salvora
