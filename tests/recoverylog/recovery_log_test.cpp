// SPDX-License-Identifier: GPL-3.0-or-later
// Writing and loading recovery logs from hand-filled state: the layout field by field, the outline's TAB
// depths, the Deep tails, the medium checks with their questions, the hand-over between the two windows,
// and logs that end early or lie about their counts.
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>

#include "log_world.h"
#include "recoverylog/medium_check.h"

namespace salvora {
namespace {

using test::describeTree;
using test::LogWorld;
using Status = LogLoadOutcome::Status;

constexpr const char* kCardIdentity = "Card Reader SD||1.88 GB||3906250||1";

VolumeParameters fatParameters() {
    VolumeParameters p;
    p.SPF = 3809;
    p.SPC = 8;
    p.RootSec = 0;
    p.RootStartSec = 2;
    p.ReserveSecStart = 32;
    p.Cluster0Start = 15842;
    p.firstFAT = 8224;
    p.secondFAT = 12033;
    return p;
}

// A Basic Search of a FAT32 logical drive that was read through its disk: Root, A/B/C below it and D.
void fillBasicFat32(LogWorld& w) {
    w.log.origin = ScanOrigin{"Logical",   true,    "Card Reader SD", kCardIdentity, 1,
                              "\\\\.\\E:", 3897856, "Basic Search",   8192,          3897856};
    w.volumes.selectedVolume = SelectedVolume{"\\\\.\\PhysicalDrive1", "FAT32", 8192, 3906048};
    w.volumes.computedParameters = fatParameters();
    w.volumes.volumeParameters = fatParameters();
    w.volumes.partType = "FAT32";
    const TreeItem a = w.add(kNoTreeItem, "A", 3, 0);
    const TreeItem b = w.add(a, "B", 5, 3, true);
    w.add(b, "C", 7, 5, true);
    w.add(kNoTreeItem, "D", 9, 0);
}

void fillDeepNtfs(LogWorld& w) {
    w.log.origin =
        ScanOrigin{"part", false, "Card Reader SD", kCardIdentity, 1, "", 0, "Deep Search", 2048, 3906250};
    w.volumes.selectedVolume = SelectedVolume{"\\\\.\\PhysicalDrive1", "NTFS", 2048, 3906249};
    w.volumes.partType = "NTFS";
    w.volumes.volumeParameters.SPC = 8;
    w.volumes.volumeParameters.MftStartSector = 2048 + 32768;
    w.volumes.volumeParameters.SectorsPerMftRecord = 2;
    // Written only for FAT: an NTFS log has no parameter rows even when the table holds some.
    w.tables.VolumeParamTable.appendRow({"2048", "1", "2", "3", "4", "5", "6", "7", "8", "9", "NTFS", "10"});
    const TreeItem docs = w.add(kNoTreeItem, "Docs", 64, 5, false, 2048);
    w.add(docs, "Old", 65, 64, true, 2048);
    w.tables.NtfsItemTable.appendRow({"35000|64", "a.txt", "5", "0", "", "FILE"});
    w.tables.NtfsItemTable.appendRow({"35002|65", "b.txt", "7", "0", "", "FILE"});
    w.tables.DriveTable.appendRow({"E:", "1", "2048", "3906249", "0", "3906250"});
}

std::vector<std::string> readStrings(LogDecoder& in, std::size_t count) {
    std::vector<std::string> values;
    for (std::size_t i = 0; i < count; ++i)
        values.push_back(in.string());
    return values;
}

// Reads the twelve parameter fields and returns SPC and Cluster0Start, enough to see the order is right.
std::pair<std::uint32_t, std::uint64_t> readParameterRecord(LogDecoder& in) {
    in.u32();
    const std::uint32_t spc = in.u32();
    in.u32();
    in.u32();
    in.u32();
    const std::uint64_t cluster0 = in.u64();
    in.u32();
    in.u32();
    in.u64();
    in.u64();
    in.u32();
    in.u32();
    return {spc, cluster0};
}

TEST(RecoveryLogWriter, BasicFat32DriveReadThroughItsDiskGivesTheDiskFormAndEndsAtTheTerminator) {
    LogWorld w;
    fillBasicFat32(w);
    const std::vector<std::byte> log = w.encode(SearchMode::Basic);
    MemoryLogInput input(log);
    LogDecoder in(input);
    EXPECT_EQ(readStrings(in, 3),
              (std::vector<std::string>{"Logical", "QuillwortWIN7SR2013", "Card Reader SD"}));
    EXPECT_EQ(in.u32(), 1u);
    EXPECT_EQ(readStrings(in, 2), (std::vector<std::string>{"PHY", kCardIdentity}));
    EXPECT_EQ(in.u16(), 1);
    EXPECT_EQ(in.u16(), 1);
    EXPECT_EQ(in.u32(), 0u);
    EXPECT_EQ(readStrings(in, 2), (std::vector<std::string>{"FAT32", "Basic Search"}));
    EXPECT_EQ(in.u64(), 8192u);
    EXPECT_EQ(in.u64(), 3906048u);
    EXPECT_EQ(in.u64(), 8192u);
    EXPECT_EQ(in.u64(), 3897856u);
    EXPECT_EQ(readParameterRecord(in), std::make_pair(8u, std::uint64_t{15842}));
    EXPECT_EQ(readParameterRecord(in), std::make_pair(8u, std::uint64_t{15842}));
    EXPECT_EQ(in.string(), "FAT32");
    // No parameter rows in a Basic log: FolderCount follows at once.
    EXPECT_EQ(in.u64(), 4u);
    struct Entry {
        std::string line;
        std::string name;
        std::uint32_t self, parent, deleted;
    };
    const std::vector<Entry> outline = {{"Root", "Root_Item", 0, 0, 0},
                                        {"\tA", "A", 3, 0, 0},
                                        {"\t\tB", "B", 5, 3, 1},
                                        {"\t\t\tC", "C", 7, 5, 1},
                                        {"\tD", "D", 9, 0, 0}};
    for (const Entry& entry : outline) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(in.line(), entry.line);
        EXPECT_EQ(in.string(), entry.name);
        EXPECT_EQ(in.u32(), entry.self);
        EXPECT_EQ(in.u32(), entry.parent);
        EXPECT_EQ(in.u64(), entry.self ? 0x4265u : 0u);
        EXPECT_EQ(in.u64(), entry.self ? 0x7BCFu : 0u);
        EXPECT_EQ(in.u32(), entry.deleted);
    }
    EXPECT_EQ(in.line(), std::string(kRecoveryLogTerminator));
    EXPECT_TRUE(in.ok());
    EXPECT_TRUE(in.atEnd()) << "nothing follows the terminator in a FAT log";
}

TEST(RecoveryLogWriter, AVolumeReadThroughItsOwnPathGivesTheVolumeForm) {
    LogWorld w;
    fillBasicFat32(w);
    w.log.origin.VolumeOnKnownDisk = false;
    const std::vector<std::byte> log = w.encode(SearchMode::Basic);
    MemoryLogInput input(log);
    LogDecoder in(input);
    readStrings(in, 3);
    in.u32();
    EXPECT_EQ(readStrings(in, 2), (std::vector<std::string>{"LOG", "\\\\.\\E:"}));
    EXPECT_EQ(in.u64(), 3897856u);
    // Deep Search treats a volume found inside a logical drive the same way; Basic Search writes the disk
    // form for every kind but "Logical".
    w.log.origin.DriveKind = "Recognised";
    for (const auto& [mode, tag] :
         {std::pair{SearchMode::Deep, "LOG"}, std::pair{SearchMode::Basic, "PHY"}}) {
        const std::vector<std::byte> other = w.encode(mode);
        MemoryLogInput otherInput(other);
        LogDecoder otherIn(otherInput);
        readStrings(otherIn, 3);
        otherIn.u32();
        EXPECT_EQ(otherIn.string(), tag);
    }
}

TEST(RecoveryLogWriter, AnOutlineOfTheTopItemOnly) {
    LogWorld w;
    fillBasicFat32(w);
    w.folders.reset();
    w.folders.tree.ensureRoot();
    const std::vector<std::byte> log = w.encode(SearchMode::Basic);

    // FolderCount 0, the top entry with its placeholder record, the terminator, and the end.
    std::vector<std::byte> tail(8, std::byte{0});
    auto append = [&](const std::vector<std::byte>& more) {
        tail.insert(tail.end(), more.begin(), more.end());
    };
    append(encodeLogLine("Root"));
    append(encodeLogString("Root_Item"));
    append(std::vector<std::byte>(4 + 4 + 8 + 8 + 4, std::byte{0}));
    append(encodeLogLine(kRecoveryLogTerminator));
    ASSERT_GE(log.size(), tail.size());
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), log.end() - static_cast<std::ptrdiff_t>(tail.size())));

    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loaded.load(SearchMode::Basic, log).status, Status::Loaded);
    EXPECT_EQ(describeTree(loaded.folders), "Root\n");
    EXPECT_EQ(loaded.prompter.messages, std::vector<std::string>{kLogLoadedMessage});
}

