// SPDX-License-Identifier: GPL-3.0-or-later
// `salvora basic` on an NTFS partition of a card image: every folder and file fls sees on the same image,
// at the same path, with its size, date and deleted mark; the image is left as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "fsrecovery/ntfs_image.h"
#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace {

TEST(SalvoraBasicNtfs, PartitionOfACardMatchesSleuthKit) {
    const std::string image = fixturePath("ntfs/disk.img");
    const std::string before = sha256OfFile(image);
    const CliRun run =
        runSalvora({"--no-devices", "--image", image, "basic", "disk0:1", "--json", "--files"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["fileSystem"], "NTFS");
    std::map<std::string, bool> folders;
    for (const auto& folder : json["folders"])
        folders[folder["path"]] = folder["deleted"];
    std::map<std::string, nlohmann::json> files;
    for (const auto& file : json["files"])
        files[file["path"]] = file;

    auto expected = sleuthListing(image, 2048);
    if (!expected)
        GTEST_SKIP() << "fls is not installed";
    std::size_t checked = 0;
    for (const auto& [path, entry] : *expected) {
        const std::string ours = "/" + path;
        if (entry.directory) {
            ASSERT_TRUE(folders.count(ours)) << ours;
            EXPECT_EQ(folders[ours], entry.deleted) << ours;
            continue;
        }
        ASSERT_TRUE(files.count(ours)) << ours;
        EXPECT_EQ(files[ours]["size"].get<std::uint64_t>(), std::stoull(entry.size)) << ours;
        if (entry.fileNameCreated != 0) {
            const auto [date, time] = utcTexts(entry.fileNameCreated);
            EXPECT_EQ(files[ours]["date"], date) << ours;
            EXPECT_EQ(files[ours]["time"], time) << ours;
        }
        ++checked;
    }
    EXPECT_GT(checked, 5u);
    EXPECT_TRUE(folders.count("/KLX_Miscellaneous"));
    EXPECT_EQ(sha256OfFile(image), before);
}

} // namespace
} // namespace salvora::test
