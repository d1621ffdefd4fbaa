// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/ntfs_listing.h"

#include <charconv>
#include <limits>
#include <optional>

#include "fsrecovery/date_texts.h"
#include "fsrecovery/ntfs/file_name.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/mft_record_reader.h"
#include "fsrecovery/ntfs/ntfs_item_table.h"
#include "storage/sector_reader.h"

namespace salvora {

namespace {

std::optional<std::uint64_t> decimalCell(const std::string& text) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// The size of the unnamed $DATA. When the record itself has none but its attribute list (resident or not)
// places it in another record, that record's first extent gives the size: it carries the real size.
std::uint64_t fileDataSize(ByteSpan record, std::uint32_t recordNumber, MftRecordReader& reader) {
    const DataSizeResult own = findDataSize(record);
    if (own.found)
        return own.size;
    std::vector<std::byte> other;
    for (const AttributeListEntry& entry : reader.attributeList(record)) {
        if (entry.type != ntfs_attribute::Data || entry.nameLength != 0 || entry.startingVcn != 0 ||
            entry.recordNumber() == recordNumber)
            continue;
        if (!reader.readRecord(entry.recordNumber(), other))
            continue;
        const DataSizeResult extent = findDataSize(other);
        if (extent.found)
            return extent.size;
    }
    return 0;
}

} // namespace

void NtfsFolderWalker::refreshIndex() {
    const std::size_t rows = m_items.rowCount();
    const bool same =
        rows == m_indexedRows && (rows == 0 || (m_items.cell(0, ntfs_item::Key) == m_firstKey &&
                                                m_items.cell(rows - 1, ntfs_item::Key) == m_lastKey));
    if (same)
        return;
    m_rowsOfParent.clear();
    for (std::size_t row = 0; row < rows; ++row)
        if (auto key = parseNtfsItemKey(m_items.cell(row, ntfs_item::Key)))
            m_rowsOfParent[key->parent].push_back(row);
    m_indexedRows = rows;
    m_firstKey = rows ? m_items.cell(0, ntfs_item::Key) : std::string();
    m_lastKey = rows ? m_items.cell(rows - 1, ntfs_item::Key) : std::string();
}

const std::vector<std::size_t>& NtfsFolderWalker::rowsOf(std::uint32_t parent) {
    static const std::vector<std::size_t> kNone;
    refreshIndex();
    const auto it = m_rowsOfParent.find(parent);
    return it == m_rowsOfParent.end() ? kNone : it->second;
}

void NtfsFolderWalker::ListNtfsFolder(FileList& list, std::uint32_t self, const StopFlag& listStop) {
    DeviceHandle handle;
    handle.open(m_devices, m_devicePath);
    MftRecordReader reader(handle, m_runs, &m_volume);
    const MftRecordFetcher fetch = reader.fetcher();
    std::vector<std::byte> record;

    for (const std::size_t row : rowsOf(self)) {
        if (listStop)
            break;
        const auto key = parseNtfsItemKey(m_items.cell(row, ntfs_item::Key));
        if (!key || key->parent != self)
            continue;
        if (m_items.cell(row, ntfs_item::Name).empty() || m_items.cell(row, ntfs_item::Size).empty()) {
            if (!reader.readAt(key->sector, record))
                continue;
            // The record's own number, so that its attribute list does not send us to read it again.
            const auto recordNumber = static_cast<std::uint32_t>(
                m_runs.recordNumberAt(key->sector).value_or(std::numeric_limits<std::uint32_t>::max()));
            if (m_items.cell(row, ntfs_item::Name).empty()) {
                const FileNameHit hit = chooseRecordName(record, recordNumber, true, fetch);
                m_items.setCell(row, ntfs_item::Name, hit.name);
                if (hit.found)
                    m_items.setCell(row, ntfs_item::Date, std::to_string(hit.created));
            }
            m_items.setCell(row, ntfs_item::Size, std::to_string(fileDataSize(record, recordNumber, reader)));
        }
        const std::string& name = m_items.cell(row, ntfs_item::Name);
        if (name.empty())
            continue;
        const auto [date, time] = FileTimeTexts(decimalCell(m_items.cell(row, ntfs_item::Date)).value_or(0));
        appendFileRow(list, name, m_items.cell(row, ntfs_item::Size), date, time, std::to_string(key->sector),
                      std::to_string(key->parent), "0");
    }
    m_recordReads += reader.readCount();
}

} // namespace salvora
