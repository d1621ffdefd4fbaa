// SPDX-License-Identifier: GPL-3.0-or-later
// Writing the file of one row of a Basic or Deep Search file list with the writer of its volume, as both
// the save run and the Open command do.
#pragma once

#include <cstdint>
#include <string>

#include "fsrecovery/file_list.h"
#include "save/save_context.h"

namespace salvora {

// Reads a decimal cell; an empty or malformed cell reads as 0.
std::uint64_t listCellNumber(const std::string& text);

// Fills the request's size and location from the row (size column; first cluster or record sector column)
// and runs the FAT or NTFS writer, as context.fileSystem says.
void WriteListedFile(SaveContext& context, const FileListRow& row, FileSaveRequest& request);

} // namespace salvora
