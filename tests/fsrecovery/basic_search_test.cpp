// SPDX-License-Identifier: GPL-3.0-or-later
// Basic Search of FAT volumes made by mkfs.fat and mtools, checked against what the fixture script put in.
#include "fsrecovery/basic_search.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "base/text.h"
#include "fsrecovery/fat/directory_entry.h"
#include "support/fixtures.h"
#include "support/recording_prompter.h"
#include "support/test_media.h"

namespace salvora {
namespace {

using test::RecordingPrompter;

struct ManifestEntry {
    char kind = 'F'; // 'D' folder, 'F' file
    std::string path;
    std::string size, date, time, state;
};

std::vector<ManifestEntry> readManifest(const std::string& path) {
    std::vector<ManifestEntry> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::stringstream stream(line);
        std::string field;
        while (std::getline(stream, field, '\t'))
            fields.push_back(field);
        ManifestEntry entry;
        entry.kind = fields.at(0).at(0);
        entry.path = fields.at(1);
        if (entry.kind == 'F') {
            entry.size = fields.at(2);
            entry.date = fields.at(3);
            entry.time = fields.at(4);
        }
        entry.state = fields.back();
        entries.push_back(entry);
    }
    return entries;
}

std::string parentOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? "" : path.substr(0, slash);
}
std::string leafOf(const std::string& path) {
    auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// One Basic Search of a volume image attached as D:, through a patchable view of it.
struct Scan {
    DeviceNamespace devices;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    NullProgress progress;
    RecordingPrompter prompter;
    StopFlag stop{false};
    std::shared_ptr<test::PatchedMedium> medium;
    BasicSearchOutcome outcome;
    std::unique_ptr<FolderFileWalker> walker;

    Scan(const std::string& image, const std::string& fileSystem)
        : medium(std::make_shared<test::PatchedMedium>(std::make_shared<FileMedium>(image))) {
        devices.setVolume('D', medium);
        volumes.selectedVolume = {volumePath('D'), fileSystem, 0, *medium->size() / 512};
    }
    BasicSearchContext context() {
        return BasicSearchContext{devices, volumePath('D'), volumes,  tables,
                                  folders, progress,        prompter, stop};
    }
    void run() {
        auto c = context();
        outcome = RunBasicSearch(c);
        walker = BasicSearchFolderWalker(c);
        RenameAllFolders(folders, walker.get());
    }

    // Folder paths relative to Root ("DCIM/100PHOTO"), each with its item.
    std::map<std::string, TreeItem> folderPaths() const {
        std::map<std::string, TreeItem> paths;
        std::vector<std::pair<TreeItem, std::string>> pending{{folders.tree.root(), ""}};
        while (!pending.empty()) {
            auto [item, path] = pending.back();
            pending.pop_back();
            paths[path] = item;
            for (TreeItem child : folders.tree.children(item))
                pending.push_back({child, (path.empty() ? "" : path + "/") + folders.tree.text(child)});
        }
        return paths;
    }
    FileList list(TreeItem item) {
        FileList files;
        PopulateList(folders, item, walker.get(), files);
        return files;
    }
    std::map<std::string, FileListRow> fileRows(TreeItem item) {
        std::map<std::string, FileListRow> rows;
        for (FileListRow& row : list(item).rows)
            if (!row.folder)
                rows[toUpperAscii(row.cells[file_list::Name])] = row;
        return rows;
    }
    bool deleted(TreeItem item) const { return folders.nodeOf(item) && folders.nodeOf(item)->deleted; }
    std::uint64_t clusterSector(std::uint32_t cluster) const {
        const VolumeParameters& p = volumes.volumeParameters;
        return p.Cluster0Start + std::uint64_t{cluster} * p.SPC;
    }
    std::uint32_t selfOf(const std::string& path) const {
        return folders.nodeOf(folderPaths().at(path))->self;
    }
};

class FatImages : public ::testing::TestWithParam<const char*> {
protected:
    std::string image() const { return test::fixturePath(std::string("fat/") + GetParam() + ".img"); }
    std::string manifest() const { return test::fixturePath(std::string("fat/") + GetParam() + ".manifest"); }
    std::string fileSystem() const { return std::string(GetParam()) == "fat16" ? "FAT16" : "FAT32"; }
};

TEST_P(FatImages, EveryFolderAndFileWhereTheImageHoldsIt) {
    const std::string hashBefore = test::sha256OfFile(image());
    Scan scan(image(), fileSystem());
    scan.run();
    EXPECT_TRUE(scan.outcome.parametersComputed);
    EXPECT_TRUE(scan.outcome.scanned);
    EXPECT_FALSE(scan.outcome.nothingFound);
    EXPECT_TRUE(scan.prompter.messages.empty());
    auto paths = scan.folderPaths();

    // The orphan: the only folder under KLX_Miscellaneous.
    ASSERT_TRUE(paths.count("KLX_Miscellaneous"));
    const auto& orphans = scan.folders.tree.children(paths["KLX_Miscellaneous"]);
    ASSERT_EQ(orphans.size(), 1u);
    const std::string orphanPath = "KLX_Miscellaneous/" + scan.folders.tree.text(orphans[0]);

    std::map<std::string, std::set<std::string>> expectedFiles; // folder path -> upper-case names
    std::set<std::string> expectedFolders{"", "KLX_Miscellaneous", orphanPath};
    for (const ManifestEntry& entry : readManifest(manifest())) {
        std::string path = entry.path;
        if (entry.state == "gone")
            continue;
        if (entry.state == "orphan")
            path = orphanPath + path.substr(std::string("Orphan").size());
        if (entry.kind == 'D') {
            if (entry.state != "orphan")
                expectedFolders.insert(path);
            ASSERT_TRUE(paths.count(path)) << path;
            EXPECT_EQ(scan.deleted(paths[path]), entry.state == "deleted") << path;
            continue;
        }
        const std::string folder = parentOf(path);
        ASSERT_TRUE(paths.count(folder)) << path;
        auto rows = scan.fileRows(paths[folder]);
        const std::string name = toUpperAscii(leafOf(path));
        ASSERT_TRUE(rows.count(name)) << path;
        const auto& cells = rows[name].cells;
        EXPECT_EQ(cells[file_list::Size], entry.size) << path;
        EXPECT_EQ(cells[file_list::Date], entry.date) << path;
        EXPECT_EQ(cells[file_list::Time], entry.time) << path;
        EXPECT_FALSE(cells[file_list::Debug1].empty()) << path;
        expectedFiles[folder].insert(name);
    }
    expectedFiles[""].insert("FIXTURE"); // the volume label entry is listed as a file of the root

    // Nothing else: no folder and no file that was not put in.
    std::set<std::string> foundFolders;
    for (const auto& [path, item] : paths)
        foundFolders.insert(path);
    EXPECT_EQ(foundFolders, expectedFolders);
    for (const auto& [path, item] : paths) {
        std::set<std::string> names;
        for (const auto& [name, row] : scan.fileRows(item))
            names.insert(name);
        EXPECT_EQ(names, expectedFiles[path]) << "folder " << path;
    }
    EXPECT_EQ(test::sha256OfFile(image()), hashBefore);
}

TEST_P(FatImages, WipedBootSectorsAreRecoveredFromTheDirectories) {
    Scan reference(image(), fileSystem());
    reference.run();
    Scan scan(image(), fileSystem());
    scan.medium->fillSector(0, std::byte{0});
    scan.medium->fillSector(6, std::byte{0}); // the FAT32 backup boot sector
    scan.run();
    EXPECT_FALSE(scan.outcome.parametersComputed);
    ASSERT_TRUE(scan.outcome.parametersRecovered);
    const VolumeParameters& got = scan.volumes.volumeParameters;
    const VolumeParameters& want = reference.volumes.volumeParameters;
    EXPECT_EQ(got.SPC, want.SPC);
    EXPECT_EQ(got.Cluster0Start, want.Cluster0Start);
    EXPECT_EQ(got.firstFAT, want.firstFAT);
    EXPECT_EQ(got.SPF, want.SPF);
    EXPECT_EQ(got.RootStartSec, want.RootStartSec);
    EXPECT_EQ(scan.folderPaths().size(), reference.folderPaths().size());
    EXPECT_TRUE(scan.folderPaths().count("Documents/Reports 2024/Q1"));
}

TEST_P(FatImages, ParentLoopsAndClustersPastTheVolumeNeitherHangNorCrash) {
    Scan reference(image(), fileSystem());
    reference.run();
    const bool fat32 = fileSystem() == "FAT32";
    const std::uint32_t dcim = reference.selfOf("DCIM");
    const std::uint32_t photo = reference.selfOf("DCIM/100PHOTO");
    const std::uint32_t music = reference.selfOf("Music");

    Scan scan(image(), fileSystem());
    // DCIM's ".." names its own child: DCIM and 100PHOTO are each other's parent.
    auto putCluster = [&](std::uint64_t byteOffset, std::uint32_t cluster) {
        scan.medium->patch(byteOffset + 0x1A, {std::byte(cluster & 0xFF), std::byte((cluster >> 8) & 0xFF)});
        if (fat32)
            scan.medium->patch(byteOffset + 0x14,
                               {std::byte((cluster >> 16) & 0xFF), std::byte((cluster >> 24) & 0xFF)});
    };
    putCluster(reference.clusterSector(dcim) * 512 + 32, photo);
    // Music's chain loops back on itself, and its first file names a cluster far past the volume.
    const VolumeParameters& p = reference.volumes.volumeParameters;
    const std::uint64_t fatEntry = std::uint64_t{p.firstFAT} * 512 + std::uint64_t{music} * (fat32 ? 4 : 2);
    if (fat32)
        scan.medium->patch(fatEntry, {std::byte(music & 0xFF), std::byte((music >> 8) & 0xFF),
                                      std::byte((music >> 16) & 0xFF), std::byte(music >> 24)});
    else
        scan.medium->patch(fatEntry, {std::byte(music & 0xFF), std::byte(music >> 8)});
    putCluster(reference.clusterSector(music) * 512 + 3 * 32, fat32 ? 0x0FFFFFF0 : 0xFFF0);

    scan.run();
    std::set<std::uint32_t> selves;
    for (const FolderNode& node : scan.folders.FolderList)
        EXPECT_TRUE(selves.insert(node.self).second) << node.self;
    // DCIM and 100PHOTO are both placed once, under KLX_Miscellaneous.
    EXPECT_EQ(scan.folders.tree.text(scan.folders.tree.parent(scan.folders.itemOfSelf(dcim))),
              "KLX_Miscellaneous");
    EXPECT_EQ(scan.folders.tree.text(scan.folders.tree.parent(scan.folders.itemOfSelf(photo))),
              "KLX_Miscellaneous");
    FileList list = scan.list(scan.folders.itemOfSelf(music));
    EXPECT_GE(list.fileCount, 1u);
    EXPECT_LE(list.fileCount, 60u);
}

TEST_P(FatImages, EndOfDirectoryMarkEndsASubfolderButNotTheFat16Root) {
    Scan reference(image(), fileSystem());
    reference.run();
    const std::uint32_t music = reference.selfOf("Music");
    Scan scan(image(), fileSystem());
    // The third entry of Music's first sector (after "." and "..") ends the directory.
    scan.medium->patch(reference.clusterSector(music) * 512 + 2 * 32, {std::byte{0}});
    if (fileSystem() == "FAT16")
        scan.medium->patch(std::uint64_t{reference.volumes.volumeParameters.RootStartSec} * 512 + 2 * 32,
                           {std::byte{0}});
    scan.run();
    EXPECT_EQ(scan.list(scan.folders.itemOfSelf(music)).fileCount, 0u);
    if (fileSystem() == "FAT16") {
        // Root entries in the later root sectors are still read: those folders keep their names.
        EXPECT_TRUE(scan.folderPaths().count("Old Folder"));
        EXPECT_TRUE(scan.folderPaths().count("Trash"));
        EXPECT_FALSE(scan.folderPaths().count("Documents"));
    }
}

TEST_P(FatImages, StopKeepsWhatWasFoundAndBuildsTheTree) {
    Scan scan(image(), fileSystem());
    scan.stop = true;
    scan.run();
    EXPECT_TRUE(scan.outcome.stopped);
    EXPECT_TRUE(scan.prompter.messages.empty());
    EXPECT_TRUE(scan.outcome.nothingFound);
    auto paths = scan.folderPaths();
    EXPECT_EQ(paths.size(), 2u); // Root and KLX_Miscellaneous
    EXPECT_TRUE(scan.tables.FoundFolderTable.empty());
}

INSTANTIATE_TEST_SUITE_P(MkfsFat, FatImages, ::testing::Values("fat16", "fat32"));

TEST(BasicSearch, UnreadableParametersAreReportedAndNothingIsScanned) {
    // A medium of zeros: no boot sector and no directory to recover the parameters from.
    DeviceNamespace devices;
    devices.setVolume('D', std::make_shared<MemoryMedium>(std::vector<std::byte>(4096 * 512)));
    VolumeState volumes;
    volumes.selectedVolume = {volumePath('D'), "FAT32", 0, 4096};
    ScanTables tables;
    FolderModel folders;
    NullProgress progress;
    RecordingPrompter prompter;
    StopFlag stop{false};
    BasicSearchContext context{devices, volumePath('D'), volumes, tables, folders, progress, prompter, stop};
    BasicSearchOutcome outcome = RunBasicSearch(context);
    EXPECT_FALSE(outcome.scanned);
    ASSERT_EQ(prompter.messages.size(), 1u);
    EXPECT_EQ(
        prompter.messages[0],
        "Unable to calculate partition parameters.\n\nPlease select the partition from the list of Logical "
        "Drive or click on \u2018Search more Partitions\u2019 in case of deleted or missing Drives.");
    EXPECT_TRUE(outcome.nothingFound);
    EXPECT_EQ(folders.tree.itemCount(), 1u);
    EXPECT_EQ(folders.tree.text(folders.tree.root()), "Root");
}

TEST(BasicSearch, MissingDeviceEndsWithOnlyTheRoot) {
    DeviceNamespace devices;
    VolumeState volumes;
    volumes.selectedVolume = {volumePath('Q'), "FAT16", 0, 4096};
    ScanTables tables;
    FolderModel folders;
    NullProgress progress;
    RecordingPrompter prompter;
    StopFlag stop{false};
    BasicSearchContext context{devices, volumePath('Q'), volumes, tables, folders, progress, prompter, stop};
    BasicSearchOutcome outcome = RunBasicSearch(context);
    EXPECT_TRUE(outcome.nothingFound);
    EXPECT_EQ(folders.tree.itemCount(), 1u);
}

// Public images made on real systems by others, with their own listings.
TEST(BasicSearchExternal, DeletedDirectoryImage) {
    auto image = test::sharedTestdata("dfir_ntfs/fat_deleted_dir.raw.gz");
    if (!image)
        GTEST_SKIP() << "shared test data absent";
    Scan scan(*image, "FAT32");
    scan.run();
    ASSERT_TRUE(scan.outcome.parametersComputed);
    auto paths = scan.folderPaths();
    // Both folders were deleted with everything in them; their entries are still there to list.
    for (const auto& [folder, files] : {std::pair<const char*, std::uint64_t>{"test", 14}, {"test_2", 2}}) {
        ASSERT_TRUE(paths.count(folder)) << folder;
        EXPECT_TRUE(scan.deleted(paths[folder])) << folder;
        EXPECT_EQ(scan.list(paths[folder]).fileCount, files) << folder;
    }
}

TEST(BasicSearchExternal, Fat16FullListing) {
    auto image = test::sharedTestdata("dfir_ntfs/fat16.raw.gz");
    auto listing = test::sharedTestdata("dfir_ntfs/fat16_full_test.txt");
    if (!image || !listing)
        GTEST_SKIP() << "shared test data absent";
    Scan scan(*image, "FAT16");
    scan.run();
    ASSERT_TRUE(scan.outcome.parametersComputed);
    auto paths = scan.folderPaths();
    std::map<std::string, std::map<std::string, FileListRow>> listed;
    std::ifstream in(*listing);
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        // "/10/10.txt 2021-12-26+15:34:16.0000000000"
        const std::string path = line.substr(1, line.rfind(' ') - 1);
        if (paths.count(path))
            continue; // a folder
        const std::string folder = parentOf(path);
        ASSERT_TRUE(paths.count(folder)) << path;
        if (!listed.count(folder))
            listed[folder] = scan.fileRows(paths[folder]);
        EXPECT_TRUE(listed[folder].count(toUpperAscii(leafOf(path)))) << path;
        ++checked;
    }
    EXPECT_GT(checked, 500);
}

