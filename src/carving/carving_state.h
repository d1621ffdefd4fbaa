// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the carving modes keep between operations: the type lists read from the data files, the type
// chooser and the per-type tables, the stop flags and the count of primary files. The Session owns one;
// the Signature and Video Search windows share it (only one of them is open at a time).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "carving/recovered_files.h"
#include "carving/type_lists.h"

namespace salvora {

// One row of the Photo type table: a type's bare extension (case as in the data file) and its folder.
struct PhotoTypeRow {
    std::string extension;
    std::uint64_t count = 0;
    std::string folderName;
};

// One row of the type results table of Signature and Video Search.
struct TypeResultRow {
    std::string fileTypes;        // bare extension, upper case
    std::uint64_t filesFound = 0; // "No. of files found"
    std::string nameOfFile;       // the last finished file of this type
    std::string pathOfFileSaved;  // and where it went
    std::uint64_t lastfileNo = 0; // the number in that type's last file name; runs on across both passes
    std::uint64_t count = 0;      // reset at every pass, never advanced
    std::string folderName;       // the type's output folder
    std::string iconIndex;        // the GUI's icon for the type, empty until the first file
};

struct CarvingState {
    // Photo Search: read once at start-up.
    TypeList GeneralTypeList; // with GeneralOffsetList as its offsets
    TypeList AdvanceTypeList; // with AdvanceOffsetList
    std::vector<PhotoTypeRow> PhotoTypeTable;

    // Signature and Video Search: the checked types of the pass that runs.
    TypeList ActiveTypeList; // with ActiveOffsetList
    TypeChooser typeChooser;
    std::vector<TypeResultRow> TypeResultsTable;
    RecoveredFilesList recoveredFiles;

    std::atomic<bool> PhotoStop{false};
    std::atomic<bool> SignatureStop{false};
    std::atomic<bool> SignatureRunning{false};
    // Files finished in primary passes since the window opened or went back from its scanning page.
    std::atomic<std::uint64_t> GeneralFoundCount{0};
};

// Fills the Photo type table from the two Photo lists: one row per bare extension (case ignored).
void fillPhotoTypeTable(CarvingState& state);

// Makes the type results table: one row per checked chooser row, numbers at 0.
// False when no row is checked.
bool fillTypeResultsTable(CarvingState& state);

// The row for a bare extension (exact text), or nullptr.
TypeResultRow* findTypeResult(CarvingState& state, std::string_view fileTypes);

} // namespace salvora
