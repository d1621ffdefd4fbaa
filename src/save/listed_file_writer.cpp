// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/listed_file_writer.h"

#include <charconv>

#include "save/fat_writer.h"
#include "save/ntfs_writer.h"

namespace salvora {

std::uint64_t listCellNumber(const std::string& text) {
    std::uint64_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

void WriteListedFile(SaveContext& context, const FileListRow& row, FileSaveRequest& request) {
    request.size = listCellNumber(row.cells[file_list::Size]);
    const std::uint64_t location = listCellNumber(row.cells[file_list::Debug1]);
    if (context.fileSystem == "NTFS") {
        request.recordSector = location;
        SaveNtfsFile(context, request);
    } else {
        request.startCluster = static_cast<std::uint32_t>(location);
        SaveFatFile(context, request);
    }
}

} // namespace salvora
