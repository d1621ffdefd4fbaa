// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/lost_directories.h"

#include <vector>

#include "fsrecovery/fat/directory_entry.h"
#include "fsrecovery/folder_tree.h"
#include "storage/sector_reader.h"

namespace salvora::fat {
namespace {

constexpr std::uint64_t kChunkSectors = kScanChunkBytes / kSectorSize;

void addDirectoryRow(TextTable& foundFolders, ByteSpan firstSector, std::uint64_t sector, std::uint32_t self,
                     std::uint64_t number, bool fat32) {
    const ShortEntry dot = parseShortEntry(firstSector, 0, fat32);
    std::size_t row = foundFolders.appendRow();
    foundFolders.setCell(row, found_folder::Name, "DIR" + std::to_string(number));
    foundFolders.setCell(row, found_folder::Sector, std::to_string(sector));
    foundFolders.setCell(row, found_folder::Self, std::to_string(self));
    foundFolders.setCell(row, found_folder::Parent, std::to_string(parentCluster(firstSector, fat32)));
    foundFolders.setCell(row, found_folder::Date, std::to_string(dot.date));
    foundFolders.setCell(row, found_folder::Time, std::to_string(dot.time));
    foundFolders.setCell(row, found_folder::Size, std::to_string(dot.size));
    foundFolders.setCell(row, found_folder::Attr, std::to_string(dot.attributes));
    if (!fat32)
        foundFolders.setCell(row, found_folder::SysID, "0");
    foundFolders.setCell(row, found_folder::Type, "FOLDER");
}

} // namespace

LostDirectoryScan ScanLostDirectories(const DeviceNamespace& devices, const std::string& devicePath,
                                      const VolumeParameters& params, bool fat32, std::uint64_t endSector,
                                      TextTable& foundFolders, ProgressSink& progress, const StopFlag& stop) {
    LostDirectoryScan result;
    AppendMiscellaneousRow(foundFolders);
    const std::uint64_t spc = params.SPC;
    const std::uint64_t dataStart = params.Cluster0Start + 2 * spc;
    progress.setStatus("sectors scanned of total " + std::to_string(endSector));
    progress.setRange(dataStart, endSector);
    if (spc == 0)
        return result;

    DeviceHandle handle;
    if (!handle.open(devices, devicePath))
        return result;
    result.deviceOpened = true;

    std::vector<std::byte> chunk(kScanChunkBytes);
    std::uint64_t expectedCluster = 2;
    std::uint64_t clusterSector = dataStart;
    std::uint64_t rowNumber = 1;
    for (std::uint64_t position = dataStart; position < endSector; position += kChunkSectors) {
        if (stop) {
            result.stopped = true;
            break;
        }
        progress.setPosition(position);
        handle.seek(position);
        std::size_t bytesRead = 0;
        const bool readOk = handle.read(chunk.data(), chunk.size(), bytesRead);
        // Every cluster that starts inside this chunk; its number advances whether or not it could be read.
        for (; clusterSector < position + kChunkSectors; clusterSector += spc, ++expectedCluster) {
            if (!readOk)
                continue;
            const std::uint64_t offset = (clusterSector - position) * kSectorSize;
            if (offset + kSectorSize > bytesRead)
                continue;
            ByteSpan first(chunk.data() + offset, kSectorSize);
            if (!isDirectoryStart(first) || selfCluster(first, fat32) != expectedCluster)
                continue;
            addDirectoryRow(foundFolders, first, clusterSector, static_cast<std::uint32_t>(expectedCluster),
                            rowNumber++, fat32);
            ++result.rowsAdded;
        }
        // The clusters run past the end of the medium: nothing more to read.
        if (readOk && bytesRead < chunk.size())
            break;
    }
    progress.setPosition(endSector);
    return result;
}

} // namespace salvora::fat
