// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/drive_list.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "../storage/fake_system.h"
#include "storage/bus_types.h"
#include "storage/sector_reader.h"
#include "support/disk_builder.h"
#include "support/fixtures.h"
#include "volumes/drive_panels.h"
#include "volumes/partition_entries.h"

namespace salvora {
namespace {

using test::fixturePath;

// One mode window's listing: the state it fills and the tree it lists into.
struct Listing {
    DriveListState state;
    VolumeState volumes;
    DeviceNamespace devices;
    DriveTree tree;
    DriveSources sources;
    DriveTreeRoots roots;

    void run(SearchMode mode = SearchMode::Basic) {
        roots = CreateDriveTreeRoots(tree);
        RefreshDriveList({state, volumes, devices, tree, sources, mode}, roots);
    }
    std::vector<std::string> childLabels(NodeId node) const {
        std::vector<std::string> labels;
        for (NodeId child : tree.node(node).children)
            labels.push_back(tree.node(child).label);
        return labels;
    }
    const DiskRecord& record(NodeId node) const { return *tree.record(node); }
    NodeId diskNode(std::size_t i) const { return tree.node(roots.physical).children.at(i); }
    NodeId driveNode(std::size_t i) const { return tree.node(roots.logical).children.at(i); }
};

std::string panelValue(const std::vector<PanelRow>& panel, const std::string& name) {
    for (const PanelRow& row : panel)
        if (row.name == name)
            return row.value;
    return "(no row " + name + ")";
}

TEST(DriveList, ListsTwoAttachedImagesWithPartitionsAndDrives) {
    Listing listing;
    listing.sources.diskImages = {fixturePath("partitions/mbr-extended.img"),
                                  fixturePath("partitions/gpt.img")};
    listing.sources.computerName = "WORKBENCH";
    listing.run();
    const DriveTree& tree = listing.tree;

    EXPECT_EQ(tree.node(listing.roots.computer).label, "My Computer");
    EXPECT_EQ(tree.node(listing.roots.computer).image, 0);
    EXPECT_TRUE(tree.node(listing.roots.computer).expanded);
    EXPECT_EQ(tree.node(listing.roots.physical).label, "Physical Drives");
    EXPECT_EQ(tree.node(listing.roots.physical).image, 3);
    EXPECT_EQ(tree.node(listing.roots.logical).label, "Logical Drives");
    EXPECT_EQ(tree.node(listing.roots.logical).image, 1);

    EXPECT_EQ(listing.childLabels(listing.roots.physical),
              (std::vector<std::string>{"Removable Media (Disk0 - 200.00 MB)",
                                        "Removable Media (Disk1 - 160.00 MB)"}));
    EXPECT_EQ(listing.childLabels(listing.diskNode(0)),
              (std::vector<std::string>{"Partition - 1 ( FAT32 )", "Partition - 2 ( FAT16 )",
                                        "Partition - 3 ( NTFS )"}));
    EXPECT_EQ(listing.childLabels(listing.diskNode(1)),
              (std::vector<std::string>{"Partition - 1 ( FAT32 )", "Partition - 2 ( NTFS )"}));
    EXPECT_EQ(tree.node(listing.diskNode(0)).image, 3);
    EXPECT_EQ(tree.node(tree.node(listing.diskNode(0)).children[0]).image, 2);

    // The volumes the system would mount, lettered from D: in disk and partition order; FAT16 reports "FAT".
    EXPECT_EQ(
        listing.childLabels(listing.roots.logical),
        (std::vector<std::string>{"D:\\ (64.00 MB - FIXTURE - FAT32)", "E:\\ (32.00 MB - FIXTURE - FAT)",
                                  "F:\\ (100.00 MB - FIXTURE - NTFS)", "G:\\ (64.00 MB - FIXTURE - FAT32)",
                                  "H:\\ (64.00 MB - FIXTURE - NTFS)"}));
    EXPECT_EQ(tree.node(listing.driveNode(0)).image, 2);

    const DiskRecord& disk = listing.record(listing.diskNode(0));
    EXPECT_EQ(disk.model, "Disk Image mbr-extended.img UNKNOWN Device");
    EXPECT_EQ(disk.mediaText, "Removable Media");
    EXPECT_EQ(disk.modeName, "Basic Search");
    EXPECT_EQ(disk.diskNumber, "0");
    EXPECT_EQ(disk.diskName, "Disk0");
    EXPECT_EQ(disk.sizeAndMedia, "200.00 MB - Removable Media");
    EXPECT_EQ(disk.interfaceType, "UNKNOWN");
    EXPECT_EQ(disk.cylinders, "25");
    EXPECT_EQ(disk.sectors, "409600");
    EXPECT_EQ(disk.systemName, "WORKBENCH");
    EXPECT_EQ(disk.physicalDeviceId, "\\\\.\\PHYSICALDRIVE0");
    EXPECT_EQ(disk.diskSizeMiB, 200u);
    EXPECT_EQ(listing.state.AttachedDiskIdentities,
              (std::vector<std::string>{"Disk Image mbr-extended.img UNKNOWN Device||200.00 MB||409600||0",
                                        "Disk Image gpt.img UNKNOWN Device||160.00 MB||327680||1"}));
    EXPECT_TRUE(listing.state.PartitionlessDisks.empty());
    EXPECT_EQ(listing.state.SelectionKind, "Logical");
    EXPECT_FALSE(listing.state.DriveListBusy);

    const DiskRecord& fat16 = listing.record(listing.driveNode(1));
    EXPECT_TRUE(fat16.isLogicalDrive());
    EXPECT_EQ(fat16.startSector, "0");
    EXPECT_EQ(fat16.totalSectors, "65536");
    EXPECT_EQ(fat16.fileSystem, "FAT");
    EXPECT_EQ(fat16.drive, "E:");
    EXPECT_EQ(fat16.volumeLabel, "FIXTURE");
    EXPECT_EQ(fat16.sizeText, "32.00 MB");
    EXPECT_EQ(fat16.freeText, "Unknown Size"); // an image is never mounted
    EXPECT_EQ(fat16.volumeSerial, "1234ABCD");
    EXPECT_EQ(fat16.totalBytes, 65536u * 512);
    EXPECT_EQ(fat16.volumeDisk, 0u);
    EXPECT_EQ(fat16.dynamicDisk, 0u);
    EXPECT_EQ(fat16.firstSectorOnDisk, 137216u);
    EXPECT_EQ(fat16.endSectorOnDisk, 137216u + 65536);
    const DiskRecord& gptNtfs = listing.record(listing.driveNode(4));
    EXPECT_EQ(gptNtfs.volumeDisk, 1u);
    EXPECT_EQ(gptNtfs.firstSectorOnDisk, 165888u);
    EXPECT_EQ(listing.state.AttachedVolumeEntries.at(1), "\\\\.\\E:|65536");
    EXPECT_EQ(listing.state.AttachedVolumeEntries.size(), 5u);

    // The device paths reach what the tree shows: E: starts with the FAT16 boot sector.
    std::array<std::byte, kSectorSize> sector{};
    ASSERT_NE(ReadSectors(listing.devices, volumePath('E'), 0, 1, sector.data()), 0);
    EXPECT_TRUE(bytesEqual(sector, 0x36, "FAT16"));
    EXPECT_NE(ReadSectors(listing.devices, physicalDrivePath(1), 0, 1, sector.data()), 0);
    EXPECT_EQ(ReadSectors(listing.devices, physicalDrivePath(2), 0, 1, sector.data()), 0);
    EXPECT_EQ(ReadSectors(listing.devices, volumePath('I'), 0, 1, sector.data()), 0);
}

TEST(DriveList, PartitionlessDisksAreSearchedInBasicAndDeepSearchAndIdentifiedElsewhere) {
    // A card formatted without a partition table: the walk finds no partition; the whole card is a drive.
    const std::string card = fixturePath("partitions/superfloppy.img");
    for (SearchMode mode : {SearchMode::Basic, SearchMode::Deep, SearchMode::Photo, SearchMode::Signature}) {
        Listing listing;
        listing.sources.diskImages = {card};
        listing.run(mode);
        ASSERT_EQ(listing.tree.node(listing.roots.physical).children.size(), 1u);
        EXPECT_TRUE(listing.tree.node(listing.diskNode(0)).children.empty());
        bool searches = mode == SearchMode::Basic || mode == SearchMode::Deep;
        EXPECT_EQ(listing.state.PartitionlessDisks.size(), searches ? 1u : 0u);
        EXPECT_EQ(listing.state.AttachedDiskIdentities.size(), searches ? 0u : 1u);
        if (searches) {
            const PartitionlessDisk& disk = listing.state.PartitionlessDisks[0];
            EXPECT_EQ(disk.devicePath, "\\\\.\\PhysicalDrive0");
            EXPECT_EQ(disk.totalSectors, 81920u);
            EXPECT_EQ(disk.tracksPerCylinder, 255u);
            EXPECT_EQ(disk.node, listing.diskNode(0));
        }
        ASSERT_EQ(listing.childLabels(listing.roots.logical),
                  (std::vector<std::string>{"D:\\ (40.00 MB - FIXTURE - FAT32)"}));
        EXPECT_EQ(listing.record(listing.driveNode(0)).modeName, searchModeName(mode));
        EXPECT_EQ(listing.record(listing.driveNode(0)).endSectorOnDisk, 81920u);
    }
}

TEST(DriveList, VolumeImagesFollowTheDisksVolumes) {
    Listing listing;
    listing.sources.diskImages = {fixturePath("partitions/mbr-fat16.img")};
    listing.sources.volumeImages = {fixturePath("partitions/ntfs-volume.img")};
    listing.run();
    ASSERT_EQ(
        listing.childLabels(listing.roots.logical),
        (std::vector<std::string>{"D:\\ (31.00 MB - FIXTURE - FAT)", "E:\\ (48.00 MB - FIXTURE - NTFS)"}));
    const DiskRecord& image = listing.record(listing.driveNode(1));
    EXPECT_FALSE(image.locatedOnDisk()); // on no listed disk: read through its own path
    EXPECT_EQ(image.volumeDisk, 0u);
    EXPECT_EQ(image.totalSectors, "98304");
}

TEST(DriveList, NoMediaLeavesBothBranchesEmpty) {
    Listing listing;
    listing.run();
    EXPECT_TRUE(listing.tree.node(listing.roots.physical).children.empty());
    EXPECT_TRUE(listing.tree.node(listing.roots.logical).children.empty());
    EXPECT_EQ(listing.tree.size(), 3u);
}

TEST(DriveList, ExaminesAtMost25Disks) {
    Listing listing;
    listing.sources.diskImages.assign(27, fixturePath("partitions/mbr-fat16.img"));
    listing.run(SearchMode::Photo);
    ASSERT_EQ(listing.tree.node(listing.roots.physical).children.size(), 25u);
    EXPECT_EQ(listing.tree.node(listing.diskNode(24)).label, "Removable Media (Disk24 - 32.00 MB)");
    EXPECT_EQ(listing.state.AttachedDiskIdentities.size(), 25u);
    // 25 volumes, but only the letters D: to Z:.
    ASSERT_EQ(listing.tree.node(listing.roots.logical).children.size(), 23u);
    EXPECT_EQ(listing.record(listing.driveNode(22)).drive, "Z:");
}

TEST(DriveList, AnImageThatVanishedKeepsItsNumberAndIsSkipped) {
    Listing listing;
    listing.sources.diskImages = {test::makeTempDir() + "/gone.img", fixturePath("partitions/mbr-fat16.img")};
    listing.run();
    EXPECT_EQ(listing.childLabels(listing.roots.physical),
              (std::vector<std::string>{"Removable Media (Disk1 - 32.00 MB)"}));
}

// Real devices, from a folder built like sysfs: images first, then the system's disks in name order,
// each examined disk using up its number whether it is listed or not.
TEST(DriveList, ListsRemovableDevicesAndNeverFixedOnes) {
    test::FakeSystem system;
    const std::string mountDir = test::makeTempDir();
    system.addDisk({"sda",
                    test::kUsbReaderPath,
                    "1",
                    409600,
                    "8:0",
                    {{"vendor", "Generic-"}, {"model", "SD/MMC"}, {"rev", "1.00"}},
                    fixturePath("partitions/mbr-extended.img")});
    system.addPartition("sda", "sda1", 1, 2048, 131072, "8:1");
    system.addPartition("sda", "sda2", 2, 135168, 2, "8:2"); // the extended container: no volume
    system.addPartition("sda", "sda5", 5, 137216, 65536, "8:5");
    system.addPartition("sda", "sda6", 6, 204800, 204799, "8:6");
    system.addMount("8:5", mountDir);
    system.addUdevLine("8:0", "E:ID_SERIAL_SHORT=058F63666485");
    system.addDisk({"sdb", test::kSataPath, "0", 1000215216, "8:16", {{"model", "Samsung SSD"}}, ""});
    system.addDisk({"sdc",
                    test::kUsbDiskPath,
                    "0",
                    65536,
                    "8:32",
                    {{"vendor", "WD"}, {"model", "Elements"}},
                    fixturePath("partitions/mbr-fat16.img")});
    system.addDisk({"sde", test::kUsbReaderPath, "1", 0, "8:64", {{"model", "MS/MS-Pro"}}, ""});
    system.addDisk({"mmcblk0",
                    test::kSdHostPath,
                    "0",
                    81920,
                    "179:0",
                    {{"type", "SD"}, {"name", "SL16G"}},
                    fixturePath("partitions/superfloppy.img")});

    Listing listing;
    listing.sources.diskImages = {fixturePath("partitions/gpt.img")};
    listing.sources.system = system.paths();
    listing.run(SearchMode::Photo);

    // Disk0 the image, Disk1 the reader (sda), Disk2 the fixed SATA disk, Disk3 the USB hard disk that
    // reports fixed media, Disk4 the reader's empty slot, Disk5 the SD card.
    EXPECT_EQ(listing.childLabels(listing.roots.physical),
              (std::vector<std::string>{"Removable Media (Disk0 - 160.00 MB)",
                                        "Removable Media (Disk1 - 200.00 MB)",
                                        "Removable Media (Disk5 - 40.00 MB)"}));
    const DiskRecord& reader = listing.record(listing.diskNode(1));
    EXPECT_EQ(reader.model, "Generic- SD/MMC USB Device");
    EXPECT_EQ(reader.interfaceType, "USB");
    EXPECT_EQ(reader.firmwareRevision, "1.00");
    EXPECT_EQ(reader.serialNumber, "058F63666485");
    EXPECT_EQ(CurrentDiskFromLabel(listing.tree.node(listing.diskNode(2)).label), 5);
    EXPECT_EQ(listing.record(listing.diskNode(2)).model, "SL16G Reserved Device");
    EXPECT_EQ(listing.state.AttachedDiskIdentities.at(1), "Generic- SD/MMC USB Device||200.00 MB||409600||1");

    // The reader's partitions come from its own table, as for an image.
    EXPECT_EQ(listing.childLabels(listing.diskNode(1)).size(), 3u);
    // Drives: the image's two volumes, the reader's three (not the container), the SD card as a whole.
    std::vector<std::string> drives = listing.childLabels(listing.roots.logical);
    ASSERT_EQ(drives.size(), 6u);
    EXPECT_EQ(drives[2], "F:\\ (64.00 MB - FIXTURE - FAT32)");
    const DiskRecord& mounted = listing.record(listing.driveNode(3));
    EXPECT_EQ(mounted.drive, "G:");
    EXPECT_EQ(mounted.volumeDisk, 1u);
    EXPECT_EQ(mounted.firstSectorOnDisk, 137216u);
    EXPECT_NE(mounted.freeText, "Unknown Size"); // free space asked at its mount point
    EXPECT_EQ(listing.record(listing.driveNode(2)).freeText, "Unknown Size");
    EXPECT_EQ(listing.record(listing.driveNode(5)).volumeDisk, 5u);
    EXPECT_EQ(listing.record(listing.driveNode(5)).endSectorOnDisk, 81920u);

    // The fixed disks are not reachable through any device path.
    std::array<std::byte, kSectorSize> sector{};
    EXPECT_EQ(ReadSectors(listing.devices, physicalDrivePath(3), 0, 1, sector.data()), 0);
    EXPECT_NE(ReadSectors(listing.devices, physicalDrivePath(5), 0, 1, sector.data()), 0);
}

TEST(DriveList, AReaderThatCannotBeReadIsListedWithoutPartitions) {
    test::FakeSystem system;
    system.addDisk({"sdb", test::kUsbReaderPath, "1", 65536, "8:16", {}, ""}); // no device node, no texts
    Listing listing;
    listing.sources.system = system.paths();
    listing.run();
    ASSERT_EQ(listing.childLabels(listing.roots.physical),
              (std::vector<std::string>{"Removable Media (Disk0 - 32.00 MB)"}));
    EXPECT_EQ(listing.record(listing.diskNode(0)).model, "USB Device");
    EXPECT_TRUE(listing.tree.node(listing.diskNode(0)).children.empty());
    EXPECT_TRUE(listing.tree.node(listing.roots.logical).children.empty());
    EXPECT_EQ(listing.state.PartitionlessDisks.size(), 1u);
}

TEST(DriveList, ReadsTheDiskNumberBackFromTheLabel) {
    struct Case {
        const char* label;
        int disk;
    } cases[] = {
        {"Removable Media (Disk1 - 1.88 GB)", 1},
        {"Removable Media (Disk24 - 1023 Byte)", 24},
        {"(Disk7-", 7},
        {"Removable Media (Disk - 1.88 GB)", 0},
        {"Removable Media", 0},
        {"(Dis", 0},
        {"", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CurrentDiskFromLabel(c.label), c.disk) << c.label;
    EXPECT_EQ(diskNodeLabel("Removable Media", 12, "3.75 GB"), "Removable Media (Disk12 - 3.75 GB)");
    EXPECT_EQ(CurrentDiskFromLabel(diskNodeLabel("Removable Media", 12, "3.75 GB")), 12);
}

TEST(DriveList, RecognisesDynamicDisks) {
    constexpr auto kLdm = "AF9B60A0-1431-4F62-BC68-3311714A69AD";
    test::DiskBuilder plain(64);
    plain.entry(0, 0, 0x0C, 2048, 4096);
    test::DiskBuilder mbrDynamic(64);
    mbrDynamic.entry(0, 0, 0x0C, 2048, 4096).entry(0, 1, 0x42, 8192, 4096);
    auto gpt = [](const char* typeGuid) {
        test::DiskBuilder disk(64);
        disk.entry(0, 0, 0xEE, 1, 63)
            .text(1, 0, "EFI PART")
            .u64(1, 0x48, 2)
            .u32(1, 0x50, 8)
            .u32(1, 0x54, 128);
        Guid guid = guidFromText(typeGuid);
        for (std::size_t i = 0; i < guid.size(); ++i)
            disk.byte(2, 128 + i, guid[i]); // the second entry
        disk.u64(2, 128 + 32, 34).u64(2, 128 + 40, 60);
        return disk.build();
    };
    EXPECT_FALSE(isDynamicDisk(*plain.build()));
    EXPECT_TRUE(isDynamicDisk(*mbrDynamic.build()));
    EXPECT_TRUE(isDynamicDisk(*gpt(kLdm)));
    EXPECT_FALSE(isDynamicDisk(*gpt("EBD0A0A2-B9E5-4433-87C0-68B6B72699C7")));
    EXPECT_FALSE(isDynamicDisk(MemoryMedium({})));
}

TEST(DriveList, FloppyDrivesAreRecognisedByTheirDevice) {
    EXPECT_FALSE(IsFloppy(fixturePath("partitions/mbr-fat16.img")));
    EXPECT_FALSE(IsFloppy("/nonexistent/fd0"));
    if (std::filesystem::exists("/dev/fd0")) {
        EXPECT_TRUE(IsFloppy("/dev/fd0"));
    }
}

TEST(DrivePanels, SelectingNodesShowsTheirPanelsAndSetsTheSelection) {
    Listing listing;
    listing.sources.diskImages = {fixturePath("partitions/mbr-fat16.img"),
                                  fixturePath("partitions/mbr-extended.img")};
    listing.sources.computerName = "WORKBENCH";
    listing.run(SearchMode::Deep);

    NodeSelection disk =
        SelectDriveNode(listing.state, listing.volumes, listing.tree, listing.diskNode(1), SearchMode::Deep);
    EXPECT_EQ(disk.kind, NodeSelection::Kind::PhysicalDisk);
    ASSERT_EQ(disk.panel.size(), 13u);
    EXPECT_EQ(disk.panel[0].name, "1. Model :");
    EXPECT_EQ(panelValue(disk.panel, "4. Capacity(size) :"), "200.00 MB");
    EXPECT_EQ(panelValue(disk.panel, "12. System Name :"), "WORKBENCH");
    EXPECT_EQ(panelValue(disk.panel, "13. Physical Device ID :"), "\\\\.\\PHYSICALDRIVE1");
    EXPECT_EQ(listing.state.SelectionKind, "Hard Disk");
    EXPECT_EQ(listing.volumes.CurrentDisk, 1);
    EXPECT_EQ(listing.state.currentDisk.identity,
              "Disk Image mbr-extended.img UNKNOWN Device||200.00 MB||409600||1");
    EXPECT_EQ(listing.state.currentDisk.totalSectors, 409600u);
    EXPECT_EQ(listing.state.currentDisk.heads, "255");

    NodeId partitionNode = listing.tree.node(listing.diskNode(1)).children[1];
    NodeSelection partition =
        SelectDriveNode(listing.state, listing.volumes, listing.tree, partitionNode, SearchMode::Deep);
    EXPECT_EQ(partition.kind, NodeSelection::Kind::Partition);
    ASSERT_EQ(partition.panel.size(), 7u);
    EXPECT_EQ(panelValue(partition.panel, "1. Disk Number : "), "1");
    EXPECT_EQ(panelValue(partition.panel, "2. Partition Number : "), "2");
    EXPECT_EQ(panelValue(partition.panel, "3. Partition Type : "), "FAT16");
    EXPECT_EQ(panelValue(partition.panel, "4. Search Mode : "), "Deep Search");
    EXPECT_EQ(panelValue(partition.panel, "5. Start Sector : "), "137216");
    EXPECT_EQ(panelValue(partition.panel, "6. End Sector : "), "202752");
    EXPECT_EQ(panelValue(partition.panel, "7. Size : "), "32.00 MB");

    NodeSelection drive =
        SelectDriveNode(listing.state, listing.volumes, listing.tree, listing.driveNode(2), SearchMode::Deep);
    EXPECT_EQ(drive.kind, NodeSelection::Kind::LogicalDrive);
    ASSERT_EQ(drive.panel.size(), 9u);
    EXPECT_EQ(panelValue(drive.panel, "1. Start Sector :"), "0");
    EXPECT_EQ(panelValue(drive.panel, "2. End Sector : "), "65536");
    EXPECT_EQ(panelValue(drive.panel, "3. Partition Type : "), "FAT");
    EXPECT_EQ(panelValue(drive.panel, "4. Volume : "), "F:");
    EXPECT_EQ(panelValue(drive.panel, "6. Size : "), "32.00 MB");
    EXPECT_EQ(panelValue(drive.panel, "7. Free Space : "), "Unknown Size");
    EXPECT_EQ(panelValue(drive.panel, "8. Search Mode : "), "Deep Search");
    EXPECT_EQ(panelValue(drive.panel, "9. Serial Number : "), "1234ABCD");
    EXPECT_EQ(listing.state.SelectionKind, "Logical");
    EXPECT_EQ(listing.state.selectedVolumePath, "\\\\.\\F:");

    EXPECT_EQ(SelectDriveNode(listing.state, listing.volumes, listing.tree, listing.roots.computer,
                              SearchMode::Deep)
                  .kind,
              NodeSelection::Kind::None);
    EXPECT_EQ(SelectDriveNode(listing.state, listing.volumes, listing.tree, 9999, SearchMode::Deep).kind,
              NodeSelection::Kind::None);
}

} // namespace
} // namespace salvora
