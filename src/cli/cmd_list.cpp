// SPDX-License-Identifier: GPL-3.0-or-later
// salvora list: the drive tree a mode window opens on — the removable disks with their partitions and the
// logical drives — with the information panel of every node.
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/targets.h"
#include "cli/commands.h"
#include "volumes/drive_panels.h"

namespace salvora::cli {
namespace {

using Json = nlohmann::ordered_json;

// The panel's name column is 160 pixels wide; in a terminal it gets this many characters.
constexpr std::size_t kNameColumn = 28;

Json panelJson(const std::vector<PanelRow>& panel) {
    Json rows = Json::array();
    for (const PanelRow& row : panel)
        rows.push_back({{"name", row.name}, {"value", row.value}});
    return rows;
}

const PartitionRow* partitionOfNode(const Session& session, int disk, NodeId node) {
    const PartitionList& list = session.volumes.partitionLists[static_cast<std::size_t>(disk)];
    for (int i = 0; i < list.count && i < kMaxPartitions; ++i)
        if (list.rows[static_cast<std::size_t>(i)].node == node)
            return &list.rows[static_cast<std::size_t>(i)];
    return nullptr;
}

Json diskJson(const Session& session, const ListedDisk& disk, const std::string& modeName) {
    const DiskRecord& record = *session.driveTree.record(disk.node);
    Json partitions = Json::array();
    for (NodeId child : session.driveTree.node(disk.node).children) {
        const PartitionRow* row = partitionOfNode(session, disk.number, child);
        if (!row)
            continue;
        partitions.push_back({{"number", row->index + 1},
                              {"label", session.driveTree.node(child).label},
                              {"fileSystem", row->fileSystem},
                              {"start", row->start},
                              {"end", row->end},
                              {"panel", panelJson(PartitionPanel(disk.number, *row, modeName))}});
    }
    return {{"disk", disk.number},
            {"label", record.label},
            {"image", session.driveTree.node(disk.node).image},
            {"path", physicalDrivePath(disk.number)},
            {"source", disk.source.devicePath},
            {"attachedImage", disk.source.isImage},
            {"model", record.model},
            {"mediaType", record.mediaText},
            {"interface", record.interfaceType},
            {"totalSectors", disk.source.totalSectors},
            {"size", record.capacity},
            {"serial", record.serialNumber},
            {"identity", diskIdentityText(record)},
            {"panel", panelJson(PhysicalDiskPanel(record))},
            {"partitions", partitions}};
}

Json driveJson(const Session& session, const ListedDrive& drive) {
    const DiskRecord& record = *session.driveTree.record(drive.node);
    Json json = {{"drive", record.drive},
                 {"label", session.driveTree.node(drive.node).label},
                 {"image", session.driveTree.node(drive.node).image},
                 {"path", volumePath(drive.letter)},
                 {"source", drive.origin},
                 {"fileSystem", record.fileSystem},
                 {"volumeLabel", record.volumeLabel},
                 {"serial", record.volumeSerial},
                 {"totalSectors", record.totalBytes / 512},
                 {"size", record.sizeText},
                 {"free", record.freeText}};
    if (record.locatedOnDisk())
        json.update({{"disk", record.volumeDisk},
                     {"dynamic", record.dynamicDisk != 0},
                     {"startOnDisk", record.firstSectorOnDisk},
                     {"endOnDisk", record.endSectorOnDisk}});
    json["panel"] = panelJson(LogicalDrivePanel(record));
    return json;
}

Json listJson(const Session& session, const std::string& modeName) {
    Json disks = Json::array();
    for (const ListedDisk& disk : session.driveList.disks)
        disks.push_back(diskJson(session, disk, modeName));
    Json drives = Json::array();
    for (const ListedDrive& drive : session.driveList.drives)
        drives.push_back(driveJson(session, drive));
    Json partitionless = Json::array();
    for (const PartitionlessDisk& disk : session.driveList.PartitionlessDisks)
        partitionless.push_back({{"path", disk.devicePath},
                                 {"cylinders", disk.cylinders},
                                 {"tracksPerCylinder", disk.tracksPerCylinder},
                                 {"sectorsPerTrack", disk.sectorsPerTrack},
                                 {"totalSectors", disk.totalSectors}});
    return {{"searchMode", modeName},
            {"disks", disks},
            {"logicalDrives", drives},
            {"attachedDiskIdentities", session.driveList.AttachedDiskIdentities},
            {"attachedVolumeEntries", session.driveList.AttachedVolumeEntries},
            {"partitionlessDisks", partitionless}};
}

void printPanel(const std::vector<PanelRow>& panel, std::size_t indent, std::ostream& out) {
    for (const PanelRow& row : panel) {
        std::size_t pad = row.name.size() < kNameColumn ? kNameColumn - row.name.size() : 1;
        out << std::string(indent, ' ') << row.name << std::string(pad, ' ') << row.value << "\n";
    }
}

void printNode(const Session& session, NodeId id, std::size_t depth, const std::string& modeName,
               std::ostream& out) {
    const DriveNode& node = session.driveTree.node(id);
    const std::size_t indent = depth * 2;
    out << std::string(indent, ' ') << node.label << "\n";
    if (const DiskRecord* record = session.driveTree.record(id)) {
        printPanel(record->isLogicalDrive() ? LogicalDrivePanel(*record) : PhysicalDiskPanel(*record),
                   indent + 4, out);
    } else if (node.parent != kNoNode && session.driveTree.record(node.parent)) {
        int disk = CurrentDiskFromLabel(session.driveTree.node(node.parent).label);
        if (disk < kMaxDisks)
            if (const PartitionRow* row = partitionOfNode(session, disk, id))
                printPanel(PartitionPanel(disk, *row, modeName), indent + 4, out);
    }
    for (NodeId child : node.children)
        printNode(session, child, depth + 1, modeName, out);
}

} // namespace

int runList(Session& session, bool json, SearchMode mode, OutputStreams streams) {
    DriveTreeRoots roots = listDrives(session, mode);
    const std::string modeName = searchModeName(mode);
    if (json)
        streams.out << listJson(session, modeName).dump(2) << "\n";
    else
        printNode(session, roots.computer, 0, modeName, streams.out);

    for (const ListedDisk& disk : session.driveList.disks)
        if (!disk.source.readable)
            streams.err
                << "salvora: " << disk.source.devicePath
                << " is listed but cannot be read: run as root or as a member of the group that owns it "
                   "to see its partitions and drives\n";
    if (session.driveList.disks.empty() && session.driveList.drives.empty()) {
        streams.err
            << "salvora: no memory card or other removable USB storage was found. Connect the card "
               "reader or stick with the card inserted (directly, not through a hub), make sure you may "
               "read its device, or attach an image with --image FILE.\n";
        return kExitFailure;
    }
    return kExitOk;
}

} // namespace salvora::cli
