// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace {

// Cards made by tests/fixtures/make-lost-partition-fixtures: FAT32 at 63, FAT16 at 128520, NTFS at 192843,
// once as made and once with sector 0 wiped.
const std::string kWiped = "lost/lost-card-wiped.img";
const std::string kIntact = "lost/lost-card.img";

nlohmann::json runJson(const std::vector<std::string>& arguments) {
    CliRun run = runSalvora(arguments);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return nlohmann::json::parse(run.out, nullptr, false);
}

TEST(SalvoraFindPartitions, FindsThePartitionsOfACardWhoseTableWasWiped) {
    const std::string card = fixturePath(kWiped);
    const std::string before = sha256OfFile(card);

    CliRun text = runSalvora({"--no-devices", "--image", card, "find-partitions", "disk0"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.out, "Partition - 1 ( FAT32 )  FAT32  start 63  end 128511  target disk0:1\n"
                        "Partition - 2 ( FAT16 )  FAT16  start 128520  end 192776  target disk0:2\n"
                        "Partition - 3 ( NTFS )  NTFS  start 192843  end 321298  target disk0:3\n"
                        "Found 3 more partitions in selected Disk ( Disk - 0 )\n");

    auto json = runJson({"--no-devices", "--image", card, "find-partitions", "disk0", "--json"});
    ASSERT_EQ(json["found"].size(), 3u);
    EXPECT_EQ(json["found"][2]["fileSystem"], "NTFS");
    EXPECT_EQ(json["found"][2]["size"], "62.72 MB");
    EXPECT_EQ(json["found"][1]["target"], "disk0:2");

    // The volume commands list the card as Basic Search does, which searches a disk without partitions by
    // itself: the finds are their targets too (fsstat: FAT 0 at +32, FAT 1 at +1020 sectors).
    auto fat32 = runJson({"--no-devices", "--image", card, "params", "disk0:1", "--json"});
    EXPECT_EQ(fat32["fileSystem"], "FAT32");
    EXPECT_EQ(fat32["firstFAT"], 63 + 32);
    EXPECT_EQ(fat32["secondFAT"], 63 + 1020);
    auto fat16 = runJson({"--no-devices", "--image", card, "params", "disk0:2", "--json"});
    EXPECT_EQ(fat16["firstFAT"], 128520 + 4);
    auto ntfs = runJson({"--no-devices", "--image", card, "params", "disk0:3", "--json"});
    EXPECT_NE(ntfs["MftStartSector"], 0);

    // The picture on the lost FAT32 partition comes back byte for byte.
    const std::string out = makeTempDir();
    CliRun save = runSalvora(
        {"--no-devices", "--image", card, "basic", "disk0:1", "--save", out, "--on-conflict", "overwrite"});
    ASSERT_EQ(save.exitCode, 0) << save.err;
    EXPECT_EQ(sha256OfFile(out + "/DCIM/PHOTO.JPG"), sha256OfFile(fixturePath("lost/lost-card-photo.jpg")));

    EXPECT_EQ(sha256OfFile(card), before);
}

TEST(SalvoraFindPartitions, AddsNothingThatIsListedAlready) {
    CliRun run = runSalvora({"--no-devices", "--image", fixturePath(kIntact), "find-partitions", "disk0"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "No more partitions found in selected Disk ( Disk - 0 )\n");
}

TEST(SalvoraFindPartitions, SearchesInsideALogicalDrive) {
    auto json = runJson({"--no-devices", "--volume-image", fixturePath("lost/drive-two-volumes.img"),
                         "find-partitions", "d:", "--json"});
    ASSERT_EQ(json["found"].size(), 2u);
    EXPECT_EQ(json["found"][0]["label"], "Recognised1 -  20.00 MB - NTFS");
    EXPECT_EQ(json["found"][1]["label"], "Recognised2 -  20.00 MB - FAT16");
    EXPECT_EQ(json["found"][1]["start"], 49152);
    EXPECT_EQ(json["messages"][0], "Found 2 more partitions in selected Drive ( Drive - D: )");
    EXPECT_EQ(json["found"][1]["target"], "D:R2");

    // The volumes inside the drive are targets of their own, searched for by the command that names them.
    const std::string drive = fixturePath("lost/drive-two-volumes.img");
    auto fat16 = runJson({"--no-devices", "--volume-image", drive, "params", "D:R2", "--json"});
    EXPECT_EQ(fat16["devicePath"], R"(\\.\D:)");
    EXPECT_EQ(fat16["fileSystem"], "FAT16");
    EXPECT_EQ(fat16["firstFAT"], 49152 + 4);
    EXPECT_EQ(fat16["RootStartSec"], 49152 + 84);
    auto ntfs = runJson({"--no-devices", "--volume-image", drive, "params", "d:r1", "--json"});
    EXPECT_EQ(ntfs["MftStartSector"], 4 * 8);

    // The NTFS partition of the intact card is drive F:, read through its own sectors.
    auto partition =
        runJson({"--no-devices", "--image", fixturePath(kIntact), "find-partitions", "F:", "--json"});
    ASSERT_EQ(partition["found"].size(), 1u);
    EXPECT_EQ(partition["found"][0]["start"], 0);
    EXPECT_EQ(partition["found"][0]["end"], 128455);
}

TEST(SalvoraFindPartitions, ExplainsWhatCannotBeSearched) {
    const std::string card = fixturePath(kWiped);
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
        const char* says;
    } cases[] = {
        {{"--no-devices", "--image", card, "find-partitions", "disk0:1"}, 2, "not disk0:1"},
        {{"--no-devices", "--image", card, "find-partitions", "disk4"}, 1, "no physical disk disk4"},
        {{"--no-devices", "--image", card, "find-partitions", "Q:"}, 1, "no logical drive Q:"},
        {{"--no-devices", "--image", card, "find-partitions", "cylinder7"}, 2, "invalid target"},
        {{"--no-devices", "--image", card, "params", "E:R0"}, 2, "invalid target"},
        {{"--no-devices", "--image", card, "params", "E:Rx"}, 2, "invalid target"},
        {{"--no-devices", "--image", fixturePath(kIntact), "params", "D:R4"},
         1,
         "D: holds no volume Recognised4"},
        {{"--no-devices", "--image", card, "params", "Q:R1"}, 1, "no logical drive Q:"},
    };
    for (const Case& c : cases) {
        CliRun run = runSalvora(c.arguments);
        EXPECT_FALSE(run.crashed);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

} // namespace
} // namespace salvora::test
