// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/output_naming.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "save/conflicts.h"
#include "support/fixtures.h"

namespace salvora {
namespace {

void touch(const std::string& path) { std::ofstream(path).close(); }

TEST(MakeDuplicateName, InsertsTheFirstFreeNumberBeforeTheLastDot) {
    const std::string dir = test::makeTempDir();
    touch(dir + "/IMG_0042.JPG");
    touch(dir + "/IMG_0042_dd_0.JPG");
    EXPECT_EQ(MakeDuplicateName(dir + "/IMG_0042.JPG"), dir + "/IMG_0042_dd_1.JPG");
    EXPECT_EQ(MakeDuplicateName(dir + "/README"), dir + "/README_dd_0");
    EXPECT_EQ(MakeDuplicateName(dir + "/a.b.c"), dir + "/a.b_dd_0.c");
    // A dot in a folder name is not the name's dot.
    EXPECT_EQ(MakeDuplicateName(dir + "/v1.2/notes"), dir + "/v1.2/notes_dd_0");
}

TEST(SafeComponentName, KeepsRecoveredNamesInsideTheirFolder) {
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {"IMG_0001.JPG", "IMG_0001.JPG"},
        {"..", "%2E%2E"},
        {".", "%2E"},
        {"../../etc/passwd", "..%2F..%2Fetc%2Fpasswd"},
        {std::string("a\0b", 3), "a%00b"},
        {"", "%00"},
        {"...", "..."},
        {"résumé.txt", "résumé.txt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(safeComponentName(c.in), c.out) << c.in;
}

TEST(CreateFolderPath, MakesEveryMissingFolder) {
    const std::string dir = test::makeTempDir();
    CreateFolderPath(dir + "/one/two/three");
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/one/two/three"));
    CreateFolderPath(dir + "/one/two/three"); // already there: nothing happens
    CreateFolderPath("");
}

class ScriptedConflicts : public ConflictPrompter {
public:
    std::vector<ReplaceAnswer> answers;
    std::vector<std::pair<std::string, std::string>> asked;
    ReplaceAnswer askReplace(const std::string& existing, const std::string& proposed) override {
        asked.emplace_back(existing, proposed);
        ReplaceAnswer answer = answers.at(asked.size() - 1);
        if (answer.path.empty())
            answer.path = answer.answer == ConflictAnswer::Rename || answer.answer == ConflictAnswer::RenameAll
                              ? proposed
                              : existing;
        return answer;
    }
};

TEST(NameConflicts, AnswersApplyOnceOrToAll) {
    const std::string dir = test::makeTempDir();
    const std::string photo = dir + "/IMG.JPG";
    touch(photo);
    SaveState state;
    ScriptedConflicts prompter;
    prompter.answers = {{ConflictAnswer::Overwrite, "", false},
                        {ConflictAnswer::Rename, "", false},
                        {ConflictAnswer::RenameAll, "", false}};
    std::string path = photo, name = "IMG.JPG";
    EXPECT_EQ(resolveNameConflict(state, prompter, path, name), ConflictOutcome::Write);
    EXPECT_EQ(path, photo);

    EXPECT_EQ(resolveNameConflict(state, prompter, path, name), ConflictOutcome::Write);
    EXPECT_EQ(path, dir + "/IMG_dd_0.JPG");
    EXPECT_EQ(name, "IMG_dd_0.JPG");
    EXPECT_EQ(prompter.asked[1].second, dir + "/IMG_dd_0.JPG");

    path = photo;
    EXPECT_EQ(resolveNameConflict(state, prompter, path, name), ConflictOutcome::Write);
    touch(path);
    // Renamed automatically from now on, without asking again.
    path = photo;
    EXPECT_EQ(resolveNameConflict(state, prompter, path, name), ConflictOutcome::Write);
    EXPECT_EQ(path, dir + "/IMG_dd_1.JPG");
    EXPECT_EQ(prompter.asked.size(), 3u);
}

TEST(NameConflicts, CancelSkipsTheFileAndStopsTheSave) {
    SaveState state;
    ScriptedConflicts prompter;
    prompter.answers = {{ConflictAnswer::Skip, "", true}};
    std::string path = "/x/y", name = "y";
    EXPECT_EQ(resolveNameConflict(state, prompter, path, name), ConflictOutcome::Skip);
    EXPECT_TRUE(state.StopSaving);
    EXPECT_EQ(state.conflictAnswer, ConflictAnswer::SkipAll);
    EXPECT_EQ(resolveNameConflict(state, prompter, path, name), ConflictOutcome::Skip);
    EXPECT_EQ(prompter.asked.size(), 1u);
}

} // namespace
} // namespace salvora
