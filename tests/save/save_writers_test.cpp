// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "save/fat_writer.h"
#include "save/ntfs_writer.h"
#include "support/fixtures.h"
#include "support/test_media.h"
#include "volumes/volume_parameters.h"

namespace salvora {
namespace {

struct ManifestEntry {
    std::string image;
    std::string name;
    std::uint64_t size = 0;
    std::uint64_t start = 0; // first cluster (FAT) or MFT record number (NTFS)
};

std::vector<ManifestEntry> manifest(const std::string& image) {
    std::ifstream in(test::fixturePath("save/manifest.txt"));
    std::vector<ManifestEntry> entries;
    ManifestEntry e;
    while (in >> e.image >> e.name >> e.size >> e.start)
        if (e.image == image)
            entries.push_back(e);
    return entries;
}

std::string lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Compares file contents without printing them: the size and the first byte that differs say enough.
::testing::AssertionResult sameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected)
        return ::testing::AssertionSuccess();
    std::size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure()
           << "sizes " << actual.size() << " and " << expected.size() << ", first difference at byte " << at;
}

std::string original(const ManifestEntry& e) {
    const std::string set = e.image.substr(0, e.image.find('.'));
    return test::readWholeFile(test::fixturePath("save/files/" + set + "/" + lower(e.name)));
}

class RecordingPrompter : public Prompter {
public:
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string&) override { return false; }
    std::vector<std::string> messages;
};

class NoConflicts : public ConflictPrompter {
public:
    ReplaceAnswer askReplace(const std::string& existing, const std::string&) override {
        return {ConflictAnswer::Overwrite, existing, false};
    }
};

// A volume image attached as drive D:, its parameters computed, and a folder to save into.
struct Saver {
    DeviceNamespace devices;
    std::shared_ptr<test::PatchedMedium> patched;
    std::shared_ptr<test::FaultyMedium> medium;
    VolumeState volumes;
    SaveState state;
    NullSaveProgress progress;
    NoConflicts conflicts;
    RecordingPrompter prompter;
    std::string out = test::makeTempDir();

    Saver(const std::string& image, const std::string& fileSystem) {
        auto file = std::make_shared<FileMedium>(test::fixturePath("save/" + image));
        patched = std::make_shared<test::PatchedMedium>(file);
        medium = std::make_shared<test::FaultyMedium>(patched);
        devices.setVolume('D', medium);
        volumes.selectedVolume = {volumePath('D'), fileSystem, 0, *file->size() / 512};
        EXPECT_TRUE(ComputeVolumeParameters(volumes, devices));
    }
    SaveContext context(SaveProgress* customProgress = nullptr) {
        return SaveContext{devices,
                           volumes.selectedVolume.devicePath,
                           volumes.selectedVolume.fileSystem,
                           volumes.volumeParameters,
                           state,
                           customProgress ? *customProgress : progress,
                           conflicts,
                           prompter};
    }
    FileSaveRequest request(const ManifestEntry& e, bool ntfs = false) const {
        FileSaveRequest r;
        r.destinationPath = out + "/" + e.name;
        r.displayName = e.name;
        r.size = e.size;
        if (ntfs)
            r.recordSector = volumes.volumeParameters.MftStartSector + e.start * 2;
        else
            r.startCluster = static_cast<std::uint32_t>(e.start);
        r.askFlag = 1;
        return r;
    }
    std::uint64_t clusterSector(std::uint64_t cluster) const {
        return volumes.volumeParameters.Cluster0Start + cluster * volumes.volumeParameters.SPC;
    }
    // Sets the FAT entry of cluster in both copies.
    void setFat16Entry(std::uint32_t cluster, std::uint16_t value) {
        for (std::uint32_t fat : {volumes.volumeParameters.firstFAT, volumes.volumeParameters.secondFAT})
            patched->patch(std::uint64_t{fat} * 512 + cluster * 2,
                           {std::byte(value & 0xFF), std::byte(value >> 8)});
    }
};

// Every file, live or deleted, fragmented or not, comes back byte for byte.
TEST(SaveFatFile, RecoversEveryFileOfRealVolumes) {
    for (const auto& [image, fileSystem] :
         {std::pair{"fat16.img", "FAT16"}, std::pair{"fat32.img", "FAT32"}}) {
        Saver saver(image, fileSystem);
        auto entries = manifest(image);
        ASSERT_FALSE(entries.empty());
        for (const ManifestEntry& e : entries) {
            auto context = saver.context();
            SaveFatFile(context, saver.request(e));
            EXPECT_TRUE(sameBytes(test::readWholeFile(saver.out + "/" + e.name), original(e)))
                << image << " " << e.name;
        }
        EXPECT_EQ(saver.state.FilesSaved, entries.size());
    }
}

