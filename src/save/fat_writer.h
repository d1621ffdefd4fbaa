// SPDX-License-Identifier: GPL-3.0-or-later
// Saving a file of a FAT16 or FAT32 volume: its cluster chain from either FAT copy, or — for a deleted file,
// whose FAT entries are cleared — as many consecutive clusters as its size needs from its first cluster.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "save/save_context.h"

namespace salvora {

using ClusterChain = std::vector<std::uint32_t>;

// Follows the chain from start in the FAT that begins at fatSector: the start cluster, then each entry in
// turn until an entry of 0 or of 0xFFFF (FAT16) / 0x0FFFFFFF (FAT32) and above, until the chain is longer
// than maximum, until a cluster repeats (a chain that loops is cut), or until a stop flag is set.
ClusterChain BuildClusterChain(const SaveContext& context, const std::string& fileSystem, std::uint32_t start,
                               std::uint32_t fatSector, std::uint64_t maximum);

// Writes one file of the volume in context. A size of 0 saves the 4096 bytes from the first cluster on.
void SaveFatFile(SaveContext& context, FileSaveRequest request);

} // namespace salvora
