// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT branch of Deep Search: the sector scan over the range, the volumes assigned from what it found,
// and one folder tree for all of them.
#pragma once

#include <cstdint>

#include "fsrecovery/deep/deep_search.h"

namespace salvora::deep {

inline constexpr std::uint32_t kDeepScanChunkSectors = 1024; // 524288 bytes per read

struct FatScanResult {
    bool stopped = false;
    bool deviceOpened = false;
};

// Reads the range in chunks of 1024 sectors through one handle (the last chunk whole, so up to 1023 sectors
// past the end take part) and appends boot sectors to VolumeParamTableFound and directory starts to
// DirectoryTable. An unreadable chunk is skipped; the stop flag is tested before each chunk.
FatScanResult ScanForFatStructures(DeepSearchContext& context);

// For each volume in turn: its directories become FoundFolderTable rows named DIR0, DIR1, … (numbered across
// volumes) carrying the volume's Cluster0Start, its parameters are loaded (its FAT copies located when it
// was inferred from directories) and its folders join the one tree under Root. Empties DirectoryTable.
void BuildVolumeFolders(DeepSearchContext& context);

// The whole FAT branch, called by RunDeepSearch.
DeepSearchOutcome RunDeepFatSearch(DeepSearchContext& context);

} // namespace salvora::deep
