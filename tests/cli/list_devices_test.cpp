// SPDX-License-Identifier: GPL-3.0-or-later
// salvora list as a user sees it: attached images and removable devices (from a folder built like sysfs),
// the no-device situation, and selections that read a device's drive through the device.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "../storage/fake_system.h"
#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace {

TEST(SalvoraListTree, PrintsTheTreeWithEveryNodesPanel) {
    CliRun run = runSalvora({"--no-devices", "--image", fixturePath("partitions/mbr-extended.img"), "--image",
                             fixturePath("partitions/gpt.img"), "list"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* text : {
             "My Computer\n  Physical Drives\n    Removable Media (Disk0 - 200.00 MB)\n",
             "    Removable Media (Disk1 - 160.00 MB)\n",
             "      Partition - 3 ( NTFS )\n",
             "        1. Model :                  Disk Image gpt.img UNKNOWN Device\n",
             "        13. Physical Device ID :    \\\\.\\PHYSICALDRIVE1\n",
             "          5. Start Sector :           137216\n",
             "  Logical Drives\n    D:\\ (64.00 MB - FIXTURE - FAT32)\n",
             "    E:\\ (32.00 MB - FIXTURE - FAT)\n",
             "        7. Free Space :             Unknown Size\n",
         })
        EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
}

TEST(SalvoraListTree, SaysSoWhenNothingRemovableIsThere) {
    FakeSystem system;
    system.addDisk({"sda", kSataPath, "0", 1000215216, "8:0", {}, ""});
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"--no-devices", "list"},
                                                      {"--system-root", system.root(), "list", "--json"}}) {
        CliRun run = runSalvora(arguments);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("no memory card or other removable USB storage was found"), std::string::npos)
            << run.err;
    }
}

TEST(SalvoraListTree, ListsRemovableDevicesAfterTheImagesAndReadsTheirDrivesThroughTheDisk) {
    FakeSystem system;
    system.addDisk({"sda", kSataPath, "0", 1000215216, "8:0", {}, ""});
    system.addDisk({"sdb",
                    kUsbReaderPath,
                    "1",
                    65536,
                    "8:16",
                    {{"vendor", "Generic-"}, {"model", "SD/MMC"}},
                    fixturePath("partitions/mbr-fat16.img")});
    system.addPartition("sdb", "sdb1", 1, 2048, 63488, "8:17");
    const std::vector<std::string> media = {"--system-root", system.root(), "--image",
                                            fixturePath("partitions/gpt.img")};
    auto run = [&media](std::vector<std::string> command) {
        command.insert(command.begin(), media.begin(), media.end());
        return runSalvora(command);
    };

    CliRun listed = run({"list", "--json", "--mode", "photo"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    auto json = nlohmann::json::parse(listed.out);
    ASSERT_EQ(json["disks"].size(), 2u);
    EXPECT_EQ(json["disks"][1]["label"], "Removable Media (Disk2 - 32.00 MB)"); // sda is Disk1, not listed
    EXPECT_EQ(json["disks"][1]["model"], "Generic- SD/MMC USB Device");
    EXPECT_EQ(json["disks"][1]["source"], system.root() + "/dev/sdb");
    EXPECT_EQ(json["logicalDrives"][2]["drive"], "F:");
    EXPECT_EQ(json["logicalDrives"][2]["disk"], 2);
    EXPECT_EQ(json["attachedDiskIdentities"][0], "Disk Image gpt.img UNKNOWN Device||160.00 MB||327680||0");
    EXPECT_EQ(json["searchMode"], "Photo Search");
    // Another run, another process: the same identities.
    EXPECT_EQ(nlohmann::json::parse(run({"list", "--json", "--mode", "photo"}).out)["attachedDiskIdentities"],
              json["attachedDiskIdentities"]);

    CliRun drive = run({"params", "F:", "--json"});
    ASSERT_EQ(drive.exitCode, 0) << drive.err;
    auto params = nlohmann::json::parse(drive.out);
    EXPECT_EQ(params["devicePath"], "\\\\.\\PhysicalDrive2");
    EXPECT_EQ(params["startSector"], 2048);
    EXPECT_EQ(params["fileSystem"], "FAT16");

    CliRun fixed = run({"params", "disk1"});
    EXPECT_EQ(fixed.exitCode, 1);
    EXPECT_NE(fixed.err.find("no physical disk disk1"), std::string::npos);
}

TEST(SalvoraListTree, ImagesCanReportAnotherBus) {
    CliRun run = runSalvora({"--no-devices", "--image-bus", "usb", "--image",
                             fixturePath("partitions/mbr-fat16.img"), "list", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["disks"][0]["model"], "Disk Image mbr-fat16.img USB Device");
    CliRun bad =
        runSalvora({"--image-bus", "floppy", "--image", fixturePath("partitions/mbr-fat16.img"), "list"});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("unknown bus type 'floppy'"), std::string::npos) << bad.err;
}

} // namespace
} // namespace salvora::test
