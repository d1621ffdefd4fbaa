// SPDX-License-Identifier: GPL-3.0-or-later
// Deep Search of NTFS file records: a card whose boot sector and backup boot sector are both zeroed gives
// back its folders and files from the records alone, and they save byte for byte; records laid out by hand
// show the duplicate rule, the file flags, late parents and orphans; damaged records never crash the scan.
#include "fsrecovery/deep/deep_ntfs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "app/session.h"
#include "base/bytes.h"
#include "fsrecovery/ntfs/ntfs_item_table.h"
#include "save/save_run.h"
#include "storage/sector_reader.h"
#include "support/fixtures.h"
#include "support/test_media.h"

namespace salvora {
namespace fs = std::filesystem;
namespace {

class OverwriteAll final : public ConflictPrompter {
public:
    ReplaceAnswer askReplace(const std::string& existing, const std::string&) override {
        return {ConflictAnswer::OverwriteAll, existing, false};
    }
};

class RecordingProgress final : public ProgressSink {
public:
    void setRange(std::uint64_t first, std::uint64_t last) override { ranges.emplace_back(first, last); }
    void setPosition(std::uint64_t position) override { positions.push_back(position); }
    void setStatus(const std::string& text) override { statuses.push_back(text); }
    std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
    std::vector<std::uint64_t> positions;
    std::vector<std::string> statuses;
};

// A Deep NTFS run over a medium attached as disk 0.
class DeepNtfsRun {
public:
    explicit DeepNtfsRun(std::shared_ptr<const Medium> medium) {
        m_session.devices.setPhysicalDisk(0, std::move(medium));
        m_session.CurrentDevicePath = physicalDrivePath(0);
    }

    DeepSearchOutcome run(std::uint64_t first, std::uint64_t end, std::uint64_t volumeStart,
                          bool stopAtOnce = false) {
        m_stop = stopAtOnce;
        m_context = std::make_unique<DeepSearchContext>(
            DeepSearchContext{m_session.devices, m_session.CurrentDevicePath, "NTFS", first, end, volumeStart,
                              m_session.volumes, m_session.tables, m_session.folders, m_session.deep,
                              progress, m_prompter, m_stop});
        DeepSearchOutcome outcome = RunDeepNtfsSearch(*m_context);
        m_walker = DeepNtfsFolderWalker(*m_context);
        return outcome;
    }

    // Folder paths from Root ("Docs/Letters"), with their nodes.
    std::map<std::string, FolderNode> folders() const {
        std::map<std::string, FolderNode> result;
        for (const FolderNode& node : m_session.folders.FolderList)
            result[pathOf(node.treeItem)] = node;
        return result;
    }

    // Every file of every folder, Root included, by path, with the list row.
    std::map<std::string, FileListRow> files() {
        std::map<std::string, FileListRow> result;
        FolderModel& model = m_session.folders;
        std::vector<TreeItem> items{model.tree.root()};
        for (const FolderNode& node : model.FolderList)
            items.push_back(node.treeItem);
        for (const TreeItem item : items) {
            FileList list;
            PopulateList(model, item, m_walker.get(), list);
            const std::string folder = pathOf(item);
            for (const FileListRow& row : list.rows)
                if (!row.folder)
                    result[folder.empty() ? row.cells[file_list::Name]
                                          : folder + "/" + row.cells[file_list::Name]] = row;
        }
        return result;
    }

    SaveRunReport saveEverything(const std::string& destination) {
        FolderTree& tree = m_session.folders.tree;
        tree.toggleCheck(tree.root());
        SaveContext save{m_session.devices,
                         m_session.CurrentDevicePath,
                         "NTFS",
                         m_session.volumes.volumeParameters,
                         m_saveState,
                         m_saveProgress,
                         m_conflicts,
                         m_prompter};
        SaveRunContext run{m_session.folders, *m_walker, save};
        return RunTreeSave(run, destination);
    }

