// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/mft_scan.h"

#include <algorithm>
#include <limits>
#include <span>
#include <vector>

#include "fsrecovery/date_texts.h"
#include "fsrecovery/ntfs/file_name.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/mft_record_reader.h"
#include "fsrecovery/ntfs/ntfs_item_table.h"
#include "storage/sector_reader.h"

namespace salvora {

namespace {

// Records are read 1024 at a time (1 MiB); a chunk that cannot be read whole is read again record by record.
constexpr std::uint64_t kChunkRecords = 1024;
constexpr std::uint64_t kLastSectorNumber = std::numeric_limits<std::uint64_t>::max() / kSectorSize;

class MftScanner {
public:
    explicit MftScanner(MftScanContext& context)
        : m_context(context), m_builder(context.folders, context.tables, &context.progress),
          m_reader(m_handle, context.runs), m_fetch(m_reader.fetcher()) {}

    MftScanOutcome run();

private:
    bool scanRun(const MftRun& run);
    std::size_t readChunk(std::uint64_t sector, std::uint64_t records);
    bool readOne(std::uint64_t sector, std::span<std::byte> record);
    void processRecord(std::span<std::byte> record, std::uint64_t sector);
    void placeFolder(const FileNameHit& name, std::uint32_t self, bool deleted);
    void insertMiscellaneous();
    bool stopRequested() {
        if (m_context.stop)
            m_outcome.stopped = true;
        return m_outcome.stopped;
    }

