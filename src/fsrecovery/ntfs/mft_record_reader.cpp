// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/mft_record_reader.h"

#include <algorithm>
#include <limits>

#include "fsrecovery/ntfs/data_runs.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"

namespace salvora {

bool MftRecordReader::readAt(std::uint64_t sector, std::vector<std::byte>& out) {
    out.assign(kMftRecordBytes, std::byte{0});
    if (!m_handle.isOpen() || sector > std::numeric_limits<std::uint64_t>::max() / kSectorSize - 2)
        return false;
    ++m_reads;
    m_handle.seek(sector);
    std::size_t got = 0;
    if (!m_handle.read(out.data(), out.size(), got) || got != out.size() || !hasFileSignature(out))
        return false;
    ApplyFixups(out, kMftRecordBytes);
    return true;
}

bool MftRecordReader::readRecord(std::uint32_t recordNumber, std::vector<std::byte>& out) {
    const std::uint64_t sector = m_runs.RecordSector(recordNumber);
    return sector != 0 && readAt(sector, out);
}

std::vector<AttributeListEntry> MftRecordReader::attributeList(ByteSpan record) {
    constexpr std::uint64_t kMaxListBytes = 256 * 1024;
    constexpr std::size_t kMaxListRuns = 64;
    AttributeView list;
    if (!findAttribute(record, ntfs_attribute::AttributeList, false, list))
        return {};
    if (!list.nonResident)
        return parseAttributeList(list.value());
    if (!m_volume || m_volume->SPC == 0 || !m_handle.isOpen() || list.realSize() > kMaxListBytes)
        return {};
    const std::size_t size = static_cast<std::size_t>(list.realSize());
    const std::uint64_t clusterBytes = std::uint64_t{m_volume->SPC} * kSectorSize;
    std::vector<std::byte> value;
    value.reserve(size);
    for (const ClusterRun& run : DecodeRunList(list.runList(), kMaxListRuns).runs) {
        if (run.sparse || value.size() >= size)
            break;
        const std::uint64_t wanted =
            std::min<std::uint64_t>(run.clusterCount * clusterBytes, size - value.size());
        if (run.firstCluster > (std::numeric_limits<std::uint64_t>::max() / kSectorSize) / m_volume->SPC)
            break;
        const std::size_t at = value.size();
        value.resize(at + static_cast<std::size_t>(wanted));
        ++m_reads;
        m_handle.seek(m_volume->Cluster0Start + run.firstCluster * m_volume->SPC);
        std::size_t got = 0;
        if (!m_handle.read(value.data() + at, static_cast<std::size_t>(wanted), got) || got != wanted) {
            value.resize(at);
            break;
        }
    }
    return parseAttributeList(value);
}

} // namespace salvora
