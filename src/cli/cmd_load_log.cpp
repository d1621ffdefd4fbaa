// SPDX-License-Identifier: GPL-3.0-or-later
// salvora load-log FILE.SLV: the result of an earlier Basic or Deep Search, read back from its recovery log
// instead of scanning again, then printed, listed or saved exactly as after the scan. The medium must still
// be attached; when it came back under another drive letter or disk number, the question is answered by
// --yes or --no, or on the terminal.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>
#include <unistd.h>

#include "app/targets.h"
#include "cli/commands.h"
#include "cli/found_items_output.h"
#include "cli/stderr_prompter.h"
#include "cli/terminal_progress.h"
#include "fsrecovery/basic_search.h"
#include "fsrecovery/deep/deep_search.h"
#include "fsrecovery/ntfs/ntfs_basic_search.h"
#include "recoverylog/recovery_log_reader.h"
#include "save/deep_save_volumes.h"

namespace salvora::cli {
namespace {

// The loader's messages on stderr. A log of the other search is simply loaded as that search: the command
// line has no windows to switch between. The moved-medium question is answered by the flags, else on a
// terminal, else No.
class LoadLogPrompter final : public StderrPrompter {
public:
    LoadLogPrompter(std::ostream& err, TerminalProgress& progress, std::optional<bool> answer)
        : StderrPrompter(err, progress), m_answer(answer) {}

    bool askYesNo(const std::string& text) override {
        if (text == kSwitchToDeepQuestion || text == kSwitchToBasicQuestion)
            return true;
        inform(text);
        if (m_answer) {
            m_err << (*m_answer ? "yes" : "no") << "\n";
            return *m_answer;
        }
        if (isatty(STDIN_FILENO) == 0) {
            m_err << "no (give --yes to follow the medium)\n";
            return false;
        }
        m_err << "[y/N] " << std::flush;
        std::string reply;
        std::getline(std::cin, reply);
        return !reply.empty() && (reply[0] == 'y' || reply[0] == 'Y');
    }

private:
    std::optional<bool> m_answer;
};

// The target the loaded result stands for, as the user names targets: the partition or the logical drive the
// log's drive item starts at on the disk (disk0:1, E:), else the disk (disk1) or the drive its path names.
std::string loadedTarget(const Session& session) {
    const std::string& path = session.CurrentDevicePath;
    const std::string diskPrefix = "\\\\.\\PhysicalDrive";
    if (!path.starts_with(diskPrefix))
        return path.size() == 6 && path.starts_with("\\\\.\\") && path[5] == ':' ? path.substr(4) : path;
    const ScanOrigin& origin = session.log.origin;
    const int disk = session.volumes.CurrentDisk;
    if (origin.DriveKind == "Logical") {
        for (const ListedDrive& drive : session.driveList.drives)
            if (drive.disk == disk && drive.firstOnDisk == origin.driveStart)
                return std::string(1, drive.letter) + ":";
    } else if (origin.DriveKind == "part" && disk < kMaxDisks) {
        const PartitionList& list = session.volumes.partitionLists[static_cast<std::size_t>(disk)];
        for (int i = 0; i < list.count && i < kMaxPartitions; ++i)
            if (list.rows[static_cast<std::size_t>(i)].start == origin.driveStart)
                return "disk" + std::to_string(disk) + ":" + std::to_string(i + 1);
    }
    return "disk" + std::to_string(disk);
}

std::string whyNotReadable(const std::string& path) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error)
        return error.message();
    if (!std::filesystem::is_regular_file(status))
        return "not a regular file";
    return std::strerror(EACCES);
}

} // namespace

int runLoadLog(Session& session, const LoadLogOptions& options, OutputStreams streams) {
    TerminalProgress progress(streams.err, options.showProgress && isatty(STDERR_FILENO) != 0);
    LoadLogPrompter prompter(streams.err, progress, options.answer);

    // The medium is looked for among the drives as a mode window lists them.
    listDrives(session, SearchMode::Basic);
    RecoveryLogLoadContext context{
        SearchMode::Basic, session.log,  session.CurrentDevicePath, session.volumes, session.tables,
        session.folders,   session.deep, session.driveList,         progress,        prompter};
    context.driveTree = &session.driveTree;
    LogLoadOutcome outcome = LoadRecoveryLog(context, options.logPath);
    if (outcome.status == LogLoadOutcome::Status::OtherMode) {
        context.mode = outcome.mode;
        outcome = LoadRecoveryLog(context, options.logPath);
    }
    progress.finish();
    switch (outcome.status) {
    case LogLoadOutcome::Status::Loaded:
        break;
    case LogLoadOutcome::Status::NotOpened:
        streams.err << "salvora: cannot read the log " << options.logPath << ": "
                    << whyNotReadable(options.logPath) << "\n";
        return kExitFailure;
    default:
        return kExitFailure;
    }

    const SearchMode mode = outcome.mode;
    StopFlag stop{false};
    std::unique_ptr<FolderFileWalker> walker;
    const VolumeState& volumes = session.volumes;
    const std::string fileSystem = volumes.selectedVolume.fileSystem;
    NtfsRecordWalker ntfsWalker(session.ntfs);
    BasicSearchContext basic{session.devices, session.CurrentDevicePath,
                             session.volumes, session.tables,
                             session.folders, progress,
                             prompter,        stop};
    DeepSearchContext deep{session.devices,
                           session.CurrentDevicePath,
                           fileSystem,
                           volumes.selectedVolume.start,
                           volumes.selectedVolume.end,
                           session.log.origin.driveStart,
                           session.volumes,
                           session.tables,
                           session.folders,
                           session.deep,
                           progress,
                           prompter,
                           stop};
    std::unique_ptr<SaveVolumeSelector> saveVolumes;
    if (mode == SearchMode::Deep) {
        walker = DeepSearchFolderWalker(deep);
        saveVolumes = DeepSearchSaveVolumes(deep);
    } else {
        // The file index of an NTFS volume is read through the $MFT's own runs: read them again, which
        // is a few sectors, not a scan.
        if (fileSystem == "NTFS")
            session.ntfs.mftRuns =
                LoadMftRuns(session.devices, session.CurrentDevicePath, volumes.volumeParameters);
        walker = BasicSearchFolderWalker(basic, &ntfsWalker);
    }

    const std::string saveFileSystem = mode == SearchMode::Deep ? volumes.partType : fileSystem;
    FoundItems found{loadedTarget(session),
                     fileSystem,
                     false,
                     session.folders,
                     walker.get(),
                     SaveSource{session.devices, session.CurrentDevicePath, saveFileSystem,
                                volumes.volumeParameters, session.folders, saveVolumes.get()}};
    return writeFoundItems(found, options, streams);
}

} // namespace salvora::cli