    MftScanContext& m_context;
    FolderTreeBuilder m_builder;
    DeviceHandle m_handle;
    MftRecordReader m_reader;
    MftRecordFetcher m_fetch;
    MftScanOutcome m_outcome;
    std::vector<std::byte> m_chunk;
    std::uint64_t m_recordNumber = 0;
    std::uint64_t m_recordLimit = 0;
    std::uint64_t m_sectorsScanned = 0;
};

MftScanOutcome MftScanner::run() {
    const std::uint64_t total = m_context.runs.totalSectors();
    if (total == 0) {
        insertMiscellaneous();
        return m_outcome;
    }
    m_context.progress.setStatus(mftScanTotalText(total));
    m_context.progress.setRange(0, total);
    m_outcome.deviceOpened = m_handle.open(m_context.devices, m_context.devicePath);
    if (!m_outcome.deviceOpened)
        return m_outcome;

    // The $MFT cannot hold more records than the volume has room for, nor more than 32-bit self numbers.
    const std::uint64_t volumeSectors =
        m_context.volumeEnd > m_context.volumeStart ? m_context.volumeEnd - m_context.volumeStart : 0;
    m_recordLimit = std::min<std::uint64_t>(volumeSectors / kMftRecordSectors + 1,
                                            std::numeric_limits<std::uint32_t>::max());
    for (const MftRun& run : m_context.runs.runs()) {
        if (stopRequested() || !scanRun(run))
            break;
    }
    m_outcome.recordsVisited = m_recordNumber;
    return m_outcome;
}

// False when the scan has to end (stop request or record limit).
bool MftScanner::scanRun(const MftRun& run) {
    const std::uint64_t slots = run.sectorCount / kMftRecordSectors + run.sectorCount % kMftRecordSectors;
    // Only the part of the run that lies on the volume is read; the slots beyond it still count.
    std::uint64_t readable = 0;
    if (!run.sparse && run.startSector < m_context.volumeEnd && m_context.volumeEnd < kLastSectorNumber)
        readable = std::min(slots, (m_context.volumeEnd + 1 - run.startSector) / kMftRecordSectors);

    std::uint64_t slot = 0;
    while (slot < readable) {
        const std::uint64_t records = std::min(kChunkRecords, readable - slot);
        const std::uint64_t sector = run.startSector + slot * kMftRecordSectors;
        const std::size_t recordsRead = readChunk(sector, records);
        for (std::uint64_t i = 0; i < records; ++i) {
            if (stopRequested() || m_recordNumber >= m_recordLimit)
                return false;
            const std::span<std::byte> record(m_chunk.data() + i * kMftRecordBytes, kMftRecordBytes);
            const std::uint64_t recordSector = sector + i * kMftRecordSectors;
            if (i < recordsRead || readOne(recordSector, record))
                processRecord(record, recordSector);
            ++m_recordNumber;
        }
        slot += records;
        m_sectorsScanned += records * kMftRecordSectors;
        m_context.progress.setPosition(std::min(m_sectorsScanned, m_context.runs.totalSectors()));
    }
    // Slots that could not be read still take their record numbers, up to the limit.
    const std::uint64_t skipped = std::min(slots - readable, m_recordLimit - m_recordNumber);
    m_recordNumber += skipped;
    m_sectorsScanned += skipped * kMftRecordSectors;
    return m_recordNumber < m_recordLimit;
}

// Reads up to records records at sector into the chunk buffer; returns how many arrived whole.
std::size_t MftScanner::readChunk(std::uint64_t sector, std::uint64_t records) {
    const std::size_t bytes = static_cast<std::size_t>(records) * kMftRecordBytes;
    if (m_chunk.size() < bytes)
        m_chunk.resize(bytes);
    m_handle.seek(sector);
    std::size_t got = 0;
    if (!m_handle.read(m_chunk.data(), bytes, got))
        return 0;
    return got / kMftRecordBytes;
}

bool MftScanner::readOne(std::uint64_t sector, std::span<std::byte> record) {
    m_handle.seek(sector);
    std::size_t got = 0;
    return m_handle.read(record.data(), record.size(), got) && got == record.size();
}

void MftScanner::processRecord(std::span<std::byte> record, std::uint64_t sector) {
    if (!hasFileSignature(record))
        return;
    ApplyFixups(record, kMftRecordBytes);
    const MftRecordHeader header = parseMftRecordHeader(record);
    // Names in an extension record belong to its base record, which is indexed under one of them.
    if (header.isExtension())
        return;
    const auto recordNumber = static_cast<std::uint32_t>(m_recordNumber);
    const FileNameHit name = chooseRecordName(record, recordNumber, false, m_fetch);
    if (!name.found)
        return;
    if (header.isDirectory()) {
        placeFolder(name, recordNumber, !header.inUse());
        return;
    }
    const std::string parent = std::to_string(name.parent);
    m_context.tables.NtfsItemTable.appendRow({makeNtfsItemKey(name.parent, sector), "", "", "", "", parent});
    ++m_outcome.filesIndexed;
}

void MftScanner::placeFolder(const FileNameHit& name, std::uint32_t self, bool deleted) {
    if (m_context.folders.FolderList.empty())
        insertMiscellaneous();
    // The root directory names itself "."; it is the tree's Root item.
    if (name.name == ".")
        return;
    ++m_outcome.foldersFound;
    const TreeItem parentItem = m_builder.parentItemFor(name.parent, kNtfsRootParent);
    if (parentItem != kNoTreeItem) {
        m_builder.InsertFolderNode(parentItem, name.name, self, name.created, 0, name.parent, deleted, 0);
        return;
    }
    TextTable& table = m_context.tables.FoundFolderTable;
    const std::size_t row = table.appendRow();
    table.setCell(row, found_folder::Name, name.name);
    table.setCell(row, found_folder::Self, std::to_string(self));
    table.setCell(row, found_folder::Parent, std::to_string(name.parent));
    table.setCell(row, found_folder::Date, std::to_string(name.created));
    table.setCell(row, found_folder::Type, "FOLDER");
    if (deleted)
        table.setCell(row, found_folder::Deleted, "1");
}

void MftScanner::insertMiscellaneous() {
    m_builder.InsertFolderNode(kNoTreeItem, std::string(kMiscellaneousName), kMiscellaneousSelf, 0,
                               CurrentFatTimeWord(), kNtfsRootParent, false, 0);
    m_context.folders.tree.setExpanded(m_context.folders.tree.ensureRoot(), true);
}

} // namespace

std::string mftScanTotalText(std::uint64_t totalSectors) {
    return "sectors scanned of total " + std::to_string(totalSectors);
}

MftScanOutcome ScanMftRecords(MftScanContext& context) {
    return MftScanner(context).run();
}

} // namespace salvora
