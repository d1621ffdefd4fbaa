// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/open_found_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "save/current_file_bar.h"
#include "save/scanned_card.h"

namespace salvora {
namespace fs = std::filesystem;
namespace {

using test::FixedAnswer;
using test::ScannedCard;

class RecordingOpener : public DesktopOpener {
public:
    explicit RecordingOpener(bool associated) : m_associated(associated) {}
    bool openWithDefaultApplication(const std::string& path) override {
        opened.push_back(path);
        return m_associated;
    }
    void chooseApplication(const std::string& path) override { chosen.push_back(path); }
    std::vector<std::string> opened;
    std::vector<std::string> chosen;

private:
    bool m_associated;
};

FileList listOf(ScannedCard& card, const std::string& folder) {
    FileList list;
    PopulateList(card.folders, card.item(folder), card.walker.get(), list);
    return list;
}

const FileListRow& rowNamed(const FileList& list, const std::string& name) {
    for (const FileListRow& row : list.rows)
        if (row.cells[file_list::Name] == name)
            return row;
    throw std::runtime_error("no row " + name);
}

TEST(TemporaryCopyName, NumbersTheCopyAndKeepsTheExtension) {
    struct Case {
        int counter;
        const char* name;
        const char* copy;
    } cases[] = {
        {0, "photo.JPG", "QFX0.JPG"}, {1, "README", "QFX1"},           {12, "archive.tar. gz ", "QFX12.gz"},
        {3, "trailing.", "QFX3"},     {4, ".profile", "QFX4.profile"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(temporaryCopyName(c.counter, c.name), c.copy) << c.name;
}

TEST(OpenFoundFile, CopiesTheFileQuietlyAndOpensIt) {
    ScannedCard card;
    FixedAnswer never({ConflictAnswer::SkipAll, "", true});
    SaveContext context = card.saveContext(never);
    const std::string folder = test::makeTempDir();
    const FileList list = listOf(card, "100DEMO");
    RecordingOpener opener(true);

    // A stale copy of the same name from an earlier run is replaced without a question.
    std::ofstream(folder + "/QFX0.JPG") << "stale";
    OpenFoundFileOutcome first = OpenFoundFile(context, rowNamed(list, "IMG_0001.JPG"), folder, opener);
    OpenFoundFileOutcome second = OpenFoundFile(context, rowNamed(list, "IMG_0002.JPG"), folder, opener);

    ASSERT_EQ(first.kind, OpenFoundFileOutcome::Kind::File);
    EXPECT_EQ(first.copyPath, folder + "/QFX0.JPG");
    EXPECT_EQ(second.copyPath, folder + "/QFX1.JPG");
    EXPECT_EQ(test::readWholeFile(first.copyPath),
              test::readWholeFile(test::fixturePath("save/files/tree/DCIM/100DEMO/IMG_0001.JPG")));
    EXPECT_EQ(test::readWholeFile(second.copyPath),
              test::readWholeFile(test::fixturePath("save/files/tree/DCIM/100DEMO/IMG_0002.JPG")));
    EXPECT_EQ(opener.opened, (std::vector<std::string>{first.copyPath, second.copyPath}));
    EXPECT_EQ(never.asked, 0);
    EXPECT_EQ(card.state.FilesSaved, 0u); // opening is not saving
    EXPECT_FALSE(card.state.QuietSave);
}

TEST(OpenFoundFile, FolderRowsSelectTheirFolderAndOtherRowsDoNothing) {
    ScannedCard card;
    FixedAnswer never({ConflictAnswer::SkipAll, "", true});
    SaveContext context = card.saveContext(never);
    RecordingOpener opener(true);
    const std::string folder = test::makeTempDir();

    const FileList root = listOf(card, "Root");
    OpenFoundFileOutcome outcome = OpenFoundFile(context, rowNamed(root, "DCIM"), folder, opener);
    EXPECT_EQ(outcome.kind, OpenFoundFileOutcome::Kind::Folder);
    EXPECT_EQ(outcome.folderItem, card.item("DCIM"));

    FileListRow blank;
    EXPECT_EQ(OpenFoundFile(context, blank, folder, opener).kind, OpenFoundFileOutcome::Kind::Nothing);
    FileListRow unknownType = rowNamed(listOf(card, "Docs"), "NOTES.TXT");
    unknownType.cells[file_list::Type] = "Shortcut";
    EXPECT_EQ(OpenFoundFile(context, unknownType, folder, opener).kind, OpenFoundFileOutcome::Kind::Nothing);
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST(OpenFoundFile, UnassociatedFilesGoToTheChooserAndUnwritableCopiesAreReported) {
    ScannedCard card;
    FixedAnswer never({ConflictAnswer::SkipAll, "", true});
    SaveContext context = card.saveContext(never);
    const FileListRow notes = rowNamed(listOf(card, "Docs"), "NOTES.TXT");

    RecordingOpener unassociated(false);
    const std::string folder = test::makeTempDir();
    OpenFoundFileOutcome outcome = OpenFoundFile(context, notes, folder, unassociated);
    EXPECT_EQ(unassociated.chosen, (std::vector<std::string>{outcome.copyPath}));

    // A temporary folder that cannot be made (a file stands in its place): nothing to open, and the user
    // is told.
    const std::string blocked = test::makeTempDir() + "/not-a-folder";
    std::ofstream(blocked) << "in the way";
    RecordingOpener opener(true);
    outcome = OpenFoundFile(context, notes, blocked, opener);
    EXPECT_TRUE(outcome.copyPath.empty());
    EXPECT_TRUE(opener.opened.empty());
    EXPECT_EQ(card.prompter.messages, (std::vector<std::string>{kOpenedFileMissing}));
}

TEST(OpenFoundFile, AHostileNameStaysInsideTheTemporaryFolder) {
    ScannedCard card;
    FixedAnswer never({ConflictAnswer::SkipAll, "", true});
    SaveContext context = card.saveContext(never);
    FileListRow row = rowNamed(listOf(card, "Docs"), "NOTES.TXT");
    row.cells[file_list::Name] = "evil./../../escaped";
    const fs::path parent = test::makeTempDir();
    const fs::path folder = parent / "copies";
    RecordingOpener opener(true);
    OpenFoundFileOutcome outcome = OpenFoundFile(context, row, folder.string(), opener);
    ASSERT_FALSE(outcome.copyPath.empty());
    EXPECT_EQ(fs::path(outcome.copyPath).parent_path(), folder);
    EXPECT_EQ(std::distance(fs::directory_iterator(parent), fs::directory_iterator{}), 1);
}

TEST(CurrentFileBar, CountsBytesUntilTheControlsLimitThenPercent) {
    CurrentFileBar bar;
    bar.prepare(100, 512); // smaller than one block: full at once
    EXPECT_FALSE(bar.percentageMode());
    EXPECT_EQ(bar.rangeEnd(), 100u);
    EXPECT_EQ(bar.position(), 100u);

    bar.prepare(0x7FFFFFFE, 65536); // the largest size counted in bytes
    EXPECT_FALSE(bar.percentageMode());
    EXPECT_TRUE(bar.advance(65536));
    EXPECT_EQ(bar.position(), 65536u);

    bar.prepare(3'000'000'000, 65536);
    EXPECT_TRUE(bar.percentageMode());
    EXPECT_EQ(bar.rangeEnd(), 100u);
    EXPECT_EQ(bar.position(), 0u);
    EXPECT_FALSE(bar.advance(65536));        // 0 %: no change
    EXPECT_TRUE(bar.advance(1'500'000'000)); // 50 %
    EXPECT_EQ(bar.position(), 50u);
    EXPECT_FALSE(bar.advance(1'000'000'000)); // never backwards
    EXPECT_TRUE(bar.advance(3'000'000'000));
    EXPECT_EQ(bar.position(), 100u);

    bar.prepare(UINT64_MAX, 4096); // a size no volume holds still gives sane percentages
    EXPECT_TRUE(bar.advance(UINT64_MAX / 2));
    EXPECT_EQ(bar.position(), 50u);
}

TEST(WrappablePathText, BreaksOnlyPathsLongerThanSeventyCharacters) {
    const std::string seventy = "/media/backup/" + std::string(56, 'a');
    ASSERT_EQ(seventy.size(), 70u);
    EXPECT_EQ(wrappablePathText(seventy), seventy);
    EXPECT_EQ(wrappablePathText(seventy + "b"), " /media /backup /" + std::string(56, 'a') + "b");
}

} // namespace
} // namespace salvora