TEST(RecoveryLogWriter, DeepNtfsLogCarriesWideRecordsAndTheFileRecordTail) {
    LogWorld w;
    fillDeepNtfs(w);
    const std::vector<std::byte> log = w.encode(SearchMode::Deep);
    MemoryLogInput input(log);
    LogDecoder in(input);
    EXPECT_EQ(readStrings(in, 3)[0], "part");
    EXPECT_EQ(in.u32(), 2u);
    EXPECT_EQ(in.string(), "PHY");
    in.string();
    in.u16();
    in.u16();
    in.u32();
    EXPECT_EQ(readStrings(in, 2), (std::vector<std::string>{"NTFS", "Deep Search"}));
    for (int i = 0; i < 4; ++i)
        in.u64();
    readParameterRecord(in);
    readParameterRecord(in);
    EXPECT_EQ(in.string(), "NTFS");
    EXPECT_EQ(in.u64(), 2u) << "FolderCount right after the type: no parameter rows for NTFS";
    EXPECT_EQ(in.line(), "Root");
    in.string();
    for (int i = 0; i < 2; ++i)
        in.u32();
    in.u64();
    in.u64();
    in.u32();
    EXPECT_EQ(in.u64(), 0u) << "the placeholder's extra field";
    for (const auto& [line, c0] : {std::pair{"\tDocs", 2048u}, std::pair{"\t\tOld", 2048u}}) {
        EXPECT_EQ(in.line(), line);
        in.string();
        in.u32();
        in.u32();
        in.u64();
        in.u64();
        in.u32();
        EXPECT_EQ(in.u64(), c0);
    }
    EXPECT_EQ(in.line(), std::string(kRecoveryLogTerminator));
    EXPECT_EQ(in.u64(), 2u);
    EXPECT_EQ(readStrings(in, 6), (std::vector<std::string>{"35000|64", "a.txt", "5", "0", "", "FILE"}));
    readStrings(in, 6);
    EXPECT_EQ(in.u32(), 0u);
    EXPECT_EQ(in.u32(), 1u);
    EXPECT_EQ(readStrings(in, 6), (std::vector<std::string>{"E:", "1", "2048", "3906249", "0", "3906250"}));
    EXPECT_TRUE(in.ok());
    EXPECT_TRUE(in.atEnd());
}

