// SPDX-License-Identifier: GPL-3.0-or-later
// "Search More Partitions" as the mode windows and the command line start it: on a listed physical disk the
// cylinder search for lost partitions, on a logical drive the search for the volumes inside it; and the
// automatic search that the parameter computation starts for a whole disk whose NTFS boot sectors are gone.
// The searches run here as plain functions; the GUI runs them on a worker, the command line directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/session.h"
#include "base/result.h"
#include "base/seams.h"

namespace salvora {

inline constexpr const char* kSelectDriveToSearch =
    "Select the Physical or Logical Drive (in which you want to search Partitions) from the list of "
    "available "
    "Drives in left Panel in order to search deleted or missing Partitions.";

std::string noStorageInDiskMessage(int disk);
std::string noStorageInDriveMessage(const std::string& driveText);

// One volume a search added to the drive tree.
struct PartitionFind {
    std::string label;      // the node's label
    std::string fileSystem; // "FAT16", "FAT32", "NTFS" or "Unknown"
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::string size;   // size text
    std::string target; // the command-line target that selects it ("disk0:2", "E:R1")
};

// Searches listed disk `disk` of a drive tree (the window's, or the session's for the command line) as its
// node's "Search More Partitions" does,
// with the disk's own geometry, and returns the partitions added under its node (the whole disk offered
// as one partition included). An error when no such disk is listed.
Result<std::vector<PartitionFind>> searchDiskForLostPartitions(Session& session, DriveTree& tree,
                                                               SearchMode mode, int disk,
                                                               ProgressSink& progress, Prompter& prompter,
                                                               const StopFlag& stop);

// Searches listed logical drive `letter` sector by sector, through its volume path, and returns the
// "Recognised" volumes added under its node. Each new row of the found-file-system list is also recorded in
// the session's DriveTable, which Deep Search logs of NTFS volumes store. An error when no such drive is
// listed.
Result<std::vector<PartitionFind>> searchDriveForVolumes(Session& session, DriveTree& tree, char letter,
                                                         ProgressSink& progress, Prompter& prompter,
                                                         const StopFlag& stop);

// DriveTable rows of found-file-system rows [firstRow, end): "Drive" the drive key, "Part" the running name
// ("Recognised2"), "St_Sec" and "End_Sec" the volume's sectors, "Clus0" the sector of cluster 0 (an NTFS
// volume's start, a FAT16 volume's cluster-0 sector), "Drive_E_Sec" the drive's sector count.
void appendDriveTableRows(TextTable& driveTable, const DriveSearchState& search, std::size_t firstRow,
                          std::uint64_t driveSectors);

// Sets the hook through which the parameter computation of a whole-disk selection starts the automatic
// search of the disk (when neither NTFS boot sector is valid): the search stops at its first find, makes it
// the selection and computes its parameters into partitionSearch.AutoSearchResult. The references must
// outlive the computation; disarmAutomaticPartitionSearch removes the hook.
void armAutomaticPartitionSearch(Session& session, DriveTree& tree, NodeId diskNode, SearchMode mode,
                                 ProgressSink& progress, Prompter& prompter, const StopFlag& stop);
void disarmAutomaticPartitionSearch(Session& session);

// What "Search More Partitions" does with the node selected in a mode window's drive tree.
struct SearchMoreRequest {
    SearchMode mode = SearchMode::Basic;
    bool busy = false;                // a listing, scan, save, log load or search runs: nothing happens
    bool noDeviceVisible = false;     // the no-device window is up: this window is disabled instead
    std::uint64_t endSectorField = 0; // Deep Search: the number in its "End Sector" edit
};
enum class SearchMoreAction { Nothing, DisableWindow, Message, SearchDisk, SearchDrive };
struct SearchMoreDecision {
    SearchMoreAction action = SearchMoreAction::Nothing;
    std::string message;               // for Message
    bool selectPhysicalDrives = false; // with the message: the "Physical Drives" node is selected
};
// The start button's checks: a disk is searched cylinder by cylinder, in Deep Search a logical drive sector
// by sector; anything else, or a disk or drive without a size, gets its message.
SearchMoreDecision decideSearchMorePartitions(const Session& session, const DriveTree& tree, NodeId selected,
                                              const SearchMoreRequest& request);

// "Stop Searching Partitions": asks, and on Yes sets the stop flag the running search polls.
bool askStopPartitionSearch(Prompter& prompter, StopFlag& stop);

} // namespace salvora
