// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace fs = std::filesystem;
namespace {

TEST(SalvoraBasicSave, SavesEveryFileWithItsFoldersAndLeavesTheImageAlone) {
    const std::string image = fixturePath("save/tree.img");
    const std::string before = sha256OfFile(image);
    const fs::path out = fs::path(makeTempDir()) / "recovered";
    CliRun run = runSalvora({"--no-devices", "--volume-image", image, "basic", "D:", "--save", out.string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("Saved 9 of 9 files"), std::string::npos) << run.err;
    auto saved = filesBelowIgnoringCase(out);
    const fs::path source = fixturePath("save/files/tree");
    for (const auto& [relative, path] : filesBelowIgnoringCase(source)) {
        ASSERT_TRUE(saved.count(relative)) << relative;
        EXPECT_TRUE(readWholeFile(saved[relative].string()) == readWholeFile(path.string())) << relative;
    }
    EXPECT_EQ(sha256OfFile(image), before);
}

TEST(SalvoraBasicSave, NamedPathsAndConflictAnswers) {
    const std::string image = fixturePath("save/tree.img");
    const fs::path out = makeTempDir();
    auto save = [&](std::vector<std::string> extra) {
        std::vector<std::string> arguments = {"--no-devices", "--volume-image", image,       "basic",   "D:",
                                              "--save",       out.string(),     "/Docs/Old", "/TOP.BIN"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return runSalvora(arguments);
    };
    CliRun first = save({});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(filesBelowIgnoringCase(out).size(), 2u);
    EXPECT_TRUE(fs::exists(out / "Docs/Old/LETTER.TXT"));
    EXPECT_FALSE(fs::exists(out / "Docs/NOTES.TXT"));

    CliRun renamed = save({"--on-conflict", "rename"});
    EXPECT_EQ(renamed.exitCode, 0) << renamed.err;
    EXPECT_TRUE(fs::exists(out / "Docs/Old/LETTER_dd_0.TXT"));
    EXPECT_TRUE(fs::exists(out / "TOP_dd_0.BIN"));

    CliRun skipped = save({"--on-conflict", "skip"});
    EXPECT_EQ(skipped.exitCode, 0);
    EXPECT_NE(skipped.err.find("2 skipped"), std::string::npos) << skipped.err;
    EXPECT_EQ(filesBelowIgnoringCase(out).size(), 4u);

    // Asking with nobody to answer cancels the save.
    CliRun asked = save({});
    EXPECT_EQ(asked.exitCode, 1);
    EXPECT_NE(asked.err.find("the save was stopped"), std::string::npos) << asked.err;
    EXPECT_NE(asked.err.find("--on-conflict overwrite, skip or rename answers without asking"),
              std::string::npos)
        << asked.err;

    CliRun missing = save({"/No/Such/Folder"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("nothing named /No/Such/Folder"), std::string::npos);
}

} // namespace
} // namespace salvora::test