TEST(RecoveryLogWriter, ItemTextsCannotBreakTheOutline) {
    // A damaged entry's name may hold TAB, CR or LF; the line must not change depth or end early, and the
    // name comes back unchanged from the record.
    LogWorld w;
    fillBasicFat32(w);
    w.folders.reset();
    const TreeItem odd = w.add(kNoTreeItem, "\tX\r\nY", 11, 0);
    w.add(odd, "Z", 12, 11);
    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loaded.load(SearchMode::Basic, w.encode(SearchMode::Basic)).status, Status::Loaded);
    EXPECT_EQ(describeTree(loaded.folders), describeTree(w.folders));
}

TEST(RecoveryLogRoundTrip, BasicLogRebuildsTheSameState) {
    LogWorld w;
    fillBasicFat32(w);
    LogWorld loaded;
    loaded.log.origin.DriveKind = "kept";
    loaded.driveList.AttachedDiskIdentities = {"Other||1 GB||2000||0", kCardIdentity};
    const LogLoadOutcome outcome = loaded.load(SearchMode::Basic, w.encode(SearchMode::Basic));
    EXPECT_EQ(outcome.status, Status::Loaded);
    EXPECT_EQ(describeTree(loaded.folders), describeTree(w.folders));
    EXPECT_EQ(loaded.folders.FolderCount, 4u);
    EXPECT_EQ(loaded.CurrentDevicePath, "\\\\.\\PhysicalDrive1");
    EXPECT_EQ(loaded.volumes.CurrentDisk, 1);
    EXPECT_EQ(loaded.volumes.selectedVolume.fileSystem, "FAT32");
    EXPECT_EQ(loaded.volumes.selectedVolume.start, 8192u);
    EXPECT_EQ(loaded.volumes.selectedVolume.end, 3906048u);
    EXPECT_EQ(loaded.volumes.volumeParameters.Cluster0Start, 15842u);
    EXPECT_EQ(loaded.volumes.computedParameters.secondFAT, 12033u);
    EXPECT_EQ(loaded.volumes.partType, "FAT32");
    EXPECT_EQ(loaded.log.origin.DriveKind, "Logical");
    EXPECT_EQ(loaded.log.origin.driveEnd, 3897856u);
    EXPECT_EQ(loaded.log.driveSizeBytes, 3897856ull * 512);
    EXPECT_TRUE(loaded.log.logLoaded);
    EXPECT_TRUE(loaded.prompter.questions.empty());
    EXPECT_EQ(loaded.prompter.messages, std::vector<std::string>{kLogLoadedMessage});
    // Written again from the loaded state, the log is the same bytes.
    EXPECT_EQ(loaded.encode(SearchMode::Basic), w.encode(SearchMode::Basic));
}

