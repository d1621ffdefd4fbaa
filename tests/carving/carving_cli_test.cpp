// SPDX-License-Identifier: GPL-3.0-or-later
// salvora photo, signature and video on a camera card made by real tools, with pictures and videos of which
// some were deleted: every planted file must come back, under its number and folder, starting with its bytes.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/run_cli.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

namespace fs = std::filesystem;

struct Planted {
    std::string type;
    bool deleted = false;
    std::string name;
};

std::vector<Planted> plantedFiles() {
    std::vector<Planted> files;
    std::ifstream in(test::fixturePath("carving/planted.txt"));
    std::string type, state, name;
    while (in >> type >> state >> name)
        files.push_back({type, state == "deleted", name});
    return files;
}

bool isPicture(const std::string& type) {
    return type != "AVI" && type != "MP4" && type != "MOV";
}

// Every regular file below folder, by its path relative to folder.
std::map<std::string, std::string> carvedFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    if (!fs::exists(folder))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).string()] = test::readWholeFile(entry.path().string());
    return files;
}

class CarvingCommandTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_card = test::fixturePath("carving/card.img");
        m_hashBefore = test::sha256OfFile(m_card);
        m_out = test::makeTempDir();
    }
    void TearDown() override {
        EXPECT_EQ(test::sha256OfFile(m_card), m_hashBefore) << "the card was written to";
    }

    test::CliRun salvora(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--no-devices", "--image", m_card});
        return test::runSalvora(arguments);
    }
    std::string m_card;
    std::string m_hashBefore;
    std::string m_out;
};

TEST_F(CarvingCommandTest, PhotoSearchCarvesEveryPlantedPictureInCardOrder) {
    auto run = salvora({"photo", "disk0", "--out", m_out, "--no-thorough"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto carved = carvedFiles(m_out + "/Quillwort Salvora/Photo Search");
    std::size_t number = 0;
    for (const Planted& planted : plantedFiles()) {
        if (!isPicture(planted.type))
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "GNDR%05zu.%s", ++number, planted.type.c_str());
        std::string path = "General/" + planted.type + "/" + name;
        ASSERT_TRUE(carved.count(path)) << path << " for " << planted.name << "\n" << run.out;
        std::string original = test::readWholeFile(test::fixturePath("carving/planted/" + planted.name));
        EXPECT_EQ(carved[path].substr(0, original.size()), original)
            << planted.name << (planted.deleted ? " (deleted)" : "");
    }
    EXPECT_EQ(carved.size(), number);
    EXPECT_NE(run.out.find("Total"), std::string::npos);
}

TEST_F(CarvingCommandTest, VideoSearchCarvesEveryPlantedVideoNumberedPerType) {
    auto run = salvora({"video", "disk0:1", "--out", m_out});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto carved = carvedFiles(m_out + "/Quillwort Salvora/Video Search");
    std::map<std::string, int> numbers;
    for (const Planted& planted : plantedFiles()) {
        if (isPicture(planted.type))
            continue;
        char name[32];
        std::snprintf(name, sizeof name, "%s%05d.%s", planted.type.c_str(), ++numbers[planted.type],
                      planted.type.c_str());
        std::string path = "General/" + planted.type + "/" + name;
        ASSERT_TRUE(carved.count(path)) << path << " for " << planted.name;
        std::string original = test::readWholeFile(test::fixturePath("carving/planted/" + planted.name));
        EXPECT_EQ(carved[path].substr(0, original.size()), original) << planted.name;
    }
}

TEST_F(CarvingCommandTest, SignatureSearchOfOneTypeFindsOnlyThatType) {
    auto run = salvora({"signature", "disk0", "--out", m_out, "--types", "png"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    auto carved = carvedFiles(m_out + "/Quillwort Salvora/Signature Search");
    ASSERT_EQ(carved.size(), 1u);
    EXPECT_EQ(carved.begin()->first, "General/PNG/PNG00001.PNG");

    auto unknown = salvora({"signature", "disk0", "--out", m_out, "--types", "PNG,NOPE"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("NOPE"), std::string::npos);
}

TEST_F(CarvingCommandTest, ASecondScanIntoTheSameFolderKeepsTheFirstOnesFiles) {
    ASSERT_EQ(salvora({"photo", "disk0", "--out", m_out, "--no-thorough", "--range", "0-4095"}).exitCode, 0);
    const std::string folder = m_out + "/Quillwort Salvora/Photo Search/General/JPG/";
    std::string first = test::readWholeFile(folder + "GNDR00001.JPG");
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(salvora({"photo", "disk0", "--out", m_out, "--no-thorough", "--range", "0-4095"}).exitCode, 0);
    EXPECT_EQ(test::readWholeFile(folder + "GNDR00001.JPG"), first);
    EXPECT_EQ(test::readWholeFile(folder + "GNDR00001_dd_0.JPG"), first);
}

TEST(CarvingCommandTypes, ListTypesPrintsTheChooserRows) {
    auto run = test::runSalvora({"video", "--list-types"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Extension  Description\n", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\nMP4 "), std::string::npos);
    EXPECT_NE(run.out.find("\nMTS "), std::string::npos); // from the thorough file
}

// The data files are read from the program's own folder; one that is missing ends it with the message and 0.
TEST(CarvingCommandTypes, AMissingDataFileEndsTheProgramWithTheMessageAndStatusZero) {
    const std::string dir = test::makeTempDir();
    const fs::path program(SALVORA_CLI);
    fs::copy_file(program, dir + "/salvora");
    for (const char* name : {"SLVDATExt2.dll", "SLVDATExt2Adv.dll", "SLVDATSig.dll"})
        fs::copy_file(program.parent_path() / name, fs::path(dir) / name);
    const std::string err = dir + "/err";
    int status = test::runShell("'" + dir + "/salvora' photo disk0 --out '" + dir +
                                "/out' </dev/null >/dev/null 2>'" + err + "'");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(test::readWholeFile(err),
              "Couldn't open source file: " + dir + "/SLVDATSigAdv.dll was not found.\n");
    EXPECT_FALSE(fs::exists(dir + "/out"));
}

} // namespace
} // namespace salvora
