// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/removable_devices.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "fake_system.h"
#include "storage/bus_types.h"
#include "storage/disk_images.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

using test::FakeDisk;
using test::FakeSystem;

const PhysicalDiskCandidate* find(const std::vector<PhysicalDiskCandidate>& disks, const std::string& name) {
    for (const PhysicalDiskCandidate& disk : disks)
        if (disk.name == name)
            return &disk;
    return nullptr;
}

// A machine with a fixed SATA disk, a USB card reader with a card, a USB hard disk that reports fixed
// media, an empty reader slot after a gap in the names, an SD card in the machine's own slot, the
// machine's soldered eMMC with its boot areas, and devices that are not disks at all.
class MachineWithReaders : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string card = test::fixturePath("partitions/mbr-fat16.img");
        system.addDisk({"sda",
                        test::kSataPath,
                        "0",
                        1000215216,
                        "8:0",
                        {{"vendor", "ATA     "}, {"model", "Samsung SSD 860 "}, {"rev", "4B6Q"}},
                        ""});
        system.addDisk({"sdb",
                        test::kUsbReaderPath,
                        "1",
                        65536,
                        "8:16",
                        {{"vendor", "Generic-"}, {"model", "SD/MMC          "}, {"rev", "1.00"}},
                        card});
        system.addPartition("sdb", "sdb1", 1, 2048, 63488, "8:17");
        system.addMount("8:17", "/media/my\\040card");
        system.addUdevLine("8:16", "E:ID_SERIAL=Generic-_SD_MMC_20120926571200000-0:0");
        system.addUdevLine("8:16", "E:ID_SERIAL_SHORT=20120926571200000");
        system.addDisk({"sdc",
                        test::kUsbDiskPath,
                        "0",
                        1953525168,
                        "8:32",
                        {{"vendor", "WD      "}, {"model", "Elements 25A2   "}, {"rev", "1021"}},
                        ""});
        system.addDisk({"sde",
                        test::kUsbReaderPath,
                        "1",
                        0,
                        "8:64",
                        {{"vendor", "Generic-"}, {"model", "MS/MS-Pro       "}},
                        ""});
        system.addDisk({"mmcblk0",
                        test::kSdHostPath,
                        "0",
                        31116288,
                        "179:0",
                        {{"type", "SD"}, {"name", "SL16G"}, {"fwrev", "0x0"}, {"serial", "0x7d5bd400"}},
                        ""});
        system.addDisk(
            {"mmcblk1", test::kEmmcPath, "0", 61071360, "179:32", {{"type", "MMC"}, {"name", "DG4032"}}, ""});
        system.addDisk({"mmcblk1boot0", test::kEmmcPath, "0", 8192, "179:64", {}, ""});
        system.addDisk({"sr0", test::kSataPath, "1", 2097151, "11:0", {}, ""});
        system.addVirtual("loop0");
        system.addVirtual("zram0");
    }
    FakeSystem system;
};

TEST_F(MachineWithReaders, FindsEveryHardwareDiskInNameOrder) {
    std::vector<std::string> names;
    for (const PhysicalDiskCandidate& disk : ScanBlockDevices(system.paths()))
        names.push_back(disk.name);
    EXPECT_EQ(names, (std::vector<std::string>{"sda", "sdb", "sdc", "sde", "mmcblk0", "mmcblk1"}));
}

TEST_F(MachineWithReaders, ReadsTheCardReadersProperties) {
    auto disks = ScanBlockDevices(system.paths());
    const PhysicalDiskCandidate* reader = find(disks, "sdb");
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->devicePath, system.root() + "/dev/sdb");
    EXPECT_TRUE(reader->readable);
    EXPECT_EQ(reader->busType, kBusUsb);
    ASSERT_TRUE(reader->geometry);
    EXPECT_EQ(reader->geometry->mediaType, kMediaRemovable);
    EXPECT_EQ(reader->totalSectors, 65536u);
    // Not a block device: the 255 x 63 layout, cylinders from the size.
    EXPECT_EQ(reader->geometry->tracksPerCylinder, 255u);
    EXPECT_EQ(reader->geometry->sectorsPerTrack, 63u);
    EXPECT_EQ(reader->geometry->cylinders, 65536u / (255 * 63));
    EXPECT_EQ(reader->strings.vendor, "Generic-");
    EXPECT_EQ(reader->strings.product, "SD/MMC");
    EXPECT_EQ(reader->strings.revision, "1.00");
    EXPECT_EQ(reader->strings.serial, "20120926571200000");
    ASSERT_TRUE(reader->partitions);
    ASSERT_EQ(reader->partitions->size(), 1u);
    EXPECT_EQ((*reader->partitions)[0].start, 2048u);
    EXPECT_EQ((*reader->partitions)[0].sectors, 63488u);
    EXPECT_EQ((*reader->partitions)[0].mountPoint, "/media/my card");
}

