// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace {

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

class SalvoraBasic : public ::testing::TestWithParam<const char*> {
protected:
    std::string image() const { return fixturePath(std::string("fat/") + GetParam() + ".img"); }
    std::string manifest() const { return fixturePath(std::string("fat/") + GetParam() + ".manifest"); }
    CliRun basic(std::vector<std::string> more) const {
        std::vector<std::string> arguments{"--no-devices", "--volume-image", image(), "basic", "D:"};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return runSalvora(arguments);
    }
};

TEST_P(SalvoraBasic, JsonHoldsEveryFolderAndFileThatWasPutIn) {
    CliRun run = basic({"--json", "--files"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto json = nlohmann::json::parse(run.out);
    std::map<std::string, bool> folders;
    for (const auto& folder : json["folders"])
        folders[folder["path"]] = folder["deleted"];
    std::map<std::string, nlohmann::json> files;
    for (const auto& file : json["files"])
        files[upper(file["path"])] = file;
    std::string orphanFolder;
    for (const auto& [path, deleted] : folders)
        if (path.rfind("/KLX_Miscellaneous/", 0) == 0)
            orphanFolder = path;
    ASSERT_FALSE(orphanFolder.empty());

    std::ifstream in(manifest());
    std::string line;
    int checked = 0;
    while (std::getline(in, line)) {
        std::vector<std::string> f;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');)
            f.push_back(field);
        const std::string state = f.back();
        if (state == "gone")
            continue;
        std::string path = "/" + f[1];
        if (state == "orphan")
            path = orphanFolder + path.substr(std::string("/Orphan").size());
        if (f[0] == "D") {
            if (state == "orphan")
                continue;
            ASSERT_TRUE(folders.count(path)) << path;
            EXPECT_EQ(folders[path], state == "deleted") << path;
        } else {
            ASSERT_TRUE(files.count(upper(path))) << path;
            const auto& file = files[upper(path)];
            EXPECT_EQ(file["size"].get<std::uint64_t>(), std::stoull(f[2])) << path;
            EXPECT_EQ(file["date"], f[3]) << path;
            EXPECT_EQ(file["time"], f[4]) << path;
        }
        ++checked;
    }
    EXPECT_GT(checked, 80);
}

TEST_P(SalvoraBasic, TreeAndOneFolderAsTheFileListShowsIt) {
    CliRun tree = basic({});
    ASSERT_EQ(tree.exitCode, 0) << tree.err;
    EXPECT_NE(tree.out.find("Root\n"), std::string::npos);
    EXPECT_NE(tree.out.find("\n      Q1\n"), std::string::npos) << tree.out;
    EXPECT_NE(tree.out.find("  Old Folder  [deleted]\n"), std::string::npos) << tree.out;

    CliRun trash = basic({"--ls", "/Trash"});
    ASSERT_EQ(trash.exitCode, 0) << trash.err;
    EXPECT_NE(trash.out.find("_LD.TXT"), std::string::npos) << trash.out;
    EXPECT_NE(trash.out.find("old photo of the beach.jpg  Image File  2500  08-AUG-2012  08:08:08"),
              std::string::npos)
        << trash.out;
    EXPECT_NE(trash.out.find("0 Folders, 3 Files\n"), std::string::npos) << trash.out;

    CliRun missing = basic({"--ls", "/No such folder"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("no folder"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(MkfsFat, SalvoraBasic, ::testing::Values("fat16", "fat32"));

TEST(SalvoraBasicErrors, AVolumeWithoutParametersSaysSo) {
    const std::string dir = makeTempDir();
    const std::string blank = dir + "/blank.img";
    ASSERT_EQ(runShell("truncate -s 2M " + blank), 0);
    CliRun run = runSalvora({"--no-devices", "--volume-image", blank, "basic", "D:"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_FALSE(run.crashed);
}

} // namespace
} // namespace salvora::test
