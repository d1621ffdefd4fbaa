// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/fat_volume.h"

#include <gtest/gtest.h>

#include "fsrecovery/fat/parameter_recovery.h"

namespace salvora::fat {
namespace {

// A volume in memory whose FAT starts at sector 1.
struct MemoryFat {
    std::vector<std::byte> bytes;
    DeviceNamespace devices;
    VolumeParameters params;
    bool fat32;

    MemoryFat(bool isFat32, std::uint32_t spf) : bytes((1 + spf) * 512), fat32(isFat32) {
        params.firstFAT = 1;
        params.SPF = spf;
        params.SPC = 1;
    }
    void set(std::uint32_t cluster, std::uint32_t value) {
        const std::size_t width = fat32 ? 4 : 2;
        const std::size_t at = 512 + cluster * width;
        for (std::size_t i = 0; i < width; ++i)
            bytes.at(at + i) = std::byte((value >> (8 * i)) & 0xFF);
    }
    ClusterChain chain(std::uint32_t first) {
        devices.setVolume('D', std::make_shared<MemoryMedium>(bytes));
        FatVolume volume(devices, volumePath('D'), params, fat32);
        StopFlag stop{false};
        return volume.FollowChain(first, stop);
    }
};

TEST(FollowChain, Fat16EndMarksAndReservedValues) {
    MemoryFat fat(false, 256);
    fat.set(2, 3);
    fat.set(3, 0xFFF8); // followed like a cluster number
    fat.set(0xFFF8, 0xFFFF);
    fat.set(10, 11);
    fat.set(11, 0x0001);
    fat.set(20, 0); // a free entry ends the chain
    EXPECT_EQ(fat.chain(2), (ClusterChain{2, 3, 0xFFF8}));
    EXPECT_EQ(fat.chain(10), (ClusterChain{10, 11}));
    EXPECT_EQ(fat.chain(20), (ClusterChain{20}));
}

TEST(FollowChain, LoopsAndClustersBeyondTheFatEndTheChain) {
    MemoryFat fat(false, 2);
    fat.set(4, 5);
    fat.set(5, 6);
    fat.set(6, 4);      // back to the start
    fat.set(7, 0xFF00); // its FAT sector lies beyond SPF
    EXPECT_EQ(fat.chain(4), (ClusterChain{4, 5, 6}));
    EXPECT_EQ(fat.chain(7), (ClusterChain{7, 0xFF00}));
    EXPECT_EQ(fat.chain(0x8000), (ClusterChain{0x8000}));
}

TEST(FollowChain, Fat32TakesAllThirtyTwoBits) {
    MemoryFat fat(true, 4);
    fat.set(2, 3);
    fat.set(3, 0x0FFFFFFF);
    fat.set(5, 0x10000006); // upper bits set: not a cluster number
    fat.set(8, 0x0FFFFFF8);
    EXPECT_EQ(fat.chain(2), (ClusterChain{2, 3}));
    EXPECT_EQ(fat.chain(5), (ClusterChain{5}));
    EXPECT_EQ(fat.chain(8), (ClusterChain{8, 0x0FFFFFF8}));
}

TEST(FollowChain, NoFatNoChainAndStopEndsIt) {
    MemoryFat fat(false, 2);
    fat.set(2, 3);
    fat.set(3, 0xFFFF);
    fat.params.firstFAT = 0;
    EXPECT_EQ(fat.chain(2), (ClusterChain{2}));
    fat.params.firstFAT = 1;
    fat.devices.setVolume('D', std::make_shared<MemoryMedium>(fat.bytes));
    FatVolume volume(fat.devices, volumePath('D'), fat.params, false);
    StopFlag stop{true};
    EXPECT_EQ(volume.FollowChain(2, stop), (ClusterChain{2}));
}

TEST(ParametersFromPair, ClusterSizeAndDataAreaFromTwoDirectories) {
    // Cluster 3 at sector 1000 and cluster 7 at sector 1032: 8 sectors a cluster, cluster 0 at 976.
    auto p = parametersFromPair({1000, 3}, {1032, 7}, 0, 32, true);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->SPC, 8u);
    EXPECT_EQ(p->Cluster0Start, 976u);
    EXPECT_EQ(p->firstFAT, 32u);
    EXPECT_EQ(p->SPF, (1000u - 8u - 32u) / 2u);
    EXPECT_EQ(p->RootStartSec, 2u);

    auto fat16 = parametersFromPair({1000, 3}, {1032, 7}, 0, 1, false);
    ASSERT_TRUE(fat16);
    EXPECT_EQ(fat16->SPF, (1000u - 8u - 1u - 32u) / 2u);
    EXPECT_EQ(fat16->RootStartSec, 1u + 2u * fat16->SPF);
    EXPECT_EQ(fat16->RootSec, 32u);
}

TEST(ParametersFromPair, InconsistentPairsGiveNothing) {
    EXPECT_FALSE(parametersFromPair({1000, 3}, {1030, 7}, 0, 32, true));    // 30 / 4 does not divide
    EXPECT_FALSE(parametersFromPair({1000, 3}, {1012, 7}, 0, 32, true));    // quotient 3
    EXPECT_FALSE(parametersFromPair({1000, 3}, {1032, 3}, 0, 32, true));    // same cluster
    EXPECT_FALSE(parametersFromPair({1000, 7}, {1032, 3}, 0, 32, true));    // negative quotient
    EXPECT_FALSE(parametersFromPair({10, 3}, {42, 7}, 0, 32, true));        // data area before the FAT
    EXPECT_FALSE(parametersFromPair({1000, 3}, {1032, 2000}, 0, 32, true)); // cluster above the sector
}

} // namespace
} // namespace salvora::fat
