// SPDX-License-Identifier: GPL-3.0-or-later
// The Basic Search run of a selection as one engine call: compute the volume parameters, fall back to the
// FAT parameter recovery, scan the volume, build the folder tree. The Basic Search window and the command
// line only call it; progress, stop requests and messages go through the seams.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/seams.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"
#include "fsrecovery/scan_tables.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora {

inline constexpr const char* kUnableToCalculateParameters =
    "Unable to calculate partition parameters.\n\nPlease select the partition from the list of Logical Drive "
    "or "
    "click on \xE2\x80\x98Search more Partitions\xE2\x80\x99 in case of deleted or missing Drives.";
inline constexpr const char* kSearchingLostDirectories = "Searching Lost Directories. Please wait...";
inline constexpr const char* kCalculatingPartitionParams = "Calculating Partition Params: ";

// Everything a Basic Search reads and fills. volumes.selectedVolume must hold the selection (device path,
// file-system name, start and end sectors); devicePath is the path the scan reads (CurrentDevicePath).
struct BasicSearchContext {
    const DeviceNamespace& devices;
    std::string devicePath;
    VolumeState& volumes;
    ScanTables& tables;
    FolderModel& folders;
    ProgressSink& progress;
    Prompter& prompter;
    const StopFlag& stop; // the window's Stop request (Ctrl+C on the command line)
};

// The NTFS walker's share of a Basic Search. Whoever links the NTFS walker passes one to RunBasicSearch.
class NtfsBasicSearch {
public:
    virtual ~NtfsBasicSearch() = default;
    // Loads the $MFT runs, scans the MFT records into the model (testing context.stop before each run and
    // record) and builds the tree with BuildTree(5); called after the parameters were computed.
    virtual void scanVolume(BasicSearchContext& context) = 0;
    // The walker that lists the files of an NTFS folder after the scan.
    virtual std::unique_ptr<FolderFileWalker> folderWalker(BasicSearchContext& context) = 0;
};

struct BasicSearchOutcome {
    std::string fileSystem;           // "FAT16", "FAT32", "NTFS" or what the selection named
    bool parametersComputed = false;  // from the boot sector
    bool parametersRecovered = false; // by the FAT parameter recovery
    bool scanned = false;             // a scan ran (possibly stopped)
    bool stopped = false;             // the scan ended on a stop request; the tree holds what was found
    bool foldersFound = false;        // the scan found at least one folder
    bool nothingFound = false;        // the tree holds nothing but Root (or Root and KLX_Miscellaneous)
};

// Runs the whole Basic Search of the selection. The model and the tables are reset first. A stop request
// ends the scan where it is and the tree is built from what was found, as the window's Stop does.
BasicSearchOutcome RunBasicSearch(BasicSearchContext& context, NtfsBasicSearch* ntfs = nullptr);

// The walker that lists folders of the volume scanned by the last RunBasicSearch (FAT or, through ntfs,
// NTFS); null when the file system has none.
std::unique_ptr<FolderFileWalker> BasicSearchFolderWalker(BasicSearchContext& context,
                                                          NtfsBasicSearch* ntfs = nullptr);

} // namespace salvora
