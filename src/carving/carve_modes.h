// SPDX-License-Identifier: GPL-3.0-or-later
// What each carving mode reads from the data files before it scans: Photo Search both of its lists,
// Signature and Video Search their type chooser and then the checked types of the primary pass.
// Failures carry the fatal "Couldn't open source file: " message.
#pragma once

#include <string_view>

#include "base/result.h"
#include "carving/carving_state.h"
#include "carving/output_layout.h"

namespace salvora {

std::string_view primaryDataFile(CarveMode mode);
std::string_view thoroughDataFile(CarveMode mode);

// Photo: GeneralTypeList from the primary file, AdvanceTypeList from the thorough one, then the Photo type
// table.
Result<bool> loadPhotoTypes(CarvingState& state, std::string_view dataDirectory);

// Signature and Video: the chooser filled from the primary file, then the thorough file, every row checked.
Result<bool> fillModeTypeChooser(CarvingState& state, std::string_view dataDirectory, CarveMode mode);

// Signature and Video: ActiveTypeList emptied and filled with the checked types of the primary file.
Result<bool> loadPrimaryCheckedTypes(CarvingState& state, std::string_view dataDirectory, CarveMode mode);

} // namespace salvora
