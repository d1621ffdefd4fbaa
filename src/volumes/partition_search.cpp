// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/partition_search.h"

#include <algorithm>
#include <array>
#include <limits>
#include <utility>

#include "base/text.h"
#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"
#include "volumes/partition_table.h"
#include "volumes/volume_parameters.h"

namespace salvora {
namespace {

using Sector = std::array<std::byte, kSectorSize>;

constexpr std::uint32_t kSearchHeads = 255;
constexpr std::uint32_t kSearchSectorsPerTrack = 63;

std::uint32_t clampTo32(std::uint64_t value) {
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(value, std::numeric_limits<std::uint32_t>::max()));
}

std::uint64_t perCylinderOf(const SearchGeometry& g) {
    return std::uint64_t{g.heads} * g.sectorsPerTrack;
}

// Reads one sector through the walk's handle into a cleared buffer; false when the read failed. A sector
// past the end of the medium reads short and so carries no signature.
bool readSearchSector(DeviceHandle& handle, std::uint64_t sector, Sector& out) {
    out.fill(std::byte{0});
    handle.seek(sector);
    std::size_t got = 0;
    return handle.read(out.data(), out.size(), got);
}

PartitionList& partitionListOf(PartitionSearchContext& context) {
    return context.volumes.partitionLists[static_cast<std::size_t>(context.disk)];
}

// A volume is already listed when a row of the same file system starts at its first sector and reaches at
// least as far. A partition table entry is often longer than the volume made in it (mkfs.fat rounds the
// volume down; NTFS leaves its last sector, the backup boot sector, out of its count), so a row from the
// table covers the volume its boot sector describes; a search find matches itself exactly.
bool sameVolume(const PartitionRow& row, const FoundPartition& found) {
    return row.start == found.start && row.fileSystem == found.fileSystem && found.end <= row.end;
}

bool alreadyListed(const PartitionList& list, const FoundPartition& found) {
    for (int i = 0; i < list.count && i < kMaxPartitions; ++i) {
        const PartitionRow& row = list.rows[static_cast<std::size_t>(i)];
        if (sameVolume(row, found))
            return true;
    }
    return false;
}

void recordFind(PartitionSearchContext& context, const FoundPartition& found) {
    PartitionList& list = partitionListOf(context);
    const int number = static_cast<int>(context.tree.node(context.diskNode).children.size()) + 1;
    PartitionRow& row = list.rows[static_cast<std::size_t>(list.count)];
    row.fileSystem = found.fileSystem;
    row.start = found.start;
    row.end = found.end;
    row.index = list.count;
    row.node = AddPartitionNode(&context.tree, partitionLabel(number, found.fileSystem), context.diskNode);
    if (row.node != context.diskNode)
        context.tree.setTextColour(row.node, kFoundPartitionColour);
    context.tree.expand(context.diskNode);
    ++list.count;
    ++context.state.PartitionsFound;
}

// The automatic search: the find becomes the selection, and its parameters are computed while the hook
// that started the search is set aside, so a find whose boot sectors fail again cannot start another search.
void computeAutomaticFind(PartitionSearchContext& context, const FoundPartition& found) {
    VolumeState& volumes = context.volumes;
    volumes.selectedVolume.devicePath = volumes.diskPathTable[static_cast<std::size_t>(context.disk)];
    volumes.selectedVolume.fileSystem = found.fileSystem;
    volumes.selectedVolume.start = found.start;
    volumes.selectedVolume.end = found.end;
    auto hook = std::exchange(volumes.automaticPartitionSearch, nullptr);
    context.state.AutoSearchResult = ComputeVolumeParameters(volumes, context.devices);
    volumes.automaticPartitionSearch = std::move(hook);
}

std::vector<PanelRow> firstPartitionPanel(int disk, const PartitionRow& row, SearchMode mode) {
    return PartitionPanel(disk, row, searchModeName(mode));
}

// Offers the whole disk as partition 1 when the search left it without any.
NodeId offerWholeDisk(PartitionSearchContext& context) {
    PartitionList& list = partitionListOf(context);
    PartitionRow& row = list.rows[0];
    row.fileSystem = GuessFileSystemBySize(0, context.totalSectors);
    row.start = 0;
    row.end = context.totalSectors;
    row.index = 0;
    const std::string label =
        row.fileSystem == "Unknown" ? std::string(kUnknownPartitionLabel) : partitionLabel(1, row.fileSystem);
    row.node = AddPartitionNode(&context.tree, label, context.diskNode);
    list.count = 1;
    context.tree.expand(context.diskNode);
    ++context.state.PartitionsFound;
    return row.node;
}

} // namespace

