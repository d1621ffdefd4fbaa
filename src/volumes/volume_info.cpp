// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/volume_info.h"

#include <array>
#include <vector>

#include "base/text.h"
#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"

namespace salvora {
namespace {

constexpr std::size_t kDirEntrySize = 32;
// The label entry is among the first entries of the root; looking further is not worth the reads.
constexpr std::uint32_t kMaxRootSectors = 64;
constexpr std::uint32_t kNtfsAttributeVolumeName = 0x60;
constexpr std::uint32_t kNtfsAttributeEnd = 0xFFFFFFFF;
constexpr std::size_t kMaxMftRecordBytes = 4096;

bool readBytes(OpenMedium& volume, std::uint64_t offset, std::span<std::byte> out) {
    auto got = volume.readAt(offset, out);
    return got && *got == out.size();
}

std::string fatLabel(OpenMedium& volume, ByteSpan boot, bool fat32) {
    std::uint32_t bytesPerSector = le16(boot, 0x0B);
    if (bytesPerSector != kSectorSize)
        return {};
    std::uint32_t sectorsPerCluster = le8(boot, 0x0D);
    std::uint64_t reserved = le16(boot, 0x0E);
    std::uint64_t fats = le8(boot, 0x10);
    std::uint64_t firstRootSector = 0;
    std::uint32_t rootSectors = 0;
    if (fat32) {
        std::uint64_t rootCluster = le32(boot, 0x2C);
        if (rootCluster < 2 || sectorsPerCluster == 0)
            return {};
        firstRootSector = reserved + fats * le32(boot, 0x24) + (rootCluster - 2) * sectorsPerCluster;
        rootSectors = sectorsPerCluster;
    } else {
        firstRootSector = reserved + fats * le16(boot, 0x16);
        rootSectors = (le16(boot, 0x11) * kDirEntrySize + kSectorSize - 1) / kSectorSize;
    }
    std::array<std::byte, kSectorSize> sector{};
    for (std::uint32_t i = 0; i < rootSectors && i < kMaxRootSectors; ++i) {
        if (!readBytes(volume, (firstRootSector + i) * kSectorSize, sector))
            return {};
        bool ended = false;
        std::string label = fatLabelFromDirectory(sector, ended);
        if (!label.empty() || ended)
            return label;
    }
    return {};
}

// Puts back the last two bytes of every sector of a record from its update sequence array; false when
// the array does not fit or a sector does not carry the sequence number (a torn record).
bool applyUpdateSequence(std::span<std::byte> record) {
    std::size_t arrayOffset = le16(record, 0x04);
    std::size_t count = le16(record, 0x06);
    if (count < 2 || (count - 1) * kSectorSize > record.size() || !hasBytes(record, arrayOffset, count * 2))
        return false;
    for (std::size_t i = 1; i < count; ++i) {
        std::size_t tail = i * kSectorSize - 2;
        if (le16(record, tail) != le16(record, arrayOffset))
            return false;
        record[tail] = record[arrayOffset + 2 * i];
        record[tail + 1] = record[arrayOffset + 2 * i + 1];
    }
    return true;
}

std::string ntfsLabel(OpenMedium& volume, ByteSpan boot) {
    std::uint64_t clusterBytes = std::uint64_t{le8(boot, 0x0D)} * kSectorSize;
    auto perRecord = static_cast<std::int8_t>(le8(boot, 0x40));
    std::uint64_t recordBytes = perRecord < 0 ? (perRecord < -31 ? 0 : std::uint64_t{1} << -perRecord)
                                              : static_cast<std::uint64_t>(perRecord) * clusterBytes;
    if (clusterBytes == 0 || recordBytes < kSectorSize || recordBytes > kMaxMftRecordBytes)
        return {};
    std::uint64_t mftCluster = le64(boot, 0x30);
    if (mftCluster > (~std::uint64_t{0} - 3 * recordBytes) / clusterBytes)
        return {};
    std::vector<std::byte> record(static_cast<std::size_t>(recordBytes));
    if (!readBytes(volume, mftCluster * clusterBytes + 3 * recordBytes, record))
        return {};
    return ntfsVolumeNameFromRecord(record);
}

} // namespace

std::string fatLabelFromDirectory(ByteSpan entries, bool& ended) {
    ended = false;
    for (std::size_t offset = 0; hasBytes(entries, offset, kDirEntrySize); offset += kDirEntrySize) {
        std::uint8_t first = le8(entries, offset);
        if (first == 0x00) {
            ended = true;
            return {};
        }
        std::uint8_t attributes = le8(entries, offset + 11);
        if (first == 0xE5 || attributes == 0x0F || (attributes & 0x08) == 0)
            continue;
        std::string label = cp1252ToUtf8(entries.subspan(offset, 11));
        while (!label.empty() && label.back() == ' ')
            label.pop_back();
        return label;
    }
    return {};
}

std::string ntfsVolumeNameFromRecord(std::span<std::byte> record) {
    if (!bytesEqual(record, 0, "FILE") || !applyUpdateSequence(record))
        return {};
    std::size_t offset = le16(record, 0x14);
    // Every attribute is at least 16 bytes long, so the walk ends within the record.
    while (hasBytes(record, offset, 16)) {
        std::uint32_t type = le32(record, offset);
        std::uint32_t length = le32(record, offset + 4);
        if (type == kNtfsAttributeEnd || length < 16 || !hasBytes(record, offset, length))
            return {};
        if (type == kNtfsAttributeVolumeName && le8(record, offset + 8) == 0) {
            std::size_t valueLength = le32(record, offset + 0x10);
            std::size_t valueOffset = le16(record, offset + 0x14);
            if (valueOffset > length || valueLength > length - valueOffset)
                return {};
            return utf16leToUtf8(ByteSpan(record).subspan(offset + valueOffset, valueLength));
        }
        offset += length;
    }
    return {};
}

VolumeInfo ReadVolumeInfo(const Medium& medium) {
    VolumeInfo info;
    auto volume = medium.open();
    std::array<std::byte, kSectorSize> boot{};
    if (!volume || !readBytes(*volume, 0, boot))
        return info;
    info.fileSystem = reportedFileSystemName(boot);
    if (info.fileSystem == "FAT") {
        info.serial = le32(boot, 0x27);
        info.label = fatLabel(*volume, boot, false);
    } else if (info.fileSystem == "FAT32") {
        info.serial = le32(boot, 0x43);
        info.label = fatLabel(*volume, boot, true);
    } else if (info.fileSystem == "NTFS") {
        info.serial = static_cast<std::uint32_t>(le64(boot, 0x48));
        info.label = ntfsLabel(*volume, boot);
    } else if (info.fileSystem == "exFAT") {
        info.serial = le32(boot, 0x64);
    }
    return info;
}

} // namespace salvora
