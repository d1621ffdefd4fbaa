// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/partition_table.h"

#include <array>
#include <set>

#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"
#include "volumes/partition_entries.h"

namespace salvora {
namespace {

using Sector = std::array<std::byte, kSectorSize>;

// A primary entry this close to the end of the disk ends the walk.
constexpr std::int64_t kMinimumSectorsToDiskEnd = 24576;
// GUID partition entries are read from these sectors, four per sector.
constexpr std::uint64_t kFirstGptEntrySector = 2;
constexpr std::uint64_t kLastGptEntrySector = 33;
// A chain of extended boot records longer than this is damaged (it would not fit any disk's list anyway).
constexpr std::size_t kMaxExtendedLinks = 4096;

bool isExtendedType(std::uint8_t type) { return type == 0x05 || type == 0x0F; }

std::string fileSystemOfPrimaryType(std::uint8_t type) {
    switch (type) {
    case 0x04: case 0x06: case 0x0E: return "FAT16";
    case 0x0B: case 0x0C: return "FAT32";
    case 0x07: return "NTFS";
    default: return {};
    }
}

// Inside an extended partition a FAT12 entry (type 0x01) is listed as FAT16 too.
std::string fileSystemOfLogicalType(std::uint8_t type) {
    return type == 0x01 ? std::string("FAT16") : fileSystemOfPrimaryType(type);
}

// Reads one sector into a cleared buffer, so a failed read never leaves an older sector behind to be
// classified a second time.
Sector readClearedSector(const PartitionWalkTarget& target, int disk, std::uint64_t sector) {
    Sector buffer{};
    ReadSectors(target.devices, target.volumes.diskPathTable[static_cast<std::size_t>(disk)], sector, 1,
                buffer.data());
    return buffer;
}

class PartitionRecorder {
public:
    PartitionRecorder(PartitionWalkTarget target, int disk, NodeId diskNode)
        : m_target(target), m_list(target.volumes.partitionLists[static_cast<std::size_t>(disk)]),
          m_diskNode(diskNode) {}

    // Records partition number n; beyond the list's capacity nothing more is recorded.
    void record(int n, const std::string& fileSystem, std::uint64_t start, std::uint64_t end) {
        if (n >= kMaxPartitions)
            return;
        PartitionRow& row = m_list.rows[static_cast<std::size_t>(n)];
        row.fileSystem = fileSystem;
        row.index = n;
        row.start = start;
        row.end = end;
        row.node = m_target.tree ? AddPartitionNode(m_target.tree, partitionLabel(n + 1, fileSystem), m_diskNode)
                                 : kNoNode;
        m_list.count = n + 1;
    }

private:
    PartitionWalkTarget m_target;
    PartitionList& m_list;
    NodeId m_diskNode;
};

} // namespace

std::string partitionLabel(int number, const std::string& fileSystem) {
    return "Partition - " + std::to_string(number) + " ( " + fileSystem + " )";
}

NodeId AddPartitionNode(DriveTree* tree, const std::string& label, NodeId parent) {
    if (!tree || parent == kNoNode)
        return parent;
    if (tree->node(parent).label.find("Partition") != std::string::npos)
        return parent;
    NodeId node = tree->addNode(label, kImageVolume, parent);
    tree->expand(parent);
    return node;
}

int ReadGuidPartitionEntries(PartitionWalkTarget target, int disk, NodeId diskNode, int nextNumber) {
    PartitionRecorder recorder(target, disk, diskNode);
    int n = nextNumber;
    for (std::uint64_t s = kFirstGptEntrySector; s <= kLastGptEntrySector; ++s) {
        Sector entrySector = readClearedSector(target, disk, s);
        for (const GptEntry& entry : parseGptEntries(entrySector)) {
            if (entry.typeGuid == kMicrosoftReservedGuid)
                continue;
            if (entry.lastSector == 0)
                return n; // the end of the used entries
            std::string name = fileSystemLabel(readClearedSector(target, disk, entry.firstSector));
            if (name.empty())
                continue;
            recorder.record(n, name, entry.firstSector, entry.lastSector);
            ++n;
        }
    }
    return n;
}

void WalkPartitionTable(PartitionWalkTarget target, int disk, std::uint64_t totalSectors, NodeId diskNode) {
    if (disk < 0 || disk >= kMaxDisks)
        return;
    Sector mbr = readClearedSector(target, disk, 0);
    if (!hasBootSignature(mbr))
        return;

    PartitionRecorder recorder(target, disk, diskNode);
    int n = 0;
    bool followChain = false;
    std::uint64_t extendedBase = 0;

    for (const MbrEntry& entry : parseMbrEntries(mbr)) {
        if (entry.type == 0)
            continue;
        if (static_cast<std::int64_t>(totalSectors) - static_cast<std::int64_t>(entry.firstSector) <
            kMinimumSectorsToDiskEnd)
            return; // no further primary entries and no extended chain
        Sector boot = readClearedSector(target, disk, entry.firstSector);
        std::string name = fileSystemLabel(boot);
        if (name.empty() && isGptHeader(boot)) {
            n = ReadGuidPartitionEntries(target, disk, diskNode, n);
            break;
        }
        if (name.empty() && isExtendedType(entry.type)) {
            extendedBase = entry.firstSector;
            followChain = true;
            continue;
        }
        if (name.empty())
            name = fileSystemOfPrimaryType(entry.type);
        if (name.empty())
            continue;
        recorder.record(n, name, entry.firstSector, std::uint64_t{entry.firstSector} + entry.sectorCount);
        ++n;
    }

    // The chain of extended boot records. A link back to an EBR already read would loop for ever: a chain
    // stops at the first repeat.
    std::set<std::uint64_t> visited;
    std::uint64_t pendingOffset = 0;
    while (followChain && visited.size() < kMaxExtendedLinks) {
        followChain = false;
        std::uint64_t ebrSector = extendedBase + pendingOffset;
        if (!visited.insert(ebrSector).second)
            break;
        Sector ebr = readClearedSector(target, disk, ebrSector);
        auto entries = parseMbrEntries(ebr);
        for (std::size_t i = 0; i < 2; ++i) {
            const MbrEntry& entry = entries[i];
            if (entry.type == 0)
                continue;
            if (isExtendedType(entry.type)) {
                pendingOffset = entry.firstSector;
                followChain = true;
                continue;
            }
            std::uint64_t start = ebrSector + entry.firstSector;
            std::string name = fileSystemLabel(readClearedSector(target, disk, start));
            if (name.empty())
                name = fileSystemOfLogicalType(entry.type);
            if (name.empty())
                continue;
            recorder.record(n, name, start, start + entry.sectorCount);
            ++n;
        }
    }
}

} // namespace salvora
