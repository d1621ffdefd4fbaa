// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/os_volumes.h"

#include <algorithm>
#include <array>
#include <set>

#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"
#include "volumes/partition_entries.h"

namespace salvora {
namespace {

using Sector = std::array<std::byte, kSectorSize>;

constexpr std::size_t kMaxVolumes = 128;
constexpr std::uint32_t kMaxGptEntries = 1024;

bool readSector(OpenMedium& disk, std::uint64_t sector, Sector& out) {
    out.fill(std::byte{0});
    auto got = disk.readAt(sector * kSectorSize, out);
    return got && *got == out.size();
}

bool isExtendedType(std::uint8_t type) { return type == 0x05 || type == 0x0F || type == 0x85; }

class VolumeCollector {
public:
    explicit VolumeCollector(OpenMedium& disk) : m_disk(disk) {}

    void consider(std::uint64_t start, std::uint64_t count) {
        Sector boot;
        if (m_volumes.size() >= kMaxVolumes || count == 0 || !readSector(m_disk, start, boot))
            return;
        std::string name = reportedFileSystemName(boot);
        if (!name.empty())
            m_volumes.push_back(OsVolume{start, count, std::move(name)});
    }
    std::vector<OsVolume> take() { return std::move(m_volumes); }

private:
    OpenMedium& m_disk;
    std::vector<OsVolume> m_volumes;
};

// The GUID table as its header describes it (sector 1): entry array position, count and entry size.
void collectGpt(OpenMedium& disk, const Sector& header, VolumeCollector& collector) {
    std::uint64_t entriesLba = le64(header, 0x48);
    std::uint32_t entryCount = std::min(le32(header, 0x50), kMaxGptEntries);
    std::uint32_t entrySize = le32(header, 0x54);
    if (entrySize < kGptEntrySize || entrySize > kSectorSize || kSectorSize % entrySize != 0)
        return;
    std::uint32_t perSector = kSectorSize / entrySize;
    Sector sector;
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        if (i % perSector == 0 && !readSector(disk, entriesLba + i / perSector, sector))
            return;
        ByteSpan entry = ByteSpan(sector).subspan((i % perSector) * entrySize, kGptEntrySize);
        GptEntry parsed = parseGptEntries(entry)[0];
        if (parsed.typeGuid == Guid{} || parsed.lastSector < parsed.firstSector)
            continue;
        collector.consider(parsed.firstSector, parsed.lastSector - parsed.firstSector + 1);
    }
}

void collectExtendedChain(OpenMedium& disk, std::uint64_t base, VolumeCollector& collector) {
    std::set<std::uint64_t> visited;
    std::uint64_t ebrSector = base;
    Sector ebr;
    while (visited.insert(ebrSector).second && visited.size() <= kMaxVolumes && readSector(disk, ebrSector, ebr) &&
           hasBootSignature(ebr)) {
        auto entries = parseMbrEntries(ebr);
        if (entries[0].type != 0 && !isExtendedType(entries[0].type))
            collector.consider(ebrSector + entries[0].firstSector, entries[0].sectorCount);
        if (!isExtendedType(entries[1].type))
            break;
        ebrSector = base + entries[1].firstSector;
    }
}

} // namespace

std::vector<OsVolume> ListOsVolumes(const Medium& medium) {
    auto disk = medium.open();
    Sector first;
    if (!disk || !readSector(*disk, 0, first) || !hasBootSignature(first))
        return {};
    VolumeCollector collector(*disk);
    // A card formatted without a partition table carries its file system in sector 0.
    if (!reportedFileSystemName(first).empty()) {
        auto size = medium.size();
        collector.consider(0, size ? *size / kSectorSize : 0);
        return collector.take();
    }
    auto entries = parseMbrEntries(first);
    Sector header;
    if (entries[0].type == 0xEE && readSector(*disk, 1, header) && bytesEqual(header, 0, "EFI PART")) {
        collectGpt(*disk, header, collector);
        return collector.take();
    }
    for (const MbrEntry& entry : entries) {
        if (entry.type == 0)
            continue;
        if (isExtendedType(entry.type))
            collectExtendedChain(*disk, entry.firstSector, collector);
        else
            collector.consider(entry.firstSector, entry.sectorCount);
    }
    return collector.take();
}

} // namespace salvora
