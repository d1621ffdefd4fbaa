// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/sector_reader.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/fixtures.h"
#include "support/test_media.h"

namespace salvora {
namespace {

const std::string kDisk0 = physicalDrivePath(0);

// A medium of `sectors` sectors where every byte of sector s holds s & 0xFF.
std::shared_ptr<MemoryMedium> numberedSectors(std::size_t sectors) {
    std::vector<std::byte> bytes(sectors * kSectorSize);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::byte>((i / kSectorSize) & 0xFF);
    return std::make_shared<MemoryMedium>(std::move(bytes));
}

TEST(ReadSectors, ReadsTheRequestedRun) {
    DeviceNamespace devices;
    devices.setPhysicalDisk(0, numberedSectors(16));
    std::vector<std::byte> buffer(3 * kSectorSize);
    ASSERT_NE(ReadSectors(devices, kDisk0, 5, 3, buffer.data()), 0);
    EXPECT_EQ(buffer[0], std::byte{5});
    EXPECT_EQ(buffer[kSectorSize], std::byte{6});
    EXPECT_EQ(buffer[3 * kSectorSize - 1], std::byte{7});
}

TEST(ReadSectors, SectorsAbove2To32AreReadAtTheFull64BitOffset) {
    DeviceNamespace devices;
    auto medium = std::make_shared<test::RecordingMedium>(std::uint64_t{1} << 45);
    devices.setPhysicalDisk(0, medium);
    std::vector<std::byte> buffer(kSectorSize);
    const std::uint64_t sector = (std::uint64_t{1} << 32) + 5;
    ASSERT_NE(ReadSectors(devices, kDisk0, sector, 1, buffer.data()), 0);
    ASSERT_EQ(medium->offsets().size(), 1u);
    EXPECT_EQ(medium->offsets()[0], sector * 512);
}

TEST(ReadSectors, AShortReadAtTheEndSucceedsAndKeepsTheBufferTail) {
    DeviceNamespace devices;
    devices.setPhysicalDisk(0, numberedSectors(4));
    std::vector<std::byte> buffer(3 * kSectorSize, std::byte{0xEE});
    ASSERT_NE(ReadSectors(devices, kDisk0, 3, 3, buffer.data()), 0);
    EXPECT_EQ(buffer[0], std::byte{3});
    EXPECT_EQ(buffer[kSectorSize], std::byte{0xEE});
    EXPECT_EQ(buffer.back(), std::byte{0xEE});
}

TEST(ReadSectors, PathsThatCannotBeOpenedReturnZero) {
    DeviceNamespace devices;
    const std::string dir = test::makeTempDir();
    devices.setPhysicalDisk(1, std::make_shared<FileMedium>(dir));                 // a directory
    devices.setPhysicalDisk(2, std::make_shared<FileMedium>(dir + "/missing.img")); // a removed card
    std::vector<std::byte> buffer(kSectorSize, std::byte{0x11});
    for (const std::string& path : {physicalDrivePath(1), physicalDrivePath(2), physicalDrivePath(3),
                                    std::string(R"(\\.\Q:)"), std::string("not a device path")})
        EXPECT_EQ(ReadSectors(devices, path, 0, 1, buffer.data()), 0) << path;
    EXPECT_EQ(buffer[0], std::byte{0x11});
}

TEST(ReadSectors, ReadsAnImageFileAndNeverChangesIt) {
    const std::string path = test::makeTempDir() + "/disk.img";
    {
        std::ofstream out(path, std::ios::binary);
        for (int s = 0; s < 8; ++s)
            out << std::string(kSectorSize, static_cast<char>('a' + s));
    }
    const std::string before = test::sha256OfFile(path);
    DeviceNamespace devices;
    devices.setPhysicalDisk(0, std::make_shared<FileMedium>(path));
    std::vector<std::byte> buffer(2 * kSectorSize);
    ASSERT_NE(ReadSectors(devices, kDisk0, 6, 2, buffer.data()), 0);
    EXPECT_EQ(buffer[0], std::byte{'g'});
    EXPECT_EQ(buffer[kSectorSize], std::byte{'h'});
    EXPECT_EQ(test::sha256OfFile(path), before);
}

TEST(DeviceHandle, ReadsSequentialChunksThroughOneOpen) {
    DeviceNamespace devices;
    devices.setPhysicalDisk(0, numberedSectors(10));
    DeviceHandle handle;
    ASSERT_TRUE(handle.open(devices, kDisk0));
    handle.seek(2);
    std::vector<std::byte> chunk(4 * kSectorSize);
    std::size_t got = 0;
    ASSERT_TRUE(handle.read(chunk.data(), chunk.size(), got));
    EXPECT_EQ(got, chunk.size());
    EXPECT_EQ(chunk[0], std::byte{2});
    ASSERT_TRUE(handle.read(chunk.data(), chunk.size(), got));
    EXPECT_EQ(chunk[0], std::byte{6});
    ASSERT_TRUE(handle.read(chunk.data(), chunk.size(), got));
    EXPECT_EQ(got, 0u); // past the end: nothing more
}

TEST(DeviceHandle, FailsInAFaultyRangeAndWhileTheMediumIsAway) {
    DeviceNamespace devices;
    auto medium = std::make_shared<test::FaultyMedium>(numberedSectors(64));
    medium->failBytes(20 * kSectorSize, 24 * kSectorSize);
    devices.setPhysicalDisk(0, medium);
    DeviceHandle handle;
    ASSERT_TRUE(handle.open(devices, kDisk0));
    std::vector<std::byte> chunk(8 * kSectorSize);
    std::size_t got = 0;
    handle.seek(16);
    EXPECT_FALSE(handle.read(chunk.data(), chunk.size(), got));
    handle.seek(32);
    EXPECT_TRUE(handle.read(chunk.data(), chunk.size(), got));

    medium->remove();
    handle.seek(40);
    EXPECT_FALSE(handle.read(chunk.data(), chunk.size(), got));
    EXPECT_FALSE(DeviceHandle().open(devices, kDisk0));
    EXPECT_EQ(ReadSectors(devices, kDisk0, 40, 1, chunk.data()), 0);

    medium->reinsert();
    EXPECT_TRUE(handle.read(chunk.data(), chunk.size(), got));
    EXPECT_NE(ReadSectors(devices, kDisk0, 40, 1, chunk.data()), 0);
    EXPECT_EQ(chunk[0], std::byte{40});
}

} // namespace
} // namespace salvora
