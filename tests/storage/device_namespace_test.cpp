// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/device_namespace.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

TEST(DevicePath, KeepsTheStoredTextForms) {
    EXPECT_EQ(physicalDrivePath(1), R"(\\.\PhysicalDrive1)");
    EXPECT_EQ(physicalDrivePath(1).size(), 18u); // the disk digit is the eighteenth character
    EXPECT_EQ(physicalDrivePath(12), R"(\\.\PhysicalDrive12)");
    EXPECT_EQ(volumePath('e'), R"(\\.\E:)");
}

TEST(DevicePath, ParsesBothFormsAndRefusesOthers) {
    struct Case {
        const char* path;
        bool valid;
        DevicePathTarget::Kind kind;
        int disk;
        char letter;
    } cases[] = {
        {R"(\\.\PhysicalDrive0)", true, DevicePathTarget::Kind::PhysicalDisk, 0, 0},
        {R"(\\.\PHYSICALDRIVE25)", true, DevicePathTarget::Kind::PhysicalDisk, 25, 0},
        {R"(\\.\e:)", true, DevicePathTarget::Kind::Volume, 0, 'E'},
        {R"(\\.\PhysicalDrive)", false, {}, 0, 0},
        {R"(\\.\PhysicalDrive1x)", false, {}, 0, 0},
        {R"(\\.\PhysicalDrive99999)", false, {}, 0, 0},
        {R"(\\.\E:\)", false, {}, 0, 0},
        {"/dev/sdb", false, {}, 0, 0},
        {"", false, {}, 0, 0},
    };
    for (const Case& c : cases) {
        auto parsed = parseDevicePath(c.path);
        ASSERT_EQ(parsed.has_value(), c.valid) << c.path;
        if (!c.valid)
            continue;
        EXPECT_EQ(parsed->kind, c.kind) << c.path;
        EXPECT_EQ(parsed->disk, c.disk) << c.path;
        EXPECT_EQ(parsed->letter, c.letter) << c.path;
    }
}

TEST(DeviceNamespace, ResolvesOnlyWhatIsAttached) {
    DeviceNamespace devices;
    auto disk = std::make_shared<MemoryMedium>(std::vector<std::byte>(1024));
    devices.setPhysicalDisk(2, disk);
    devices.setVolume('d', disk);
    EXPECT_EQ(devices.resolve(R"(\\.\PhysicalDrive2)"), disk);
    EXPECT_EQ(devices.resolve(R"(\\.\D:)"), disk);
    EXPECT_EQ(devices.resolve(R"(\\.\PhysicalDrive1)"), nullptr);
    EXPECT_EQ(devices.resolve(R"(\\.\E:)"), nullptr);
    EXPECT_EQ(devices.physicalDiskNumbers(), std::vector<int>{2});
    devices.removePhysicalDisk(2);
    EXPECT_EQ(devices.resolve(R"(\\.\PhysicalDrive2)"), nullptr);
}

} // namespace
} // namespace salvora
