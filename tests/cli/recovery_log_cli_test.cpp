// SPDX-License-Identifier: GPL-3.0-or-later
// salvora basic --save-log and salvora load-log, as a user runs them: scan once and save the log, then in a
// new process load it and list or save without scanning again: the same tree, the same files. A medium that
// comes back under another drive letter or disk number is followed after yes.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <map>

#include "recoverylog/medium_check.h"
#include "recoverylog/recovery_log_reader.h"
#include "recoverylog/recovery_log_writer.h"
#include "run_cli.h"
#include "support/fixtures.h"

namespace salvora::test {
namespace fs = std::filesystem;
namespace {

// The saved files' contents by their path in lower case.
std::map<std::string, std::string> filesBelow(const fs::path& root) {
    std::map<std::string, std::string> contents;
    for (const auto& [relative, path] : filesBelowIgnoringCase(root))
        contents[relative] = readWholeFile(path.string());
    return contents;
}

struct VolumeCase {
    const char* image; // below the save fixtures
    const char* fileSystem;
    const char* files; // the files put on it, below the save fixtures
};

TEST(SalvoraRecoveryLog, ALoadedLogShowsAndSavesWhatTheScanFound) {
    for (const VolumeCase& c :
         {VolumeCase{"save/tree.img", "FAT32", "save/files/tree"}, VolumeCase{"save/fat16.img", "FAT16", ""},
          VolumeCase{"save/ntfs.img", "NTFS", "save/files/ntfs"}}) {
        SCOPED_TRACE(c.image);
        const std::string image = fixturePath(c.image);
        const std::string before = sha256OfFile(image);
        const fs::path work = makeTempDir();
        const std::string log = (work / "scan.SLV").string();

        CliRun scan = runSalvora(
            {"--no-devices", "--volume-image", image, "basic", "D:", "--json", "--files", "--save-log", log});
        ASSERT_EQ(scan.exitCode, 0) << scan.err;
        EXPECT_NE(scan.err.find(kLogSavedMessage), std::string::npos) << scan.err;
        EXPECT_NE(scan.out.find(std::string("\"fileSystem\": \"") + c.fileSystem + "\""), std::string::npos);

        CliRun loaded =
            runSalvora({"--no-devices", "--volume-image", image, "load-log", log, "--json", "--files"});
        ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
        EXPECT_NE(loaded.err.find(kLogLoadedMessage), std::string::npos) << loaded.err;
        EXPECT_EQ(loaded.out, scan.out);

        // Saved from the log, the files are those a save straight after a scan gives, byte for byte.
        const fs::path fromLog = work / "from-log";
        CliRun saved = runSalvora(
            {"--no-devices", "--volume-image", image, "load-log", log, "--save", fromLog.string()});
        ASSERT_EQ(saved.exitCode, 0) << saved.err;
        const fs::path fromScan = work / "from-scan";
        CliRun scanSaved =
            runSalvora({"--no-devices", "--volume-image", image, "basic", "D:", "--save", fromScan.string()});
        ASSERT_EQ(scanSaved.exitCode, 0) << scanSaved.err;
        const auto recovered = filesBelow(fromLog);
        EXPECT_EQ(recovered, filesBelow(fromScan));
        EXPECT_FALSE(recovered.empty());
        // And every file put on the volume is among them.
        const auto original =
            c.files[0] ? filesBelow(fixturePath(c.files)) : std::map<std::string, std::string>{};
        for (const auto& [name, content] : original) {
            ASSERT_TRUE(recovered.count(name)) << name;
            EXPECT_TRUE(recovered.at(name) == content) << name;
        }
        EXPECT_EQ(sha256OfFile(image), before);
    }
}

TEST(SalvoraRecoveryLog, AVolumeUnderAnotherLetterIsFollowedAfterYesOnly) {
    const std::string tree = fixturePath("save/tree.img");
    const std::string other = fixturePath("save/fat16.img");
    const fs::path work = makeTempDir();
    const std::string log = (work / "tree.SLV").string();
    CliRun scan = runSalvora({"--no-devices", "--volume-image", tree, "basic", "D:", "--save-log", log});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;

    // Now the card is E:, behind another volume of a different size.
    const std::string question = movedVolumeQuestion("\\\\.\\D:", "\\\\.\\E:");
    CliRun yes = runSalvora({"--no-devices", "--volume-image", other, "--volume-image", tree, "load-log", log,
                             "--yes", "--ls", "/Docs"});
    ASSERT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_NE(yes.err.find(question), std::string::npos) << yes.err;
    EXPECT_NE(yes.out.find("NOTES.TXT"), std::string::npos) << yes.out;

    CliRun no = runSalvora(
        {"--no-devices", "--volume-image", other, "--volume-image", tree, "load-log", log, "--no"});
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_NE(no.err.find(question), std::string::npos) << no.err;
    EXPECT_EQ(no.err.find(kLogLoadedMessage), std::string::npos);
    EXPECT_TRUE(no.out.empty());

    // Gone altogether.
    CliRun gone = runSalvora({"--no-devices", "--volume-image", other, "load-log", log, "--yes"});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_NE(gone.err.find(kOriginalMediaMoved), std::string::npos) << gone.err;
}

TEST(SalvoraRecoveryLog, ADiskUnderAnotherNumberIsFollowedAfterYes) {
    const std::string card = fixturePath("partitions/mbr-fat16.img");
    const std::string other = fixturePath("partitions/gpt.img");
    const fs::path work = makeTempDir();
    const std::string log = (work / "disk.SLV").string();
    // A logical drive read through its disk: the log knows the disk by its identity.
    CliRun scan = runSalvora({"--no-devices", "--image", card, "basic", "D:", "--save-log", log});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;

    const std::string question = movedDiskQuestion("0", "1");
    CliRun moved = runSalvora({"--no-devices", "--image", other, "--image", card, "load-log", log, "--yes"});
    ASSERT_EQ(moved.exitCode, 0) << moved.err;
    EXPECT_NE(moved.err.find(question), std::string::npos) << moved.err;
    EXPECT_EQ(moved.out, scan.out);

    CliRun same = runSalvora({"--no-devices", "--image", card, "load-log", log});
    ASSERT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.err.find("Original Media"), std::string::npos) << same.err;
}

TEST(SalvoraRecoveryLog, BadLogsAndBadDestinationsAreSaidAndLoseNothing) {
    const std::string image = fixturePath("save/tree.img");
    const std::string before = sha256OfFile(image);
    const fs::path work = makeTempDir();

    CliRun missing =
        runSalvora({"--no-devices", "--volume-image", image, "load-log", (work / "none.SLV").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("cannot read the log"), std::string::npos) << missing.err;

    // The image itself is not a log: refused with the first invalid-log message.
    CliRun notLog = runSalvora({"--no-devices", "--volume-image", image, "load-log", image});
    EXPECT_EQ(notLog.exitCode, 1);
    EXPECT_NE(notLog.err.find(kLogInvalidMessage), std::string::npos) << notLog.err;

    // --save-log naming the image being read is refused; the image is untouched.
    CliRun onImage =
        runSalvora({"--no-devices", "--volume-image", image, "basic", "D:", "--save-log", image});
    EXPECT_EQ(onImage.exitCode, 1);
    EXPECT_NE(onImage.err.find("cannot create the log"), std::string::npos) << onImage.err;
    EXPECT_EQ(sha256OfFile(image), before);

    // A log cut short loads nothing as a success.
    const std::string log = (work / "cut.SLV").string();
    ASSERT_EQ(
        runSalvora({"--no-devices", "--volume-image", image, "basic", "D:", "--save-log", log}).exitCode, 0);
    fs::resize_file(log, fs::file_size(log) - 3);
    CliRun cut = runSalvora({"--no-devices", "--volume-image", image, "load-log", log});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_FALSE(cut.crashed);
    EXPECT_NE(cut.err.find(kLogCorruptMessage), std::string::npos) << cut.err;
}

// Deep Search logs: FAT cards whose table or boot sectors were wiped (a disk without partitions, which the
// listing keeps out of its identities), two volumes laid out alike, and NTFS records of a card without
// boot sectors. Loaded, each shows and saves what the scan did.
TEST(SalvoraRecoveryLog, DeepSearchLogsShowAndSaveWhatTheScanFound) {
    struct Case {
        const char* image;
        const char* fileSystem;
    };
    for (const Case& c : {Case{"deep/no-boot.img", "FAT32"}, Case{"deep/two-volumes.img", "FAT32"},
                          Case{"deep-ntfs/card.img", "NTFS"}}) {
        SCOPED_TRACE(c.image);
        const std::string image = fixturePath(c.image);
        const std::string before = sha256OfFile(image);
        const fs::path work = makeTempDir();
        const std::string log = (work / "deep.SLV").string();
        CliRun scan = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs", c.fileSystem,
                                  "--json", "--files", "--save-log", log});
        ASSERT_EQ(scan.exitCode, 0) << scan.err;
        CliRun loaded = runSalvora({"--no-devices", "--image", image, "load-log", log, "--json", "--files"});
        ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
        EXPECT_EQ(loaded.out, scan.out);

        const fs::path fromLog = work / "from-log";
        const fs::path fromScan = work / "from-scan";
        CliRun saved = runSalvora({"--no-devices", "--image", image, "load-log", log, "--save",
                                   fromLog.string(), "--on-conflict", "rename"});
        ASSERT_EQ(saved.exitCode, 0) << saved.err;
        CliRun scanSaved = runSalvora({"--no-devices", "--image", image, "deep", "disk0", "--fs",
                                       c.fileSystem, "--save", fromScan.string(), "--on-conflict", "rename"});
        ASSERT_EQ(scanSaved.exitCode, 0) << scanSaved.err;
        const auto recovered = filesBelow(fromLog);
        EXPECT_FALSE(recovered.empty());
        EXPECT_EQ(recovered, filesBelow(fromScan));
        EXPECT_EQ(sha256OfFile(image), before);
    }
}

