// SPDX-License-Identifier: GPL-3.0-or-later
// The Basic Search scan of an NTFS volume: every record of the $MFT in order, in use or not. Directory
// records become folders of the found-item model, named from their $FILE_NAME; other named records go into
// the file index (NtfsItemTable) with their parent's record number, to be listed when their folder is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/seams.h"
#include "fsrecovery/folder_tree.h"
#include "fsrecovery/ntfs/mft_runs.h"
#include "fsrecovery/scan_tables.h"
#include "storage/device_namespace.h"

namespace salvora {

struct MftScanContext {
    const DeviceNamespace& devices;
    std::string_view devicePath;
    const MftRunTable& runs;
    // The first sector after the volume (or its last one): runs are read only below it, and the scan visits
    // no more records than the volume could hold, whatever a damaged run list claims.
    std::uint64_t volumeStart = 0;
    std::uint64_t volumeEnd = 0;
    ScanTables& tables;
    FolderModel& folders;
    ProgressSink& progress;
    const StopFlag& stop; // tested before each run and each record
};

struct MftScanOutcome {
    bool stopped = false;
    bool deviceOpened = false;
    std::uint64_t recordsVisited = 0; // slots of the run table, read or not
    std::uint64_t foldersFound = 0;   // directory records placed in the tree or the found-folder table
    std::uint64_t filesIndexed = 0;   // rows added to NtfsItemTable
};

// Status text of the scan, with the total length of the runs in sectors.
std::string mftScanTotalText(std::uint64_t totalSectors);

// Scans the records of the runs into the model. With no runs, only KLX_Miscellaneous is inserted under the
// root. Does not build the tree: FolderTreeBuilder::BuildTree(5) turns the found-folder rows into folders.
MftScanOutcome ScanMftRecords(MftScanContext& context);

} // namespace salvora