SearchGeometry NormaliseSearchGeometry(SearchGeometry g, std::uint64_t totalSectors) {
    constexpr std::uint64_t kCylinderSectors = std::uint64_t{kSearchHeads} * kSearchSectorsPerTrack;
    const std::uint64_t perCylinder = std::uint64_t{g.heads} * g.sectorsPerTrack;
    // Every cylinder the disk's sectors reach, a partial last one included.
    const std::uint64_t fitting = totalSectors / kCylinderSectors + 1;
    if (perCylinder == 0) {
        // No geometry at all: the disk's size decides.
        return {clampTo32(fitting), kSearchHeads, kSearchSectorsPerTrack};
    }
    if (g.sectorsPerTrack != kSearchSectorsPerTrack) {
        g.cylinders = clampTo32(perCylinder * g.cylinders / kCylinderSectors);
        g.heads = kSearchHeads;
        g.sectorsPerTrack = kSearchSectorsPerTrack;
    }
    // Never more cylinders than the disk's sectors fill.
    g.cylinders = clampTo32(std::min<std::uint64_t>(g.cylinders, totalSectors / perCylinderOf(g) + 1));
    return g;
}

SearchGeometry searchGeometryOf(const DiskRecord& disk) {
    return {clampTo32(trimmedDecimalToUint64(disk.cylinders)),
            clampTo32(trimmedDecimalToUint64(disk.tracksPerCylinder)),
            clampTo32(trimmedDecimalToUint64(disk.sectorsPerTrack))};
}

std::optional<FoundPartition> RecognisePartitionBootSector(ByteSpan sector, std::uint64_t at) {
    if (!hasBootSignature(sector))
        return std::nullopt;
    FoundPartition found;
    std::uint64_t size = 0;
    if (bytesEqual(sector, 0x55, "32") || bytesEqual(sector, 0x39, "16")) {
        found.fileSystem = bytesEqual(sector, 0x55, "32") ? "FAT32" : "FAT16";
        // A FAT volume below 65536 sectors keeps its size in the 16-bit field and 0 in the 32-bit one.
        size = le32(sector, 0x20);
        if (size == 0)
            size = le16(sector, 0x13);
    } else if (bytesEqual(sector, 3, "NTFS")) {
        found.fileSystem = "NTFS";
        size = le32(sector, 0x28);
    } else {
        return std::nullopt;
    }
    // Sizes are unsigned: a volume of 2^31 sectors or more is a large volume, not one that ends before it
    // begins. A size of 0 describes no volume.
    if (size == 0)
        return std::nullopt;
    found.start = at;
    found.end = at + size;
    return found;
}

