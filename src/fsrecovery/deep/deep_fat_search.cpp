// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/deep/deep_fat_search.h"

#include <unordered_map>
#include <vector>

#include "fsrecovery/deep/deep_fat_rows.h"
#include "fsrecovery/deep/deep_fat_volumes.h"
#include "fsrecovery/fat/fat_walker.h"
#include "storage/sector_reader.h"

namespace salvora::deep {
namespace {

void addDirectoryRow(TextTable& foundFolders, const TextTable& directories, std::size_t row,
                     std::uint64_t n) {
    const std::size_t out = foundFolders.appendRow();
    foundFolders.setCell(out, found_folder::Name, "DIR" + std::to_string(n));
    foundFolders.setCell(out, found_folder::Sector, directories.cell(row, directory_row::Sector));
    foundFolders.setCell(out, found_folder::Self, directories.cell(row, directory_row::Self));
    foundFolders.setCell(out, found_folder::Parent, directories.cell(row, directory_row::Parent));
    foundFolders.setCell(out, found_folder::Date, directories.cell(row, directory_row::Date));
    foundFolders.setCell(out, found_folder::Time, directories.cell(row, directory_row::Time));
    foundFolders.setCell(out, found_folder::Size, "0");
    foundFolders.setCell(out, found_folder::Attr, "16");
    foundFolders.setCell(out, found_folder::Type, "FOLDER");
    foundFolders.setCell(out, found_folder::Cluster0Start,
                         directories.cell(row, directory_row::Cluster0Start));
}

// Loads volume v's row into the working set as the folder building does: the FAT copies of an inferred
// volume are located first.
void loadVolumeForBuilding(DeepSearchContext& context, std::uint64_t v) {
    TextTable& volumes = context.tables.VolumeParamTable;
    if (cellValue(volumes.cell(v - 1, volume_row::FirstFat)) == 0)
        FindFatCopies(context.devices, context.devicePath, volumes, v - 1, context.progress);
    DeepFatVolumes(context.tables, context.volumes, context.deep).LoadVolumeRow(v);
}

// Moves the folders one volume's tree building produced into the session's tree. Each volume is built on
// its own, because two volumes reuse the same cluster numbers: folder 3 of the second volume is not
// folder 3 of the first, and must neither merge with it nor hang below it. The pseudo-folder
// KLX_Miscellaneous is shared.
void graftVolumeTree(FolderModel& volumeModel, FolderModel& model, ScanTables& tables) {
    FolderTreeBuilder builder(model, tables);
    const TreeItem root = model.tree.ensureRoot();
    std::unordered_map<TreeItem, TreeItem> itemOf{{volumeModel.tree.root(), root}};
    TreeItem miscellaneous = kNoTreeItem;
    for (const FolderNode& node : model.FolderList)
        if (node.self == kMiscellaneousSelf && node.name == kMiscellaneousName) {
            miscellaneous = node.treeItem;
            break;
        }
    const bool wasLoadingLog = model.loadingLog;
    model.loadingLog = true; // every node of this volume is new to the session's tree
    for (const FolderNode& node : volumeModel.FolderList) {
        if (node.self == kMiscellaneousSelf && node.name == kMiscellaneousName &&
            miscellaneous != kNoTreeItem) {
            itemOf[node.treeItem] = miscellaneous;
            continue;
        }
        auto parent = itemOf.find(volumeModel.tree.parent(node.treeItem));
        const TreeItem parentItem = parent == itemOf.end() ? root : parent->second;
        const TreeItem item = builder.InsertFolderNode(parentItem, node.name, node.self, node.date, node.time,
                                                       node.parent, node.deleted, node.cluster0Start);
        model.FolderList.back().listed = node.listed;
        itemOf[node.treeItem] = item;
        if (node.self == kMiscellaneousSelf && node.name == kMiscellaneousName)
            miscellaneous = item;
    }
    model.loadingLog = wasLoadingLog;
}

} // namespace

FatScanResult ScanForFatStructures(DeepSearchContext& context) {
    FatScanResult result;
    const std::uint64_t first = context.rangeStart;
    const std::uint64_t end = context.rangeEnd;
    context.progress.setStatus("sectors scanned of total " + std::to_string(end));
    context.progress.setRange(first, end);

    DeviceHandle handle;
    if (!handle.open(context.devices, context.devicePath))
        return result;
    result.deviceOpened = true;
    std::vector<std::byte> chunk(std::size_t{kDeepScanChunkSectors} * kSectorSize);
    for (std::uint64_t position = first; position < end; position += kDeepScanChunkSectors) {
        context.progress.setPosition(position);
        if (context.stop) {
            result.stopped = true;
            break;
        }
        handle.seek(position);
        std::size_t bytesRead = 0;
        if (!handle.read(chunk.data(), chunk.size(), bytesRead))
            continue;
        ExamineChunk(ByteSpan(chunk.data(), bytesRead), position, context.tables);
        // The medium ends inside this chunk.
        if (bytesRead < chunk.size())
            break;
    }
    context.progress.setPosition(end);
    return result;
}

void BuildVolumeFolders(DeepSearchContext& context) {
    FolderModel& model = context.folders;
    TextTable& directories = context.tables.DirectoryTable;
    model.reset();
    context.tables.TreeLinkTable.clear();
    model.tree.ensureRoot();
    if (context.deep.VolumeCount > 1)
        directories.sortByColumn(directory_row::Volume);

    std::uint64_t n = 0;
    std::size_t position = 0;
    for (std::uint64_t v = 1; v <= context.deep.VolumeCount; ++v) {
        ScanTables volumeTables;
        TextTable& foundFolders = volumeTables.FoundFolderTable;
        if (v == 1)
            foundFolders.setCell(AppendMiscellaneousRow(foundFolders), found_folder::SysID, "0");
        for (; position < directories.rowCount(); ++position) {
            const std::uint64_t volume = cellValue(directories.cell(position, directory_row::Volume));
            if (volume == kNoVolume)
                continue;
            if (volume != v)
                break;
            addDirectoryRow(foundFolders, directories, position, n++);
        }

        loadVolumeForBuilding(context, v);
        FolderModel volumeModel;
        volumeModel.nextDirNumber = model.nextDirNumber;
        fat::FatVolume volume(context.devices, context.devicePath, context.volumes.volumeParameters,
                              context.volumes.partType == "FAT32");
        FolderTreeBuilder builder(volumeModel, volumeTables, &context.progress);
        volumeModel.tree.ensureRoot();
        builder.BuildTree(kFatRootParent, [&](FolderTreeBuilder& b) { fat::NameRootFolders(volume, b); });
        model.nextDirNumber = volumeModel.nextDirNumber;
        graftVolumeTree(volumeModel, model, context.tables);
    }
    model.tree.setExpanded(model.tree.root(), true);
    model.tree.sortChildrenByText(model.tree.root());
    directories.clear();
}

DeepSearchOutcome RunDeepFatSearch(DeepSearchContext& context) {
    DeepSearchOutcome outcome;
    VolumeState& volumes = context.volumes;
    volumes.volumeParameters = volumes.computedParameters;
    volumes.partType = context.fileSystem;

    const FatScanResult scan = ScanForFatStructures(context);
    outcome.stopped = scan.stopped;
    if (scan.stopped) {
        // What the scan found so far is still used; the working set starts again from the selection's own.
        volumes.volumeParameters = volumes.computedParameters;
    }

    TextTable& found = context.tables.VolumeParamTableFound;
    if (context.tables.DirectoryTable.empty() && !found.empty()) {
        std::string partType;
        VolumeParameters params = ParametersOfVolumeRow(found, 0, partType);
        volumes.volumeParameters = params;
        volumes.partType = partType;
        context.deep.singleVolume =
            ValidateRootDirectory(context.devices, context.devicePath, params, partType == "FAT32") == 2;
    }
    if (context.tables.DirectoryTable.empty() && found.empty()) {
        context.folders.tree.ensureRoot();
        outcome.nothingFound = true;
        return outcome;
    }

    context.deep.VolumeCount =
        AssignDirectories(context.tables, context.deep.singleVolume, context.fileSystem, context.progress);
    if (context.deep.VolumeCount == 0) {
        context.folders.tree.ensureRoot();
        outcome.nothingFound = true;
        return outcome;
    }
    context.progress.setStatus(std::string(kStoringDirectoryInformation));
    BuildVolumeFolders(context);
    DeepFatVolumes(context.tables, volumes, context.deep).LoadVolumeRow(1);
    return outcome;
}

} // namespace salvora::deep
