// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/parameter_recovery.h"

#include <array>
#include <vector>

#include "base/bytes.h"
#include "fsrecovery/fat/directory_entry.h"
#include "storage/sector_reader.h"

namespace salvora::fat {
namespace {

constexpr std::uint32_t kReadSectors = 512;

// The reserved sectors before the first FAT: the distance from the volume start of the last sector of a small
// window that begins with the FAT's first bytes 0xF8 0xFF.
std::uint32_t findReservedSectors(DeviceHandle& handle, std::uint64_t startSector, bool fat32) {
    const std::uint64_t first = fat32 ? startSector + 30 : startSector;
    const std::uint32_t count = fat32 ? 30 : 10;
    std::uint32_t reserved = 0;
    std::array<std::byte, kSectorSize> sector{};
    for (std::uint32_t i = 0; i < count; ++i) {
        handle.seek(first + i);
        std::size_t bytesRead = 0;
        if (!handle.read(sector.data(), sector.size(), bytesRead) || bytesRead < 2)
            continue;
        ByteSpan bytes(sector.data(), sector.size());
        if (le8(bytes, 0) == 0xF8 && le8(bytes, 1) == 0xFF)
            reserved = static_cast<std::uint32_t>(first + i - startSector);
    }
    if (reserved == 0)
        reserved = fat32 ? 32 : 1;
    return reserved;
}

} // namespace

std::optional<VolumeParameters> parametersFromPair(const DirectoryStartAt& reference,
                                                   const DirectoryStartAt& later, std::uint64_t startSector,
                                                   std::uint32_t reserved, bool fat32) {
    const std::int64_t s1 = static_cast<std::int64_t>(reference.sector);
    const std::int64_t s2 = static_cast<std::int64_t>(later.sector);
    const std::int64_t c1 = reference.cluster;
    const std::int64_t c2 = later.cluster;
    if (c2 == c1 || !(c2 < s2 && c2 < s1))
        return std::nullopt;
    const std::int64_t clusterDistance = c2 - c1;
    const std::int64_t sectorDistance = s2 - s1;
    if (sectorDistance % clusterDistance != 0)
        return std::nullopt;
    const std::int64_t spc = sectorDistance / clusterDistance;
    if (spc != 1 && spc != 2 && spc != 4 && spc != 8 && spc != 16 && spc != 32 && spc != 64 && spc != 128)
        return std::nullopt;
    const std::int64_t start = static_cast<std::int64_t>(startSector);
    const std::int64_t d1 = s1 - spc * (c1 - 2) - reserved - start;
    const std::int64_t d2 = s2 - spc * (c2 - 2) - reserved - start;
    const std::int64_t cluster0 = s1 - c1 * spc;
    // The data area cannot lie before the reserved sectors (and, on FAT16, the 32 root sectors).
    if (d1 != d2 || d1 < (fat32 ? 0 : 32) || cluster0 < 0)
        return std::nullopt;

    VolumeParameters params;
    params.SPC = static_cast<std::uint32_t>(spc);
    params.ReserveSecStart = reserved;
    params.Cluster0Start = static_cast<std::uint64_t>(cluster0);
    params.firstFAT = static_cast<std::uint32_t>(startSector + reserved);
    if (fat32) {
        params.RootSec = 0;
        params.RootStartSec = 2;
        params.SPF = static_cast<std::uint32_t>(d1 / 2);
        params.secondFAT = params.firstFAT + params.SPF;
    } else {
        params.RootSec = 32;
        params.SPF = static_cast<std::uint32_t>((d1 - 32) / 2);
        params.secondFAT = params.firstFAT + params.SPF;
        params.RootStartSec = params.firstFAT + 2 * params.SPF;
    }
    return params;
}

bool RecoverFatParameters(const DeviceNamespace& devices, const std::string& devicePath, bool fat32,
                          std::uint64_t startSector, std::uint64_t endSector, VolumeParameters& params,
                          ProgressSink& progress, const StopFlag& stop) {
    DeviceHandle handle;
    if (!handle.open(devices, devicePath))
        return false;
    const std::uint32_t reserved = findReservedSectors(handle, startSector, fat32);

    progress.setStatus("/ " + std::to_string(endSector));
    progress.setRange(startSector, endSector);
    std::vector<std::byte> chunk(static_cast<std::size_t>(kReadSectors) * kSectorSize);
    std::optional<DirectoryStartAt> reference;
    for (std::uint64_t position = startSector; position < endSector; position += kReadSectors) {
        if (stop)
            return false;
        progress.setPosition(position);
        handle.seek(position);
        std::size_t bytesRead = 0;
        if (!handle.read(chunk.data(), chunk.size(), bytesRead))
            continue;
        for (std::size_t offset = 0; offset + kSectorSize <= bytesRead; offset += kSectorSize) {
            const std::uint64_t sectorNumber = position + offset / kSectorSize;
            if (sectorNumber >= endSector)
                break;
            ByteSpan sector(chunk.data() + offset, kSectorSize);
            if (!isDirectoryStart(sector))
                continue;
            const DirectoryStartAt here{sectorNumber, selfCluster(sector, fat32)};
            if (!reference) {
                if (here.cluster >= 2)
                    reference = here;
                continue;
            }
            if (auto found = parametersFromPair(*reference, here, startSector, reserved, fat32)) {
                const VolumeParameters kept = params;
                params = *found;
                // What the boot sector gave for NTFS stays as it was.
                params.MftStartSector = kept.MftStartSector;
                params.MftMirrorSector = kept.MftMirrorSector;
                params.SectorsPerMftRecord = kept.SectorsPerMftRecord;
                params.SectorsPerIndexRecord = kept.SectorsPerIndexRecord;
                return true;
            }
        }
        if (bytesRead < chunk.size())
            break;
    }
    return false;
}

} // namespace salvora::fat
