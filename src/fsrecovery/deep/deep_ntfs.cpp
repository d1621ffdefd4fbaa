// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/deep/deep_ntfs.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

#include "base/text.h"
#include "fsrecovery/basic_search.h"
#include "fsrecovery/date_texts.h"
#include "fsrecovery/ntfs/file_name.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/mft_runs.h"
#include "fsrecovery/ntfs/ntfs_item_table.h"
#include "fsrecovery/ntfs/ntfs_listing.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace {

// Record header fields the scan reads besides those of mft_record.h:
//   0x1C u16 allocated size of the record: 1024 for the records this scan accepts
//   0x2C u32 the record's own number in the $MFT
constexpr std::size_t kAllocatedSizeOffset = 0x1C;
constexpr std::size_t kRecordNumberOffset = 0x2C;
constexpr std::size_t kFlagsOffset = 0x16;

// The scan reads 1024 sectors per request through one handle.
constexpr std::uint64_t kChunkSectors = 1024;
constexpr std::size_t kChunkBytes = kChunkSectors * kSectorSize;
// Sector numbers whose byte offset still fits in 64 bits.
constexpr std::uint64_t kLastAddressableSector = std::numeric_limits<std::uint64_t>::max() / kSectorSize;

// Without a valid boot sector the cluster size is unknown; 8 sectors (4 KiB) is what NTFS uses on every
// volume of the sizes cards and sticks come in.
constexpr std::uint32_t kDeepNtfsSectorsPerCluster = 8;

std::string deepScanTotalText(std::uint64_t endSector) {
    return "sectors scanned of total " + std::to_string(endSector);
}

class DeepNtfsScanner {
public:
    explicit DeepNtfsScanner(DeepSearchContext& context)
        : m_context(context), m_builder(context.folders, context.tables, &context.progress) {}

    // Scans the range; false when the device could not be opened.
    bool ScanForMftRecords();
    bool stopped() const { return m_stopped; }

private:
    void AddMftRecord(std::uint64_t sector, ByteSpan chunk, std::size_t sectorInChunk);
    void addFolder(const DeepMftRecord& record);
    void addFile(const DeepMftRecord& record, std::uint64_t sector);
    void insertMiscellaneous();

    DeepSearchContext& m_context;
    FolderTreeBuilder m_builder;
    DeviceHandle m_handle;
    std::vector<std::byte> m_chunk;
    std::array<std::byte, kMftRecordBytes> m_straddling{};
    bool m_stopped = false;
};

bool DeepNtfsScanner::ScanForMftRecords() {
    const std::uint64_t first = m_context.rangeStart;
    const std::uint64_t end = std::min(m_context.rangeEnd, kLastAddressableSector);
    m_context.tables.FoundFolderTable.clear();
    m_context.tables.NtfsItemTable.clear();
    m_context.progress.setPosition(first);
    m_context.progress.setStatus(deepScanTotalText(m_context.rangeEnd));
    m_context.progress.setRange(first, m_context.rangeEnd);
    if (!m_handle.open(m_context.devices, m_context.devicePath))
        return false;

    m_chunk.resize(kChunkBytes);
    for (std::uint64_t position = first; position < end; position += kChunkSectors) {
        m_context.progress.setPosition(position);
        if (m_context.stop) {
            m_stopped = true;
            break;
        }
        m_handle.seek(position);
        std::size_t bytesRead = 0;
        const bool readOk = m_handle.read(m_chunk.data(), m_chunk.size(), bytesRead);
        if (readOk) {
            const ByteSpan chunk(m_chunk.data(), bytesRead);
            for (std::size_t i = 0; (i + 1) * kSectorSize <= bytesRead; ++i)
                if (looksLikeDeepMftRecord(chunk.subspan(i * kSectorSize, kSectorSize)))
                    AddMftRecord(position + i, chunk, i);
        }
        // The medium ends inside this chunk: nothing lies beyond it.
        if ((readOk && bytesRead < m_chunk.size()) || end - position <= kChunkSectors)
            break;
    }
    if (!m_stopped)
        m_context.progress.setPosition(m_context.rangeEnd);
    m_handle.close();
    return true;
}

void DeepNtfsScanner::AddMftRecord(std::uint64_t sector, ByteSpan chunk, std::size_t sectorInChunk) {
    ByteSpan record;
    const std::size_t offset = sectorInChunk * kSectorSize;
    if (offset + kMftRecordBytes <= chunk.size()) {
        record = chunk.subspan(offset, kMftRecordBytes);
    } else {
        // The record's second sector lies in the next chunk.
        m_handle.seek(sector);
        std::size_t bytesRead = 0;
        if (!m_handle.read(m_straddling.data(), m_straddling.size(), bytesRead) ||
            bytesRead != m_straddling.size())
            return;
        record = m_straddling;
    }
    const DeepMftRecord found = parseDeepMftRecord(record);
    if (found.kind == DeepMftRecord::Kind::Folder)
        addFolder(found);
    else if (found.kind == DeepMftRecord::Kind::File)
        addFile(found, sector);
}