TEST(BasicSearchExternal, ALiveEntryNamesAFolderBeforeAStaleDeletedOne) {
    // The root holds a deleted entry "_" and a live entry "4" for the same cluster, and two directories
    // whose ".." names the root but that no root entry names.
    auto image = test::sharedTestdata("dfir_ntfs/fat_noloop.raw.gz");
    if (!image)
        GTEST_SKIP() << "shared test data absent";
    Scan scan(*image, "FAT16");
    scan.run();
    auto paths = scan.folderPaths();
    ASSERT_TRUE(paths.count("4"));
    EXPECT_FALSE(scan.deleted(paths["4"]));
    EXPECT_FALSE(paths.count("_"));
    for (const char* name : {"1_", "2_", "5"})
        EXPECT_TRUE(paths.count(name)) << name;
    int lost = 0;
    for (TreeItem child : scan.folders.tree.children(scan.folders.tree.root()))
        lost += scan.folders.tree.text(child).rfind("DIR", 0) == 0;
    EXPECT_EQ(lost, 2);
}

TEST(BasicSearchExternal, AMovedFolderShowsOnceWhereItIsNow) {
    auto image = test::sharedTestdata("dfir_ntfs/fat16_moved.raw.gz");
    if (!image)
        GTEST_SKIP() << "shared test data absent";
    Scan scan(*image, "FAT16");
    scan.run();
    auto paths = scan.folderPaths();
    EXPECT_TRUE(paths.count("test/2/11"));
    EXPECT_TRUE(paths.count("test/1"));
    EXPECT_EQ(scan.folders.tree.children(paths["test/1"]).size(), 0u);
    auto files = scan.fileRows(paths["test/2/11"]);
    EXPECT_TRUE(files.count("1.TXT"));
}

TEST(BasicSearchExternal, LoopingDirectoriesEnd) {
    auto image = test::sharedTestdata("dfir_ntfs/fat32_loop.raw.gz");
    if (!image)
        GTEST_SKIP() << "shared test data absent";
    Scan scan(*image, "FAT32");
    scan.run();
    for (const auto& [path, item] : scan.folderPaths())
        scan.list(item);
    SUCCEED();
}

} // namespace
} // namespace salvora
