// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/deep/deep_fat_volumes.h"

#include <array>
#include <vector>

#include "fsrecovery/deep/deep_fat_rows.h"
#include "fsrecovery/fat/directory_entry.h"
#include "fsrecovery/fat/fat_names.h"
#include "storage/sector_reader.h"

namespace salvora::deep {
namespace {

constexpr std::uint32_t kDefaultFat16RootSectors = 32; // 512 entries
constexpr std::uint32_t kDefaultFat32RootCluster = 2;
constexpr std::uint64_t kFat16CopySearchSpan = 550;
constexpr std::uint64_t kFat32CopySearchSpan = 30000;
constexpr std::uint64_t kFirstSearchedSector = 63;
constexpr std::uint32_t kCopySearchBlock = 64; // sectors read at once; each is still tested on its own

std::uint32_t cell32(const TextTable& table, std::size_t row, std::size_t column) {
    return static_cast<std::uint32_t>(cellValue(table.cell(row, column)));
}

} // namespace

VolumeParameters ParametersOfVolumeRow(const TextTable& table, std::size_t row, std::string& partType) {
    partType = table.cell(row, volume_row::PartType);
    VolumeParameters params;
    params.Cluster0Start = cellValue(table.cell(row, volume_row::Cluster0Start));
    params.SPF = cell32(table, row, volume_row::SPF);
    params.SPC = cell32(table, row, volume_row::SPC);
    params.RootSec = cell32(table, row, volume_row::RootSectors);
    if (params.RootSec == 0 && partType == "FAT16")
        params.RootSec = kDefaultFat16RootSectors;
    params.RootStartSec = cell32(table, row, volume_row::RootStart);
    if (params.RootStartSec == 0)
        params.RootStartSec = kDefaultFat32RootCluster;
    params.ReserveSecStart = cell32(table, row, volume_row::ReserveSectors);
    params.firstFAT = cell32(table, row, volume_row::FirstFat);
    params.secondFAT = cell32(table, row, volume_row::SecondFat);
    return params;
}

bool DeepFatVolumes::active() const {
    return m_deep.VolumeCount > 0 && m_deep.fileSystem != "NTFS";
}

void DeepFatVolumes::LoadVolumeRow(std::uint64_t n) {
    if (!active() || n == 0 || n > m_tables.VolumeParamTable.rowCount())
        return;
    std::string partType;
    m_volumes.volumeParameters = ParametersOfVolumeRow(m_tables.VolumeParamTable, n - 1, partType);
    m_volumes.partType = partType;
    m_deep.currentVolume = n;
}

void DeepFatVolumes::SelectVolumeByCluster0Start(std::uint64_t z) {
    if (!active() || (m_deep.currentVolume != 0 && z == m_volumes.volumeParameters.Cluster0Start))
        return;
    const TextTable& table = m_tables.VolumeParamTable;
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        if (cellValue(table.cell(row, volume_row::Cluster0Start)) == z)
            LoadVolumeRow(row + 1);
}

fat::FatVolume DeepFatVolumes::currentFatVolume(const DeviceNamespace& devices,
                                                const std::string& devicePath) const {
    return fat::FatVolume(devices, devicePath, m_volumes.volumeParameters, m_volumes.partType == "FAT32");
}

void FindFatCopies(const DeviceNamespace& devices, const std::string& devicePath, TextTable& volumes,
                   std::size_t row, ProgressSink& progress) {
    const std::string partType = volumes.cell(row, volume_row::PartType);
    const bool fat32 = partType == "FAT32";
    const std::uint64_t z = cellValue(volumes.cell(row, volume_row::Cluster0Start));
    const std::uint64_t span = fat32 ? kFat32CopySearchSpan : kFat16CopySearchSpan;
    std::uint64_t start = z > span ? z - span : 0;
    if (start == 0)
        start = kFirstSearchedSector;
    if (start >= z)
        return;

    DeviceHandle handle;
    if (!handle.open(devices, devicePath))
        return;
    progress.setRange(start, z);
    std::vector<std::byte> block(std::size_t{kCopySearchBlock} * kSectorSize);
    std::uint64_t copies[2] = {0, 0};
    int found = 0;
    for (std::uint64_t sector = start; sector < z && found < 2; sector += kCopySearchBlock) {
        progress.setPosition(sector);
        const std::uint64_t count = std::min<std::uint64_t>(kCopySearchBlock, z - sector);
        handle.seek(sector);
        std::size_t got = 0;
        if (!handle.read(block.data(), count * kSectorSize, got))
            continue;
        for (std::uint64_t i = 0; i < got / kSectorSize && found < 2; ++i) {
            const ByteSpan bytes(block.data() + i * kSectorSize, kSectorSize);
            if (le8(bytes, 0) == 0xF8 && le8(bytes, 1) == 0xFF && le8(bytes, 2) == 0xFF)
                copies[found++] = sector + i;
        }
    }
    if (found >= 1)
        volumes.setCell(row, volume_row::FirstFat, std::to_string(copies[0]));
    if (found < 2)
        return;
    volumes.setCell(row, volume_row::SecondFat, std::to_string(copies[1]));
    const std::uint64_t spf = copies[1] - copies[0];
    volumes.setCell(row, volume_row::SPF, std::to_string(spf));
    volumes.setCell(row, volume_row::RootStart,
                    std::to_string(fat32 ? kDefaultFat32RootCluster : copies[1] + spf));
}

int ValidateRootDirectory(const DeviceNamespace& devices, const std::string& devicePath,
                          const VolumeParameters& params, bool fat32) {
    fat::FatVolume volume(devices, devicePath, params, fat32);
    StopFlag never{false};
    const std::vector<std::uint64_t> sectors =
        volume.directorySectors(fat32 ? params.RootStartSec : 0, never);
    // Long names are followed back within the root directory only.
    const fat::PrecedingSectorReader readPreceding = [&](std::uint64_t sector, std::uint64_t& preceding,
                                                         std::array<std::byte, kSectorSize>& out) {
        for (std::size_t i = 1; i < sectors.size(); ++i)
            if (sectors[i] == sector) {
                preceding = sectors[i - 1];
                return volume.readSectors(preceding, 1, out.data());
            }
        return false;
    };
    int named = 0;
    std::array<std::byte, kSectorSize> buffer{};
    for (std::uint64_t sectorNumber : sectors) {
        if (!volume.readSectors(sectorNumber, 1, buffer.data()))
            continue;
        const ByteSpan sector(buffer.data(), buffer.size());
        for (std::size_t i = 0; i < fat::kEntriesPerSector; ++i) {
            const std::size_t offset = i * fat::kEntrySize;
            const fat::ShortEntry entry = fat::parseShortEntry(sector, offset, fat32);
            if (entry.endOfDirectory()) {
                if (fat32)
                    return 0; // the end of the FAT32 root; a FAT16 root goes on with its next sector
                break;
            }
            if (fat::isDotEntry(sector, offset) || entry.longName() || entry.directory())
                continue;
            if (!fat::NameEntry(sector, offset, sectorNumber, readPreceding).name.empty() && ++named == 2)
                return 2;
        }
    }
    return 0;
}

} // namespace salvora::deep