TEST(RecoveryLogRoundTrip, DeepLogsRestoreTheirTables) {
    LogWorld ntfs;
    fillDeepNtfs(ntfs);
    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loaded.load(SearchMode::Deep, ntfs.encode(SearchMode::Deep)).status, Status::Loaded);
    EXPECT_EQ(describeTree(loaded.folders), describeTree(ntfs.folders));
    EXPECT_EQ(loaded.tables.NtfsItemTable.rowCount(), 2u);
    EXPECT_EQ(loaded.tables.NtfsItemTable.cell(1, 0), "35002|65");
    EXPECT_EQ(loaded.tables.DriveTable.cell(0, 5), "3906250");
    EXPECT_EQ(loaded.tables.VolumeParamTable.rowCount(), 0u);
    EXPECT_TRUE(loaded.log.volumeHasFileRecords);

    LogWorld fat;
    fillBasicFat32(fat);
    fat.tables.VolumeParamTable.appendRow(
        {"8192", "3809", "8", "0", "2", "32", "15842", "8224", "12033", "3897856", "FAT32", "3906048"});
    fat.tables.VolumeParamTable.appendRow(
        {"9000", "1", "1", "32", "10", "1", "20", "2", "3", "100", "FAT16", "9100"});
    LogWorld loadedFat;
    loadedFat.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loadedFat.load(SearchMode::Deep, fat.encode(SearchMode::Deep)).status, Status::Loaded);
    EXPECT_EQ(loadedFat.tables.VolumeParamTable.rowCount(), 2u);
    EXPECT_EQ(loadedFat.tables.VolumeParamTable.cell(1, 10), "FAT16");
    EXPECT_EQ(loadedFat.deep.VolumeCount, 2u);
    EXPECT_EQ(describeTree(loadedFat.folders), describeTree(fat.folders));
}

// ---- the medium checks ----------------------------------------------------------------------------------

TEST(RecoveryLogMedium, AVolumeUnderAnotherLetterIsOfferedAndFollowedAfterYes) {
    LogWorld w;
    fillBasicFat32(w);
    w.log.origin.VolumeOnKnownDisk = false;
    w.log.origin.VolumePath = "\\\\.\\E:";
    w.log.origin.VolumeSectors = 3906250;
    const std::vector<std::byte> log = w.encode(SearchMode::Basic);
    const std::vector<std::string> entries = {"\\\\.\\D:|100", "\\\\.\\F:|3906250", "\\\\.\\G:|3906250"};

    LogWorld yes;
    yes.driveList.AttachedVolumeEntries = entries;
    EXPECT_EQ(yes.load(SearchMode::Basic, log).status, Status::Loaded);
    EXPECT_EQ(yes.prompter.questions,
              std::vector<std::string>{"Original Media connection order on Drive letter '\\\\.\\E:' has been "
                                       "replaced with media of drive letter '\\\\.\\F:' since you saved the "
                                       "selected recovery Log.\n\nDo you want to continue?"});
    EXPECT_EQ(yes.CurrentDevicePath, "\\\\.\\F:");

    LogWorld no;
    no.driveList.AttachedVolumeEntries = entries;
    no.log.origin.DriveKind = "kept";
    no.log.pendingLogPath = "/somewhere/card.SLV";
    no.prompter.answers = {false};
    EXPECT_EQ(no.load(SearchMode::Basic, log).status, Status::MoveDeclined);
    EXPECT_TRUE(no.prompter.messages.empty());
    EXPECT_EQ(no.log.origin.DriveKind, "kept");
    EXPECT_TRUE(no.log.pendingLogPath.empty());
    EXPECT_EQ(describeTree(no.folders), "");

    LogWorld exact;
    exact.driveList.AttachedVolumeEntries = {"\\\\.\\E:|3906250"};
    EXPECT_EQ(exact.load(SearchMode::Basic, log).status, Status::Loaded);
    EXPECT_TRUE(exact.prompter.questions.empty());
    EXPECT_EQ(exact.CurrentDevicePath, "\\\\.\\E:");

    LogWorld gone;
    gone.driveList.AttachedVolumeEntries = {"\\\\.\\E:|3906249"};
    EXPECT_EQ(gone.load(SearchMode::Basic, log).status, Status::MediumMissing);
    EXPECT_EQ(gone.prompter.messages, std::vector<std::string>{kOriginalMediaMoved});
}

