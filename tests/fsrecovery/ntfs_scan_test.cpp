// SPDX-License-Identifier: GPL-3.0-or-later
// The NTFS Basic Search end to end: images made by mkntfs, ntfscp and ntfs-3g (and public images made on
// real systems) scanned, every folder listed, and the result compared with what fls sees on the same image.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/ntfs_listing.h"
#include "ntfs_image.h"
#include "support/fixtures.h"
#include "support/test_media.h"

namespace salvora::test {
namespace {

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

std::vector<std::byte> readBytes(const std::string& path, std::uint64_t offset, std::size_t count) {
    std::vector<std::byte> bytes(count);
    std::ifstream file(path, std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    return bytes;
}

std::vector<std::byte> le(std::uint64_t value, std::size_t width) {
    std::vector<std::byte> bytes(width);
    for (std::size_t i = 0; i < width; ++i)
        bytes[i] = static_cast<std::byte>(value >> (8 * i));
    return bytes;
}

// Compares a scan with fls: every live folder at its path, every deleted folder marked deleted, every file
// at its path with its size and $FILE_NAME creation time. A record with several names (hard links) is
// listed once, under one of them.
void expectMatchesSleuthKit(NtfsSearch& search, const std::string& image, std::uint64_t offset = 0) {
    auto expected = sleuthListing(image, offset);
    if (!expected)
        GTEST_SKIP() << "fls is not installed";
    const auto folders = search.folders();
    const auto files = search.files();
    std::map<std::uint64_t, std::vector<std::string>> namesOfRecord;
    for (const auto& [path, entry] : *expected)
        if (!entry.directory)
            namesOfRecord[entry.inode].push_back(path);

    for (const auto& [path, entry] : *expected) {
        if (!entry.directory)
            continue;
        auto it = folders.find(path);
        ASSERT_NE(it, folders.end()) << "folder " << path;
        EXPECT_EQ(it->second.deleted, entry.deleted) << "folder " << path;
        EXPECT_EQ(it->second.self, entry.inode) << "folder " << path;
    }
    for (const auto& [record, paths] : namesOfRecord) {
        const std::string* listed = nullptr;
        for (const std::string& path : paths)
            if (files.count(path))
                listed = &path;
        ASSERT_NE(listed, nullptr) << "file " << paths.front() << " (record " << record << ")";
        const SleuthEntry& entry = expected->at(*listed);
        const ListedFile& file = files.at(*listed);
        EXPECT_EQ(file.size, entry.size) << *listed;
        if (entry.fileNameCreated != 0) { // fls shows no $FILE_NAME times for a record with several names
            const auto [date, time] = utcTexts(entry.fileNameCreated);
            EXPECT_EQ(file.date, date) << *listed;
            EXPECT_EQ(file.time, time) << *listed;
        }
    }
    // Nothing invented: every file we list is one fls knows, apart from the volume's own records that fls
    // shows only as named streams.
    for (const auto& [path, file] : files) {
        const std::string leaf = path.substr(path.rfind('/') + 1);
        if (leaf.rfind('$', 0) != 0) {
            EXPECT_TRUE(expected->count(path)) << "unexpected file " << path;
        }
    }
}

TEST(NtfsScan, RootFilesCopiedByNtfscpAreListedWithNameSizeAndDate) {
    const std::string image = fixturePath("ntfs/plain.img");
    const std::string before = sha256OfFile(image);
    NtfsSearch search = NtfsSearch::ofImage(image);
    const BasicSearchOutcome outcome = search.run();
    EXPECT_TRUE(outcome.parametersComputed);
    EXPECT_TRUE(outcome.scanned);
    EXPECT_FALSE(outcome.stopped);
    expectMatchesSleuthKit(search, image);

    const auto files = search.files();
    ASSERT_TRUE(files.count("Ünïcödé файл 文件.txt"));
    EXPECT_EQ(files.at("big.bin").size, "307200");
    EXPECT_EQ(files.at("small.txt").size, "40");
    EXPECT_EQ(files.at("empty.dat").size, "0");
    EXPECT_TRUE(files.count("$MFT")) << "the volume's own records are listed in the root";
    // $Extend is a folder of the root, and the pseudo-folder is there too.
    const auto folders = search.folders();
    EXPECT_TRUE(folders.count("$Extend"));
    EXPECT_TRUE(folders.count("KLX_Miscellaneous"));
    EXPECT_EQ(sha256OfFile(image), before) << "the image was written to";
}

TEST(NtfsScan, NestedUnicodeAndDeletedFoldersMatchSleuthKit) {
    const std::string image = fixturePath("ntfs/tree.img");
    if (!exists(image))
        GTEST_SKIP() << "FUSE was unusable when the fixtures were built";
    NtfsSearch search = NtfsSearch::ofImage(image);
    search.run();
    expectMatchesSleuthKit(search, image);

    const auto folders = search.folders();
    ASSERT_TRUE(folders.count("docs/reports/2024/q4"));
    EXPECT_FALSE(folders.at("docs/reports/2024/q4").deleted);
    ASSERT_TRUE(folders.count("old/inner"));
    EXPECT_TRUE(folders.at("old").deleted);
    EXPECT_TRUE(folders.at("old/inner").deleted);
    EXPECT_TRUE(folders.at("gone").deleted);
    const auto files = search.files();
    EXPECT_TRUE(files.count("docs/deleted-letter.txt"));
    EXPECT_TRUE(files.count("old/inner/kept-in-deleted.txt"));
    EXPECT_TRUE(files.count("Папка Unicode ✓/日本語のファイル名.txt"));
    EXPECT_EQ(search.list("photos").fileCount, 301u);
}

TEST(NtfsScan, PartitionOfAnMbrDisk) {
    const std::string image = fixturePath("ntfs/disk.img");
    const std::string volume = exists(fixturePath("ntfs/tree.img")) ? "tree.img" : "plain.img";
    const std::uint64_t sectors = std::filesystem::file_size(fixturePath("ntfs/" + volume)) / 512;
    NtfsSearch search = NtfsSearch::ofImage(image, 2048, 2048 + sectors);
    EXPECT_TRUE(search.run().parametersComputed);
    expectMatchesSleuthKit(search, image, 2048);
}

TEST(NtfsScan, PublicImagesMatchSleuthKit) {
    struct Case {
        const char* file;
        std::uint64_t start;
        std::uint64_t end; // 0: the image's end
    };
    for (const Case& c : {Case{"dfir_ntfs/ntfs3.raw.gz", 0, 0}, Case{"dfir_ntfs/ntfs3_attrlist.raw.gz", 0, 0},
                          Case{"dfir_ntfs/ntfs_index.raw.gz", 128, 59520}}) {
        SCOPED_TRACE(c.file);
        auto image = sharedTestdata(c.file);
        if (!image)
            GTEST_SKIP() << "shared test data absent";
        NtfsSearch search = NtfsSearch::ofImage(*image, c.start, c.end);
        EXPECT_TRUE(search.run().parametersComputed);
        expectMatchesSleuthKit(search, *image, c.start);
    }
}

TEST(NtfsScan, ListingTwiceReadsTheRecordsOnlyTheFirstTime) {
    auto medium = std::make_shared<FaultyMedium>(std::make_shared<FileMedium>(fixturePath("ntfs/plain.img")));
    NtfsSearch search(medium, 0, 32768);
    search.run();
    const FileList first = search.list("");
    const std::uint64_t readsAfterFirst = medium->readCount();
    const FileList second = search.list("");
    EXPECT_EQ(medium->readCount() - readsAfterFirst, 0u) << "only opening the handle, no record reads";
    ASSERT_EQ(first.rows.size(), second.rows.size());
    for (std::size_t i = 0; i < first.rows.size(); ++i)
        EXPECT_EQ(first.rows[i].cells, second.rows[i].cells);
    EXPECT_GT(first.fileCount, 5u);
}

TEST(NtfsScan, StopBeforeTheFirstRunStillBuildsATree) {
    NtfsSearch search = NtfsSearch::ofImage(fixturePath("ntfs/plain.img"));
    const BasicSearchOutcome outcome = search.run(true);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_TRUE(search.session().folders.tree.root() != kNoTreeItem);
    EXPECT_TRUE(search.session().tables.FoundFolderTable.empty());
}

// Patches of one real volume: what a damaged or edited record does to the result.
class NtfsPatchedScan : public ::testing::Test {
protected:
    void SetUp() override {
        m_image = fixturePath("ntfs/plain.img");
        m_base = std::make_shared<FileMedium>(m_image);
        m_patched = std::make_shared<PatchedMedium>(m_base);
        NtfsSearch probe = NtfsSearch::ofImage(m_image);
        probe.run();
        m_mftStart = probe.mftStartSector();
        ASSERT_NE(m_mftStart, 0u);
    }
    // Records of a fresh volume lie in the $MFT's first run.
    std::uint64_t recordOffset(std::uint32_t record) const { return (m_mftStart + 2 * record) * 512; }
    std::vector<std::byte> record(std::uint32_t number) const {
        return readBytes(m_image, recordOffset(number), kMftRecordBytes);
    }
    // Offset in the image of the first attribute of the type in the record (fix-ups do not move it).
    std::uint64_t attributeOffset(std::uint32_t number, std::uint32_t type) const {
        AttributeView attribute;
        std::vector<std::byte> bytes = record(number);
        EXPECT_TRUE(findAttribute(bytes, type, true, attribute));
        return recordOffset(number) + attribute.offset;
    }
    std::uint32_t recordOf(const std::string& rootFile) {
        NtfsSearch probe = NtfsSearch::ofImage(m_image);
        probe.run();
        const std::uint64_t sector = std::stoull(probe.files().at(rootFile).sector);
        return static_cast<std::uint32_t>((sector - m_mftStart) / 2);
    }
    NtfsSearch search() { return NtfsSearch(m_patched, 0, 32768); }

    std::string m_image;
    std::shared_ptr<FileMedium> m_base;
    std::shared_ptr<PatchedMedium> m_patched;
    std::uint64_t m_mftStart = 0;
};

TEST_F(NtfsPatchedScan, DirectoryWithInUseFlagClearedIsShownDeleted) {
    m_patched->patch(recordOffset(11) + 0x16, le(0x0002, 2)); // $Extend: directory, not in use
    NtfsSearch patched = search();
    patched.run();
    const auto folders = patched.folders();
    ASSERT_TRUE(folders.count("$Extend"));
    EXPECT_TRUE(folders.at("$Extend").deleted);
}

TEST_F(NtfsPatchedScan, FileWithInUseFlagClearedIsStillListed) {
    const std::uint32_t small = recordOf("small.txt");
    m_patched->patch(recordOffset(small) + 0x16, le(0x0000, 2));
    NtfsSearch patched = search();
    patched.run();
    const auto files = patched.files();
    ASSERT_TRUE(files.count("small.txt"));
    EXPECT_EQ(files.at("small.txt").size, "40");
}

TEST_F(NtfsPatchedScan, DirectoryWhoseParentIsAFileEndsUnderMiscellaneous) {
    // $Extend's $FILE_NAME names record 3 ($Volume, a file) as its parent.
    m_patched->patch(attributeOffset(11, ntfs_attribute::FileName) + 24, le(3, 6));
    NtfsSearch patched = search();
    patched.run();
    const auto folders = patched.folders();
    EXPECT_FALSE(folders.count("$Extend"));
    EXPECT_TRUE(folders.count("KLX_Miscellaneous/$Extend"));
}

TEST_F(NtfsPatchedScan, NameOnlyInTheDosNamespaceIsUsed) {
    const std::uint32_t small = recordOf("small.txt");
    // The value starts 24 bytes into a resident attribute; the namespace is byte 0x41 of the value.
    m_patched->patch(attributeOffset(small, ntfs_attribute::FileName) + 24 + 0x41, {std::byte{2}});
    NtfsSearch patched = search();
    patched.run();
    EXPECT_TRUE(patched.files().count("small.txt"));
}

TEST_F(NtfsPatchedScan, Record0WithoutSignatureGivesOnlyMiscellaneous) {
    m_patched->patch(recordOffset(0), {std::byte{'X'}});
    NtfsSearch patched = search();
    patched.run();
    const auto folders = patched.folders();
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_TRUE(folders.count("KLX_Miscellaneous"));
    EXPECT_TRUE(patched.files().empty());
}

TEST_F(NtfsPatchedScan, HostileRecordsAreSkippedWithoutHarmingTheOthers) {
    const std::uint32_t small = recordOf("small.txt");
    const std::uint32_t big = recordOf("big.bin");
    const std::uint32_t empty = recordOf("empty.dat");
    // small.txt: an attribute of length 0 before its name. big.bin: an attribute that runs past the
    // record. empty.dat: an update sequence array far outside the record.
    m_patched->patch(attributeOffset(small, 0x10) + 4, le(0, 4));
    m_patched->patch(attributeOffset(big, 0x10) + 4, le(0x7FFFFFF0, 4));
    m_patched->patch(recordOffset(empty) + 4, le(0xFFF0, 2));
    m_patched->patch(recordOffset(empty) + 6, le(0xFFFF, 2));
    NtfsSearch patched = search();
    patched.run();
    const auto files = patched.files();
    EXPECT_FALSE(files.count("small.txt"));
    EXPECT_FALSE(files.count("big.bin"));
    EXPECT_TRUE(files.count("empty.dat"));
    EXPECT_TRUE(files.count("Ünïcödé файл 文件.txt"));
}

TEST_F(NtfsPatchedScan, RunListsClaimingTheWholeAddressSpaceEndAtTheVolume) {
    struct Case {
        const char* what;
        std::vector<std::byte> runs;
    };
    const auto bytes = [](std::initializer_list<int> values) {
        std::vector<std::byte> out;
        for (int v : values)
            out.push_back(static_cast<std::byte>(v));
        return out;
    };
    const Case cases[] = {
        {"a run of 2^56 clusters", bytes({0x18, 0, 0, 0, 0, 0, 0, 0, 1, 4, 0})},
        {"a run past the volume", bytes({0x41, 0x10, 0xFF, 0xFF, 0xFF, 0x7F, 0})},
        {"many runs jumping back and forth",
         bytes({0x18, 0, 0, 0, 0, 0, 0, 1, 0, 4, 0x18, 0, 0, 0, 0, 0, 0, 1, 0, 0xFF, 0})},
        {"a length field of 9 bytes", bytes({0x19, 1, 1, 1, 1, 1, 1, 1, 1, 1, 4, 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_patched = std::make_shared<PatchedMedium>(m_base);
        const std::uint64_t data = attributeOffset(0, ntfs_attribute::Data);
        const auto runListOffset = le16(record(0), data - recordOffset(0) + 0x20);
        m_patched->patch(data + runListOffset, c.runs);
        NtfsSearch patched = search();
        const BasicSearchOutcome outcome = patched.run();
        EXPECT_FALSE(outcome.stopped);
        EXPECT_LE(patched.ntfs().lastScan().recordsVisited, 32768u / 2 + 1);
    }
}

TEST_F(NtfsPatchedScan, UnreadableStretchOfTheMftIsPassedOver) {
    auto faulty = std::make_shared<FaultyMedium>(m_base);
    const std::uint32_t small = recordOf("small.txt");
    faulty->failBytes(recordOffset(small), recordOffset(small) + 1024);
    NtfsSearch broken(faulty, 0, 32768);
    broken.run();
    const auto files = broken.files();
    EXPECT_FALSE(files.count("small.txt"));
    EXPECT_TRUE(files.count("big.bin"));
    EXPECT_TRUE(files.count("empty.dat"));
}

} // namespace
} // namespace salvora::test
