// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/mft_record_reader.h"

#include <algorithm>
#include <limits>

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

} // namespace salvora
