// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a recovery log into the Basic or Deep Search window's state: the header and the mode check, the
// check that the medium is still there (or where it went), then the fields, the folder outline and the NTFS
// file records, exactly where a scan would have left them. The files themselves are read from the medium
// again when they are listed or saved.
//
// Nothing read from the file is trusted: every count is checked against what the file can still hold
// before anything is allocated or looped over, and a log that ends early or breaks its own form stops the
// load with what was read so far kept in place.
#pragma once

#include <string>

#include "base/seams.h"
#include "fsrecovery/deep/deep_search.h"
#include "fsrecovery/folder_tree.h"
#include "fsrecovery/scan_tables.h"
#include "recoverylog/log_encoding.h"
#include "recoverylog/recovery_log_state.h"
#include "volumes/disk_record.h"
#include "volumes/drive_list.h"
#include "volumes/volume_state.h"

namespace salvora {

inline constexpr const char* kLogInvalidMessage =
    "The selected recovery Log (index of recovered files and folders) file is invalid or corrupted. Recovery "
    "cannot continue with this log file. Please select the correct drive from tree and continue with "
    "recovery.";
inline constexpr const char* kLogCorruptMessage =
    "The selected recovery Log (index of recovered files and folders) file is invalid or corrupted. Recovery "
    "cannot continue with this log file.\n\nPlease browse the valid Log file or Scan the disk again.";
inline constexpr const char* kLogLoadedMessage =
    "The Recovery scanning Log (index of recovered files and folders) has been loaded successfully.";
inline constexpr const char* kSwitchToDeepQuestion =
    "The Log that you have selected was saved in deep Recovery mode. Do you want to switch to Deep mode of "
    "Quillwort \xE2\x80\x93 Recovery?";
inline constexpr const char* kSwitchToBasicQuestion =
    "The Log that you have selected was saved in basic Recovery mode. Do you want to switch to Basic mode of "
    "Quillwort \xE2\x80\x93 Recovery?";
inline constexpr const char* kLoadingTreeStatus = "Please wait, It may take some time to load the tree...";
inline constexpr const char* kLoadLogWhileScanning =
    "Disk scanning process is still going on.\n\nIf you have previously saved Log (index of recovered files "
    "and folders) file of Quillwort Recovery and want to load the recovery results from Log instead of "
    "scanning the drive, you can cancel the scanning by clicking on \xE2\x80\x98Stop\xE2\x80\x99 button.";
inline constexpr const char* kLoadLogNotNow =
    "Recovery log cannot be loaded at this stage.\n\nIf you have previously saved Log (index of recovered "
    "files and folders) file of Quillwort Recovery and want to load the recovery results from Log instead , "
    "click on \xE2\x80\x98"
    "Back\xE2\x80\x99 button and load Log from previous screen.";

// Everything a load reads and fills.
struct RecoveryLogLoadContext {
    SearchMode mode = SearchMode::Basic; // the loading window's: Basic or Deep
    RecoveryLogState& log;
    std::string& CurrentDevicePath;
    VolumeState& volumes;
    ScanTables& tables;
    FolderModel& folders;
    DeepSearchState& deep;
    const DriveListState& driveList; // AttachedVolumeEntries and AttachedDiskIdentities, filled by a listing
    ProgressSink& progress;
    Prompter& prompter;
    // The drive tree of that listing. When given, the disks without partitions are looked for too: the
    // listing leaves them out of AttachedDiskIdentities, yet a Deep Search of a card whose table was wiped
    // is made on exactly such a disk, and its log must find it again.
    const DriveTree* driveTree = nullptr;
};

struct LogLoadOutcome {
    enum class Status {
        Loaded,         // the success message was shown
        NotOpened,      // the file cannot be opened; nothing was said
        InvalidLog,     // not a log: the first invalid-log message; abandoned
        OtherMode,      // a log of the other window: handed over (pending path and mode-switch mark set)
        SwitchDeclined, // a log of the other window and the user stayed; abandoned, the pending path kept
        MediumMissing,  // the medium is not there: the moved-or-removed message; abandoned
        MoveDeclined,   // the medium moved and the user did not follow it; abandoned
        Corrupt,        // the log ends early or breaks its form: the second invalid-log message; what was
                        // read stays
    };
    Status status = Status::NotOpened;
    SearchMode mode = SearchMode::Basic; // the mode in effect after the load (the other one after OtherMode)
    bool fromPendingPath = false;        // the path came from the pending log path (a command-line log)
    bool mediumMoved = false;            // the user followed the medium to a new letter or disk number
};

// Loads the log at chosenPath, or at the pending log path when that is set (clearing the mode-switch mark).
LogLoadOutcome LoadRecoveryLog(RecoveryLogLoadContext& context, const std::string& chosenPath);

// The same over bytes already in memory (fuzzing, tests).
LogLoadOutcome LoadRecoveryLogFrom(RecoveryLogLoadContext& context, LogInput& input);

} // namespace salvora
