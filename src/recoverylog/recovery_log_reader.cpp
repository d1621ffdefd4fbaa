// SPDX-License-Identifier: GPL-3.0-or-later
#include "recoverylog/recovery_log_reader.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <vector>

#include "recoverylog/medium_check.h"
#include "storage/device_namespace.h"

namespace salvora {
namespace {

using Status = LogLoadOutcome::Status;

constexpr std::size_t kParameterRowCells = 12;
constexpr std::size_t kNtfsItemCells = 6;
constexpr std::size_t kDriveTableCells = 6;

SearchMode otherMode(SearchMode mode) {
    return mode == SearchMode::Basic ? SearchMode::Deep : SearchMode::Basic;
}

// The loading flag of the folder model (no duplicate check while a log loads), cleared at every end.
class LoadingLogScope {
public:
    explicit LoadingLogScope(FolderModel& folders) : m_folders(folders) { m_folders.loadingLog = true; }
    ~LoadingLogScope() { m_folders.loadingLog = false; }
    LoadingLogScope(const LoadingLogScope&) = delete;
    LoadingLogScope& operator=(const LoadingLogScope&) = delete;

private:
    FolderModel& m_folders;
};

struct FolderRecord {
    std::string name;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
    std::uint64_t date = 0;
    std::uint64_t time = 0;
    bool deleted = false;
    std::uint64_t cluster0Start = 0;
};

FolderRecord readFolderRecord(LogDecoder& in, bool deep) {
    FolderRecord record;
    record.name = in.string();
    record.self = in.u32();
    record.parent = in.u32();
    record.date = in.u64();
    record.time = in.u64();
    record.deleted = in.u32() != 0;
    if (deep)
        record.cluster0Start = in.u64();
    return record;
}

VolumeParameters readParameters(LogDecoder& in) {
    VolumeParameters p;
    p.SPF = in.u32();
    p.SPC = in.u32();
    p.RootSec = in.u32();
    p.RootStartSec = in.u32();
    p.ReserveSecStart = in.u32();
    p.Cluster0Start = in.u64();
    p.firstFAT = in.u32();
    p.secondFAT = in.u32();
    p.MftStartSector = in.u64();
    p.MftMirrorSector = in.u64();
    p.SectorsPerMftRecord = in.u32();
    p.SectorsPerIndexRecord = in.u32();
    return p;
}

// Appends count rows of cells strings each. The count comes from the file: the loop ends as soon as the
// file does, and nothing is reserved for it.
void readRows(LogDecoder& in, std::uint64_t count, std::size_t cells, TextTable& table,
              ProgressSink* progress) {
    std::vector<std::string> row(cells);
    for (std::uint64_t i = 0; i < count && in.ok(); ++i) {
        for (std::string& cell : row)
            cell = in.string();
        if (!in.ok())
            break;
        table.appendRow(row);
        if (progress)
            progress->setPosition(i + 1);
    }
}

class Loader {
public:
    Loader(RecoveryLogLoadContext& context, LogInput& input, const std::string& path)
        : m_c(context), m_in(input), m_path(path) {}

    LogLoadOutcome run();

private:
    LogLoadOutcome abandon(Status status) {
        m_c.log.pendingLogPath.clear();
        m_c.log.origin.DriveKind = m_keptDriveKind;
        return outcome(status);
    }
    LogLoadOutcome corrupt() {
        m_c.prompter.inform(kLogCorruptMessage);
        return outcome(Status::Corrupt);
    }
    LogLoadOutcome outcome(Status status) {
        LogLoadOutcome result;
        result.status = status;
        result.mode = m_mode;
        result.mediumMoved = m_moved;
        return result;
    }

    std::optional<LogLoadOutcome> checkLocation();
    std::vector<std::string> diskIdentities() const;
    std::optional<LogLoadOutcome> checkVolume();
    std::optional<LogLoadOutcome> checkDisk();
    void readFields();
    bool readOutline(std::uint64_t recordCount);
    void resetModel();