TEST(RecoveryLogMedium, ADiskUnderAnotherNumberIsOfferedAndReadFromAfterYes) {
    LogWorld w;
    fillBasicFat32(w);
    const std::vector<std::byte> log = w.encode(SearchMode::Basic);

    LogWorld moved;
    moved.driveList.AttachedDiskIdentities = {"Other||1 GB||2000||0", "Card Reader SD||1.88 GB||3906250||3"};
    EXPECT_EQ(moved.load(SearchMode::Basic, log).status, Status::Loaded);
    EXPECT_EQ(moved.prompter.questions,
              std::vector<std::string>{"Original Media connection order on Disk number '1' has been replaced "
                                       "with media of disk number '3' since you saved the selected recovery "
                                       "Log.\n\nDo you want to continue?"});
    EXPECT_EQ(moved.CurrentDevicePath, "\\\\.\\PhysicalDrive3");
    EXPECT_EQ(moved.volumes.CurrentDisk, 3);
    EXPECT_EQ(moved.log.origin.DiskIdentity, "Card Reader SD||1.88 GB||3906250||3");

    LogWorld gone;
    gone.driveList.AttachedDiskIdentities = {"Card Reader SD||1.88 GB||3906251||1"};
    EXPECT_EQ(gone.load(SearchMode::Basic, log).status, Status::MediumMissing);
    EXPECT_EQ(gone.prompter.messages, std::vector<std::string>{kOriginalMediaMoved});

    // Blanks around either identity do not matter.
    EXPECT_EQ(
        CheckDiskPresent(std::string(" ") + kCardIdentity + " ", {std::string(kCardIdentity) + "  "}).outcome,
        MediumCheck::Outcome::Present);
}

TEST(RecoveryLogMedium, ADiskWithoutPartitionsIsFoundThroughTheDriveTree) {
    // A whole-disk scan of a card whose table was wiped: the listing keeps such a disk out of
    // AttachedDiskIdentities, and only the drive tree's record of it tells it is there.
    LogWorld w;
    fillBasicFat32(w);
    w.log.origin.DriveKind = "Hard Disk";
    const std::vector<std::byte> log = w.encode(SearchMode::Deep);

    DriveTree tree;
    const NodeId node = tree.addNode("Removable Media (Disk1 - 1.88 GB)", 3, kNoNode);
    DiskRecord record;
    record.model = "Card Reader SD";
    record.capacity = "1.88 GB";
    record.sectors = "3906250";
    record.diskNumber = "1";
    tree.setRecord(node, record);

    for (const bool withTree : {false, true}) {
        SCOPED_TRACE(withTree);
        LogWorld loaded;
        loaded.driveList.PartitionlessDisks.push_back(PartitionlessDisk{0, 255, 63, node, 3906250, ""});
        RecoveryLogLoadContext context = loaded.loadContext(SearchMode::Deep);
        context.driveTree = withTree ? &tree : nullptr;
        MemoryLogInput input(log);
        EXPECT_EQ(LoadRecoveryLogFrom(context, input).status,
                  withTree ? Status::Loaded : Status::MediumMissing);
    }
}

// ---- header and hand-over ---------------------------------------------------------------------------------

