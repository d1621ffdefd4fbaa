// SPDX-License-Identifier: GPL-3.0-or-later
// Reading FAT directories after the scan: naming the root-level folders, listing a folder's files and
// naming a folder's child folders from its entries.
#pragma once

#include <cstdint>

#include "fsrecovery/fat/fat_volume.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"

namespace salvora::fat {

// Names the root-level rows of FoundFolderTable (sorted by parent: parent 0 first) from the root directory
// entries, marks deleted ones, then places every parent-0 row under "Root".
void NameRootFolders(FatVolume& volume, FolderTreeBuilder& builder);

// Appends the files of the folder with first cluster self (0: the root) to the list.
void ListFatFolder(FatVolume& volume, FileList& list, std::uint32_t self, const StopFlag& listStop);

// Renames the child folder nodes of the selected item whose self and parent match an entry of the directory
// sector. False when the sector holds the end-of-directory mark (or cannot be read).
bool RenameChildFolders(FatVolume& volume, FolderModel& model, TreeItem selectedItem,
                        std::uint64_t directorySector, std::uint32_t parentSelf);

// The listing walker for FAT volumes.
class FatFolderWalker final : public FolderFileWalker {
public:
    explicit FatFolderWalker(FatVolume volume) : m_volume(std::move(volume)) {}
    std::uint32_t rootSelf() const override { return 0; }
    void renameChildFolders(FolderModel& model, TreeItem selectedItem, std::uint32_t self) override;
    void listFiles(FileList& list, std::uint32_t self, const StopFlag& listStop) override;

private:
    FatVolume m_volume;
};

} // namespace salvora::fat
