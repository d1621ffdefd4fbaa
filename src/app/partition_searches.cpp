// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/partition_searches.h"

#include "base/size_text.h"
#include "base/text.h"
#include "volumes/drive_panels.h"

namespace salvora {
namespace {

constexpr const char* kNoStorageAdvice =
    ".\n\nIf you have connected your storage using any usb hub or extension, check storage connections or "
    "connect the storage media directly to your computer.";

const PartitionRow* rowOfNode(const PartitionList& list, NodeId node) {
    for (int i = 0; i < list.count && i < kMaxPartitions; ++i)
        if (list.rows[static_cast<std::size_t>(i)].node == node)
            return &list.rows[static_cast<std::size_t>(i)];
    return nullptr;
}

std::string sizeTextOfSectors(std::uint64_t start, std::uint64_t end) {
    return trim(FormatSize((end > start ? end - start : 0) * 512));
}

PartitionSearchContext diskSearchContext(Session& session, DriveTree& tree, NodeId diskNode, int disk,
                                         ProgressSink& progress, const StopFlag& stop) {
    const DiskRecord* record = tree.record(diskNode);
    const ListedDisk* listed = session.driveList.disk(disk);
    return PartitionSearchContext{session.volumes,
                                  session.devices,
                                  tree,
                                  diskNode,
                                  disk,
                                  record ? searchGeometryOf(*record) : SearchGeometry{},
                                  listed ? listed->source.totalSectors : 0,
                                  session.partitionSearch,
                                  progress,
                                  stop};
}

} // namespace

std::string noStorageInDiskMessage(int disk) {
    return "No physical storage area found in Disk(Disk - " + std::to_string(disk) + ")" + kNoStorageAdvice;
}

std::string noStorageInDriveMessage(const std::string& driveText) {
    return "No physical storage area found in Drive(Drive - " + driveText + " )" + kNoStorageAdvice;
}

Result<std::vector<PartitionFind>> searchDiskForLostPartitions(Session& session, DriveTree& tree,
                                                               SearchMode mode, int disk,
                                                               ProgressSink& progress, Prompter& prompter,
                                                               const StopFlag& stop) {
    const ListedDisk* listed = disk >= 0 && disk < kMaxDisks ? session.driveList.disk(disk) : nullptr;
    if (!listed)
        return makeError(ErrorKind::InvalidInput, "no physical disk disk" + std::to_string(disk));
    const NodeId diskNode = listed->node;
    SelectDriveNode(session.driveList, session.volumes, tree, diskNode, mode);
    std::vector<PartitionFind> finds;
    const DiskRecord* record = tree.record(diskNode);
    if (!record || record->capacity.empty()) {
        prompter.inform(noStorageInDiskMessage(disk));
        return finds;
    }

    const std::size_t before = tree.node(diskNode).children.size();
    PartitionSearchContext context = diskSearchContext(session, tree, diskNode, disk, progress, stop);
    StartPartitionSearch(context, false, session.driveList, mode, prompter);

    const PartitionList& list = session.volumes.partitionLists[static_cast<std::size_t>(disk)];
    const auto& children = tree.node(diskNode).children;
    for (std::size_t i = before; i < children.size(); ++i) {
        const PartitionRow* row = rowOfNode(list, children[i]);
        if (!row)
            continue;
        finds.push_back(PartitionFind{tree.node(children[i]).label, row->fileSystem, row->start, row->end,
                                      sizeTextOfSectors(row->start, row->end),
                                      "disk" + std::to_string(disk) + ":" + std::to_string(row->index + 1)});
    }
    return finds;
}

Result<std::vector<PartitionFind>> searchDriveForVolumes(Session& session, DriveTree& tree, char letter,
                                                         ProgressSink& progress, Prompter& prompter,
                                                         const StopFlag& stop) {
    const ListedDrive* drive = session.driveList.drive(letter);
    const DiskRecord* record = drive ? tree.record(drive->node) : nullptr;
    if (!record)
        return makeError(ErrorKind::InvalidInput, "no logical drive " + std::string(1, letter) + ":");
    SelectDriveNode(session.driveList, session.volumes, tree, drive->node, SearchMode::Deep);
    const std::string driveText = trim(tree.node(drive->node).label.substr(0, 2));
    const std::uint64_t E = trimmedDecimalToUint64(record->totalSectors);
    std::vector<PartitionFind> finds;
    if (E == 0 && record->drive.empty()) {
        prompter.inform(noStorageInDriveMessage(driveText));
        return finds;
    }

    DriveSearchState& state = session.driveSearch;
    const std::size_t firstRow = state.foundFileSystems.size();
    const std::string path = volumePath(letter);
    session.CurrentDevicePath = path;
    DriveSearchContext context{session.devices, tree, drive->node, driveText, path, E, state, progress, stop};
    SearchDriveForPartitions(context);
    FinishDriveSearch(context, prompter);
    appendDriveTableRows(session.tables.DriveTable, state, firstRow, E);

    const auto& children = tree.node(drive->node).children;
    const std::size_t added = state.foundFileSystems.size() - firstRow;
    for (std::size_t i = 0; i < added && i < children.size(); ++i) {
        const FoundFileSystemRow& row = state.foundFileSystems[firstRow + i];
        const NodeId node = children[children.size() - added + i];
        const std::uint64_t start = trimmedDecimalToUint64(row[3]);
        const std::uint64_t end = trimmedDecimalToUint64(row[4]);
        finds.push_back(
            PartitionFind{tree.node(node).label, row[2], start, end, trim(row[5]),
                          std::string(1, letter) + ":R" + std::to_string(recognisedNumber(row[1]))});
    }
    return finds;
}

void appendDriveTableRows(TextTable& driveTable, const DriveSearchState& search, std::size_t firstRow,
                          std::uint64_t driveSectors) {
    for (std::size_t i = firstRow; i < search.foundFileSystems.size(); ++i) {
        const FoundFileSystemRow& row = search.foundFileSystems[i];
        const std::string& cluster0 = row[2] == "NTFS" ? row[3] : row[11];
        driveTable.appendRow({row[0], row[1], row[3], row[4], cluster0, std::to_string(driveSectors)});
    }
}

void armAutomaticPartitionSearch(Session& session, DriveTree& tree, NodeId diskNode, SearchMode mode,
                                 ProgressSink& progress, Prompter& prompter, const StopFlag& stop) {
    session.volumes.automaticPartitionSearch = [&session, &tree, diskNode, mode, &progress, &prompter,
                                                &stop] {
        if (!tree.contains(diskNode) || session.partitionSearch.SearchInProgress)
            return;
        const int disk = CurrentDiskFromLabel(tree.node(diskNode).label);
        if (disk >= kMaxDisks)
            return;
        PartitionSearchContext context = diskSearchContext(session, tree, diskNode, disk, progress, stop);
        StartPartitionSearch(context, true, session.driveList, mode, prompter);
    };
}

void disarmAutomaticPartitionSearch(Session& session) {
    session.volumes.automaticPartitionSearch = nullptr;
}

SearchMoreDecision decideSearchMorePartitions(const Session& session, const DriveTree& tree, NodeId selected,
                                              const SearchMoreRequest& request) {
    SearchMoreDecision decision;
    if (request.busy || session.driveList.DriveListBusy || session.partitionSearch.SearchInProgress ||
        session.driveSearch.inProgress)
        return decision;
    const bool deep = request.mode == SearchMode::Deep;
    const DiskRecord* record = tree.record(selected);
    const std::string& kind = session.driveList.SelectionKind;
    if (kind == "Hard Disk" && record && !record->isLogicalDrive()) {
        if ((!deep || request.endSectorField == 0) && record->capacity.empty()) {
            decision.action = SearchMoreAction::Message;
            decision.message = noStorageInDiskMessage(CurrentDiskFromLabel(tree.node(selected).label));
            return decision;
        }
        decision.action = SearchMoreAction::SearchDisk;
        return decision;
    }
    if (deep && kind == "Logical" && record && record->isLogicalDrive()) {
        if (request.endSectorField == 0 && record->drive.empty()) {
            decision.action = SearchMoreAction::Message;
            decision.message = noStorageInDriveMessage(trim(tree.node(selected).label.substr(0, 2)));
            return decision;
        }
        decision.action = SearchMoreAction::SearchDrive;
        return decision;
    }
    if (request.noDeviceVisible) {
        decision.action = SearchMoreAction::DisableWindow;
        return decision;
    }
    decision.action = SearchMoreAction::Message;
    decision.message = deep ? kSelectDriveToSearch : kSelectPhysicalDiskToSearch;
    decision.selectPhysicalDrives = !deep;
    return decision;
}

bool askStopPartitionSearch(Prompter& prompter, StopFlag& stop) {
    if (!prompter.askYesNo(kStopPartitionSearchQuestion))
        return false;
    stop = true;
    return true;
}

} // namespace salvora
