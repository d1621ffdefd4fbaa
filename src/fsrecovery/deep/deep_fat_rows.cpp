// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/deep/deep_fat_rows.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <unordered_map>

#include "fsrecovery/fat/directory_entry.h"
#include "fsrecovery/folder_tree.h"
#include "storage/sector_reader.h"

namespace salvora::deep {
namespace {

constexpr std::uint32_t kNoVolumeNumber = 4294967295u;
constexpr std::uint64_t kFat32ClusterFloor = 65536; // no FAT16 volume has a cluster number above this

std::string text(std::uint64_t value) {
    return std::to_string(value);
}

// One DirectoryTable row as numbers, for the assignment.
struct Directory {
    std::uint64_t sector = 0;
    std::uint64_t self = 0;
    std::uint64_t volume = 0;
    std::uint64_t cluster0Start = 0;
    bool settled() const { return volume != 0; }
};

// The fields of a found boot sector the first pass compares.
struct FoundBootSector {
    std::uint64_t spc = 0;
    std::uint64_t cluster0Start = 0;
    std::uint64_t totalSectors = 0;
};

std::vector<Directory> readDirectories(const TextTable& table) {
    std::vector<Directory> rows(table.rowCount());
    for (std::size_t r = 0; r < rows.size(); ++r) {
        rows[r].sector = cellValue(table.cell(r, directory_row::Sector));
        rows[r].self = cellValue(table.cell(r, directory_row::Self));
        rows[r].volume = cellValue(table.cell(r, directory_row::Volume));
        rows[r].cluster0Start = cellValue(table.cell(r, directory_row::Cluster0Start));
    }
    return rows;
}

void writeDirectories(const std::vector<Directory>& rows, TextTable& table) {
    for (std::size_t r = 0; r < rows.size(); ++r) {
        if (!rows[r].settled())
            continue;
        table.setCell(r, directory_row::Volume, text(rows[r].volume));
        table.setCell(r, directory_row::Cluster0Start, text(rows[r].cluster0Start));
    }
}

void copyFoundRow(const TextTable& found, std::size_t row, TextTable& volumes) {
    std::vector<std::string> cells;
    for (std::size_t c = 0; c < volume_row::FoundColumns; ++c)
        cells.push_back(found.cell(row, c));
    volumes.appendRow(cells);
}

// First pass: a directory belongs to the first boot sector (in scan order) whose cluster 0 and cluster size
// place the directory's own cluster exactly at the directory's sector, within the volume. Boot sectors are
// grouped by cluster size and cluster-0 sector, so each directory costs one lookup per distinct cluster size.
void assignByBootSectors(const TextTable& found, std::vector<Directory>& directories, TextTable& volumes,
                         std::uint64_t& volumeCount) {
    std::vector<FoundBootSector> boots(found.rowCount());
    // cluster size -> cluster-0 sector -> boot rows in scan order
    std::map<std::uint64_t, std::unordered_map<std::uint64_t, std::vector<std::size_t>>> byGeometry;
    for (std::size_t f = 0; f < boots.size(); ++f) {
        boots[f] = {cellValue(found.cell(f, volume_row::SPC)),
                    cellValue(found.cell(f, volume_row::Cluster0Start)),
                    cellValue(found.cell(f, volume_row::TotalSectors))};
        byGeometry[boots[f].spc][boots[f].cluster0Start].push_back(f);
    }
    std::vector<std::vector<std::size_t>> directoriesOf(boots.size());
    for (std::size_t d = 0; d < directories.size(); ++d) {
        const Directory& dir = directories[d];
        if (dir.settled())
            continue;
        std::size_t best = boots.size();
        for (const auto& [spc, byCluster0] : byGeometry) {
            // self x SPC + Cluster0Start == sector with Cluster0Start <= sector.
            if (spc != 0 && dir.self > dir.sector / spc)
                continue;
            const std::uint64_t cluster0 = dir.sector - dir.self * spc;
            auto candidates = byCluster0.find(cluster0);
            if (candidates == byCluster0.end())
                continue;
            for (std::size_t f : candidates->second)
                if (dir.sector <= boots[f].totalSectors) {
                    best = std::min(best, f);
                    break;
                }
        }
        if (best < boots.size())
            directoriesOf[best].push_back(d);
    }
    for (std::size_t f = 0; f < boots.size(); ++f) {
        if (directoriesOf[f].empty())
            continue;
        copyFoundRow(found, f, volumes);
        ++volumeCount;
        for (std::size_t d : directoriesOf[f]) {
            directories[d].volume = volumeCount;
            directories[d].cluster0Start = boots[f].cluster0Start;
        }
    }
}

// The rows that could lie on a volume with cluster size q: those with self x q < sector, keyed by the
// cluster-0 sector they imply.
using PairIndex = std::unordered_map<std::uint64_t, std::vector<std::size_t>>;

std::vector<PairIndex> indexForPairs(const std::vector<Directory>& directories) {
    std::vector<PairIndex> index(std::size(kPairQuotients));
    for (std::size_t i = 0; i < std::size(kPairQuotients); ++i) {
        const std::uint64_t q = kPairQuotients[i];
        for (std::size_t r = 0; r < directories.size(); ++r)
            if (!directories[r].settled() && directories[r].self * q < directories[r].sector)
                index[i][directories[r].sector - directories[r].self * q].push_back(r);
    }
    return index;
}

bool consistentPair(const Directory& a, const Directory& b, std::uint64_t q) {
    if (!(a.self < b.self && a.sector < b.sector && b.self < b.sector && b.self < a.sector))
        return false;
    const std::uint64_t sectorDifference = b.sector - a.sector;
    const std::uint64_t selfDifference = b.self - a.self;
    return sectorDifference == q * selfDifference && a.self * q < a.sector && b.self * q < b.sector &&
           a.sector - a.self * q == b.sector - b.self * q;
}

struct PairMatch {
    std::size_t partner = std::numeric_limits<std::size_t>::max();
    std::size_t quotientIndex = 0;
};

// The first later unsettled row that forms a consistent pair with row a, over every cluster size.
PairMatch firstPartner(const std::vector<Directory>& directories, const std::vector<PairIndex>& index,
                       std::size_t a) {
    PairMatch match;
    const Directory& first = directories[a];
    for (std::size_t i = 0; i < std::size(kPairQuotients); ++i) {
        const std::uint64_t q = kPairQuotients[i];
        if (first.self * q >= first.sector)
            continue;
        auto rows = index[i].find(first.sector - first.self * q);
        if (rows == index[i].end())
            continue;
        auto from = std::upper_bound(rows->second.begin(), rows->second.end(), a);
        for (auto it = from; it != rows->second.end() && *it < match.partner; ++it)
            if (!directories[*it].settled() && consistentPair(first, directories[*it], q)) {
                match = {*it, i};
                break;
            }
    }
    return match;
}

// Second pass: directories still unassigned are paired. The first consistent pair fixes a volume of
// cluster size q with cluster 0 at C0; every other unassigned directory at self x q + C0 joins it. A row
// that pairs with nothing belongs to no volume.
void assignByPairs(std::vector<Directory>& directories, TextTable& volumes, std::uint64_t& volumeCount,
                   const std::string& chosenFileSystem, ProgressSink& progress) {
    const std::vector<PairIndex> index = indexForPairs(directories);
    std::uint64_t lastCluster0 = 0;
    const std::uint64_t total = directories.size();
    std::uint64_t settled = 0;
    for (const Directory& dir : directories)
        settled += dir.settled() ? 1 : 0;
    progress.setRange(0, 100);
    for (std::size_t a = 0; a < directories.size(); ++a) {
        if (directories[a].settled())
            continue;
        const PairMatch match = firstPartner(directories, index, a);
        if (match.partner == std::numeric_limits<std::size_t>::max()) {
            directories[a].volume = kNoVolumeNumber;
            directories[a].cluster0Start = lastCluster0;
            ++settled;
        } else {
            const std::uint64_t q = kPairQuotients[match.quotientIndex];
            const std::uint64_t cluster0 = directories[a].sector - directories[a].self * q;
            lastCluster0 = cluster0;
            ++volumeCount;
            const std::size_t row = volumes.appendRow();
            volumes.setCell(row, volume_row::Sector, "0");
            volumes.setCell(row, volume_row::SPC, text(q));
            volumes.setCell(row, volume_row::Cluster0Start, text(cluster0));
            volumes.setCell(row, volume_row::PartType, chosenFileSystem);
            std::uint64_t largestSelf = directories[match.partner].self;
            for (std::size_t member : {a, match.partner}) {
                directories[member].volume = volumeCount;
                directories[member].cluster0Start = cluster0;
                ++settled;
            }
            for (std::size_t r : index[match.quotientIndex].at(cluster0)) {
                if (directories[r].settled())
                    continue;
                directories[r].volume = volumeCount;
                directories[r].cluster0Start = cluster0;
                largestSelf = std::max(largestSelf, directories[r].self);
                ++settled;
            }
            // Cluster numbers above 65536 exist on FAT32 only, whatever the user chose.
            if (largestSelf > kFat32ClusterFloor && chosenFileSystem != "FAT32")
                volumes.setCell(row, volume_row::PartType, "FAT32");
        }
        progress.setPosition(total == 0 ? 100 : settled * 100 / total);
    }
}

} // namespace

std::uint64_t cellValue(const std::string& cell) {
    std::uint64_t value = 0;
    std::from_chars(cell.data(), cell.data() + cell.size(), value);
    return value;
}

std::optional<std::vector<std::string>> BootSectorRow(ByteSpan sector, std::uint64_t sectorNumber) {
    if (sector.size() < kSectorSize || le8(sector, 510) != 0x55 || le8(sector, 511) != 0xAA)
        return std::nullopt;
    const bool fat32 = bytesEqual(sector, 0x55, "32");
    if (!fat32 && !bytesEqual(sector, 0x39, "16"))
        return std::nullopt;
    // 64-bit arithmetic throughout: damaged fields give far-away numbers, never wrapped small ones that
    // would match real directories.
    const std::uint64_t S = sectorNumber;
    const std::uint64_t K = le8(sector, 0x0D);
    const std::uint64_t R = le16(sector, 0x0E);
    const std::uint64_t F = fat32 ? le32(sector, 0x24) : le16(sector, 0x16);
    const std::uint64_t rootSectors = fat32 ? 0 : le16(sector, 0x11) / 16;
    const std::uint64_t rootStart = fat32 ? le32(sector, 0x2C) : S + R + 2 * F;
    const std::uint64_t dataStart = S + R + 2 * F + rootSectors;
    const std::uint64_t cluster0 = dataStart - 2 * K; // wraps to a huge number for a damaged sector
    std::uint64_t count = le32(sector, 0x20);
    if (count == 0)
        count = le16(sector, 0x13);
    return std::vector<std::string>{
        text(S),        text(F),     text(K),         text(rootSectors), text(rootStart),          text(R),
        text(cluster0), text(S + R), text(S + R + F), text(S + count),   fat32 ? "FAT32" : "FAT16"};
}

std::optional<std::vector<std::string>> DirectoryStartRow(ByteSpan sector, std::uint64_t sectorNumber) {
    if (sector.size() < kSectorSize || !fat::isDirectoryStart(sector))
        return std::nullopt;
    const std::uint64_t self = std::uint64_t{le16(sector, 20)} * 65536 + le16(sector, 26);
    const std::uint64_t parent = std::uint64_t{le16(sector, 52)} * 65536 + le16(sector, 58);
    return std::vector<std::string>{
        text(sectorNumber), text(self), text(parent), "0", text(le16(sector, 24)), text(le16(sector, 22))};
}

void ExamineChunk(ByteSpan chunk, std::uint64_t firstSector, ScanTables& tables) {
    const std::size_t sectors = chunk.size() / kSectorSize;
    for (std::size_t i = 0; i < sectors; ++i) {
        const ByteSpan sector = chunk.subspan(i * kSectorSize, kSectorSize);
        // Cheap byte tests first: most sectors are neither, and this loop runs over every sector of a card.
        const bool signature = le8(sector, 510) == 0x55 && le8(sector, 511) == 0xAA;
        const bool dot = le8(sector, 0) == '.';
        if (!signature && !dot)
            continue;
        if (signature)
            if (auto row = BootSectorRow(sector, firstSector + i))
                tables.VolumeParamTableFound.appendRow(*row);
        if (dot)
            if (auto row = DirectoryStartRow(sector, firstSector + i))
                tables.DirectoryTable.appendRow(*row);
    }
}

std::uint64_t AssignDirectories(ScanTables& tables, bool singleVolume, const std::string& chosenFileSystem,
                                ProgressSink& progress) {
    TextTable& volumes = tables.VolumeParamTable;
    volumes.clear();
    if (singleVolume) {
        copyFoundRow(tables.VolumeParamTableFound, 0, volumes);
        return 1;
    }
    std::uint64_t volumeCount = 0;
    std::vector<Directory> directories = readDirectories(tables.DirectoryTable);
    progress.setRange(0, directories.size());
    assignByBootSectors(tables.VolumeParamTableFound, directories, volumes, volumeCount);
    progress.setPosition(directories.size());
    assignByPairs(directories, volumes, volumeCount, chosenFileSystem, progress);
    writeDirectories(directories, tables.DirectoryTable);
    return volumeCount;
}

} // namespace salvora::deep
