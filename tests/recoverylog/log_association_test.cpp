// SPDX-License-Identifier: GPL-3.0-or-later
// The .SLV association under a private data folder: the two files it writes, a second start that leaves
// them as they were, and the message once per step that cannot be written.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "log_world.h"
#include "recoverylog/log_association.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

namespace fs = std::filesystem;

TEST(LogAssociation, WritesTheMimeTypeAndTheDesktopEntryAndASecondStartChangesNothing) {
    const std::string home = test::makeTempDir();
    const AssociationPaths paths{"/opt/Quillwort Salvora/bin/quillwort-salvora", home};
    test::ScriptedPrompter prompter;
    EXPECT_EQ(RegisterLogAssociation(paths, prompter, false).failedSteps, 0);
    const std::string mime = test::readWholeFile(home + "/" + kLogMimeFile);
    const std::string entry = test::readWholeFile(home + "/" + kLogDesktopFile);
    EXPECT_NE(mime.find("<glob pattern=\"*.SLV\" case-sensitive=\"true\"/>"), std::string::npos);
    EXPECT_NE(mime.find("<glob pattern=\"*.slv\"/>"), std::string::npos);
    EXPECT_NE(mime.find("<comment>Log File</comment>"), std::string::npos);
    // A path with blanks is quoted, as a desktop entry needs; the file comes as one argument.
    EXPECT_NE(entry.find("Exec=\"/opt/Quillwort Salvora/bin/quillwort-salvora\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find(std::string("MimeType=") + kLogMimeType + ";\n"), std::string::npos);

    EXPECT_EQ(RegisterLogAssociation(paths, prompter, false).failedSteps, 0);
    EXPECT_EQ(test::readWholeFile(home + "/" + kLogMimeFile), mime);
    EXPECT_EQ(test::readWholeFile(home + "/" + kLogDesktopFile), entry);
    EXPECT_TRUE(prompter.messages.empty());
    // Nothing but the two files is left behind.
    std::size_t files = 0;
    for (const auto& item : fs::recursive_directory_iterator(home))
        files += item.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2u);
}

TEST(LogAssociation, ExecLinesEscapeWhatTheDesktopEntryFormatReserves) {
    EXPECT_NE(logDesktopEntry("/usr/bin/quillwort-salvora").find("Exec=/usr/bin/quillwort-salvora %f\n"),
              std::string::npos);
    // Inside quotes ", `, $ and \ take a backslash, and every backslash is doubled again; % is doubled.
    EXPECT_NE(logDesktopEntry("/a b/$x\\y%z").find("Exec=\"/a b/\\\\$x\\\\\\\\y%%z\" %f\n"),
              std::string::npos);
}

TEST(LogAssociation, EachStepThatCannotBeWrittenIsSaidOnceAndTheNextIsStillTried) {
    struct Case {
        const char* name;
        bool blockMime;
        bool blockApplications;
        int failures;
    };
    for (const Case& c :
         {Case{"mime folder blocked", true, false, 1}, Case{"entry folder blocked", false, true, 1},
          Case{"both blocked", true, true, 2}}) {
        SCOPED_TRACE(c.name);
        const std::string home = test::makeTempDir();
        // A plain file where a folder must go: no folder can be made there, not even by root.
        if (c.blockMime)
            std::ofstream(home + "/mime") << "x";
        if (c.blockApplications)
            std::ofstream(home + "/applications") << "x";
        test::ScriptedPrompter prompter;
        EXPECT_EQ(RegisterLogAssociation({"/usr/bin/quillwort-salvora", home}, prompter, false).failedSteps,
                  c.failures);
        EXPECT_EQ(prompter.messages,
                  std::vector<std::string>(static_cast<std::size_t>(c.failures), kAssociationFailed));
        EXPECT_EQ(fs::exists(home + "/" + kLogDesktopFile), !c.blockApplications);
    }
    test::ScriptedPrompter prompter;
    EXPECT_EQ(RegisterLogAssociation({"/usr/bin/quillwort-salvora", ""}, prompter, false).failedSteps, 2);
}

} // namespace
} // namespace salvora
