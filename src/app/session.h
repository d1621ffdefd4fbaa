// SPDX-License-Identifier: GPL-3.0-or-later
// One Session holds everything a run of the product keeps between operations: where drives come from
// (attached images, the system's removable devices), the drive list with its tree, the device path being
// worked on, the partition lists and selected volume, and the scan tables. The main
// window (or the command line's main) owns it; engines receive the parts they need by reference.
#pragma once

#include <string>

#include "app/attached_media.h"
#include "carving/carving_state.h"
#include "fsrecovery/deep/deep_search.h"
#include "fsrecovery/folder_tree.h"
#include "fsrecovery/ntfs/ntfs_state.h"
#include "fsrecovery/scan_tables.h"
#include "recoverylog/recovery_log_state.h"
#include "storage/device_namespace.h"
#include "volumes/drive_search.h"
#include "volumes/partition_search.h"
#include "volumes/volume_state.h"

namespace salvora {

struct Session {
    DeviceNamespace devices;
    DriveSources sources;
    DriveListState driveList;
    DriveTree driveTree; // the command line's drive tree; each mode window of the GUI lists into its own
    std::string CurrentDevicePath;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;  // the found-item model: folder tree, FolderList, ListStopFlag
    NtfsState ntfs;       // the $MFT runs of the last NTFS Basic Search
    DeepSearchState deep; // the volumes Deep Search inferred
    CarvingState carving; // signature lists, type tables and flags of Photo, Signature and Video Search
    PartitionSearchState partitionSearch; // the lost-partition search of a disk
    DriveSearchState driveSearch;         // the found-file-system list of the searches inside logical drives
    RecoveryLogState log; // where the scan started, the log-saved mark, the log handed between windows
};

} // namespace salvora