void DeepNtfsScanner::addFolder(const DeepMftRecord& record) {
    FolderModel& model = m_context.folders;
    if (model.FolderList.empty())
        insertMiscellaneous();

    TreeItem parentItem = kNoTreeItem;
    if (record.parent == kNtfsRootParent || record.self == kNtfsRootParent) {
        parentItem = model.tree.ensureRoot();
    } else if (model.lastInsertedValid && model.lastInsertedSelf == record.parent) {
        parentItem = model.lastInsertedItem;
    } else {
        // A copy of a directory already placed (its number, name and parent equal) adds nothing.
        if (const auto it = model.nodeOfSelf.find(record.self); it != model.nodeOfSelf.end()) {
            const FolderNode& node = model.FolderList.at(it->second);
            if (node.name == record.name && node.parent == record.parent)
                return;
        }
        parentItem = model.itemOfSelf(record.parent);
    }

    const bool deleted = !record.inUse;
    if (parentItem != kNoTreeItem) {
        m_builder.InsertFolderNode(parentItem, record.name, record.self, record.created, 0, record.parent,
                                   deleted, 0);
        return;
    }
    // The parent has not been met yet: the tree building places the folder later.
    TextTable& table = m_context.tables.FoundFolderTable;
    const std::size_t row = table.appendRow();
    table.setCell(row, found_folder::Name, record.name);
    table.setCell(row, found_folder::Self, std::to_string(record.self));
    table.setCell(row, found_folder::Parent, std::to_string(record.parent));
    table.setCell(row, found_folder::Date, std::to_string(record.created));
    table.setCell(row, found_folder::Type, "FOLDER");
    // A deleted folder stays deleted when it is placed later.
    if (deleted)
        table.setCell(row, found_folder::Deleted, "1");
}

void DeepNtfsScanner::addFile(const DeepMftRecord& record, std::uint64_t sector) {
    TextTable& table = m_context.tables.NtfsItemTable;
    const std::size_t row = table.appendRow();
    table.setCell(row, ntfs_item::Key, makeNtfsItemKey(record.parent, sector));
    table.setCell(row, ntfs_item::Type, std::to_string(record.parent));
    if (!record.name.empty()) {
        table.setCell(row, ntfs_item::Name, record.name);
        table.setCell(row, ntfs_item::Date, std::to_string(record.created));
    }
}

void DeepNtfsScanner::insertMiscellaneous() {
    m_builder.InsertFolderNode(kNoTreeItem, std::string(kMiscellaneousName), kMiscellaneousSelf, 0,
                               CurrentFatTimeWord(), kNtfsRootParent, false, 0);
    m_context.folders.tree.setExpanded(m_context.folders.tree.ensureRoot(), true);
}

// Lists Deep NTFS folders: the file index's keys name each record's sector, so no $MFT runs are needed.
class DeepNtfsWalker final : public FolderFileWalker {
public:
    explicit DeepNtfsWalker(const DeepSearchContext& context)
        : m_walker(context.devices, context.devicePath, context.tables.NtfsItemTable, m_noRuns,
                   context.volumes.volumeParameters) {}

    std::uint32_t rootSelf() const override { return m_walker.rootSelf(); }
    void listFiles(FileList& list, std::uint32_t self, const StopFlag& listStop) override {
        m_walker.listFiles(list, self, listStop);
    }

private:
    MftRunTable m_noRuns; // declared before the walker, which keeps a reference to it
    NtfsFolderWalker m_walker;
};

} // namespace

bool looksLikeDeepMftRecord(ByteSpan sector) {
    return hasFileSignature(sector) && le16(sector, kAllocatedSizeOffset) == kMftRecordBytes;
}

DeepMftRecord parseDeepMftRecord(ByteSpan bytes) {
    DeepMftRecord result;
    std::array<std::byte, kMftRecordBytes> record{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), record.size()), record.begin());
    if (!hasFileSignature(record))
        return result;
    ApplyFixups(record, kMftRecordBytes);

    // The record itself only: Deep Search cannot locate the records an attribute list names.
    FileNameHit hit;
    for (const std::uint8_t nameSpace : kFileNameNamespaceOrder) {
        hit = FindFileName(record, nameSpace, true);
        if (hit.found)
            break;
    }
    if (hit.found) {
        result.name = trim(hit.name);
        result.parent = hit.parent;
        result.created = hit.created;
    }
    result.self = le32(record, kRecordNumberOffset);
    const std::uint16_t flags = le16(record, kFlagsOffset);
    result.inUse = (flags & 0x01) != 0;
    if (parseMftRecordHeader(record).isDirectory()) {
        // The root directory names itself "."; it is the tree's Root item.
        if (!result.name.empty() && result.name != ".")
            result.kind = DeepMftRecord::Kind::Folder;
        return result;
    }
    result.kind = DeepMftRecord::Kind::File;
    return result;
}

DeepSearchOutcome RunDeepNtfsSearch(DeepSearchContext& context) {
    DeepSearchOutcome outcome;
    VolumeParameters& working = context.volumes.volumeParameters;
    working.Cluster0Start = context.volumeStart;
    working.SPC = kDeepNtfsSectorsPerCluster;
    context.volumes.partType = "NTFS";

    context.folders.reset();
    context.tables.TreeLinkTable.clear();
    context.folders.tree.ensureRoot();

    DeepNtfsScanner scanner(context);
    const bool opened = scanner.ScanForMftRecords();
    outcome.stopped = scanner.stopped();
    if (opened) {
        // A stopped scan builds its tree from the records found so far, as a complete one does.
        context.progress.setStatus(kSearchingLostDirectories);
        FolderTreeBuilder builder(context.folders, context.tables, &context.progress);
        builder.BuildTree(kNtfsRootParent);
    }
    context.folders.tree.setExpanded(context.folders.tree.root(), true);
    context.folders.tree.sortChildrenByText(context.folders.tree.root());

    bool foldersFound = false;
    for (const FolderNode& node : context.folders.FolderList)
        foldersFound = foldersFound || node.self != kMiscellaneousSelf;
    outcome.nothingFound = ScanFoundNothing(context.folders, foldersFound);
    return outcome;
}

std::unique_ptr<FolderFileWalker> DeepNtfsFolderWalker(DeepSearchContext& context) {
    if (context.devicePath.empty())
        return nullptr;
    return std::make_unique<DeepNtfsWalker>(context);
}

} // namespace salvora
