// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/ntfs_writer.h"

#include <array>

#include "fsrecovery/ntfs/data_runs.h"
#include "fsrecovery/ntfs/fixups.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace {

constexpr std::size_t kRecordBytes = 1024;
// Offsets at or past this many bytes fall off the end of a 1024-byte record.
constexpr std::size_t kRecordLimit = 1023;
constexpr std::uint32_t kDataAttribute = 0x80;
constexpr std::uint32_t kEndOfAttributes = 0xFFFFFFFF;
// Resident data of an unnamed $DATA attribute starts this many bytes into the attribute.
constexpr std::size_t kResidentDataOffset = 24;
constexpr std::uint64_t kSizeForEmptyFiles = 4096;
// A run list longer than this cannot fit in a record; it is damage.
constexpr std::size_t kMaxRuns = kRecordBytes / 2;

} // namespace

UnnamedDataAttribute FindUnnamedData(ByteSpan record) {
    std::size_t offset = le16(record, 0x14);
    if (offset >= kRecordLimit)
        return {};
    for (;;) {
        std::uint32_t type = le32(record, offset);
        if (type == 0 || type == kEndOfAttributes)
            return {};
        std::uint8_t nameLength = le8(record, offset + 9);
        if (type == kDataAttribute && nameLength == 0) {
            std::uint8_t nonResident = le8(record, offset + 8);
            if (nonResident > 1)
                return {};
            return {nonResident == 0 ? UnnamedData::Resident : UnnamedData::NonResident, offset};
        }
        std::uint32_t length = le32(record, offset + 4);
        std::uint32_t longest = type == kDataAttribute ? kRecordLimit : kRecordLimit - 1;
        if (length == 0 || length > longest || offset + length >= kRecordLimit)
            return {};
        offset += length;
    }
}

std::vector<ClusterExtent> DecodeDataRuns(ByteSpan record, std::size_t limit, std::size_t attributeOffset) {
    limit = std::min(limit, record.size());
    std::size_t pairs = attributeOffset + le16(record, attributeOffset + 0x20);
    if (pairs >= limit)
        return {};
    RunList list = DecodeRunList(record.subspan(pairs, limit - pairs), kMaxRuns);
    std::vector<ClusterExtent> extents;
    for (const ClusterRun& run : list.runs)
        extents.push_back({run.firstCluster, run.clusterCount, run.sparse});
    return extents;
}

void SaveNtfsFile(SaveContext& context, FileSaveRequest request) {
    if (!prepareFile(context, request))
        return;
    std::array<std::byte, kRecordBytes> record{};
    if (ReadSectors(context.devices, context.devicePath, request.recordSector, kRecordBytes / kSectorSize,
                    record.data()) == 0)
        return;
    ApplyFixups(record, kRecordBytes);
    UnnamedDataAttribute data = FindUnnamedData(record);
    switch (data.kind) {
    case UnnamedData::Resident:
        if (data.offset + kResidentDataOffset + request.size > kRecordLimit)
            return; // the listed size does not fit in the record
        writeBytesToFile(context, request.destinationPath, record.data() + data.offset + kResidentDataOffset,
                         request.size);
        return;
    case UnnamedData::NonResident: {
        std::vector<ClusterExtent> extents = DecodeDataRuns(record, kRecordBytes, data.offset);
        if (extents.empty())
            return;
        copyExtentsToFile(context, request.destinationPath, extents,
                          request.size == 0 ? kSizeForEmptyFiles : request.size, request.askFlag);
        return;
    }
    case UnnamedData::None:
        CreateEmptyFile(request.destinationPath);
        return;
    }
}

} // namespace salvora