TEST(SaveFatFile, AChainThatDoesNotEndAtTheSizeFallsBackToConsecutiveClusters) {
    // EXACT.BIN of FAT16 lies in clusters 16-19 (four 2 KiB clusters).
    const ManifestEntry exact = manifest("fat16.img")[2];
    ASSERT_EQ(exact.name, "EXACT.BIN");
    struct Case {
        const char* what;
        std::uint32_t cluster;
        std::uint16_t value;
        std::size_t chainLength;
    } cases[] = {
        {"runs on past the size", 19, 40, 5},
        {"0xFFF8 is one more cluster, not an end", 19, 0xFFF8, 5},
        {"loops back on itself", 18, 16, 3},
        {"stops early", 17, 0xFFFF, 2},
    };
    for (const Case& c : cases) {
        Saver saver("fat16.img", "FAT16");
        saver.setFat16Entry(c.cluster, c.value);
        auto context = saver.context();
        EXPECT_EQ(BuildClusterChain(context, "FAT16", 16, saver.volumes.volumeParameters.firstFAT, 4).size(),
                  c.chainLength)
            << c.what;
        SaveFatFile(context, saver.request(exact));
        EXPECT_TRUE(sameBytes(test::readWholeFile(saver.out + "/EXACT.BIN"), original(exact))) << c.what;
    }
}

TEST(SaveFatFile, AnEmptyListingSavesOneBlockAndUnreadableSectorsBecomeZeros) {
    Saver saver("fat16.img", "FAT16");
    ManifestEntry frag = manifest("fat16.img")[0];
    ASSERT_EQ(frag.name, "FRAG.BIN");
    // The second sector of the file's first cluster cannot be read.
    const std::uint64_t bad = saver.clusterSector(frag.start) + 1;
    saver.medium->failBytes(bad * 512, bad * 512 + 512);
    auto context = saver.context();
    SaveFatFile(context, saver.request(frag));
    std::string expected = original(frag);
    std::fill_n(expected.begin() + 512, 512, '\0');
    EXPECT_TRUE(sameBytes(test::readWholeFile(saver.out + "/FRAG.BIN"), expected));

    frag.size = 0;
    frag.name = "EMPTY.BIN";
    SaveFatFile(context, saver.request(frag));
    EXPECT_TRUE(sameBytes(test::readWholeFile(saver.out + "/EMPTY.BIN"), expected.substr(0, 4096)));
}

TEST(SaveFatFile, AFullDestinationStopsTheWholeSave) {
    if (!std::filesystem::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    Saver saver("fat16.img", "FAT16");
    auto context = saver.context();
    FileSaveRequest request = saver.request(manifest("fat16.img")[0]);
    request.destinationPath = "/dev/full";
    request.askFlag = 0;
    SaveFatFile(context, request);
    EXPECT_TRUE(saver.state.StopSaving);
    ASSERT_EQ(saver.prompter.messages.size(), 1u);
    EXPECT_EQ(saver.prompter.messages[0], kDestinationFullMessage);
}

class SkipAfterFirstBlock : public SaveProgress {
public:
    explicit SkipAfterFirstBlock(SaveState& state) : m_state(state) {}
    void fileStarted(const std::string&, const std::string&) override {}
    void bytesText(const std::string& text) override { texts.push_back(text); }
    void countText(const std::string& text) override { counts.push_back(text); }
    void currentBarRange(std::uint64_t) override {}
    void currentBarPosition(std::uint64_t) override { m_state.SkipCurrentFile = true; }
    void currentBarFull() override {}
    void totalBarStep() override {}
    std::vector<std::string> texts;
    std::vector<std::string> counts;

private:
    SaveState& m_state;
};

TEST(SaveFatFile, SkipEndsTheCurrentFileAndKeepsWhatWasWritten) {
    Saver saver("fat32.img", "FAT32");
    saver.state.FilesToSave = 2;
    SkipAfterFirstBlock progress(saver.state);
    auto context = saver.context(&progress);
    // A file of one cluster per sector needs several chunks: make it large enough by asking for 1 MiB.
    ManifestEntry big = manifest("fat32.img")[0];
    big.size = 1 << 20;
    SaveFatFile(context, saver.request(big));
    auto written = std::filesystem::file_size(saver.out + "/" + big.name);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, big.size);
    EXPECT_FALSE(saver.state.SkipCurrentFile);
    EXPECT_EQ(progress.counts, std::vector<std::string>{"1 / 2"});
    EXPECT_EQ(progress.texts.front(), "0 / 1048576 Bytes");
}

