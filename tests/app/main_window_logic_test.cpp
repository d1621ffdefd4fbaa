// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window_logic.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "app/startup_log.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

TEST(ModeLaunch, OnlyTheFirstGoOpensAWindowUntilItCloses) {
    Session session;
    MainWindowState state;
    session.tables.FoundFolderTable.appendRow();
    EXPECT_TRUE(requestModeLaunch(state, session, SearchMode::Photo));
    EXPECT_EQ(state.SearchMode, 3);
    EXPECT_EQ(session.tables.FoundFolderTable.rowCount(), 0u);
    EXPECT_FALSE(requestModeLaunch(state, session, SearchMode::Photo));
    modeWindowClosed(state);
    EXPECT_TRUE(requestModeLaunch(state, session, SearchMode::Basic));
    EXPECT_EQ(state.SearchMode, 1);
}

TEST(ModeLaunch, GoButtonsDoNothingWhileALogLoads) {
    Session session;
    MainWindowState state;
    state.deepLogLoading = true;
    EXPECT_FALSE(requestModeLaunch(state, session, SearchMode::Basic));
    EXPECT_EQ(state.SearchMode, 0);
    EXPECT_FALSE(state.modeWindowOpen);
}

TEST(ModeLaunch, TheCommandLineArgumentIsForgottenOnLaunch) {
    Session session;
    MainWindowState state;
    state.commandLineArgument = "/tmp/a.SLV";
    EXPECT_TRUE(requestModeLaunch(state, session, SearchMode::Signature));
    EXPECT_EQ(state.commandLineArgument, "");
}

TEST(TemporaryCopies, OnlyQfxFilesAtTheTopLevelAreDeleted) {
    namespace fs = std::filesystem;
    std::string dir = test::makeTempDir();
    for (const char* name : {"QFX1_photo.jpg", "noteQFX.txt", "keep.txt", "qfx-lower.txt"})
        std::ofstream(dir + "/" + name) << "x";
    fs::create_directory(dir + "/QFXfolder");
    std::ofstream(dir + "/QFXfolder/QFX_inside.txt") << "x";
    fs::create_symlink(dir + "/keep.txt", dir + "/QFXlink");

    EXPECT_EQ(removeTemporaryCopies(dir), 2);
    EXPECT_FALSE(fs::exists(dir + "/QFX1_photo.jpg"));
    EXPECT_FALSE(fs::exists(dir + "/noteQFX.txt"));
    EXPECT_TRUE(fs::exists(dir + "/keep.txt"));
    EXPECT_TRUE(fs::exists(dir + "/qfx-lower.txt"));
    EXPECT_TRUE(fs::exists(dir + "/QFXfolder/QFX_inside.txt"));
    EXPECT_TRUE(fs::is_symlink(dir + "/QFXlink"));
    EXPECT_EQ(removeTemporaryCopies(dir + "/absent"), 0);
}

TEST(TemporaryCopies, ThePrivateFolderIsClosedToOthers) {
    std::string folder = privateTemporaryFolder();
    ASSERT_FALSE(folder.empty());
    auto perms = std::filesystem::status(folder).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::group_all, std::filesystem::perms::none);
    EXPECT_EQ(perms & std::filesystem::perms::others_all, std::filesystem::perms::none);
}

// A log header as the log writer lays it out: three strings (FF FE FF, a count, UTF-16LE) and the mode.
std::string logHeader(const std::string& kind, const std::string& magic, std::uint32_t mode) {
    std::string bytes;
    for (const std::string& text : {kind, magic, std::string("Model")}) {
        bytes += "\xFF\xFE\xFF";
        bytes += static_cast<char>(text.size());
        for (char c : text) {
            bytes += c;
            bytes += '\0';
        }
    }
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((mode >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(StartupLog, TheHeaderChoosesTheWindowOrTheInvalidLogMessage) {
    std::string dir = test::makeTempDir();
    struct Case {
        std::string content;
        StartupLogAction action;
    } cases[] = {
        {logHeader("Hard Disk", std::string(kRecoveryLogMagic), 1), StartupLogAction::OpenBasic},
        {logHeader("Logical", std::string(kRecoveryLogMagic), 2), StartupLogAction::OpenDeep},
        {logHeader("Hard Disk", std::string(kRecoveryLogMagic), 3), StartupLogAction::InvalidLog},
        {logHeader("Hard Disk", "QuillwortWIN7SR2014", 1), StartupLogAction::InvalidLog},
        {logHeader("Hard Disk", std::string(kRecoveryLogMagic), 1).substr(0, 50), StartupLogAction::InvalidLog}, // ends early
        {"", StartupLogAction::InvalidLog},
        {"\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", StartupLogAction::InvalidLog}, // a count past the end
    };
    for (const Case& c : cases) {
        std::ofstream(dir + "/log.SLV", std::ios::binary | std::ios::trunc) << c.content;
        EXPECT_EQ(classifyStartupLog(dir + "/log.SLV"), c.action) << c.content.size();
    }
    EXPECT_EQ(classifyStartupLog(dir + "/missing.SLV"), StartupLogAction::ExitSilently);
}

} // namespace
} // namespace salvora