std::string writeTemp(const std::string& name, const std::vector<std::byte>& bytes) {
    const std::string path = ::testing::TempDir() + "/" + name;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

TEST(RecoveryLogHeader, AMagicWrongInItsLastCharacterIsRefusedBeforeAnyMediumCheck) {
    LogWorld w;
    fillBasicFat32(w);
    std::vector<std::byte> log = w.encode(SearchMode::Basic);
    // The magic's last code unit "3" sits right before the third string's mark.
    const std::vector<std::byte> magic = encodeLogString(kRecoveryLogMagic);
    auto at = std::search(log.begin(), log.end(), magic.begin(), magic.end());
    ASSERT_NE(at, log.end());
    *(at + static_cast<std::ptrdiff_t>(magic.size()) - 2) = std::byte{'4'};

    LogWorld loaded;
    loaded.log.origin.DriveKind = "kept";
    EXPECT_EQ(loaded.load(SearchMode::Basic, log).status, Status::InvalidLog);
    EXPECT_EQ(loaded.prompter.messages, std::vector<std::string>{kLogInvalidMessage});
    EXPECT_TRUE(loaded.prompter.questions.empty());
    EXPECT_EQ(loaded.log.origin.DriveKind, "kept");
}

TEST(RecoveryLogHeader, ADeepLogInTheBasicWindowIsHandedOverAfterYes) {
    LogWorld w;
    fillDeepNtfs(w);
    const std::string path = writeTemp("deep.SLV", w.encode(SearchMode::Deep));

    LogWorld session;
    session.driveList.AttachedDiskIdentities = {kCardIdentity};
    RecoveryLogLoadContext basic = session.loadContext(SearchMode::Basic);
    const LogLoadOutcome handed = LoadRecoveryLog(basic, path);
    EXPECT_EQ(handed.status, Status::OtherMode);
    EXPECT_EQ(handed.mode, SearchMode::Deep);
    EXPECT_EQ(session.prompter.questions, std::vector<std::string>{kSwitchToDeepQuestion});
    EXPECT_EQ(session.log.pendingLogPath, path);
    EXPECT_TRUE(session.log.modeSwitchMark);

    // The Deep window opens and loads the pending log without being given a path.
    RecoveryLogLoadContext deep = session.loadContext(SearchMode::Deep);
    const LogLoadOutcome loaded = LoadRecoveryLog(deep, "");
    EXPECT_EQ(loaded.status, Status::Loaded);
    EXPECT_TRUE(loaded.fromPendingPath);
    EXPECT_FALSE(session.log.modeSwitchMark);
    EXPECT_EQ(describeTree(session.folders), describeTree(w.folders));

    // No: the Basic window stays, says nothing more, and the pending path stays.
    LogWorld stays;
    stays.log.pendingLogPath = path;
    stays.prompter.answers = {false};
    RecoveryLogLoadContext again = stays.loadContext(SearchMode::Basic);
    EXPECT_EQ(LoadRecoveryLog(again, "").status, Status::SwitchDeclined);
    EXPECT_TRUE(stays.prompter.messages.empty());
    EXPECT_EQ(stays.log.pendingLogPath, path);

    // A Basic log in the Deep window asks the other question.
    LogWorld basicLog;
    fillBasicFat32(basicLog);
    LogWorld deepWindow;
    deepWindow.prompter.answers = {false};
    EXPECT_EQ(deepWindow.load(SearchMode::Deep, basicLog.encode(SearchMode::Basic)).status,
              Status::SwitchDeclined);
    EXPECT_EQ(deepWindow.prompter.questions, std::vector<std::string>{kSwitchToBasicQuestion});
}

TEST(RecoveryLogHeader, AStoredModeOtherThanBasicOrDeepIsAMovedMedium) {
    LogWorld w;
    fillBasicFat32(w);
    std::vector<std::byte> log = w.encode(SearchMode::Basic);
    // StoredMode follows the three header strings.
    std::size_t offset = encodeLogString("Logical").size() + encodeLogString(kRecoveryLogMagic).size() +
                         encodeLogString("Card Reader SD").size();
    log[offset] = std::byte{7};
    LogWorld loaded;
    EXPECT_EQ(loaded.load(SearchMode::Basic, log).status, Status::MediumMissing);
    EXPECT_EQ(loaded.prompter.messages, std::vector<std::string>{kOriginalMediaMoved});
}

TEST(RecoveryLogHeader, AFileThatCannotBeOpenedEndsSilently) {
    LogWorld w;
    w.log.pendingLogPath = ::testing::TempDir() + "/no-such-log.SLV";
    RecoveryLogLoadContext context = w.loadContext(SearchMode::Basic);
    const LogLoadOutcome outcome = LoadRecoveryLog(context, "");
    EXPECT_EQ(outcome.status, Status::NotOpened);
    EXPECT_TRUE(outcome.fromPendingPath);
    EXPECT_TRUE(w.prompter.messages.empty());
}

// ---- damaged and hostile logs -----------------------------------------------------------------------------

TEST(RecoveryLogDamage, ALogCutInsideTheOutlineKeepsTheFoldersReadSoFar) {
    LogWorld w;
    fillBasicFat32(w);
    const std::vector<std::byte> log = w.encode(SearchMode::Basic);
    // Cut in the middle of C's record: A and B were read.
    const std::vector<std::byte> line = encodeLogLine("\t\t\tC");
    auto at = std::search(log.begin(), log.end(), line.begin(), line.end());
    ASSERT_NE(at, log.end());
    const std::vector<std::byte> cut(log.begin(), at + static_cast<std::ptrdiff_t>(line.size()) + 5);

    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loaded.load(SearchMode::Basic, cut).status, Status::Corrupt);
    EXPECT_EQ(loaded.prompter.messages, std::vector<std::string>{kLogCorruptMessage});
    EXPECT_EQ(describeTree(loaded.folders), "Root\n"
                                            "  A self=3 parent=0 date=16997 time=31695 c0=0\n"
                                            "    B self=5 parent=3 date=16997 time=31695 deleted c0=0\n");
    EXPECT_EQ(loaded.volumes.partType, "FAT32") << "the fields read before the damage stay";
    EXPECT_FALSE(loaded.log.logLoaded);
}

