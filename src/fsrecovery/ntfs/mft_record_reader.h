// SPDX-License-Identifier: GPL-3.0-or-later
// Reading single MFT records off the medium through one open handle: by sector, or by record number through
// the $MFT's run table. Every record handed out carries "FILE" and has its fix-ups applied.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "fsrecovery/ntfs/file_name.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/mft_runs.h"
#include "storage/sector_reader.h"
#include "volumes/volume_state.h"

namespace salvora {

class MftRecordReader {
public:
    // volume, when given, lets attributeList() read attribute lists kept outside the record.
    MftRecordReader(DeviceHandle& handle, const MftRunTable& runs, const VolumeParameters* volume = nullptr)
        : m_handle(handle), m_runs(runs), m_volume(volume) {}

    // The 1024 bytes at sector; false when they cannot be read whole or do not begin with "FILE".
    bool readAt(std::uint64_t sector, std::vector<std::byte>& out);
    // Record n of the $MFT; false when it lies beyond the runs or cannot be read.
    bool readRecord(std::uint32_t recordNumber, std::vector<std::byte>& out);
    // readRecord as the name search's fetcher.
    MftRecordFetcher fetcher() {
        return [this](std::uint32_t n, std::vector<std::byte>& out) { return readRecord(n, out); };
    }
    // The entries of the record's $ATTRIBUTE_LIST, resident or (with the volume's parameters, up to 256 KiB)
    // non-resident.
    std::vector<AttributeListEntry> attributeList(ByteSpan record);
    std::uint64_t readCount() const { return m_reads; }

private:
    DeviceHandle& m_handle;
    const MftRunTable& m_runs;
    const VolumeParameters* m_volume;
    std::uint64_t m_reads = 0;
};

} // namespace salvora
