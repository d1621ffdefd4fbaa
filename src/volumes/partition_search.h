// SPDX-License-Identifier: GPL-3.0-or-later
// The lost-partition search of a physical disk. A card whose partition table was wiped or whose partition
// was deleted still carries the partition's boot sector; on a disk laid out in 255-head, 63-sector
// cylinders a partition starts at head 1 of a cylinder (sector 63 of the first one) or at head 0. The walk
// reads those two sectors of every cylinder and adds each FAT16, FAT32 or NTFS boot sector it recognises
// as a new partition of the disk: a PartitionList row and a node under the disk's node, drawn in green.
// When the walk leaves a disk without any partition, the whole disk is offered as one pseudo-partition.
//
// The front ends run SearchDiskForPartitions on a worker and FinishPartitionSearch when it ends; the
// messages go through the prompter with their exact texts.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/seams.h"
#include "storage/device_namespace.h"
#include "volumes/drive_list.h"
#include "volumes/drive_panels.h"
#include "volumes/drive_tree.h"
#include "volumes/volume_state.h"

namespace salvora {

inline constexpr const char* kStopPartitionSearchQuestion = "Do you want to stop searching partition?";
inline constexpr const char* kSelectPhysicalDiskToSearch =
    "Select the Physical Disk (in which you want to search Partitions) from the list of available Physical "
    "Drives in left Panel in order to search deleted or missing Partitions.";

// The text the disk's node gets when the whole disk is offered and nothing about it is known.
inline constexpr const char* kUnknownPartitionLabel = "Unknown Partition";

// What the searches keep between a start and its finish.
struct PartitionSearchState {
    std::atomic<bool> SearchInProgress{false};
    bool AutoSearch = false;       // started by the parameter computation, which waits for the result
    bool AutoSearchResult = false; // the parameter computation of the partition the automatic search found
    std::int32_t PartitionsFound = 0;
};

// The cylinder layout the walk steps through: NC cylinders of NH heads of NS sectors.
struct SearchGeometry {
    std::uint32_t cylinders = 0;
    std::uint32_t heads = 0;
    std::uint32_t sectorsPerTrack = 0;
};

// A geometry of other than 63 sectors per track is searched as 255 heads by 63 sectors with the cylinder
// count recomputed from the same number of sectors. The cylinder count is bounded by what the disk's total
// sectors can hold, so a nonsensical geometry can never make the walk run past the medium.
SearchGeometry NormaliseSearchGeometry(SearchGeometry geometry, std::uint64_t totalSectors);

// The geometry texts of a disk record (cylinders, tracks per cylinder, sectors per track).
SearchGeometry searchGeometryOf(const DiskRecord& disk);

struct FoundPartition {
    std::string fileSystem; // "FAT16", "FAT32" or "NTFS"
    std::uint64_t start = 0;
    std::uint64_t end = 0; // the first sector after the partition, as its boot sector gives the size
};

// Recognises the boot sector read at sector `at` (offsets in the 512-byte sector):
//   0x003  "NTFS"                 NTFS
//   0x013  u16 total sectors      FAT, when the volume is too small for the 32-bit field
//   0x020  u32 total sectors      FAT16 and FAT32
//   0x028  u32 total sectors, low half (NTFS)
//   0x039  "16"  (the end of the label "FAT16" at 0x36)
//   0x055  "32"  (the end of the label "FAT32" at 0x52)
//   0x1FE  0x55 0xAA
// Tested in the order "32", "16", "NTFS". Nothing for a sector without the signature, without a label or
// whose volume would hold no sector at all.
std::optional<FoundPartition> RecognisePartitionBootSector(ByteSpan sector, std::uint64_t at);

// Everything one walk over one disk reads and fills.
struct PartitionSearchContext {
    VolumeState& volumes;
    const DeviceNamespace& devices;
    DriveTree& tree;
    NodeId diskNode = kNoNode;
    int disk = 0; // CurrentDisk: the walk reads DiskPathTable[disk]
    SearchGeometry geometry;
    std::uint64_t totalSectors = 0;
    PartitionSearchState& state;
    ProgressSink& progress;
    const StopFlag& stop; // polled between cylinders, so a stop never leaves a row or node half written
};

// The walk: cylinder by cylinder, head 1 and then head 0. With AutoSearch the first find becomes the
// SelectedVolume, its parameters are computed into AutoSearchResult and the walk ends there.
void SearchDiskForPartitions(PartitionSearchContext& context);

// What the window shows after a search: the node to select and its panel (none when the disk still has no
// partition node, which cannot happen since the whole disk is offered then).
struct PartitionSearchFinish {
    NodeId selectedNode = kNoNode;
    std::vector<PanelRow> panel;
    std::string message;
};

// The common ending: selects the disk's first partition, or offers the whole disk as one pseudo-partition
// when the disk has none; shows the result message; clears SearchInProgress.
PartitionSearchFinish FinishPartitionSearch(PartitionSearchContext& context, DriveListState& driveList,
                                            SearchMode mode, Prompter& prompter);

// Resets PartitionsFound, sets AutoSearch as asked, runs the walk and the finish.
PartitionSearchFinish StartPartitionSearch(PartitionSearchContext& context, bool automatic,
                                           DriveListState& driveList, SearchMode mode, Prompter& prompter);

// "Found 2 more partitions in selected Disk ( Disk - 0 )" or "No more partitions found in selected Disk (
// Disk - 0 )".
std::string partitionSearchMessage(int found, int disk);

// The search Basic and Deep Search run by themselves when their window opens: every partitionless removable
// disk under "Physical Drives", one after another, each with its own geometry and its own result message.
struct AutomaticSearchContext {
    VolumeState& volumes;
    const DeviceNamespace& devices;
    DriveTree& tree;
    DriveListState& driveList;
    PartitionSearchState& state;
    SearchMode mode;
    ProgressSink& progress;
    Prompter& prompter;
    const StopFlag& stop;
};
// Returns the finish of the last disk searched (what the window selects), or an empty one when no disk was.
PartitionSearchFinish SearchPartitionlessDisks(AutomaticSearchContext& context);

} // namespace salvora
