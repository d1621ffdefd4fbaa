// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/volume_parameters.h"

#include <gtest/gtest.h>

#include "support/fixtures.h"
#include "support/test_media.h"

namespace salvora {
namespace {

struct Selection {
    const char* image;
    const char* fileSystem;
    std::uint64_t start;
    std::uint64_t end;
};

// Computes the parameters of a selection on disk 0, optionally through a damaged copy of the image.
struct Computation {
    VolumeState volumes;
    DeviceNamespace devices;
    std::shared_ptr<test::PatchedMedium> disk;

    explicit Computation(const Selection& s)
        : disk(std::make_shared<test::PatchedMedium>(std::make_shared<FileMedium>(test::fixturePath(s.image)))) {
        devices.setPhysicalDisk(0, disk);
        volumes.selectedVolume = {physicalDrivePath(0), s.fileSystem, s.start, s.end};
    }
    bool run() { return ComputeVolumeParameters(volumes, devices); }
    const VolumeParameters& p() const { return volumes.volumeParameters; }
};

const Selection kFat32{"partitions/mbr-extended.img", "FAT32", 2048, 133120};
const Selection kFat16{"partitions/mbr-extended.img", "FAT16", 137216, 202752};
const Selection kNtfsMbr{"partitions/mbr-extended.img", "NTFS", 204800, 409600};
const Selection kNtfsGpt{"partitions/gpt.img", "NTFS", 165888, 296959};

void expectFat(const VolumeParameters& p, std::uint32_t spf, std::uint32_t spc, std::uint32_t rootSec,
               std::uint32_t rootStart, std::uint32_t reserved, std::uint64_t cluster0, std::uint32_t first,
               std::uint32_t second) {
    EXPECT_EQ(p.SPF, spf);
    EXPECT_EQ(p.SPC, spc);
    EXPECT_EQ(p.RootSec, rootSec);
    EXPECT_EQ(p.RootStartSec, rootStart);
    EXPECT_EQ(p.ReserveSecStart, reserved);
    EXPECT_EQ(p.Cluster0Start, cluster0);
    EXPECT_EQ(p.firstFAT, first);
    EXPECT_EQ(p.secondFAT, second);
}

// The expected sectors are those fsstat reports for these mkfs.fat/mkntfs volumes.
TEST(VolumeParameters, Fat16MatchesTheLayoutMkfsWrote) {
    Computation c(kFat16);
    ASSERT_TRUE(c.run());
    // FAT 0 at +4, FAT 1 at +68, root directory at +132 (32 sectors), data area (cluster 2) at +164.
    expectFat(c.p(), 64, 4, 32, 137216 + 132, 4, 137216 + 164 - 8, 137216 + 4, 137216 + 68);
}

TEST(VolumeParameters, Fat32MatchesTheLayoutMkfsWrote) {
    Computation c(kFat32);
    ASSERT_TRUE(c.run());
    expectFat(c.p(), 1009, 1, 0, 2, 32, 2048 + 32 + 2 * 1009 - 2, 2048 + 32, 2048 + 32 + 1009);
}

TEST(VolumeParameters, Fat32FallsBackToTheBackupBootSector) {
    Computation c(kFat32);
    c.disk->fillSector(2048, std::byte{0});
    ASSERT_TRUE(c.run());
    EXPECT_EQ(c.p().firstFAT, 2048u + 32);
    EXPECT_EQ(c.p().SPF, 1009u);
}

TEST(VolumeParameters, FatFailsWithoutTheMediaByteInTheSecondFat) {
    Computation fat16(kFat16);
    fat16.disk->fillSector(137216 + 68, std::byte{0});
    EXPECT_FALSE(fat16.run());

    Computation fat32(kFat32);
    fat32.disk->fillSector(2048 + 32 + 1009, std::byte{0});
    EXPECT_FALSE(fat32.run());

    Computation bothBootSectorsGone(kFat32);
    bothBootSectorsGone.disk->fillSector(2048, std::byte{0});
    bothBootSectorsGone.disk->fillSector(2048 + 6, std::byte{0});
    EXPECT_FALSE(bothBootSectorsGone.run());
}

TEST(VolumeParameters, NtfsFindsTheMftAndItsMirror) {
    struct Case {
        Selection selection;
        std::uint64_t mft;
        std::uint64_t mirror;
    } cases[] = {
        {kNtfsMbr, 204800 + 4 * 8, 204800 + 12799 * 8},
        {kNtfsGpt, 165888 + 4 * 8, 165888 + 8191 * 8},
    };
    for (const Case& k : cases) {
        Computation c(k.selection);
        ASSERT_TRUE(c.run()) << k.selection.image;
        EXPECT_EQ(c.p().SPC, 8u);
        EXPECT_EQ(c.p().Cluster0Start, k.selection.start);
        EXPECT_EQ(c.p().MftStartSector, k.mft);
        EXPECT_EQ(c.p().MftMirrorSector, k.mirror);
        EXPECT_EQ(c.p().SectorsPerMftRecord, 2u);
        EXPECT_EQ(c.p().SectorsPerIndexRecord, 8u);
        EXPECT_EQ(c.p().SPF, 0u); // FAT fields stay unset
    }
}

TEST(VolumeParameters, NtfsUsesTheBackupBootSectorWhenThePrimaryIsDamaged) {
    // GUID entries end inclusive: the backup is at E. MBR entries end one past the volume: it is at E - 1.
    for (const Selection& s : {kNtfsGpt, kNtfsMbr}) {
        Computation c(s);
        c.disk->fillSector(s.start, std::byte{0});
        ASSERT_TRUE(c.run()) << s.image;
        EXPECT_EQ(c.p().MftStartSector, s.start + 32);
    }
    // A primary whose cluster size is nonsense flips to the backup too.
    Computation c(kNtfsGpt);
    c.disk->patch(kNtfsGpt.start * 512 + 0x0D, {std::byte{3}});
    ASSERT_TRUE(c.run());
    EXPECT_EQ(c.p().SPC, 8u);
}

TEST(VolumeParameters, NtfsWithBothBootSectorsDamagedAsksForAPartitionSearch) {
    Computation c(kNtfsGpt);
    c.disk->fillSector(kNtfsGpt.start, std::byte{0});
    c.disk->fillSector(kNtfsGpt.end, std::byte{0});
    int searches = 0;
    c.volumes.automaticPartitionSearch = [&] { ++searches; };
    EXPECT_FALSE(c.run());
    EXPECT_EQ(searches, 1);
}

TEST(VolumeParameters, NtfsFailsWhenNeitherTheMftNorItsMirrorIsFound) {
    Computation c(kNtfsGpt);
    c.disk->fillSector(kNtfsGpt.start + 32, std::byte{0});
    ASSERT_TRUE(c.run());
    EXPECT_EQ(c.p().MftStartSector, 0u);
    EXPECT_NE(c.p().MftMirrorSector, 0u);

    Computation none(kNtfsGpt);
    none.disk->fillSector(kNtfsGpt.start + 32, std::byte{0});
    none.disk->fillSector(kNtfsGpt.start + 8191 * 8, std::byte{0});
    EXPECT_FALSE(none.run());
}

TEST(VolumeParameters, OtherFileSystemNamesFailAtOnce) {
    for (const char* name : {"Unknown", "", "exFAT", "fat32"}) {
        Computation c({"partitions/mbr-extended.img", name, 2048, 133120});
        EXPECT_FALSE(c.run()) << name;
    }
}

TEST(GuessFileSystemBySize, DecidesBySizeAlone) {
    const std::uint64_t mib = 2048; // sectors
    struct Case {
        std::uint64_t start;
        std::uint64_t end;
        const char* name;
    } cases[] = {
        {0, 35 * 1024 * mib, "NTFS"},
        {0, 35 * 1024 * mib - 1, "FAT32"},
        {63, 63 + mib, "FAT32"},
        {63, 63 + mib - 1, "Unknown"},
        {500, 100, "Unknown"}, // an end before the start is no size at all
    };
    for (const Case& c : cases)
        EXPECT_EQ(GuessFileSystemBySize(c.start, c.end), c.name) << c.start << "-" << c.end;
}

TEST(NormaliseFileSystemName, MapsSystemNamesToTheFourKnownOnes) {
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {{"FAT", "FAT16"},   {" FAT16 ", "FAT16"}, {"FAT32", "FAT32"}, {"NTFS", "NTFS"},
                 {"exFAT", "Unknown"}, {"FAT12", "Unknown"}, {"", "Unknown"},    {"fat32", "Unknown"}};
    for (const Case& c : cases)
        EXPECT_EQ(NormaliseFileSystemName(c.in), c.out) << c.in;
}

} // namespace
} // namespace salvora
