// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a recovery log: the index a Basic or Deep Search built (where the scan was made, both parameter
// records, the folder outline, the NTFS file records) in the order a later load reads it back.
//
// Layout, every field in this order:
//   1  string DriveKind          2  string magic            3  string DiskModel       4  u32 StoredMode
//   5  location: "PHY", DiskIdentity, u16 disk number   or   "LOG", VolumePath, u64 VolumeSectors
//   6  u16 disk number           7  u32 0                   8  string partition type  9  string mode name
//   10 u64 first scanned sector  11 u64 last scanned sector 12 u64 drive start       13 u64 drive end
//   14 parameters computed at the scan's start              15 parameters in effect (12 fields each)
//   16 string file-system type of the parameters in effect
//   17 Deep logs not of NTFS: u64 N, N VolumeParamTable rows of 12 strings
//   18 u64 FolderCount
//   19 the folder outline in pre-order: a line (one TAB per ancestor, then the item's text) and a folder
//      record (string name, u32 self, u32 parent, u64 date, u64 time, u32 deleted, Deep: u64 cluster0Start)
//   20 the terminator line
//   21 file-system type NTFS: u64 M, M NtfsItemTable rows of 6 strings, u32 0, Deep: u32 K, K DriveTable rows
#pragma once

#include <string>
#include <vector>

#include "base/seams.h"
#include "fsrecovery/folder_tree.h"
#include "fsrecovery/scan_tables.h"
#include "recoverylog/log_encoding.h"
#include "recoverylog/recovery_log_state.h"
#include "volumes/disk_record.h"
#include "volumes/volume_state.h"

namespace salvora {

inline constexpr const char* kLogSavedMessage =
    "The Recovery scanning Log (index of recovered files and folders) has been saved successfully.";
inline constexpr const char* kSaveLogNeedsScan = "To save the Log (index of recovered files and folders) of "
                                                 "recovery, first you need to scan the drive and "
                                                 "recover the lost data.";
inline constexpr const char* kSaveLogWhileScanning =
    "Disk scanning process is still going on.\n\nTo save the Log (index of recovered files and folders) of "
    "recovery, please allow the scanning process to be completed.";
inline constexpr const char* kSaveLogOnClose =
    "Do you want to save the Recovery scanning Log (index of recovered files and folders) file?\n\nIf you "
    "have previously saved Log file of Quillwort Recovery, you can directly load the recovery results from "
    "Log instead of scanning the drive again.";
inline constexpr const char* kLogFileFilterSave = "SLV Files (*.SLV)|*.SLV||";
inline constexpr const char* kLogFileFilterOpen = "SLV Files (*.SLV)|*.SLV|";

// Everything a log is written from.
struct RecoveryLogView {
    SearchMode mode = SearchMode::Basic; // the StoredMode: Basic or Deep
    const ScanOrigin& origin;
    const VolumeState& volumes; // selectedVolume, computedParameters, volumeParameters, partType
    const ScanTables& tables;   // VolumeParamTable, NtfsItemTable, DriveTable
    const FolderModel& folders;
};

// Encodes the whole log. Pure: everything goes to the encoder (which the caller flushes).
void encodeRecoveryLog(const RecoveryLogView& view, LogEncoder& encoder);

struct LogWriteResult {
    enum class Status {
        Saved,       // the whole log was written and closed
        NotCreated,  // the file could not be created; nothing was written
        WriteFailed, // writing or closing failed part way; the partly written file stays
    };
    Status status = Status::Saved;
    std::string error; // the system's text for a failure
};

// Creates (or truncates) the file at path and writes the log through a 4096-byte buffer. Sets the log-saved
// mark once writing begins. Success and a write failure are said through the prompter (the failure with the
// system's own text, once); a file that cannot be created is not said, as the Save Log command does.
// A path that names one of protectedPaths (the attached images: the medium is never written), a device or
// a folder is refused like a file that cannot be created.
LogWriteResult WriteRecoveryLog(const RecoveryLogView& view, const std::string& path, RecoveryLogState& state,
                                Prompter& prompter, const std::vector<std::string>& protectedPaths = {});

} // namespace salvora
