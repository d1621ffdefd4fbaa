// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/save_run.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <sys/mount.h>

#include "save/scanned_card.h"
#include "support/fixtures.h"

namespace salvora {
namespace fs = std::filesystem;
namespace {

using test::FixedAnswer;
using test::ScannedCard;

TEST(RunTreeSave, SavesTheWholeCardWithItsFoldersByteForByte) {
    ScannedCard card;
    ASSERT_NE(card.walker, nullptr);
    card.folders.tree.toggleCheck(card.folders.tree.root());
    FixedAnswer overwrite({ConflictAnswer::Overwrite, "", false});
    const std::string out = test::makeTempDir();
    SaveRunReport report = card.save(out, overwrite);
    EXPECT_FALSE(report.stopped);

    // Names that fit 8.3 come back as their short entries spell them (upper case): compare paths ignoring
    // case.
    auto saved = test::filesBelowIgnoringCase(out);
    std::size_t compared = 0;
    for (const auto& [relative, original] :
         test::filesBelowIgnoringCase(test::fixturePath("save/files/tree"))) {
        ASSERT_TRUE(saved.count(relative)) << relative;
        EXPECT_TRUE(test::readWholeFile(saved[relative].string()) == test::readWholeFile(original.string()))
            << relative;
        ++compared;
    }
    EXPECT_EQ(compared, 6u);
    // The deleted note comes back from its consecutive clusters, under the name its entry still holds.
    const std::string gone = test::readWholeFile(test::fixturePath("save/files/tree-deleted/gone.txt"));
    bool found = false;
    for (const auto& entry : fs::directory_iterator(fs::path(out) / "Docs"))
        found = found || test::readWholeFile(entry.path().string()) == gone;
    EXPECT_TRUE(found);
    EXPECT_EQ(report.filesWritten, report.totals.files);
    EXPECT_EQ(card.state.FilesSaved, report.totals.files);
}

TEST(RunTreeSave, SavesOnlyWhatIsTicked) {
    ScannedCard card;
    // A folder among several at its level: only it is ticked, its parent becomes partly ticked.
    TreeItem longName = card.item("Long folder name with spaces");
    ASSERT_NE(longName, kNoTreeItem);
    card.folders.tree.toggleCheck(longName);
    EXPECT_EQ(card.folders.tree.checkState(card.folders.tree.root()), CheckState::PartlyTicked);
    FixedAnswer overwrite({ConflictAnswer::Overwrite, "", false});
    const std::string out = test::makeTempDir();
    SaveRunReport report = card.save(out, overwrite);
    EXPECT_EQ(report.totals.folders, 1u);
    EXPECT_EQ(report.totals.files, 1u);
    EXPECT_TRUE(fs::exists(fs::path(out) / "Long folder name with spaces/Ünïcode file.txt"));
    EXPECT_FALSE(fs::exists(fs::path(out) / "Docs"));
    EXPECT_FALSE(fs::exists(fs::path(out) / "TOP.BIN"));
}

TEST(RunTreeSave, ASecondSaveRenamesOrStopsAsTheUserAnswers) {
    ScannedCard card;
    TreeItem old = card.item("Old");
    card.folders.tree.toggleCheck(old);
    const std::string out = test::makeTempDir();
    FixedAnswer overwrite({ConflictAnswer::Overwrite, "", false});
    card.save(out, overwrite);
    EXPECT_EQ(overwrite.asked, 0);

    FixedAnswer renameAll({ConflictAnswer::RenameAll, "", false});
    card.save(out, renameAll);
    EXPECT_TRUE(fs::exists(fs::path(out) / "Docs/Old/LETTER_dd_0.TXT"));
    EXPECT_EQ(renameAll.asked, 1);

    FixedAnswer cancel({ConflictAnswer::SkipAll, "", true});
    SaveRunReport report = card.save(out, cancel);
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.filesWritten, 0u);
    EXPECT_FALSE(fs::exists(fs::path(out) / "Docs/Old/LETTER_dd_1.TXT"));
}

// A folder list whose names come from a hostile medium.
class HostileWalker : public FolderFileWalker {
public:
    std::uint32_t rootSelf() const override { return 0; }
    void listFiles(FileList& list, std::uint32_t, const StopFlag&) override {
        for (const char* name : {"../../escaped.txt", "..", "/etc/passwd", "fine.txt"})
            appendFileRow(list, name, "100", "", "", "0", "", "");
    }
};

TEST(RunTreeSave, NamesFromTheMediumNeverLeaveTheDestination) {
    ScannedCard card;
    FolderModel model;
    TreeItem root = model.tree.ensureRoot();
    model.FolderList.push_back(FolderNode{"..", kNoTreeItem, 7, 0});
    TreeItem dots = model.tree.insertItem(root, "..", kImageClosedFolder, 0);
    model.FolderList.push_back(FolderNode{"a/../../b", kNoTreeItem, 8, 7});
    model.tree.insertItem(dots, "a/../../b", kImageClosedFolder, 1);
    model.tree.toggleCheck(root);
    HostileWalker walker;
    FixedAnswer overwrite({ConflictAnswer::Overwrite, "", false});
    const fs::path parent = test::makeTempDir();
    const fs::path out = parent / "out";
    SaveContext context{card.devices, volumePath('D'),   "FAT32",   card.volumes.volumeParameters,
                        card.state,   card.saveProgress, overwrite, card.prompter};
    SaveRunContext run{model, walker, context};
    SaveRunReport report = RunTreeSave(run, out.string());
    EXPECT_EQ(report.totals.files, 12u);
    // Everything landed inside the destination, nothing beside or above it.
    std::size_t inside = 0;
    for (const auto& entry : fs::recursive_directory_iterator(out))
        inside += entry.is_regular_file();
    EXPECT_EQ(inside, 12u);
    std::size_t outside = 0;
    for (const auto& entry : fs::directory_iterator(parent))
        outside += entry.path() != out;
    EXPECT_EQ(outside, 0u);
    EXPECT_TRUE(fs::exists(out / "%2E%2E" / "a%2F..%2F..%2Fb" / "..%2F..%2Fescaped.txt"));
    // The file named ".." beside the folder named "..": the folder keeps its name, the file takes the next.
    EXPECT_TRUE(fs::is_directory(out / "%2E%2E"));
    EXPECT_TRUE(fs::is_regular_file(out / "%2E%2E_dd_0"));
}

TEST(RunTreeSave, AFullDestinationStopsTheSaveWithTheMessage) {
    const fs::path tiny = test::makeTempDir();
    if (::mount("tmpfs", tiny.c_str(), "tmpfs", 0, "size=24k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    {
        ScannedCard card;
        card.folders.tree.toggleCheck(card.folders.tree.root());
        FixedAnswer overwrite({ConflictAnswer::Overwrite, "", false});
        SaveRunReport report = card.save(tiny.string(), overwrite);
        EXPECT_TRUE(report.stopped);
        EXPECT_LT(report.filesWritten, report.totals.files);
        ASSERT_EQ(card.prompter.messages.size(), 1u);
        EXPECT_EQ(card.prompter.messages[0], kDestinationFullMessage);
    }
    ::umount(tiny.c_str());
}

} // namespace
} // namespace salvora
