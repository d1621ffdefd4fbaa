// SPDX-License-Identifier: GPL-3.0-or-later
// What a session keeps for recovery logs: where the scan was started (the drive item, the disk's identity,
// the volume's path and size: what a log records so that a later load can find the medium again), the
// log-saved mark of the mode window, and the hand-over of a log between the Basic and the Deep window.
#pragma once

#include <cstdint>
#include <string>

namespace salvora {

// The drive item a Basic or Deep Search was started on. Recorded when the target is selected; a log load
// fills it from the log.
struct ScanOrigin {
    // "Logical" for a logical drive, "Recognised" for a volume found inside a logical drive, otherwise the
    // kind of the physical-disk item ("Hard Disk" for a whole disk, "part" for a partition).
    std::string DriveKind;
    // The logical drive was read through its physical disk (its extent there was known).
    bool VolumeOnKnownDisk = false;
    std::string DiskModel;
    // model||size text||total sectors||disk number, as AttachedDiskIdentities holds it.
    std::string DiskIdentity;
    std::uint16_t diskNumber = 0;
    std::string VolumePath; // "\\.\E:"
    std::uint64_t VolumeSectors = 0;
    std::string searchModeName;   // "Basic Search" or "Deep Search"
    std::uint64_t driveStart = 0; // first sector of the drive item (Deep Search: the volume's own start)
    std::uint64_t driveEnd = 0;   // its last-sector value; for a logical drive its size in sectors
};

struct RecoveryLogState {
    ScanOrigin origin;
    // Set when a log of the current result is written; cleared when a new scan starts. Decides whether
    // closing the mode window offers to save the log.
    bool logSaved = false;
    // A log to be loaded by the next Basic or Deep window that opens: the desktop program's command-line
    // argument, or a log handed over by the other window. Emptied whenever a load is abandoned.
    std::string pendingLogPath;
    // Set when one window hands a log over to the other; cleared by the receiving loader.
    bool modeSwitchMark = false;
    // Set when a load completes.
    bool logLoaded = false;
    // The loaded NTFS log carried two or more file records.
    bool volumeHasFileRecords = false;
    // The drive size in bytes a load restored (the drive item's last-sector value times 512).
    std::uint64_t driveSizeBytes = 0;
};

} // namespace salvora