void SearchDiskForPartitions(PartitionSearchContext& context) {
    context.state.SearchInProgress = true;
    if (context.disk < 0 || context.disk >= kMaxDisks || !context.tree.contains(context.diskNode))
        return;
    const std::size_t nodesAtStart = context.tree.node(context.diskNode).children.size();
    const SearchGeometry g = NormaliseSearchGeometry(context.geometry, context.totalSectors);

    DeviceHandle handle;
    const bool opened =
        handle.open(context.devices, context.volumes.diskPathTable[static_cast<std::size_t>(context.disk)]);
    context.progress.setStatus(" / " + std::to_string(g.cylinders) + " reading");
    context.progress.setRange(0, g.cylinders);

    Sector sector;
    for (std::uint32_t i = 0; opened && i < g.cylinders; ++i) {
        if (context.stop)
            break;
        context.progress.setPosition(i);
        const std::uint64_t cylinderStart = std::uint64_t{i} * g.heads * g.sectorsPerTrack;
        std::uint64_t at = cylinderStart + g.sectorsPerTrack; // head 1
        if (!readSearchSector(handle, at, sector))
            continue;
        if (!hasBootSignature(sector)) {
            at = cylinderStart; // head 0
            if (!readSearchSector(handle, at, sector) || !hasBootSignature(sector))
                continue;
        }
        if (nodesAtStart >= static_cast<std::size_t>(kMaxPartitions))
            break;
        auto found = RecognisePartitionBootSector(sector, at);
        if (!found || alreadyListed(partitionListOf(context), *found))
            continue;
        if (context.state.AutoSearch) {
            computeAutomaticFind(context, *found);
            break;
        }
        if (partitionListOf(context).full())
            break; // the list holds no more
        recordFind(context, *found);
    }
    if (opened)
        context.progress.setPosition(g.cylinders);
    handle.close();
}

std::string partitionSearchMessage(int found, int disk) {
    if (found != 0)
        return "Found " + std::to_string(found) + " more partitions in selected Disk ( Disk - " +
               std::to_string(disk) + " )";
    return "No more partitions found in selected Disk ( Disk - " + std::to_string(disk) + " )";
}

PartitionSearchFinish FinishPartitionSearch(PartitionSearchContext& context, DriveListState& driveList,
                                            SearchMode mode, Prompter& prompter) {
    PartitionSearchFinish finish;
    if (context.disk >= 0 && context.disk < kMaxDisks && context.tree.contains(context.diskNode)) {
        PartitionList& list = partitionListOf(context);
        const auto& children = context.tree.node(context.diskNode).children;
        if (!children.empty() && list.count > 0) {
            finish.selectedNode = children.front();
            finish.panel = firstPartitionPanel(context.disk, list.rows[0], mode);
            driveList.SelectionKind = "part";
        } else if (children.empty() && list.count == 0) {
            // Only a disk without any partition is offered whole: rows kept without a node stay as they are.
            finish.selectedNode = offerWholeDisk(context);
            finish.panel = firstPartitionPanel(context.disk, list.rows[0], mode);
            driveList.SelectionKind = "part";
        }
    }
    finish.message = partitionSearchMessage(context.state.PartitionsFound, context.disk);
    prompter.inform(finish.message);
    context.state.SearchInProgress = false;
    return finish;
}

PartitionSearchFinish StartPartitionSearch(PartitionSearchContext& context, bool automatic,
                                           DriveListState& driveList, SearchMode mode, Prompter& prompter) {
    context.state.AutoSearch = automatic;
    context.state.AutoSearchResult = false;
    context.state.PartitionsFound = 0;
    SearchDiskForPartitions(context);
    PartitionSearchFinish finish = FinishPartitionSearch(context, driveList, mode, prompter);
    context.state.AutoSearch = false;
    return finish;
}

PartitionSearchFinish SearchPartitionlessDisks(AutomaticSearchContext& c) {
    PartitionSearchFinish last;
    const std::vector<PartitionlessDisk> disks = c.driveList.PartitionlessDisks;
    for (const PartitionlessDisk& disk : disks) {
        if (c.stop)
            break;
        if (!c.tree.contains(disk.node))
            continue;
        const DriveNode& node = c.tree.node(disk.node);
        if (node.label.find("Removable Media") == std::string::npos || !c.tree.contains(node.parent) ||
            c.tree.node(node.parent).label != "Physical Drives")
            continue;
        const int number = CurrentDiskFromLabel(node.label);
        if (number >= kMaxDisks)
            continue;
        SearchGeometry geometry{clampTo32(disk.cylinders), disk.tracksPerCylinder, disk.sectorsPerTrack};
        PartitionSearchContext context{c.volumes, c.devices,         c.tree,  disk.node,  number,
                                       geometry,  disk.totalSectors, c.state, c.progress, c.stop};
        last = StartPartitionSearch(context, false, c.driveList, c.mode, c.prompter);
    }
    return last;
}

} // namespace salvora