    RecoveryLogLoadContext& m_c;
    LogDecoder m_in;
    std::string m_path;
    std::string m_keptDriveKind;
    SearchMode m_mode = SearchMode::Basic;
    bool m_moved = false;
    bool m_diskMoved = false;
};

std::optional<LogLoadOutcome> Loader::checkVolume() {
    ScanOrigin& origin = m_c.log.origin;
    const std::string savedPath = m_in.string();
    const std::uint64_t savedSectors = m_in.u64();
    if (!m_in.ok())
        return corrupt();
    origin.VolumePath = savedPath;
    origin.VolumeSectors = savedSectors;
    m_c.CurrentDevicePath = savedPath;
    const MediumCheck check =
        CheckVolumePresent(savedPath, savedSectors, m_c.driveList.AttachedVolumeEntries);
    if (check.outcome == MediumCheck::Outcome::Missing) {
        m_c.prompter.inform(kOriginalMediaMoved);
        return abandon(Status::MediumMissing);
    }
    if (check.outcome == MediumCheck::Outcome::Moved) {
        if (!m_c.prompter.askYesNo(movedVolumeQuestion(savedPath, check.newLocation)))
            return abandon(Status::MoveDeclined);
        m_c.CurrentDevicePath = check.newLocation;
        origin.VolumePath = check.newLocation;
        m_moved = true;
    }
    return std::nullopt;
}

std::vector<std::string> Loader::diskIdentities() const {
    std::vector<std::string> identities = m_c.driveList.AttachedDiskIdentities;
    if (!m_c.driveTree)
        return identities;
    for (const PartitionlessDisk& disk : m_c.driveList.PartitionlessDisks)
        if (const DiskRecord* record = m_c.driveTree->record(disk.node))
            identities.push_back(diskIdentityText(*record));
    return identities;
}

std::optional<LogLoadOutcome> Loader::checkDisk() {
    ScanOrigin& origin = m_c.log.origin;
    const std::string savedIdentity = m_in.string();
    if (!m_in.ok())
        return corrupt();
    const std::vector<std::string> identities = diskIdentities();
    const MediumCheck check = CheckDiskPresent(savedIdentity, identities);
    if (check.outcome == MediumCheck::Outcome::Missing) {
        m_c.prompter.inform(kOriginalMediaMoved);
        return abandon(Status::MediumMissing);
    }
    std::uint16_t movedNumber = 0;
    if (check.outcome == MediumCheck::Outcome::Moved) {
        if (!m_c.prompter.askYesNo(movedDiskQuestion(check.savedNumber, check.newLocation)))
            return abandon(Status::MoveDeclined);
        const char* first = check.newLocation.data();
        const char* last = first + check.newLocation.size();
        auto [end, error] = std::from_chars(first, last, movedNumber);
        if (error != std::errc() || end != last) {
            m_c.prompter.inform(kOriginalMediaMoved);
            return abandon(Status::MediumMissing);
        }
        m_moved = true;
        m_diskMoved = true;
    }
    const std::uint16_t storedNumber = m_in.u16();
    if (!m_in.ok())
        return corrupt();
    const std::uint16_t disk = m_diskMoved ? movedNumber : storedNumber;
    origin.DiskIdentity = savedIdentity;
    if (m_diskMoved) {
        for (const std::string& entry : identities)
            if (entry.ends_with("||" + check.newLocation) &&
                CheckDiskPresent(savedIdentity, {entry}).outcome != MediumCheck::Outcome::Missing)
                origin.DiskIdentity = entry;
    }
    origin.diskNumber = disk;
    m_c.CurrentDevicePath = physicalDrivePath(disk);
    m_c.volumes.CurrentDisk = disk;
    return std::nullopt;
}

std::optional<LogLoadOutcome> Loader::checkLocation() {
    const std::string& kind = m_c.log.origin.DriveKind;
    const bool volumeOrDisk = kind == "Logical" || (m_mode == SearchMode::Deep && kind == "Recognised");
    const std::string tag = m_in.string();
    if (!m_in.ok())
        return corrupt();
    if (!volumeOrDisk)
        return checkDisk();
    if (tag == "LOG") {
        m_c.log.origin.VolumeOnKnownDisk = false;
        return checkVolume();
    }
    if (tag == "PHY") {
        m_c.log.origin.VolumeOnKnownDisk = true;
        return checkDisk();
    }
    return std::nullopt; // an unknown form: no check, the fields follow
}

void Loader::resetModel() {
    m_c.folders.reset();
    m_c.tables.FoundFolderTable.clear();
    m_c.tables.TreeLinkTable.clear();
    m_c.tables.NtfsItemTable.clear();
    m_c.tables.VolumeParamTable.clear();
    m_c.tables.DriveTable.clear();
    m_c.deep.VolumeCount = 0;
    m_c.log.volumeHasFileRecords = false;
}

void Loader::readFields() {
    ScanOrigin& origin = m_c.log.origin;
    VolumeState& volumes = m_c.volumes;
    const std::uint16_t diskNumber = m_in.u16();
    if (!m_diskMoved && m_in.ok())
        origin.diskNumber = diskNumber;
    m_in.u32(); // reserved
    volumes.selectedVolume.devicePath = m_c.CurrentDevicePath;
    volumes.selectedVolume.fileSystem = m_in.string();
    origin.searchModeName = m_in.string();
    volumes.selectedVolume.start = m_in.u64();
    volumes.selectedVolume.end = m_in.u64();
    origin.driveStart = m_in.u64();
    origin.driveEnd = m_in.u64();
    m_c.log.driveSizeBytes = origin.driveEnd * 512;
    volumes.computedParameters = readParameters(m_in);
    volumes.volumeParameters = readParameters(m_in);
    volumes.partType = m_in.string();
}

bool Loader::readOutline(std::uint64_t recordCount) {
    const bool deep = m_mode == SearchMode::Deep;
    FolderTreeBuilder builder(m_c.folders, m_c.tables);
    FolderTree& tree = m_c.folders.tree;

    const std::optional<std::string> first = m_in.line();
    if (!first || !m_in.ok())
        return false;
    const TreeItem top = tree.ensureRoot();
    if (recordCount == 0) {
        readFolderRecord(m_in, deep);
        m_in.line(); // the terminator
        return m_in.ok();
    }
    if (*first != "\t")
        readFolderRecord(m_in, deep); // the top item's placeholder
    if (!m_in.ok())
        return false;

    // Depth of every item by its handle (handles are 1-based and dense), so finding the parent of the next
    // entry never walks up from the previous item more steps than the outline went down.
    std::vector<std::size_t> depthOf(tree.itemCount() + 1, 0);
    TreeItem previous = top;
    bool expandedTop = false;
    std::uint64_t position = 0;
    for (;;) {
        const std::optional<std::string> line = m_in.line();
        // The outline ends with the terminator line: a log that ends before it was cut short.
        if (!line || !m_in.ok())
            return false;
        if (*line == kRecoveryLogTerminator)
            break;
        if (line->empty())
            continue;
        const std::size_t d =
            line->find_first_not_of('\t') == std::string::npos ? line->size() : line->find_first_not_of('\t');
        const std::size_t p = depthOf[previous];
        TreeItem parent = kNoTreeItem;
        if (d == p) {
            parent = tree.parent(previous);
        } else if (d > p) {
            parent = previous;
        } else {
            parent = previous;
            for (std::size_t step = 0; step < p - d + 1 && parent != kNoTreeItem; ++step)
                parent = tree.parent(parent);
        }
        const FolderRecord record = readFolderRecord(m_in, deep);
        if (!m_in.ok())
            return false;
        const TreeItem item =
            builder.InsertFolderNode(parent, record.name, record.self, record.date, record.time,
                                     record.parent, record.deleted, record.cluster0Start);
        // A parent of none means the top level, where the builder places the item under the top item.
        const TreeItem placedUnder = tree.parent(item);
        depthOf.resize(std::max<std::size_t>(depthOf.size(), item + 1), 0);
        depthOf[item] = tree.valid(placedUnder) ? depthOf[placedUnder] + 1 : 0;
        previous = item;
        if (!expandedTop) {
            tree.setExpanded(top, true);
            expandedTop = true;
        }
        m_c.progress.setPosition(++position);
    }
    tree.setExpanded(top, true);
    return true;
}

LogLoadOutcome Loader::run() {
    ScanOrigin& origin = m_c.log.origin;
    m_keptDriveKind = origin.DriveKind;
    m_mode = m_c.mode;

    origin.DriveKind = m_in.string();
    const std::string magic = m_in.string();
    origin.DiskModel = m_in.string();
    const std::uint32_t storedMode = m_in.u32();
    if (!m_in.ok() || magic != kRecoveryLogMagic) {
        m_c.prompter.inform(kLogInvalidMessage);
        return abandon(Status::InvalidLog);
    }
    if (storedMode == static_cast<std::uint32_t>(otherMode(m_c.mode))) {
        const char* question = m_c.mode == SearchMode::Basic ? kSwitchToDeepQuestion : kSwitchToBasicQuestion;
        if (!m_c.prompter.askYesNo(question)) {
            // Abandoned without a message; the pending log path stays for the next window.
            origin.DriveKind = m_keptDriveKind;
            return outcome(Status::SwitchDeclined);
        }
        m_mode = otherMode(m_c.mode);
        m_c.log.pendingLogPath = m_path;
        m_c.log.modeSwitchMark = true;
        return outcome(Status::OtherMode);
    }
    if (storedMode != 1 && storedMode != 2) {
        m_c.prompter.inform(kOriginalMediaMoved);
        return abandon(Status::MediumMissing);
    }

    LoadingLogScope loading(m_c.folders);
    if (auto ended = checkLocation())
        return *ended;

    resetModel();
    readFields();
    if (!m_in.ok())
        return corrupt();
    m_c.progress.setStatus(kLoadingTreeStatus);

    if (m_mode == SearchMode::Deep && m_c.volumes.selectedVolume.fileSystem != "NTFS") {
        readRows(m_in, m_in.u64(), kParameterRowCells, m_c.tables.VolumeParamTable, nullptr);
        m_c.deep.VolumeCount = m_c.tables.VolumeParamTable.rowCount();
        if (!m_in.ok())
            return corrupt();
    }

    const std::uint64_t recordCount = m_in.u64();
    m_c.progress.setRange(0, recordCount);
    if (!m_in.ok() || !readOutline(recordCount))
        return corrupt();

    if (m_c.volumes.partType == "NTFS") {
        const std::uint64_t rows = m_in.u64();
        m_c.log.volumeHasFileRecords = m_in.ok() && rows >= 2;
        m_c.progress.setRange(0, rows);
        readRows(m_in, rows, kNtfsItemCells, m_c.tables.NtfsItemTable, &m_c.progress);
        m_in.u32(); // reserved
        if (m_mode == SearchMode::Deep)
            readRows(m_in, m_in.u32(), kDriveTableCells, m_c.tables.DriveTable, nullptr);
        if (!m_in.ok())
            return corrupt();
    }

    m_c.log.logLoaded = true;
    m_c.prompter.inform(kLogLoadedMessage);
    return outcome(Status::Loaded);
}

} // namespace

LogLoadOutcome LoadRecoveryLogFrom(RecoveryLogLoadContext& context, LogInput& input) {
    return Loader(context, input, {}).run();
}

LogLoadOutcome LoadRecoveryLog(RecoveryLogLoadContext& context, const std::string& chosenPath) {
    const bool fromPending = !context.log.pendingLogPath.empty();
    const std::string path = fromPending ? context.log.pendingLogPath : chosenPath;
    if (fromPending)
        context.log.modeSwitchMark = false;
    FileLogInput input(path);
    if (!input.isOpen()) {
        LogLoadOutcome outcome;
        outcome.status = Status::NotOpened;
        outcome.mode = context.mode;
        outcome.fromPendingPath = fromPending;
        return outcome;
    }
    LogLoadOutcome outcome = Loader(context, input, path).run();
    outcome.fromPendingPath = fromPending;
    return outcome;
}

} // namespace salvora
