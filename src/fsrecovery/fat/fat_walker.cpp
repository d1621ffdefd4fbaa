// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/fat_walker.h"

#include <array>
#include <charconv>
#include <unordered_map>
#include <unordered_set>

#include "fsrecovery/date_texts.h"
#include "fsrecovery/fat/directory_entry.h"
#include "fsrecovery/fat/fat_names.h"

namespace salvora::fat {
namespace {

using SectorBuffer = std::array<std::byte, kSectorSize>;

// The sectors of one directory in reading order. A long name is followed back into the previous sector of
// the directory, which is not the sector physically before it where the directory's clusters are apart.
class DirectorySectors {
public:
    explicit DirectorySectors(std::vector<std::uint64_t> sectors) : m_sectors(std::move(sectors)) {
        for (std::size_t i = 0; i < m_sectors.size(); ++i)
            m_position.emplace(m_sectors[i], i);
    }
    const std::vector<std::uint64_t>& sectors() const { return m_sectors; }
    PrecedingSectorReader reader(FatVolume& volume) const {
        return [this, &volume](std::uint64_t sector, std::uint64_t& preceding, SectorBuffer& out) {
            auto found = m_position.find(sector);
            if (found == m_position.end() || found->second == 0)
                return false;
            preceding = m_sectors[found->second - 1];
            return volume.readSectors(preceding, 1, out.data());
        };
    }

private:
    std::vector<std::uint64_t> m_sectors;
    std::unordered_map<std::uint64_t, std::size_t> m_position;
};

// For a lone sector whose directory is not known: the sector physically before it.
PrecedingSectorReader physicalPrecedingReader(FatVolume& volume) {
    return [&volume](std::uint64_t sector, std::uint64_t& preceding, SectorBuffer& out) {
        if (sector == 0)
            return false;
        preceding = sector - 1;
        return volume.readSectors(preceding, 1, out.data());
    };
}

std::optional<std::uint32_t> cellNumber(const std::string& text) {
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    return value;
}

// Renames child folders from one directory sector. children maps a self number to its node among the
// selected item's children; namedLive remembers the nodes named by a live entry, which a deleted entry (an
// older folder whose cluster was reused) does not rename. False at the end-of-directory mark or when the
// sector cannot be read.
bool renameFromSector(FatVolume& volume, FolderModel& model,
                      const std::unordered_map<std::uint32_t, std::size_t>& children,
                      std::unordered_set<std::uint32_t>& namedLive, std::uint64_t directorySector,
                      const PrecedingSectorReader& readPreceding) {
    SectorBuffer buffer{};
    if (!volume.readSectors(directorySector, 1, buffer.data()))
        return false;
    ByteSpan sector(buffer.data(), buffer.size());
    for (std::size_t i = 0; i < kEntriesPerSector; ++i) {
        const std::size_t offset = i * kEntrySize;
        const ShortEntry entry = parseShortEntry(sector, offset, volume.fat32());
        if (entry.endOfDirectory())
            return false;
        // Only directory entries name folders: a file entry may still name a cluster a folder took later.
        if (entry.longName() || isDotEntry(sector, offset) || !entry.directory())
            continue;
        auto found = children.find(entry.firstCluster);
        if (found == children.end())
            continue;
        EntryNaming naming = NameEntry(sector, offset, directorySector, readPreceding);
        if (naming.name.empty() || (naming.deleted && namedLive.count(entry.firstCluster)))
            continue;
        FolderNode& node = model.FolderList[found->second];
        node.name = naming.name;
        model.tree.setText(node.treeItem, naming.name);
        if (naming.deleted) {
            node.deleted = true;
        } else {
            node.deleted = false;
            namedLive.insert(entry.firstCluster);
        }
    }
    return true;
}

std::unordered_map<std::uint32_t, std::size_t> childNodes(const FolderModel& model, TreeItem item,
                                                          std::uint32_t parentSelf) {
    std::unordered_map<std::uint32_t, std::size_t> children;
    for (TreeItem child : model.tree.children(item)) {
        auto index = model.tree.node(child);
        if (index && *index < model.FolderList.size() && model.FolderList[*index].parent == parentSelf)
            children.emplace(model.FolderList[*index].self, *index);
    }
    return children;
}

} // namespace

void NameRootFolders(FatVolume& volume, FolderTreeBuilder& builder) {
    TextTable& table = builder.tables().FoundFolderTable;
    // The rows of root-level folders lead the table (sorted by parent); index them by self number.
    std::unordered_map<std::uint32_t, std::size_t> rootRows;
    for (std::size_t row = 0;
         row < table.rowCount() && cellNumber(table.cell(row, found_folder::Parent)) == kFatRootParent; ++row)
        if (auto self = cellNumber(table.cell(row, found_folder::Self)))
            rootRows.emplace(*self, row);

    const DirectorySectors root(volume.directorySectors(0, builder.model().ListStopFlag));
    const PrecedingSectorReader readPreceding = root.reader(volume);
    std::unordered_set<std::size_t> namedLive;
    std::size_t named = 0;
    SectorBuffer buffer{};
    for (std::uint64_t sectorNumber : root.sectors()) {
        if (volume.fat32() && table.rowCount() > 0 && named >= table.rowCount() - 1)
            break;
        if (!volume.readSectors(sectorNumber, 1, buffer.data()))
            break;
        ByteSpan sector(buffer.data(), buffer.size());
        for (std::size_t i = 0; i < kEntriesPerSector; ++i) {
            const std::size_t offset = i * kEntrySize;
            const ShortEntry entry = parseShortEntry(sector, offset, volume.fat32());
            if (entry.endOfDirectory())
                break; // the next root sector is still read
            if (entry.longName() || isDotEntry(sector, offset) || !entry.directory())
                continue;
            auto found = rootRows.find(entry.firstCluster);
            if (found == rootRows.end())
                continue;
            EntryNaming naming = NameEntry(sector, offset, sectorNumber, readPreceding);
            if (naming.name.empty() || (naming.deleted && namedLive.count(found->second)))
                continue;
            table.setCell(found->second, found_folder::Name, naming.name);
            table.setCell(found->second, found_folder::Deleted, naming.deleted ? "1" : "");
            if (!naming.deleted)
                namedLive.insert(found->second);
            ++named;
        }
    }
    builder.DrainChildren(kFatRootParent, builder.model().tree.ensureRoot());
}

void ListFatFolder(FatVolume& volume, FileList& list, std::uint32_t self, const StopFlag& listStop) {
    const bool fat16Root = self == 0 && !volume.fat32();
    const DirectorySectors directory(volume.directorySectors(self, listStop));
    const PrecedingSectorReader readPreceding = directory.reader(volume);
    SectorBuffer buffer{};
    for (std::uint64_t sectorNumber : directory.sectors()) {
        if (listStop)
            return;
        if (!volume.readSectors(sectorNumber, 1, buffer.data()))
            continue;
        ByteSpan sector(buffer.data(), buffer.size());
        for (std::size_t i = 0; i < kEntriesPerSector; ++i) {
            if (listStop)
                return;
            const std::size_t offset = i * kEntrySize;
            const ShortEntry entry = parseShortEntry(sector, offset, volume.fat32());
            if (entry.endOfDirectory()) {
                if (fat16Root)
                    break; // the FAT16 root goes on with its next sector
                return;
            }
            if (entry.longName() || isDotEntry(sector, offset) || entry.directory())
                continue;
            EntryNaming naming = NameEntry(sector, offset, sectorNumber, readPreceding);
            if (naming.name.empty())
                continue;
            appendFileRow(list, naming.name, std::to_string(entry.size), FatDateText(entry.date),
                          FatTimeText(entry.time), std::to_string(entry.firstCluster), {}, {},
                          naming.shortName);
        }
    }
}

bool RenameChildFolders(FatVolume& volume, FolderModel& model, TreeItem selectedItem,
                        std::uint64_t directorySector, std::uint32_t parentSelf) {
    std::unordered_set<std::uint32_t> namedLive;
    return renameFromSector(volume, model, childNodes(model, selectedItem, parentSelf), namedLive,
                            directorySector, physicalPrecedingReader(volume));
}

void FatFolderWalker::renameChildFolders(FolderModel& model, TreeItem selectedItem, std::uint32_t self) {
    const auto children = childNodes(model, selectedItem, self);
    if (children.empty())
        return;
    const bool fat16Root = self == 0 && !m_volume.fat32();
    const DirectorySectors directory(m_volume.directorySectors(self, model.ListStopFlag));
    const PrecedingSectorReader readPreceding = directory.reader(m_volume);
    std::unordered_set<std::uint32_t> namedLive;
    for (std::uint64_t sector : directory.sectors()) {
        if (model.ListStopFlag)
            return;
        if (!renameFromSector(m_volume, model, children, namedLive, sector, readPreceding) && !fat16Root)
            return;
    }
}

void FatFolderWalker::listFiles(FileList& list, std::uint32_t self, const StopFlag& listStop) {
    ListFatFolder(m_volume, list, self, listStop);
}

} // namespace salvora::fat
