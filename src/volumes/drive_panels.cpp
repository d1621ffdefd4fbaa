// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/drive_panels.h"

#include "base/size_text.h"
#include "base/text.h"

namespace salvora {

std::vector<PanelRow> PhysicalDiskPanel(const DiskRecord& d) {
    return {{"1. Model :", d.panelModel},
            {"2. MediaType :", d.panelMediaText},
            {"3. Interface Type :", d.interfaceType},
            {"4. Capacity(size) :", d.capacity},
            {"5. Cylinders :", d.cylinders},
            {"6. Heads :", d.tracksPerCylinder},
            {"7. Sectors :", d.sectors},
            {"8. Bytes per Sector :", d.bytesPerSector},
            {"9. Sector per Track :", d.sectorsPerTrack},
            {"10. Firmware Revision ID :", d.firmwareRevision},
            {"11. Serial Number :", d.serialNumber},
            {"12. System Name :", d.systemName},
            {"13. Physical Device ID :", d.physicalDeviceId}};
}

std::vector<PanelRow> LogicalDrivePanel(const DiskRecord& d) {
    return {{"1. Start Sector :", "0"},
            {"2. End Sector : ", d.totalSectors},
            {"3. Partition Type : ", d.fileSystem},
            {"4. Volume : ", d.drive},
            {"5. Label : ", d.volumeLabel},
            {"6. Size : ", d.sizeText},
            {"7. Free Space : ", d.freeText},
            {"8. Search Mode : ", d.modeName},
            {"9. Serial Number : ", d.volumeSerial}};
}

std::vector<PanelRow> PartitionPanel(int disk, const PartitionRow& row, const std::string& modeName) {
    std::uint64_t sectors = row.end > row.start ? row.end - row.start : 0;
    return {{"1. Disk Number : ", std::to_string(disk)},
            {"2. Partition Number : ", std::to_string(row.index + 1)},
            {"3. Partition Type : ", row.fileSystem},
            {"4. Search Mode : ", modeName},
            {"5. Start Sector : ", std::to_string(row.start)},
            {"6. End Sector : ", std::to_string(row.end)},
            {"7. Size : ", trim(FormatSize(sectors * 512))}};
}

NodeSelection SelectDriveNode(DriveListState& state, VolumeState& volumes, const DriveTree& tree, NodeId node,
                              SearchMode mode) {
    NodeSelection selection;
    if (!tree.contains(node))
        return selection;
    if (const DiskRecord* record = tree.record(node)) {
        if (record->isLogicalDrive()) {
            selection.kind = NodeSelection::Kind::LogicalDrive;
            selection.panel = LogicalDrivePanel(*record);
            state.SelectionKind = "Logical";
            state.selectedDriveLetter = record->drive.empty() ? char{0} : record->drive[0];
            state.selectedVolumePath = volumePath(state.selectedDriveLetter);
        } else {
            selection.kind = NodeSelection::Kind::PhysicalDisk;
            selection.panel = PhysicalDiskPanel(*record);
            state.SelectionKind = "Hard Disk";
            volumes.CurrentDisk = CurrentDiskFromLabel(tree.node(node).label);
            state.currentDisk = currentDiskContextOf(*record);
        }
        return selection;
    }
    // A partition: its row in the list of the disk whose node is its parent.
    NodeId parent = tree.node(node).parent;
    if (!tree.contains(parent) || !tree.record(parent) || tree.record(parent)->isLogicalDrive())
        return selection;
    int disk = CurrentDiskFromLabel(tree.node(parent).label);
    if (disk >= kMaxDisks)
        return selection;
    const PartitionList& list = volumes.partitionLists[static_cast<std::size_t>(disk)];
    for (int i = 0; i < list.count && i < kMaxPartitions; ++i) {
        const PartitionRow& row = list.rows[static_cast<std::size_t>(i)];
        if (row.node == node) {
            selection.kind = NodeSelection::Kind::Partition;
            selection.panel = PartitionPanel(disk, row, searchModeName(mode));
            break;
        }
    }
    return selection;
}

} // namespace salvora
