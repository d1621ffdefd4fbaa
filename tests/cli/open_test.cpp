// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace fs = std::filesystem;
namespace {

// Points PATH at a stand-in for the desktop's opener that records what it was asked to open and exits
// with the given status, and TMPDIR at a fresh folder; both are restored afterwards.
class FakeDesktop {
public:
    explicit FakeDesktop(int exitStatus) : m_folder(makeTempDir()) {
        const fs::path opener = fs::path(m_folder) / "bin/xdg-open";
        fs::create_directories(opener.parent_path());
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > '" << requests() << "'\nexit " << exitStatus
                              << "\n";
        fs::permissions(opener, fs::perms::owner_all);
        m_path = std::getenv("PATH");
        ::setenv("PATH", (opener.parent_path().string() + ":" + m_path).c_str(), 1);
        ::setenv("TMPDIR", m_folder.c_str(), 1);
    }
    ~FakeDesktop() {
        ::setenv("PATH", m_path.c_str(), 1);
        ::unsetenv("TMPDIR");
    }
    std::string requests() const { return m_folder + "/opened"; }
    std::string copies() const { return m_folder + "/quillwort-salvora-" + std::to_string(::getuid()); }

private:
    std::string m_folder;
    std::string m_path;
};

CliRun openOnTreeCard(const std::string& path) {
    return runSalvora(
        {"--no-devices", "--volume-image", fixturePath("save/tree.img"), "basic", "D:", "--open", path});
}

TEST(SalvoraOpen, CopiesTheFileIntoOurTemporaryFolderAndHandsItToTheDesktop) {
    FakeDesktop desktop(0);
    CliRun run = openOnTreeCard("/DCIM/100DEMO/IMG_0002.JPG");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string copy = desktop.copies() + "/QFX0.JPG";
    EXPECT_EQ(readWholeFile(desktop.requests()), copy);
    EXPECT_EQ(readWholeFile(copy), readWholeFile(fixturePath("save/files/tree/DCIM/100DEMO/IMG_0002.JPG")));
    EXPECT_NE(run.out.find(copy), std::string::npos) << run.out;
}

TEST(SalvoraOpen, WithoutAnApplicationTheCopyIsStillThereAndTheUserIsToldWhere) {
    FakeDesktop desktop(3);
    CliRun run = openOnTreeCard("/Docs/NOTES.TXT");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string copy = desktop.copies() + "/QFX0.TXT";
    EXPECT_EQ(readWholeFile(copy), readWholeFile(fixturePath("save/files/tree/Docs/notes.txt")));
    EXPECT_NE(run.err.find("open the copy yourself: " + copy), std::string::npos) << run.err;
}

TEST(SalvoraOpen, FilesOfADeepSearchAreReadFromTheirOwnVolume) {
    // Two volumes laid out alike: the same cluster numbers hold different files on each.
    FakeDesktop desktop(0);
    const std::string image = fixturePath("deep/two-volumes.img");
    const std::string second = fixturePath("deep/two-volumes.files-2");
    struct Case {
        const char* path;
        std::string original;
    } cases[] = {
        {"/SECOND.TXT", second + "/second.txt"}, // listed under Root, named by its row
        {"/Second/Work/REPORT.TXT", second + "/Second/Work/report.txt"}, // named by its folder
    };
    for (const Case& c : cases) {
        CliRun run = runSalvora(
            {"--no-devices", "--image", image, "deep", "disk0", "--fs", "FAT32", "--open", c.path});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(readWholeFile(readWholeFile(desktop.requests())), readWholeFile(c.original)) << c.path;
    }
}

TEST(SalvoraOpen, NamesThatAreNotFilesOfTheResultAreRefused) {
    FakeDesktop desktop(0);
    for (const char* path : {"/Docs/missing.txt", "/Docs", "/Nowhere/NOTES.TXT"}) {
        CliRun run = openOnTreeCard(path);
        EXPECT_EQ(run.exitCode, 1) << path;
        EXPECT_NE(run.err.find("salvora: "), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(desktop.requests()));
}

} // namespace
} // namespace salvora::test
