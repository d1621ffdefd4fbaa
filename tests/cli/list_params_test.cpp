// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace {

nlohmann::json runJson(const std::vector<std::string>& arguments) {
    CliRun run = runSalvora(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return nlohmann::json::parse(run.out, nullptr, false);
}

TEST(SalvoraParams, PrintsTheParametersOfEachKindOfTarget) {
    const std::string extended = fixturePath("partitions/mbr-extended.img");
    const std::string volume = fixturePath("partitions/ntfs-volume.img");
    // Global options may stand before or after the command name.
    auto fat16 = runJson({"--image", extended, "params", "disk0:2", "--json"});
    EXPECT_EQ(fat16["fileSystem"], "FAT16");
    EXPECT_EQ(fat16["firstFAT"], 137216 + 4);
    EXPECT_EQ(fat16["Cluster0Start"], 137216 + 164 - 8);

    auto ntfs = runJson({"params", "disk0:3", "--json", "--image", extended});
    EXPECT_EQ(ntfs["MftStartSector"], 204800 + 32);

    // A drive on a listed disk is read through the disk, at its sectors there.
    auto drive = runJson({"--image", extended, "params", "e:", "--json"});
    EXPECT_EQ(drive["devicePath"], R"(\\.\PhysicalDrive0)");
    EXPECT_EQ(drive["startSector"], 137216);
    EXPECT_EQ(drive["firstFAT"], 137216 + 4);

    // A volume image is its own drive, read from its first sector.
    auto image = runJson({"--image", extended, "--volume-image", volume, "params", "G:", "--json"});
    EXPECT_EQ(image["devicePath"], R"(\\.\G:)");
    EXPECT_EQ(image["MftStartSector"], 32);

    CliRun text = runSalvora({"--image", extended, "params", "disk0:1"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("secondFAT"), std::string::npos);
    EXPECT_NE(text.out.find("3089"), std::string::npos);
}

TEST(SalvoraParams, ExplainsWhatCannotBeDone) {
    const std::string extended = fixturePath("partitions/mbr-extended.img");
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {{"--image", extended, "params", "disk0:9"}, 1, "no partition 9"},
        {{"--image", extended, "params", "disk3"}, 1, "no physical disk disk3"},
        {{"--image", extended, "params", "Q:"}, 1, "no logical drive Q:"},
        {{"--image", extended, "params", "partition1"}, 2, "invalid target"},
        {{"--image", extended, "params", "disk0:0"}, 2, "invalid target"},
        {{"--image", extended, "params"}, 106, "target is required"},
        {{"--no-devices", "params", "disk0"}, 1, "no physical disk"},
    };
    for (const Case& c : cases) {
        CliRun run = runSalvora(c.arguments);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

TEST(SalvoraList, ShowsDisksPartitionsAndDrives) {
    auto listing = runJson({"--image", fixturePath("partitions/gpt.img"), "--image",
                            fixturePath("partitions/mbr-fat16.img"), "list", "--json"});
    ASSERT_EQ(listing["disks"].size(), 2u);
    EXPECT_EQ(listing["disks"][0]["partitions"][1]["label"], "Partition - 2 ( NTFS )");
    EXPECT_EQ(listing["disks"][1]["partitions"][0]["fileSystem"], "FAT16");
    ASSERT_EQ(listing["logicalDrives"].size(), 3u);
    EXPECT_EQ(listing["logicalDrives"][2]["drive"], "F:");
    EXPECT_EQ(listing["logicalDrives"][2]["fileSystem"], "FAT");
}

TEST(SalvoraMedia, RefusesWhatIsNotAnImageWithAClearMessage) {
    const std::string dir = makeTempDir();
    const std::string empty = dir + "/empty.img";
    std::ofstream(empty).close();
    const std::string truncated = dir + "/truncated.img";
    std::filesystem::copy_file(fixturePath("partitions/mbr-extended.img"), truncated);
    std::filesystem::resize_file(truncated, 204800 * 512); // cut where the NTFS partition begins
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {{"--image", empty, "list"}, 1, "smaller than one sector"},
        {{"--image", dir, "list"}, 1, "is a directory"},
        {{"--image", dir + "/missing.img", "list"}, 1, "No such file"},
        {{"--volume-image", empty, "params", "D:"}, 1, "smaller than one sector"},
        {{"--image", truncated, "params", "disk0:3"}, 1, "unable to calculate the NTFS parameters"},
    };
    for (const Case& c : cases) {
        CliRun run = runSalvora(c.arguments);
        EXPECT_FALSE(run.crashed) << c.says;
        EXPECT_EQ(run.exitCode, c.exitCode) << c.says << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
    // The truncated disk still lists what its table says, and the volumes that survive still work.
    CliRun listing = runSalvora({"--image", truncated, "list"});
    EXPECT_EQ(listing.exitCode, 0);
    EXPECT_NE(listing.out.find("Partition - 3 ( NTFS )"), std::string::npos);
    EXPECT_EQ(runSalvora({"--image", truncated, "params", "disk0:2"}).exitCode, 0);
}

} // namespace
} // namespace salvora::test
