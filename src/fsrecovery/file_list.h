// SPDX-License-Identifier: GPL-3.0-or-later
// The file list of Basic and Deep Search: the rows shown for the selected folder (its child folders, then
// its files read again from the medium), with the hidden columns the save engine and the recovery log read.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/seams.h"
#include "fsrecovery/folder_tree.h"

namespace salvora {

// Columns of the file list. 5 to 9 are hidden (width 0).
namespace file_list {
inline constexpr std::size_t Name = 0;
inline constexpr std::size_t Type = 1;
inline constexpr std::size_t Size = 2;
inline constexpr std::size_t Date = 3;
inline constexpr std::size_t Time = 4;
inline constexpr std::size_t Debug1 = 5;  // Basic: first cluster of a file, self number of a folder
inline constexpr std::size_t Debug2 = 6;  // parent number of a folder row
inline constexpr std::size_t Debug3 = 7;  // tree item of a folder row
inline constexpr std::size_t SFN = 8;     // short 8.3 name of a FAT file
inline constexpr std::size_t FileSys = 9; // Deep Search only
inline constexpr std::size_t ColumnCount = 10;
} // namespace file_list

struct FileListColumn {
    std::string header;
    int width = 0;
};
std::vector<FileListColumn> BasicSearchListColumns(); // nine columns
std::vector<FileListColumn> DeepSearchListColumns();  // ten columns

struct FileListRow {
    std::array<std::string, file_list::ColumnCount> cells{};
    bool folder = false;
};

struct FileList {
    std::vector<FileListRow> rows;
    std::uint64_t folderCount = 0;
    std::uint64_t fileCount = 0;

    void clear() {
        rows.clear();
        folderCount = 0;
        fileCount = 0;
    }
    // The label above the list: "%llu Folders, %llu Files".
    std::string countsLabel() const;
};

// Appends a file row: column 1 gets the type description of the name's extension, the file count grows.
void appendFileRow(FileList& list, const std::string& name, const std::string& size, const std::string& date,
                   const std::string& time, const std::string& debug1, const std::string& debug2,
                   const std::string& debug3, const std::string& shortName = {});

// What the listing needs from the walker of the volume's file system.
class FolderFileWalker {
public:
    virtual ~FolderFileWalker() = default;
    // The self number the "Root" item stands for: 0 on FAT, 5 on NTFS.
    virtual std::uint32_t rootSelf() const = 0;
    // Called before a folder's child folders are renamed or its files listed; node is null for "Root". A
    // walker whose folders lie on different volumes makes the folder's own volume current here.
    virtual void selectFolder(const FolderNode* /*node*/) {}
    // FAT only: gives the child folders of the selected folder the names of their entries in its directory
    // sectors (a deleted entry marks the child deleted). Not called for KLX_Miscellaneous.
    virtual void renameChildFolders(FolderModel& /*model*/, TreeItem /*selectedItem*/,
                                    std::uint32_t /*self*/) {}
    // Appends the files of folder self (rootSelf() for "Root") to the list, testing listStop before every
    // sector and entry.
    virtual void listFiles(FileList& list, std::uint32_t self, const StopFlag& listStop) = 0;
};

// Fills the list for the selected tree item: clears ListStopFlag and the list, renames child folders (when
// the walker does), appends the folder rows, then the file rows. Stops where it is when ListStopFlag is set.
// walker may be null (no file system to list): only folder rows are listed then.
void PopulateList(FolderModel& model, TreeItem selectedItem, FolderFileWalker* walker, FileList& list);

// What listing every folder once does to the tree: child folders get the names of their entries and the
// children of deleted folders are marked deleted. Parents first, so the marks reach every depth.
void RenameAllFolders(FolderModel& model, FolderFileWalker* walker);

// After a scan: true when the tree holds nothing but "Root", or "Root" and KLX_Miscellaneous while the scan
// found no folder. The mode window then says once that recovery is not possible in this mode.
bool ScanFoundNothing(const FolderModel& model, bool scanFoundFolders);

} // namespace salvora
