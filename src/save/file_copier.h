// SPDX-License-Identifier: GPL-3.0-or-later
// Writing one recovered file: the steps both writers share (the conflict step and counting, creating the
// output, copying clusters off the medium) so the FAT and NTFS writers only say which clusters hold the data.
#pragma once

#include <cstdint>
#include <vector>

#include "save/save_context.h"

namespace salvora {

// A run of clusters in file order; a sparse run has no clusters on the volume and reads as zeros.
struct ClusterExtent {
    std::uint64_t firstCluster = 0;
    std::uint64_t clusterCount = 0;
    bool sparse = false;
};

// The conflict step, counting and the start of the file's progress. False when the file is to be skipped.
bool prepareFile(SaveContext& context, FileSaveRequest& request);

// Creates the output (truncating an existing file) and copies size bytes from the extents into it. The
// copy ends early when the extents run out or a stop flag is set; a block the medium cannot deliver is
// written as zeros. A full destination stops the whole save with the product's message. False when the
// output could not be created.
bool copyExtentsToFile(SaveContext& context, const std::string& path,
                       const std::vector<ClusterExtent>& extents, std::uint64_t size, std::uint16_t askFlag);

// Creates (or truncates) the output and writes bytes into it, for data kept inside a record.
bool writeBytesToFile(SaveContext& context, const std::string& path, const std::byte* bytes,
                      std::uint64_t size);

// Creates or truncates the file and closes it.
void CreateEmptyFile(const std::string& path);

} // namespace salvora
