// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/volume_info.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "support/fixtures.h"

namespace salvora {
namespace {

std::vector<std::byte> directoryOf(std::initializer_list<std::pair<const char*, std::uint8_t>> entries) {
    std::vector<std::byte> bytes(512);
    std::size_t offset = 0;
    for (const auto& [name, attributes] : entries) {
        std::memcpy(bytes.data() + offset, name, 11);
        bytes[offset + 11] = std::byte{attributes};
        offset += 32;
    }
    return bytes;
}

TEST(VolumeInfo, FindsTheLabelEntryOfAFatDirectory) {
    struct Case {
        std::vector<std::byte> sector;
        const char* label;
        bool ended;
    } cases[] = {
        {directoryOf({{"CARD       ", 0x08}, {"DCIM       ", 0x10}}), "CARD", false},
        // A long-name part carries the label bit too, and a deleted label is gone.
        {directoryOf({{"AB\0C\0D\0E\0F\0", 0x0F}, {"\xE5LD        ", 0x08}, {"MY CARD    ", 0x28}}),
         "MY CARD", false},
        {directoryOf({{"DCIM       ", 0x10}}), "", true},
        {std::vector<std::byte>(512, std::byte{0x20}), "", false},
        {std::vector<std::byte>(17), "", false},
    };
    for (const Case& c : cases) {
        bool ended = false;
        EXPECT_EQ(fatLabelFromDirectory(c.sector, ended), c.label);
        EXPECT_EQ(ended, c.ended) << c.label;
    }
}

TEST(VolumeInfo, ReadsLabelSerialAndNameOfRealVolumes) {
    FileMedium ntfs(test::fixturePath("partitions/ntfs-volume.img"));
    VolumeInfo info = ReadVolumeInfo(ntfs);
    EXPECT_EQ(info.fileSystem, "NTFS");
    EXPECT_EQ(info.label, "FIXTURE");
    EXPECT_NE(info.serial, 0u);

    FileMedium fat32(test::fixturePath("partitions/superfloppy.img"));
    info = ReadVolumeInfo(fat32);
    EXPECT_EQ(info.fileSystem, "FAT32");
    EXPECT_EQ(info.label, "FIXTURE");
    EXPECT_EQ(info.serial, 0x1234ABCDu);

    info = ReadVolumeInfo(MemoryMedium(std::vector<std::byte>(4096)));
    EXPECT_TRUE(info.fileSystem.empty());
    EXPECT_TRUE(info.label.empty());
}

TEST(VolumeInfo, AnNtfsRecordWithABrokenUpdateSequenceGivesNoName) {
    // Record 3 of the fixture's MFT ($Volume), cut out of the image.
    FileMedium ntfs(test::fixturePath("partitions/ntfs-volume.img"));
    auto open = ntfs.open();
    std::vector<std::byte> boot(512);
    ASSERT_TRUE(open->readAt(0, boot));
    std::uint64_t clusterBytes = std::to_integer<std::uint64_t>(boot[0x0D]) * 512;
    std::uint64_t mftCluster = 0;
    for (int i = 0; i < 8; ++i)
        mftCluster |= std::to_integer<std::uint64_t>(boot[0x30 + i]) << (8 * i);
    std::vector<std::byte> record(1024);
    ASSERT_TRUE(open->readAt(mftCluster * clusterBytes + 3 * 1024, record));
    std::vector<std::byte> intact = record;
    EXPECT_EQ(ntfsVolumeNameFromRecord(intact), "FIXTURE");

    std::vector<std::byte> torn = record;
    torn[510] ^= std::byte{0xFF}; // the first sector's sequence number no longer matches
    EXPECT_EQ(ntfsVolumeNameFromRecord(torn), "");
    std::vector<std::byte> endless = record;
    endless[0x14] = std::byte{0xF0}; // the first attribute would lie at the record's very end
    endless[0x15] = std::byte{0x03};
    EXPECT_EQ(ntfsVolumeNameFromRecord(endless), "");
    std::vector<std::byte> tooShort(record.begin(), record.begin() + 100);
    EXPECT_EQ(ntfsVolumeNameFromRecord(tooShort), "");
}

} // namespace
} // namespace salvora