TEST(SaveNtfsFile, RecoversResidentNonResidentAndEmptyData) {
    Saver saver("ntfs.img", "NTFS");
    auto entries = manifest("ntfs.img");
    ASSERT_EQ(entries.size(), 3u);
    for (const ManifestEntry& e : entries) {
        auto context = saver.context();
        SaveNtfsFile(context, saver.request(e, true));
        EXPECT_TRUE(std::filesystem::exists(saver.out + "/" + e.name)) << e.name;
        EXPECT_TRUE(sameBytes(test::readWholeFile(saver.out + "/" + e.name), original(e))) << e.name;
    }
}

TEST(SaveNtfsFile, AnUnreadableRecordCreatesNoFile) {
    Saver saver("ntfs.img", "NTFS");
    const ManifestEntry big = manifest("ntfs.img")[0];
    const std::uint64_t record = saver.volumes.volumeParameters.MftStartSector + big.start * 2;
    saver.medium->failBytes(record * 512, record * 512 + 1024);
    auto context = saver.context();
    SaveNtfsFile(context, saver.request(big, true));
    EXPECT_FALSE(std::filesystem::exists(saver.out + "/" + big.name));
}

// A record with attributes laid out by hand: each attribute is {type, length, nonResident, nameLength}.
std::vector<std::byte> recordWith(std::initializer_list<std::array<std::uint32_t, 4>> attributes) {
    std::vector<std::byte> record(1024);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            record[at + i] = std::byte((v >> (8 * i)) & 0xFF);
    };
    record[0x14] = std::byte{0x38};
    std::size_t at = 0x38;
    for (const auto& a : attributes) {
        put32(at, a[0]);
        put32(at + 4, a[1]);
        record[at + 8] = std::byte(a[2]);
        record[at + 9] = std::byte(a[3]);
        at += a[1] ? a[1] : 8;
    }
    if (at + 4 <= record.size()) // an attribute claiming to run past the record leaves no room for the end
        put32(at, 0xFFFFFFFF);
    return record;
}

TEST(FindUnnamedData, FindsOnlyTheUnnamedStream) {
    struct Case {
        const char* what;
        std::vector<std::byte> record;
        UnnamedData kind;
    } cases[] = {
        {"resident", recordWith({{0x10, 0x60, 0, 0}, {0x80, 0x30, 0, 0}}), UnnamedData::Resident},
        {"non-resident", recordWith({{0x30, 0x70, 0, 0}, {0x80, 0x48, 1, 0}}), UnnamedData::NonResident},
        {"named streams only", recordWith({{0x80, 0x50, 0, 4}, {0x80, 0x50, 1, 2}}), UnnamedData::None},
        {"no data attribute", recordWith({{0x10, 0x60, 0, 0}}), UnnamedData::None},
        {"a zero length ends the search", recordWith({{0x10, 0, 0, 0}, {0x80, 0x30, 0, 0}}),
         UnnamedData::None},
        {"a length past the record", recordWith({{0x10, 2000, 0, 0}}), UnnamedData::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindUnnamedData(c.record).kind, c.kind) << c.what;
}

TEST(DecodeDataRuns, FollowsSignedDeltasAndKeepsSparseRuns) {
    std::vector<std::byte> record(1024);
    const std::size_t attribute = 0x100;
    record[attribute + 0x20] = std::byte{0x40};
    const std::uint8_t runs[] = {
        0x11, 0x04, 0x20,       // 4 clusters at 0x20
        0x11, 0x02, 0xFE,       // 2 clusters 2 back: 0x1E
        0x01, 0x03,             // 3 sparse clusters
        0x21, 0x01, 0x00, 0x01, // 1 cluster at 0x1E + 0x100
        0x00,
    };
    for (std::size_t i = 0; i < sizeof runs; ++i)
        record[attribute + 0x40 + i] = std::byte{runs[i]};
    auto extents = DecodeDataRuns(record, 1024, attribute);
    ASSERT_EQ(extents.size(), 4u);
    EXPECT_EQ(extents[0].firstCluster, 0x20u);
    EXPECT_EQ(extents[1].firstCluster, 0x1Eu);
    EXPECT_TRUE(extents[2].sparse);
    EXPECT_EQ(extents[2].clusterCount, 3u);
    EXPECT_EQ(extents[3].firstCluster, 0x11Eu);
    // Mapping pairs that would start past the limit decode to nothing.
    EXPECT_TRUE(DecodeDataRuns(record, attribute + 0x40, attribute).empty());
}

} // namespace
} // namespace salvora
