// SPDX-License-Identifier: GPL-3.0-or-later
// The information panel beside the drive tree (two columns, "Name" and "Value"), and what selecting a
// node of the tree sets: the selection kind, the current disk or the selected drive.
#pragma once

#include <string>
#include <vector>

#include "volumes/drive_list.h"

namespace salvora {

struct PanelRow {
    std::string name;
    std::string value;
};

std::vector<PanelRow> PhysicalDiskPanel(const DiskRecord& disk);
std::vector<PanelRow> LogicalDrivePanel(const DiskRecord& drive);
std::vector<PanelRow> PartitionPanel(int disk, const PartitionRow& row, const std::string& modeName);

struct NodeSelection {
    enum class Kind { None, PhysicalDisk, LogicalDrive, Partition };
    Kind kind = Kind::None;
    std::vector<PanelRow> panel;
};

// What selecting node does. A disk: its panel, SelectionKind "Hard Disk", CurrentDisk from its label and
// the current disk context from its record. A logical drive: its panel, SelectionKind "Logical", the
// drive letter and the volume path "\\.\E:". A partition: its panel. The fixed nodes show nothing.
NodeSelection SelectDriveNode(DriveListState& state, VolumeState& volumes, const DriveTree& tree, NodeId node,
                              SearchMode mode);

} // namespace salvora
