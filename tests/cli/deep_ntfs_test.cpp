// SPDX-License-Identifier: GPL-3.0-or-later
// salvora deep --fs NTFS end to end on a card made by sfdisk, mkntfs, ntfs-3g and ntfscp whose boot sector
// and backup boot sector were zeroed: the folders come back from the file records with their deleted marks,
// a deleted folder saves byte for byte, and the card is never written.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace fs = std::filesystem;
namespace {

bool cardBuilt() {
    return fs::exists(fixturePath("deep-ntfs/card.layout"));
}

TEST(SalvoraDeepNtfs, ListsTheFoldersOfACardWithoutBootSectorsAndSavesItsDeletedFolder) {
    if (!cardBuilt())
        GTEST_SKIP() << "card.img needs FUSE to be built";
    const std::string image = fixturePath("deep-ntfs/card.img");
    const std::string before = sha256OfFile(image);

    CliRun listing =
        runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", "NTFS", "--json"});
    ASSERT_EQ(listing.exitCode, 0) << listing.err;
    std::set<std::string> live;
    std::set<std::string> deleted;
    const nlohmann::json result = nlohmann::json::parse(listing.out);
    for (const auto& folder : result.at("folders"))
        (folder.at("deleted").get<bool>() ? deleted : live).insert(folder.at("path").get<std::string>());
    for (const char* path : {"/DCIM/100CARD", "/Docs/Letters/2024", "/KLX_Miscellaneous"})
        EXPECT_TRUE(live.count(path)) << path;
    EXPECT_EQ(deleted, (std::set<std::string>{"/Trash", "/Trash/Inner"}));

    // Every live file saving byte for byte is SalvoraDeep's test; here the deleted folder, named alone.
    const fs::path out = fs::path(makeTempDir()) / "recovered";
    CliRun save = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", "NTFS", "--save",
                              out.string(), "/Trash"});
    ASSERT_EQ(save.exitCode, 0) << save.err;
    EXPECT_EQ(sha256OfFile((out / "Trash/Inner/thrown.bin").string()),
              sha256OfFile(fixturePath("deep-ntfs/files/card-deleted/thrown.bin")));
    EXPECT_FALSE(fs::exists(out / "DCIM"));
    EXPECT_EQ(sha256OfFile(image), before);
}

TEST(SalvoraDeepNtfs, ARangeBeforeTheFileRecordsFindsNothing) {
    if (!cardBuilt())
        GTEST_SKIP() << "card.img needs FUSE to be built";
    CliRun run = runSalvora({"--no-devices", "--image", fixturePath("deep-ntfs/card.img"), "deep", "disk0",
                             "--fs", "NTFS", "--range", "0-1024"});
    EXPECT_FALSE(run.crashed);
    EXPECT_NE(
        run.err.find("Recovery is not possible in Deep Search Mode, use other search mode to recover your "
                     "data."),
        std::string::npos)
        << run.err;
}

} // namespace
} // namespace salvora::test