TEST_F(MachineWithReaders, TellsMediaAndBusOfEachKindOfDisk) {
    auto disks = ScanBlockDevices(system.paths());
    struct Case {
        const char* name;
        int bus;
        std::optional<int> media; // empty: no geometry (no medium)
    } cases[] = {
        {"sda", kBusSata, kMediaFixed},   {"sdc", kBusUsb, kMediaFixed},
        {"sde", kBusUsb, std::nullopt},   {"mmcblk0", kBusSd, kMediaRemovable},
        {"mmcblk1", kBusSd, kMediaFixed},
    };
    for (const Case& c : cases) {
        const PhysicalDiskCandidate* disk = find(disks, c.name);
        ASSERT_NE(disk, nullptr) << c.name;
        EXPECT_EQ(disk->busType, c.bus) << c.name;
        EXPECT_EQ(disk->geometry.has_value(), c.media.has_value()) << c.name;
        if (disk->geometry && c.media) {
            EXPECT_EQ(disk->geometry->mediaType, *c.media) << c.name;
        }
        EXPECT_FALSE(disk->readable) << c.name; // no device node in this tree
    }
    const PhysicalDiskCandidate* sd = find(disks, "mmcblk0");
    EXPECT_EQ(sd->strings.product, "SL16G");
    EXPECT_EQ(sd->strings.serial, "0x7d5bd400");
    EXPECT_TRUE(sd->strings.vendor.empty());
}

TEST(RemovableDevices, ADiskWithUnreadablePropertiesIsDescribedWithWhatCanBeRead) {
    FakeSystem system;
    system.addDisk({"sdb", test::kUsbReaderPath, "1", std::nullopt, "8:16", {}, ""});
    system.addDisk({"sdc", test::kUsbReaderPath, "1", 2048, "", {}, ""});
    std::filesystem::remove(system.root() + "/sys/block/sdc/removable");
    auto disks = ScanBlockDevices(system.paths());
    ASSERT_EQ(disks.size(), 2u);
    EXPECT_FALSE(disks[0].geometry); // no size: no geometry, the listing skips it
    EXPECT_TRUE(disks[0].strings.product.empty());
    ASSERT_TRUE(disks[1].geometry);
    EXPECT_EQ(disks[1].geometry->mediaType, kMediaFixed); // without the flag a disk counts as fixed
}

TEST(RemovableDevices, AMissingTreeHasNoDisks) {
    EXPECT_TRUE(ScanBlockDevices(SystemPaths{test::makeTempDir() + "/nothing"}).empty());
}

TEST(RemovableDevices, OrdersNamesAsTheKernelHandsThemOut) {
    std::vector<std::string> names = {"sdaa",    "mmcblk10", "sdb",      "vda",    "sdz",
                                      "mmcblk2", "sda",      "nvme10n1", "nvme2n1"};
    std::sort(names.begin(), names.end(), blockNameLess);
    EXPECT_EQ(names, (std::vector<std::string>{"sda", "sdb", "sdz", "sdaa", "mmcblk2", "mmcblk10", "nvme2n1",
                                               "nvme10n1", "vda"}));
}

TEST(RemovableDevices, FindsMountPointsByDeviceNumber) {
    FakeSystem system;
    system.addMount("8:17", "/media/a\\040b\\134c");
    system.addMount("8:1", "/boot");
    const std::string mountInfo = system.paths().mountInfo();
    EXPECT_EQ(mountPointOf(mountInfo, "8:17"), "/media/a b\\c");
    EXPECT_EQ(mountPointOf(mountInfo, "8:1"), "/boot");
    EXPECT_EQ(mountPointOf(mountInfo, "8:2"), "");
    EXPECT_EQ(mountPointOf(mountInfo, ""), "");
    EXPECT_EQ(mountPointOf(system.root() + "/missing", "8:1"), "");
}

TEST(DiskImages, DescribesAnImageAsARemovableDiskWithAStableSerial) {
    const std::string path = test::fixturePath("partitions/mbr-fat16.img");
    auto first = DescribeDiskImage(path, kBusUsb);
    ASSERT_TRUE(first) << first.error().message;
    EXPECT_EQ(first->strings.product, "Disk Image mbr-fat16.img");
    EXPECT_EQ(first->busType, kBusUsb);
    EXPECT_EQ(first->totalSectors, 65536u);
    EXPECT_EQ(first->geometry->mediaType, kMediaRemovable);
    EXPECT_EQ(first->strings.serial.size(), 16u);
    // The same bytes under another name and place give the same serial; other bytes another one.
    const std::string copy = test::makeTempDir() + "/copy.img";
    std::filesystem::copy_file(path, copy);
    EXPECT_EQ(DescribeDiskImage(copy, kBusUnknown)->strings.serial, first->strings.serial);
    EXPECT_NE(DescribeDiskImage(test::fixturePath("partitions/gpt.img"), kBusUsb)->strings.serial,
              first->strings.serial);
}

TEST(BusTypes, NamesAndMediaTexts) {
    EXPECT_EQ(BusTypeName(0), "UNKNOWN");
    EXPECT_EQ(BusTypeName(7), "USB");
    EXPECT_EQ(BusTypeName(12), "Reserved");
    EXPECT_EQ(BusTypeName(13), "");
    EXPECT_EQ(BusTypeName(kBusNvme), "");
    EXPECT_EQ(BusTypeName(-1), "");
    EXPECT_EQ(BusTypeFromName("usb"), kBusUsb);
    EXPECT_EQ(BusTypeFromName("IEEE 1394"), kBusIeee1394);
    EXPECT_EQ(BusTypeFromName("floppy"), -1);
    EXPECT_EQ(MediaText(kMediaRemovable, "USB"), "Removable Media");
    EXPECT_EQ(MediaText(kMediaFixed, "USB"), "External hard disk media");
    EXPECT_EQ(MediaText(kMediaFixed, "SATA"), "Fixed hard disk media");
    EXPECT_EQ(MediaText(0, "USB"), "");
}

} // namespace
} // namespace salvora