// A volume found inside a logical drive (D:R1) is read through the drive's own path: its log names the drive
// and its sectors, and loads again.
TEST(SalvoraRecoveryLog, AVolumeFoundInsideADriveLoadsAgain) {
    const std::string drive = fixturePath("lost/drive-two-volumes.img");
    const fs::path work = makeTempDir();
    for (const char* target : {"D:R1", "D:R2"}) {
        SCOPED_TRACE(target);
        const std::string log = (work / (std::string(target).substr(2) + ".SLV")).string();
        CliRun scan = runSalvora({"--no-devices", "--volume-image", drive, "basic", target, "--json",
                                  "--files", "--save-log", log});
        ASSERT_EQ(scan.exitCode, 0) << scan.err;
        CliRun loaded =
            runSalvora({"--no-devices", "--volume-image", drive, "load-log", log, "--json", "--files"});
        ASSERT_EQ(loaded.exitCode, 0) << loaded.err;
        EXPECT_EQ(loaded.out.substr(loaded.out.find("\"fileSystem\"")),
                  scan.out.substr(scan.out.find("\"fileSystem\"")));
    }
}

// A log is a file anyone can hand over: folder names in it that climb out of the destination or hold a
// separator are saved inside the destination all the same.
TEST(SalvoraRecoveryLog, HostileFolderNamesInALogStayInsideTheDestination) {
    const std::string image = fixturePath("save/tree.img");
    const fs::path work = makeTempDir();
    const std::string log = (work / "scan.SLV").string();
    ASSERT_EQ(
        runSalvora({"--no-devices", "--volume-image", image, "basic", "D:", "--save-log", log}).exitCode, 0);

    // Rename two folders inside the log: load it, change the names, write it again.
    RecoveryLogState state;
    std::string devicePath;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    DeepSearchState deep;
    DriveListState driveList;
    driveList.AttachedVolumeEntries = {"\\\\.\\D:|" + std::to_string(fs::file_size(image) / 512)};
    NullProgress progress;
    struct Quiet final : Prompter {
        void inform(const std::string&) override {}
        bool askYesNo(const std::string&) override { return true; }
    } quiet;
    RecoveryLogLoadContext context{SearchMode::Basic, state, devicePath, volumes,  tables,
                                   folders,           deep,  driveList,  progress, quiet};
    ASSERT_EQ(LoadRecoveryLog(context, log).status, LogLoadOutcome::Status::Loaded);
    std::size_t renamed = 0;
    for (FolderNode& node : folders.FolderList) {
        if (node.name == "Docs" || node.name == "DCIM") {
            node.name = renamed++ == 0 ? "../../escaped" : "a/b";
            folders.tree.setText(node.treeItem, node.name);
        }
    }
    ASSERT_EQ(renamed, 2u);
    const std::string hostile = (work / "hostile.SLV").string();
    ASSERT_EQ(
        WriteRecoveryLog({SearchMode::Basic, state.origin, volumes, tables, folders}, hostile, state, quiet)
            .status,
        LogWriteResult::Status::Saved);

    const fs::path out = work / "deep" / "out";
    fs::create_directories(out);
    CliRun saved = runSalvora({"--no-devices", "--volume-image", image, "load-log", hostile, "--save",
                               out.string(), "--on-conflict", "rename"});
    EXPECT_FALSE(saved.crashed);
    // Nothing beside the destination or above it.
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        const std::string path = entry.path().string();
        const bool inside = path.starts_with(out.string()) || entry.path() == work / "deep" ||
                            entry.path() == work / "scan.SLV" || entry.path() == work / "hostile.SLV";
        EXPECT_TRUE(inside) << path;
    }
    EXPECT_FALSE(fs::exists(work / "escaped"));
    EXPECT_FALSE(filesBelow(out).empty());
}

} // namespace
} // namespace salvora::test