TEST(RecoveryLogDamage, EveryTruncationEndsInAMessageNeverASuccess) {
    for (SearchMode mode : {SearchMode::Basic, SearchMode::Deep}) {
        LogWorld w;
        fillDeepNtfs(w);
        const std::vector<std::byte> log = w.encode(mode);
        for (std::size_t length = 0; length < log.size(); ++length) {
            SCOPED_TRACE(length);
            LogWorld loaded;
            loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
            const std::vector<std::byte> cut(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(length));
            const Status status = loaded.load(mode, cut).status;
            EXPECT_TRUE(status == Status::Corrupt || status == Status::InvalidLog);
            EXPECT_EQ(loaded.prompter.messages.size(), 1u);
        }
    }
}

TEST(RecoveryLogDamage, CountsThatClaimMoreThanTheFileHoldsEndQuickly) {
    LogWorld w;
    fillDeepNtfs(w);
    w.tables.NtfsItemTable.clear();
    w.tables.DriveTable.clear();
    std::vector<std::byte> log = w.encode(SearchMode::Deep);
    // The tail is u64 M = 0, u32 0, u32 K = 0: make M claim 2^64 - 1 rows.
    const std::size_t mAt = log.size() - 16;
    std::fill(log.begin() + static_cast<std::ptrdiff_t>(mAt),
              log.begin() + static_cast<std::ptrdiff_t>(mAt) + 8, std::byte{0xFF});
    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loaded.load(SearchMode::Deep, log).status, Status::Corrupt);
    EXPECT_EQ(loaded.tables.NtfsItemTable.rowCount(), 0u);
    EXPECT_EQ(describeTree(loaded.folders), describeTree(w.folders));
}

TEST(RecoveryLogDamage, DepthJumpsAttachToTheNearestSensibleParent) {
    // Hand-made outline: a child four TABs deep under a one-TAB item, then an item with no TAB at all.
    LogWorld w;
    fillBasicFat32(w);
    w.folders.reset();
    w.folders.tree.ensureRoot();
    w.folders.FolderCount = 4;
    std::vector<std::byte> log = w.encode(SearchMode::Basic);
    const std::vector<std::byte> terminator = encodeLogLine(kRecoveryLogTerminator);
    log.resize(log.size() - terminator.size());
    MemoryLogSink sink;
    {
        LogEncoder out(sink);
        for (const auto& [line, name, self] :
             {std::tuple{"\tA", "A", 3u}, std::tuple{"\t\t\t\tB", "B", 4u}, std::tuple{"C", "C", 5u},
              std::tuple{"", "", 0u}, std::tuple{"\t\tD", "D", 6u}}) {
            out.line(line);
            if (std::string(line).empty())
                continue; // an empty line is skipped and carries no record
            out.string(name);
            out.u32(self);
            out.u32(0);
            out.u64(0);
            out.u64(0);
            out.u32(0);
        }
        out.line(kRecoveryLogTerminator);
        out.flush();
    }
    log.insert(log.end(), sink.bytes().begin(), sink.bytes().end());
    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    EXPECT_EQ(loaded.load(SearchMode::Basic, log).status, Status::Loaded);
    EXPECT_EQ(describeTree(loaded.folders), "Root\n"
                                            "  A self=3 parent=0 date=0 time=0 c0=0\n"
                                            "    B self=4 parent=0 date=0 time=0 c0=0\n"
                                            "  C self=5 parent=0 date=0 time=0 c0=0\n"
                                            "    D self=6 parent=0 date=0 time=0 c0=0\n");
}

