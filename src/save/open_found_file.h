// SPDX-License-Identifier: GPL-3.0-or-later
// The Open command of a Basic or Deep Search file list: a folder row selects its folder; a file row is
// copied quietly into our temporary folder as "QFX<n>.<extension>" and opened with the desktop's
// application for it. The copies are removed when the program ends.
#pragma once

#include <cstdint>
#include <string>

#include "base/seams.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/folder_tree.h"
#include "save/save_context.h"

namespace salvora {

inline constexpr const char* kOpenedFileMissing = "Does not exist.";
inline constexpr const char* kOpenWaitDetail = "This may take a while, Please wait...";

// The please-wait window's heading while a file is copied: "Opening File : " and the size as formatted.
std::string openingFileText(std::uint64_t size);

// The copy's name for the n-th Open: "QFX0.JPG" for photo.JPG, "QFX1" for a name without an extension.
std::string temporaryCopyName(int counter, const std::string& fileName);

// Opens a file with the desktop's application for its type.
class DesktopOpener {
public:
    virtual ~DesktopOpener() = default;
    // False when no application is associated with the file.
    virtual bool openWithDefaultApplication(const std::string& path) = 0;
    // Lets the user choose the application (the desktop's program chooser).
    virtual void chooseApplication(const std::string& path) = 0;
};

struct OpenFoundFileOutcome {
    enum class Kind {
        Nothing, // not a folder or file row, or no volume to read
        Folder,  // folderItem is the tree item the front end selects
        File,    // copyPath holds the copy (when it could be written) and the opener was called
    };
    Kind kind = Kind::Nothing;
    TreeItem folderItem = kNoTreeItem;
    std::string copyPath;
};

// Carries out the Open command for one row. context.params must be those of the row's volume. The copy
// goes to temporaryFolder without a conflict question, progress or disk-full message (QuietSave) and
// replaces an earlier file of its name; state.OpenFileCounter numbers the copies. "Does not exist." is
// shown through prompter when no copy could be written.
OpenFoundFileOutcome OpenFoundFile(SaveContext& context, const FileListRow& row,
                                   const std::string& temporaryFolder, DesktopOpener& opener);

} // namespace salvora
