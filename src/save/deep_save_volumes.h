// SPDX-License-Identifier: GPL-3.0-or-later
// Saving the result of a Deep Search of FAT structures: each file is read with the parameters of the
// volume its folder was found in.
#pragma once

#include <memory>

#include "fsrecovery/deep/deep_search.h"
#include "save/save_run.h"

namespace salvora {

// The volume selector for the last Deep Search in context; null when that search was not a FAT one or
// found no volume (every file then lies on the volume of the save context).
std::unique_ptr<SaveVolumeSelector> DeepSearchSaveVolumes(DeepSearchContext& context);

} // namespace salvora
