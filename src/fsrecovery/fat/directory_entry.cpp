// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/directory_entry.h"

namespace salvora::fat {

ShortEntry parseShortEntry(ByteSpan sector, std::size_t entryOffset, bool fat32) {
    ShortEntry entry;
    entry.firstByte = le8(sector, entryOffset + 0x00);
    entry.attributes = le8(sector, entryOffset + 0x0B);
    const std::uint32_t low = le16(sector, entryOffset + 0x1A);
    const std::uint32_t high = fat32 ? le16(sector, entryOffset + 0x14) : 0;
    entry.firstCluster = high * 65536u + low;
    entry.time = le16(sector, entryOffset + 0x16);
    entry.date = le16(sector, entryOffset + 0x18);
    entry.size = le32(sector, entryOffset + 0x1C);
    return entry;
}

bool isDotEntry(ByteSpan sector, std::size_t entryOffset) {
    return le8(sector, entryOffset) == '.' && le8(sector, entryOffset + 3) == ' ';
}

bool isDirectoryStart(ByteSpan sector) {
    return hasBytes(sector, 0, 35) && le8(sector, 0) == '.' && le8(sector, 1) == ' ' &&
           le8(sector, 32) == '.' && le8(sector, 33) == '.' && le8(sector, 34) == ' ';
}

} // namespace salvora::fat
