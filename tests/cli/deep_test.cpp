// SPDX-License-Identifier: GPL-3.0-or-later
// salvora deep end to end on cards made by sfdisk, mkfs.fat and mtools and then damaged: the folders come
// back and save byte for byte, the card is never written.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>
#include <regex>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace fs = std::filesystem;
namespace {

void expectSavedAsPutIn(const fs::path& saved, const std::vector<std::string>& originals) {
    auto out = filesBelowIgnoringCase(saved);
    std::map<std::string, fs::path> expected;
    for (const std::string& folder : originals)
        expected.merge(filesBelowIgnoringCase(fixturePath("deep/" + folder)));
    ASSERT_EQ(out.size(), expected.size());
    for (const auto& [relative, path] : expected) {
        ASSERT_TRUE(out.count(relative)) << relative;
        EXPECT_EQ(sha256OfFile(out[relative].string()), sha256OfFile(path.string())) << relative;
    }
}

TEST(SalvoraDeep, CardsWithoutPartitionTableOrBootSectorsSaveEveryFile) {
    struct Case {
        const char* image;
        const char* originals;
    };
    for (const Case& c :
         {Case{"wiped-table.img", "wiped-table.files"}, Case{"no-boot.img", "no-boot.files"}}) {
        SCOPED_TRACE(c.image);
        const std::string image = fixturePath(std::string("deep/") + c.image);
        const std::string before = sha256OfFile(image);
        CliRun tree = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT32"});
        ASSERT_EQ(tree.exitCode, 0) << tree.err;
        EXPECT_EQ(tree.out, "Root\n  DCIM\n    Holiday\n      Beach\n    Work\n  KLX_Miscellaneous\n");

        const fs::path out = fs::path(makeTempDir()) / "recovered";
        CliRun save = runSalvora(
            {"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT32", "--save", out.string()});
        ASSERT_EQ(save.exitCode, 0) << save.err;
        expectSavedAsPutIn(out, {c.originals});
        EXPECT_EQ(sha256OfFile(image), before);
    }
}

TEST(SalvoraDeep, TwoVolumesSaveEachFileFromItsOwnVolume) {
    const std::string image = fixturePath("deep/two-volumes.img");
    CliRun root =
        runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT32", "--ls", "/"});
    ASSERT_EQ(root.exitCode, 0) << root.err;
    const auto first = root.out.find("FIRST.TXT");
    ASSERT_NE(first, std::string::npos) << root.out;
    EXPECT_LT(first, root.out.find("SECOND.TXT")) << root.out;
    EXPECT_NE(root.out.find("3 Folders, 2 Files"), std::string::npos) << root.out;

    const fs::path out = fs::path(makeTempDir()) / "recovered";
    CliRun save = runSalvora(
        {"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT32", "--save", out.string()});
    ASSERT_EQ(save.exitCode, 0) << save.err;
    expectSavedAsPutIn(out, {"two-volumes.files", "two-volumes.files-2"});
}

// Folders without a name of their own are numbered by each search in its own way.
std::string withoutDirNumbers(std::string tree) {
    return std::regex_replace(tree, std::regex("DIR_?[0-9]+"), "DIR");
}

TEST(SalvoraDeep, IntactVolumesGiveTheTreeOfBasicSearch) {
    for (const char* fileSystem : {"FAT16", "FAT32"}) {
        SCOPED_TRACE(fileSystem);
        const std::string image =
            fixturePath(std::string("fat/") + (fileSystem[3] == '1' ? "fat16" : "fat32") + ".img");
        CliRun basic = runSalvora({"--no-devices", "--volume-image", image, "basic", "D:"});
        CliRun deep = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", fileSystem});
        ASSERT_EQ(basic.exitCode, 0) << basic.err;
        ASSERT_EQ(deep.exitCode, 0) << deep.err;
        EXPECT_EQ(withoutDirNumbers(deep.out), withoutDirNumbers(basic.out));
    }
}

TEST(SalvoraDeep, NtfsRecordsOfACardWithoutBootSectorsSaveEveryFile) {
    const std::string image = fixturePath("deep-ntfs/card.img");
    if (!fs::exists(image))
        GTEST_SKIP() << "the NTFS card needs FUSE to be built";
    const fs::path out = fs::path(makeTempDir()) / "recovered";
    // The MFT mirror repeats the first records, so a few system files come twice: keep both.
    CliRun save = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", "NTFS", "--save",
                              out.string(), "--on-conflict", "rename"});
    ASSERT_EQ(save.exitCode, 0) << save.err;
    auto saved = filesBelowIgnoringCase(out);
    for (const auto& [relative, path] : filesBelowIgnoringCase(fixturePath("deep-ntfs/files/card"))) {
        ASSERT_TRUE(saved.count(relative)) << relative;
        EXPECT_EQ(sha256OfFile(saved[relative].string()), sha256OfFile(path.string())) << relative;
    }
}

TEST(SalvoraDeep, RangeAndFileSystemMistakesAreSaid) {
    const std::string image = fixturePath("deep/fat16-root.img");
    CliRun reversed = runSalvora(
        {"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT16", "--range", "100-100"});
    EXPECT_EQ(reversed.exitCode, 2);
    EXPECT_NE(reversed.err.find("The value of \xE2\x80\x98"
                                "End Sector\xE2\x80\x99 cannot be less than or equal to the \xE2\x80\x98"
                                "Start Sector\xE2\x80\x99 of the Drive."),
              std::string::npos)
        << reversed.err;
    CliRun empty = runSalvora(
        {"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT16", "--range", "1000-2000"});
    EXPECT_EQ(empty.exitCode, 0) << empty.err;
    EXPECT_NE(
        empty.err.find("Recovery is not possible in Deep Search Mode, use other search mode to recover your "
                       "data."),
        std::string::npos)
        << empty.err;
    EXPECT_EQ(empty.out, "Root\n");
    CliRun unknown = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", "exFAT"});
    EXPECT_NE(unknown.exitCode, 0);
}

} // namespace
} // namespace salvora::test