    Session& session() { return m_session; }
    FolderFileWalker* walker() { return m_walker.get(); }
    RecordingProgress progress;

private:
    std::string pathOf(TreeItem item) const {
        const FolderTree& tree = m_session.folders.tree;
        std::string path;
        for (TreeItem at = item; tree.valid(at) && at != tree.root(); at = tree.parent(at))
            path = path.empty() ? tree.text(at) : tree.text(at) + "/" + path;
        return path;
    }

    Session m_session;
    NullPrompter m_prompter;
    StopFlag m_stop{false};
    std::unique_ptr<DeepSearchContext> m_context;
    std::unique_ptr<FolderFileWalker> m_walker;
    SaveState m_saveState;
    NullSaveProgress m_saveProgress;
    OverwriteAll m_conflicts;
};

// ---- the damaged card ------------------------------------------------------------------------------------

struct CardLayout {
    std::uint64_t start = 0;
    std::uint64_t sectors = 0;
};

std::optional<CardLayout> cardLayout() {
    std::ifstream in(test::fixturePath("deep-ntfs/card.layout"));
    CardLayout layout;
    if (!(in >> layout.start >> layout.sectors))
        return std::nullopt;
    return layout;
}

std::shared_ptr<FileMedium> cardImage() {
    return std::make_shared<FileMedium>(test::fixturePath("deep-ntfs/card.img"));
}

std::uint64_t sectorsOf(const Medium& medium) {
    return medium.size().value_or(0) / kSectorSize;
}

TEST(DeepNtfsCard, BothBootSectorsAreGone) {
    const std::optional<CardLayout> layout = cardLayout();
    if (!layout) {
        GTEST_SKIP() << "card.img needs FUSE to be built";
    }
    auto image = cardImage();
    std::vector<std::byte> sector(kSectorSize);
    for (const std::uint64_t at : {layout->start, layout->start + layout->sectors - 1}) {
        DeviceNamespace devices;
        devices.setPhysicalDisk(0, image);
        ASSERT_NE(ReadSectors(devices, physicalDrivePath(0), at, 1, sector.data()), 0);
        EXPECT_EQ(std::count(sector.begin(), sector.end(), std::byte{0}), 512) << at;
    }
}

TEST(DeepNtfsCard, RebuildsFoldersAndFilesFromTheRecordsAlone) {
    const std::optional<CardLayout> layout = cardLayout();
    if (!layout) {
        GTEST_SKIP() << "card.img needs FUSE to be built";
    }
    auto image = cardImage();
    DeepNtfsRun deep(image);
    const DeepSearchOutcome outcome = deep.run(0, sectorsOf(*image), layout->start);
    EXPECT_FALSE(outcome.stopped);
    EXPECT_FALSE(outcome.nothingFound);

    const auto folders = deep.folders();
    for (const char* path : {"DCIM", "DCIM/100CARD", "Docs", "Docs/Letters", "Docs/Letters/2024", "$Extend",
                             "KLX_Miscellaneous"}) {
        ASSERT_TRUE(folders.count(path)) << path;
        EXPECT_FALSE(folders.at(path).deleted) << path;
    }
    for (const char* path : {"Trash", "Trash/Inner"}) {
        ASSERT_TRUE(folders.count(path)) << path;
        EXPECT_TRUE(folders.at(path).deleted) << path;
    }
    EXPECT_EQ(folders.at("DCIM/100CARD").parent, folders.at("DCIM").self);
    // The records' own numbers link the folders: nothing was left for KLX_Miscellaneous.
    for (const auto& [path, node] : folders)
        EXPECT_NE(path.rfind("KLX_Miscellaneous/", 0), 0u) << path;

    auto files = deep.files();
    const fs::path source = test::fixturePath("deep-ntfs/files/card");
    for (const auto& entry : fs::recursive_directory_iterator(source)) {
        if (!entry.is_regular_file())
            continue;
        const std::string path = fs::relative(entry.path(), source).string();
        ASSERT_TRUE(files.count(path)) << path;
        EXPECT_EQ(files[path].cells[file_list::Size], std::to_string(entry.file_size())) << path;
    }
    ASSERT_TRUE(files.count("Trash/Inner/thrown.bin"));
    // The volume's own records list under Root; the $MFT and its mirror's copy of it both show.
    EXPECT_TRUE(files.count("$MFT"));
    EXPECT_TRUE(files.count("$LogFile"));
}

TEST(DeepNtfsCard, SavesEveryFileByteForByteAndLeavesTheImageAsItWas) {
    const std::optional<CardLayout> layout = cardLayout();
    if (!layout) {
        GTEST_SKIP() << "card.img needs FUSE to be built";
    }
    const std::string imagePath = test::fixturePath("deep-ntfs/card.img");
    const std::string before = test::sha256OfFile(imagePath);
    auto image = cardImage();
    DeepNtfsRun deep(image);
    deep.run(0, sectorsOf(*image), layout->start);
    const std::string out = test::makeTempDir();
    const SaveRunReport report = deep.saveEverything(out);
    EXPECT_FALSE(report.stopped);

    std::size_t compared = 0;
    for (const char* set : {"card", "card-deleted"}) {
        const fs::path source = test::fixturePath(std::string("deep-ntfs/files/") + set);
        for (const auto& entry : fs::recursive_directory_iterator(source)) {
            if (!entry.is_regular_file())
                continue;
            std::string relative = fs::relative(entry.path(), source).string();
            if (std::string(set) == "card-deleted")
                relative = "Trash/Inner/" + relative;
            const fs::path saved = fs::path(out) / relative;
            ASSERT_TRUE(fs::exists(saved)) << relative;
            EXPECT_EQ(test::sha256OfFile(saved.string()), test::sha256OfFile(entry.path().string()))
                << relative;
            ++compared;
        }
    }
    EXPECT_EQ(compared, 6u);
    EXPECT_EQ(test::sha256OfFile(imagePath), before);
}

TEST(DeepNtfsCard, ProgressRunsOverTheRangeInStepsOfAThousandTwentyFourSectors) {
    const std::optional<CardLayout> layout = cardLayout();
    if (!layout) {
        GTEST_SKIP() << "card.img needs FUSE to be built";
    }
    DeepNtfsRun deep(cardImage());
    const std::uint64_t first = 100;
    const std::uint64_t end = first + 5 * 1024 + 7;
    deep.run(first, end, layout->start);
    ASSERT_FALSE(deep.progress.ranges.empty());
    EXPECT_EQ(deep.progress.ranges.front(), std::make_pair(first, end));
    ASSERT_FALSE(deep.progress.statuses.empty());
    EXPECT_EQ(deep.progress.statuses.front(), "sectors scanned of total " + std::to_string(end));
    std::vector<std::uint64_t> chunkStarts;
    for (const std::uint64_t position : deep.progress.positions)
        if (position > first && position < end)
            chunkStarts.push_back(position);
    EXPECT_EQ(chunkStarts, (std::vector<std::uint64_t>{1124, 2148, 3172, 4196, 5220}));
    EXPECT_EQ(deep.progress.positions.back(), end);
}

TEST(DeepNtfsCard, AStopBeforeTheFirstChunkFindsNothing) {
    const std::optional<CardLayout> layout = cardLayout();
    if (!layout) {
        GTEST_SKIP() << "card.img needs FUSE to be built";
    }
    auto image = cardImage();
    DeepNtfsRun deep(image);
    const DeepSearchOutcome outcome = deep.run(0, sectorsOf(*image), layout->start, true);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(outcome.nothingFound);
    EXPECT_TRUE(deep.session().folders.FolderList.empty());
    EXPECT_EQ(deep.session().folders.tree.itemCount(), 1u);
}

TEST(DeepNtfsCard, FoldersWhoseParentRecordLiesBeforeTheRangeEndUnderMiscellaneous) {
    const std::optional<CardLayout> layout = cardLayout();
    if (!layout) {
        GTEST_SKIP() << "card.img needs FUSE to be built";
    }
    auto image = cardImage();
    // Start the range just past the record of DCIM (the first folder record after $Extend's children): its
    // child 100CARD has no parent to go to.
    std::uint64_t dcimSector = 0;
    for (std::uint64_t sector = layout->start; sector < layout->start + 4096 && dcimSector == 0;
         sector += 2) {
        std::vector<std::byte> record(1024);
        DeviceNamespace devices;
        devices.setPhysicalDisk(0, image);
        ReadSectors(devices, physicalDrivePath(0), sector, 2, record.data());
        const DeepMftRecord parsed = parseDeepMftRecord(record);
        if (parsed.kind == DeepMftRecord::Kind::Folder && parsed.name == "DCIM")
            dcimSector = sector;
    }
    ASSERT_NE(dcimSector, 0u);

    DeepNtfsRun deep(image);
    deep.run(dcimSector + 2, sectorsOf(*image), layout->start);
    const auto folders = deep.folders();
    EXPECT_FALSE(folders.count("DCIM"));
    ASSERT_TRUE(folders.count("KLX_Miscellaneous/100CARD"));
    EXPECT_TRUE(folders.count("Docs/Letters/2024"));
    auto files = deep.files();
    EXPECT_TRUE(files.count("KLX_Miscellaneous/100CARD/IMG_0001.JPG"));
    EXPECT_TRUE(files.count("Docs/notes.txt"));
}

// ---- records laid out by hand ----------------------------------------------------------------------------

void put16(std::vector<std::byte>& bytes, std::size_t offset, std::uint16_t value) {
    bytes[offset] = std::byte(value & 0xFF);
    bytes[offset + 1] = std::byte(value >> 8);
}
void put32(std::vector<std::byte>& bytes, std::size_t offset, std::uint32_t value) {
    put16(bytes, offset, static_cast<std::uint16_t>(value));
    put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}
void put64(std::vector<std::byte>& bytes, std::size_t offset, std::uint64_t value) {
    put32(bytes, offset, static_cast<std::uint32_t>(value));
    put32(bytes, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

struct RecordSpec {
    RecordSpec(std::uint32_t number, std::uint16_t flags, std::uint32_t parent, std::string name,
               std::uint64_t created = 0x01D9000000000000ull, std::string data = {})
        : number(number), flags(flags), parent(parent), name(std::move(name)), created(created),
          data(std::move(data)) {}
    std::uint32_t number;
    std::uint16_t flags;
    std::uint32_t parent;
    std::string name; // ASCII; empty: no $FILE_NAME
    std::uint64_t created;
    std::string data; // resident unnamed $DATA; empty: none
};

// A 1024-byte record as a volume stores it: the last two bytes of each sector hold the check value, the
// originals wait in the update sequence array.
//   0x00 "FILE", 0x04 u16 array offset 0x30, 0x06 u16 3 entries, 0x14 u16 first attribute 0x38,
//   0x16 u16 flags, 0x1C u16 allocated size 1024, 0x2C u32 record number
std::vector<std::byte> makeRecord(const RecordSpec& spec) {
    std::vector<std::byte> record(1024);
    const char* signature = "FILE";
    for (int i = 0; i < 4; ++i)
        record[i] = std::byte(signature[i]);
    put16(record, 0x04, 0x30);
    put16(record, 0x06, 3);
    put16(record, 0x14, 0x38);
    put16(record, 0x16, spec.flags);
    put16(record, 0x18, 0x200);
    put16(record, 0x1C, 1024);
    put32(record, 0x2C, spec.number);
    std::size_t at = 0x38;
    if (!spec.name.empty()) {
        const std::size_t valueLength = 66 + 2 * spec.name.size();
        const std::size_t length = (24 + valueLength + 7) / 8 * 8;
        put32(record, at, 0x30);
        put32(record, at + 4, static_cast<std::uint32_t>(length));
        put32(record, at + 16, static_cast<std::uint32_t>(valueLength));
        put16(record, at + 20, 24);
        const std::size_t value = at + 24;
        put64(record, value, spec.parent | (std::uint64_t{1} << 48));
        put64(record, value + 8, spec.created);
        record[value + 64] = std::byte(spec.name.size());
        record[value + 65] = std::byte{1};
        for (std::size_t i = 0; i < spec.name.size(); ++i)
            record[value + 66 + 2 * i] = std::byte(spec.name[i]);
        at += length;
    }
    if (!spec.data.empty()) {
        const std::size_t length = (24 + spec.data.size() + 7) / 8 * 8;
        put32(record, at, 0x80);
        put32(record, at + 4, static_cast<std::uint32_t>(length));
        put32(record, at + 16, static_cast<std::uint32_t>(spec.data.size()));
        put16(record, at + 20, 24);
        for (std::size_t i = 0; i < spec.data.size(); ++i)
            record[at + 24 + i] = std::byte(spec.data[i]);
        at += length;
    }
    put32(record, at, 0xFFFFFFFF);
    // Update sequence: check value 0x0A0B, the sector ends kept in the array.
    put16(record, 0x30, 0x0A0B);
    for (std::size_t sector = 0; sector < 2; ++sector) {
        const std::size_t end = 512 * (sector + 1) - 2;
        record[0x32 + 2 * sector] = record[end];
        record[0x33 + 2 * sector] = record[end + 1];
        put16(record, end, 0x0A0B);
    }
    return record;
}

// A medium of sectorCount zero sectors with records placed at the given sectors.
std::shared_ptr<MemoryMedium> mediumWith(std::uint64_t sectorCount,
                                         const std::vector<std::pair<std::uint64_t, RecordSpec>>& records) {
    std::vector<std::byte> bytes(sectorCount * kSectorSize);
    for (const auto& [sector, spec] : records) {
        const std::vector<std::byte> record = makeRecord(spec);
        std::copy(record.begin(), record.end(),
                  bytes.begin() + static_cast<std::ptrdiff_t>(sector * kSectorSize));
    }
    return std::make_shared<MemoryMedium>(std::move(bytes));
}

constexpr std::uint16_t kDirectoryInUse = 3;
constexpr std::uint16_t kDirectoryDeleted = 2;

TEST(DeepNtfsRecords, TheSameDirectoryMetTwiceGivesOneNode) {
    // Under the root, and under another folder whose node is not the last inserted one.
    DeepNtfsRun deep(mediumWith(64, {{2, {40, kDirectoryInUse, 5, "Photos"}},
                                     {4, {41, kDirectoryInUse, 40, "Summer"}},
                                     {6, {42, kDirectoryInUse, 5, "Other"}},
                                     {10, {41, kDirectoryInUse, 40, "Summer"}},
                                     {12, {40, kDirectoryInUse, 5, "Photos"}}}));
    deep.run(0, 64, 0);
    const auto folders = deep.folders();
    EXPECT_EQ(folders.size(), 4u); // KLX_Miscellaneous, Photos, Summer, Other
    EXPECT_TRUE(folders.count("Photos/Summer"));
    EXPECT_EQ(deep.session().folders.tree.itemCount(), 5u);
}

TEST(DeepNtfsRecords, FileRecordsOfEveryFlagsValueAreIndexedWithNameAndParent) {
    DeepNtfsRun deep(mediumWith(64, {{2, {40, kDirectoryInUse, 5, "Docs"}},
                                     {4, {50, 1, 40, "live.txt", 0x01D0000000000001ull, "live"}},
                                     {8, {51, 0, 40, "gone.txt", 0x01D0000000000002ull, "gone!"}},
                                     {12, {52, 0x0D, 5, "odd.bin", 7, "x"}}}));
    deep.run(0, 64, 0);
    const TextTable& items = deep.session().tables.NtfsItemTable;
    ASSERT_EQ(items.rowCount(), 3u);
    EXPECT_EQ(items.cell(0, ntfs_item::Key), "40|4|");
    EXPECT_EQ(items.cell(1, ntfs_item::Key), "40|8|");
    EXPECT_EQ(items.cell(2, ntfs_item::Key), "5|12|");
    EXPECT_EQ(items.cell(1, ntfs_item::Name), "gone.txt");
    EXPECT_EQ(items.cell(1, ntfs_item::Type), "40");
    EXPECT_EQ(items.cell(1, ntfs_item::Date), std::to_string(0x01D0000000000002ull));
    auto files = deep.files();
    ASSERT_TRUE(files.count("Docs/live.txt"));
    ASSERT_TRUE(files.count("Docs/gone.txt"));
    EXPECT_EQ(files["Docs/gone.txt"].cells[file_list::Size], "5");
    EXPECT_EQ(files["Docs/gone.txt"].cells[file_list::Debug1], "8");
    EXPECT_TRUE(files.count("odd.bin"));
}

TEST(DeepNtfsRecords, AChildMetBeforeItsParentIsPlacedUnderItAndKeepsItsDeletedMark) {
    DeepNtfsRun deep(mediumWith(64, {{2, {41, kDirectoryDeleted, 40, "Old"}},
                                     {4, {42, kDirectoryInUse, 41, "Inner"}},
                                     {20, {40, kDirectoryInUse, 5, "Top"}}}));
    deep.run(0, 64, 0);
    const auto folders = deep.folders();
    ASSERT_TRUE(folders.count("Top/Old"));
    EXPECT_TRUE(folders.at("Top/Old").deleted);
    EXPECT_TRUE(folders.count("Top/Old/Inner"));
    EXPECT_TRUE(deep.session().tables.FoundFolderTable.empty());
}

TEST(DeepNtfsRecords, FoldersWithoutTheirParentRecordEndUnderMiscellaneous) {
    DeepNtfsRun deep(mediumWith(64, {{2, {41, kDirectoryInUse, 900, "Lost"}},
                                     {4, {42, kDirectoryInUse, 41, "Below"}},
                                     {6, {43, kDirectoryInUse, 5, "Kept"}},
                                     // a parent that is a file, not a folder
                                     {8, {60, 1, 5, "file.txt"}},
                                     {10, {44, kDirectoryInUse, 60, "UnderAFile"}}}));
    const DeepSearchOutcome outcome = deep.run(0, 64, 0);
    EXPECT_FALSE(outcome.nothingFound);
    const auto folders = deep.folders();
    EXPECT_TRUE(folders.count("KLX_Miscellaneous/Lost"));
    EXPECT_TRUE(folders.count("KLX_Miscellaneous/Lost/Below"));
    EXPECT_TRUE(folders.count("KLX_Miscellaneous/UnderAFile"));
    EXPECT_TRUE(folders.count("Kept"));
}

TEST(DeepNtfsRecords, WhichSectorsAreTakenForRecords) {
    std::vector<std::pair<std::uint64_t, RecordSpec>> records{
        {2, {40, kDirectoryInUse, 5, "Plain"}},
        // the last sector of the first chunk: the record's second half lies in the next chunk
        {1023, {41, kDirectoryInUse, 5, "Straddling"}},
        {1100, {42, kDirectoryInUse, 5, "Root", 0}},
        {1104, {43, kDirectoryInUse, 5, ""}},  // no $FILE_NAME: no folder
        {1108, {44, kDirectoryInUse, 5, "."}}, // the root directory itself
        {1112, {45, kDirectoryInUse, 5, "  Padded  "}},
        {1116, {46, kDirectoryInUse, 5, "SmallRecord"}},
    };
    auto medium = mediumWith(2100, records);
    // An allocated size other than 1024 is not a record this scan takes.
    auto patched = std::make_shared<test::PatchedMedium>(medium);
    patched->patch(1116 * kSectorSize + 0x1C, {std::byte{0x00}, std::byte{0x08}});
    DeepNtfsRun deep(patched);
    deep.run(0, 2100, 0);
    const auto folders = deep.folders();
    EXPECT_TRUE(folders.count("Plain"));
    EXPECT_TRUE(folders.count("Straddling"));
    EXPECT_TRUE(folders.count("Root"));
    EXPECT_TRUE(folders.count("Padded"));
    EXPECT_FALSE(folders.count("SmallRecord"));
    EXPECT_FALSE(folders.count("."));
    EXPECT_EQ(folders.size(), 5u); // with KLX_Miscellaneous
}

TEST(DeepNtfsRecords, AnUnreadableChunkIsSkippedAndTheScanGoesOn) {
    auto medium = mediumWith(3072, {{2, {40, kDirectoryInUse, 5, "First"}},
                                    {1030, {41, kDirectoryInUse, 5, "Unreadable"}},
                                    {2050, {42, kDirectoryInUse, 5, "Third"}}});
    auto faulty = std::make_shared<test::FaultyMedium>(medium);
    faulty->failBytes(1030 * kSectorSize, 1031 * kSectorSize);
    DeepNtfsRun deep(faulty);
    deep.run(0, 3072, 0);
    const auto folders = deep.folders();
    EXPECT_TRUE(folders.count("First"));
    EXPECT_FALSE(folders.count("Unreadable"));
    EXPECT_TRUE(folders.count("Third"));
}

TEST(DeepNtfsRecords, ADeviceThatCannotBeOpenedEndsTheScanWithNothingFound) {
    auto faulty = std::make_shared<test::FaultyMedium>(mediumWith(64, {{2, {40, kDirectoryInUse, 5, "A"}}}));
    faulty->remove();
    DeepNtfsRun deep(faulty);
    const DeepSearchOutcome outcome = deep.run(0, 64, 0);
    EXPECT_TRUE(outcome.nothingFound);
    EXPECT_EQ(deep.session().folders.tree.itemCount(), 1u);
}

TEST(DeepNtfsRecords, WorkingParametersPlaceClusterZeroAtTheVolumeStart) {
    DeepNtfsRun deep(mediumWith(64, {}));
    deep.session().volumes.volumeParameters.SPF = 77;
    deep.run(0, 64, 2048);
    const VolumeParameters& working = deep.session().volumes.volumeParameters;
    EXPECT_EQ(working.Cluster0Start, 2048u);
    EXPECT_EQ(working.SPC, 8u);
    EXPECT_EQ(working.SPF, 77u);
    EXPECT_EQ(deep.session().volumes.partType, "NTFS");
}

// ---- damaged records -------------------------------------------------------------------------------------

struct Damage {
    const char* what;
    std::size_t offset;
    std::vector<std::byte> bytes;
};

TEST(DeepNtfsRecords, DamagedRecordsNeverReadOutsideThemselves) {
    auto b = [](std::initializer_list<int> values) {
        std::vector<std::byte> bytes;
        for (int v : values)
            bytes.push_back(std::byte(v));
        return bytes;
    };
    // The $FILE_NAME attribute sits at 0x38; its value at 0x50.
    const std::vector<Damage> damages{
        {"first attribute past the record", 0x14, b({0x00, 0x04})},
        {"first attribute at the last bytes", 0x14, b({0xFE, 0x03})},
        {"zero-length attribute", 0x3C, b({0, 0, 0, 0})},
        {"attribute longer than the record", 0x3C, b({0x00, 0x10, 0, 0})},
        {"value offset past the attribute", 0x4C, b({0xF0, 0x03})},
        {"value length past the record", 0x48, b({0xFF, 0xFF, 0xFF, 0x7F})},
        {"name length past the record", 0x90, b({0xFF})},
        {"update sequence array past the record", 0x04, b({0xFE, 0x03, 0xFF, 0xFF})},
        {"update sequence count huge", 0x06, b({0xFF, 0xFF})},
        {"the name attribute turned into a garbage attribute list", 0x38, b({0x20, 0, 0, 0})},
    };
    for (const Damage& damage : damages) {
        std::vector<std::byte> record = makeRecord({70, kDirectoryInUse, 5, "Folder"});
        std::copy(damage.bytes.begin(), damage.bytes.end(),
                  record.begin() + static_cast<std::ptrdiff_t>(damage.offset));
        const DeepMftRecord parsed = parseDeepMftRecord(record);
        if (parsed.kind == DeepMftRecord::Kind::Folder) {
            EXPECT_LE(parsed.name.size(), 255u * 3) << damage.what;
        }
        // A short read hands over fewer bytes than a record; nothing past them is looked at.
        parseDeepMftRecord(ByteSpan(record).first(600));
        std::vector<std::byte> disk(8 * kSectorSize);
        std::copy(record.begin(), record.end(), disk.begin() + 1024);
        DeepNtfsRun deep(std::make_shared<MemoryMedium>(disk));
        deep.run(0, 8, 0);
        deep.files();
    }
}

} // namespace
} // namespace salvora