TEST(RecoveryLogDamage, RandomCorruptionNeverCrashesOrGrowsBeyondTheFile) {
    LogWorld w;
    fillDeepNtfs(w);
    const std::vector<std::byte> log = w.encode(SearchMode::Deep);
    std::mt19937 random(20130);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::byte> damaged = log;
        const int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i)
            damaged[random() % damaged.size()] = static_cast<std::byte>(random() % 256);
        LogWorld loaded;
        loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
        loaded.prompter.answers = {true, true};
        loaded.load(round % 2 ? SearchMode::Deep : SearchMode::Basic, damaged);
        // Every item and row came from bytes of the file.
        EXPECT_LE(loaded.folders.tree.itemCount(), damaged.size() / 8);
        EXPECT_LE(loaded.tables.NtfsItemTable.rowCount(), damaged.size() / 24);
    }
}

// ---- writing to a file ------------------------------------------------------------------------------------

TEST(RecoveryLogFile, SavedLogIsSaidOnceAndLoadsFromDisk) {
    LogWorld w;
    fillBasicFat32(w);
    const std::string path = ::testing::TempDir() + "/card.SLV";
    const LogWriteResult result = WriteRecoveryLog(w.view(SearchMode::Basic), path, w.log, w.prompter);
    EXPECT_EQ(result.status, LogWriteResult::Status::Saved);
    EXPECT_TRUE(w.log.logSaved);
    EXPECT_EQ(w.prompter.messages, std::vector<std::string>{kLogSavedMessage});

    LogWorld loaded;
    loaded.driveList.AttachedDiskIdentities = {kCardIdentity};
    RecoveryLogLoadContext context = loaded.loadContext(SearchMode::Basic);
    EXPECT_EQ(LoadRecoveryLog(context, path).status, Status::Loaded);
    EXPECT_EQ(describeTree(loaded.folders), describeTree(w.folders));
}

TEST(RecoveryLogFile, AFailingWriteIsSaidOnceWithTheSystemsTextAndNotAsSaved) {
    LogWorld w;
    fillBasicFat32(w);
    // Enough folders that the log needs several write buffers.
    for (std::uint32_t i = 0; i < 500; ++i)
        w.add(kNoTreeItem, "Folder" + std::to_string(i), 100 + i, 0);
    const std::string path = ::testing::TempDir() + "/full.SLV";
    // A file-size limit makes the destination run out after the first buffer, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = LogEncoder::kBufferSize;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const LogWriteResult result = WriteRecoveryLog(w.view(SearchMode::Basic), path, w.log, w.prompter);
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_EQ(result.status, LogWriteResult::Status::WriteFailed);
    EXPECT_EQ(result.error, std::strerror(EFBIG));
    EXPECT_EQ(w.prompter.messages, std::vector<std::string>{std::strerror(EFBIG)});
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_size, static_cast<off_t>(LogEncoder::kBufferSize)) << "the part written stays";
}

TEST(RecoveryLogFile, TheLogIsNeverWrittenOverAnAttachedImageOrIntoAMissingFolder) {
    LogWorld w;
    fillBasicFat32(w);
    const std::string image = writeTemp("card.img", std::vector<std::byte>(4096, std::byte{0x5A}));
    const LogWriteResult onImage =
        WriteRecoveryLog(w.view(SearchMode::Basic), image, w.log, w.prompter, {image});
    EXPECT_EQ(onImage.status, LogWriteResult::Status::NotCreated);
    std::ifstream file(image, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, std::string(4096, '\x5A'));

    const LogWriteResult nowhere = WriteRecoveryLog(
        w.view(SearchMode::Basic), ::testing::TempDir() + "/no/such/folder/x.SLV", w.log, w.prompter);
    EXPECT_EQ(nowhere.status, LogWriteResult::Status::NotCreated);
    EXPECT_TRUE(w.prompter.messages.empty());
    EXPECT_FALSE(w.log.logSaved);
}

} // namespace
} // namespace salvora
