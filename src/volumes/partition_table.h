// SPDX-License-Identifier: GPL-3.0-or-later
// The partition walk: a disk's MBR, its chain of extended boot records, or the GUID partition entries
// behind a protective MBR, turned into the disk's PartitionList and partition nodes of the drive tree.
#pragma once

#include <cstdint>
#include <string>

#include "storage/device_namespace.h"
#include "volumes/drive_tree.h"
#include "volumes/volume_state.h"

namespace salvora {

// Where the walk puts what it finds.
struct PartitionWalkTarget {
    VolumeState& volumes;
    const DeviceNamespace& devices;
    DriveTree* tree = nullptr; // null when no tree is being filled
};

// Fills the PartitionList of disk (count and rows from index 0) and adds one partition node per partition
// under diskNode.
void WalkPartitionTable(PartitionWalkTarget target, int disk, std::uint64_t totalSectors, NodeId diskNode);

// Called by the walk when a primary entry leads to a GUID partition table header: continues the same list
// from the entries at sectors 2 to 33. Returns the next running partition number.
int ReadGuidPartitionEntries(PartitionWalkTarget target, int disk, NodeId diskNode, int nextNumber);

// Adds a partition node as the last child of parent and returns it; a partition never gets partition
// children, so a parent whose label contains "Partition" is returned unchanged.
NodeId AddPartitionNode(DriveTree* tree, const std::string& label, NodeId parent);

// "Partition - 3 ( FAT32 )"
std::string partitionLabel(int number, const std::string& fileSystem);

} // namespace salvora
