// SPDX-License-Identifier: GPL-3.0-or-later
// Deleted NTFS files: their records no longer carry the in-use flag, yet Basic Search lists them from the
// $MFT and the save engine writes them back byte for byte from the runs or the resident data they kept.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "fsrecovery/basic_search.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/ntfs_basic_search.h"
#include "save/save_run.h"
#include "scanned_card.h"
#include "storage/sector_reader.h"
#include "support/fixtures.h"

namespace salvora {
namespace fs = std::filesystem;
namespace {

// A Basic Search of the volume with deleted files, attached as drive D:.
struct ScannedDeletedVolume {
    DeviceNamespace devices;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    NtfsState ntfsState;
    NtfsRecordWalker ntfs{ntfsState};
    NullProgress progress;
    test::QuietPrompter prompter;
    StopFlag stop{false};
    BasicSearchContext search{devices, volumePath('D'), volumes, tables, folders, progress, prompter, stop};
    std::unique_ptr<FolderFileWalker> walker;
    SaveState state;
    NullSaveProgress saveProgress;
    test::FixedAnswer overwrite{{ConflictAnswer::Overwrite, "", false}};

    ScannedDeletedVolume() {
        auto image = std::make_shared<FileMedium>(test::fixturePath("deep-ntfs/deleted.img"));
        devices.setVolume('D', image);
        volumes.selectedVolume = {volumePath('D'), "NTFS", 0, *image->size() / 512};
        RunBasicSearch(search, &ntfs);
        walker = BasicSearchFolderWalker(search, &ntfs);
    }

    // The root's file rows by name.
    std::map<std::string, FileListRow> rootFiles() {
        FileList list;
        PopulateList(folders, folders.tree.root(), walker.get(), list);
        std::map<std::string, FileListRow> rows;
        for (const FileListRow& row : list.rows)
            if (!row.folder)
                rows[row.cells[file_list::Name]] = row;
        return rows;
    }

    bool recordInUse(const FileListRow& row) {
        std::vector<std::byte> record(kMftRecordBytes);
        const std::uint64_t sector = std::stoull(row.cells[file_list::Debug1]);
        if (ReadSectors(devices, volumePath('D'), sector, 2, record.data()) == 0)
            return true;
        ApplyFixups(record, record.size());
        return parseMftRecordHeader(record).inUse();
    }

    SaveRunReport saveRows(const std::vector<FileListRow>& rows, const std::string& destination) {
        SaveContext context{devices, volumePath('D'), "NTFS",    volumes.volumeParameters,
                            state,   saveProgress,    overwrite, prompter};
        SaveRunContext run{folders, *walker, context};
        return SaveListedFiles(run, rows, destination);
    }
};

TEST(NtfsDeletedSave, FilesWhoseRecordsAreNoLongerInUseComeBackByteForByte) {
    const std::string imagePath = test::fixturePath("deep-ntfs/deleted.img");
    const std::string imageBefore = test::sha256OfFile(imagePath);
    ScannedDeletedVolume volume;
    auto files = volume.rootFiles();

    std::vector<FileListRow> rows;
    // gone.bin keeps runs to its clusters, gone-small.txt its data inside the record; kept.bin is live.
    for (const auto& [name, inUse] : std::vector<std::pair<std::string, bool>>{
             {"gone.bin", false}, {"gone-small.txt", false}, {"kept.bin", true}}) {
        ASSERT_TRUE(files.count(name)) << name;
        EXPECT_EQ(volume.recordInUse(files[name]), inUse) << name;
        rows.push_back(files[name]);
    }
    const std::string out = test::makeTempDir();
    const SaveRunReport report = volume.saveRows(rows, out);
    EXPECT_EQ(report.filesWritten, 3u);
    for (const FileListRow& row : rows) {
        const std::string& name = row.cells[file_list::Name];
        EXPECT_EQ(test::sha256OfFile(out + "/" + name),
                  test::sha256OfFile(test::fixturePath("deep-ntfs/files/deleted/" + name)))
            << name;
    }
    EXPECT_EQ(test::sha256OfFile(imagePath), imageBefore);
}

} // namespace
} // namespace salvora
