// SPDX-License-Identifier: GPL-3.0-or-later
// FAT directory entries: the 32-byte short entry, the long-name entry and the start of a directory cluster.
// Pure parsers over the bytes of one sector.
//
// Short entry (offsets in bytes, little-endian):
//   0x00  8  name, blank padded; byte 0: 0x00 = no further entries, 0xE5 = deleted
//   0x08  3  extension, blank padded
//   0x0B  1  attributes: 0x0F long-name entry, 0x10 directory, 0x08 volume label
//   0x14  2  high 16 bits of the first cluster (FAT32 only)
//   0x16  2  time of last write (FAT time word)
//   0x18  2  date of last write (FAT date word)
//   0x1A  2  low 16 bits of the first cluster
//   0x1C  4  file size in bytes
// Long-name entry: 0x00 sequence byte, 13 UTF-16LE characters at 0x01-0x0A, 0x0E-0x19, 0x1C-0x1F.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bytes.h"

namespace salvora::fat {

inline constexpr std::size_t kEntrySize = 32;
inline constexpr std::size_t kEntriesPerSector = 16;
inline constexpr std::uint8_t kAttrLongName = 0x0F;
inline constexpr std::uint8_t kAttrDirectory = 0x10;
inline constexpr std::uint8_t kEndOfDirectory = 0x00;
inline constexpr std::uint8_t kDeletedMark = 0xE5;

// The fields of one short entry.
struct ShortEntry {
    std::uint8_t firstByte = 0;
    std::uint8_t attributes = 0;
    std::uint32_t firstCluster =
        0; // FAT16: the word at 0x1A only; FAT32: (word at 0x14) x 65536 + word at 0x1A
    std::uint16_t time = 0;
    std::uint16_t date = 0;
    std::uint32_t size = 0;

    bool endOfDirectory() const { return firstByte == kEndOfDirectory; }
    bool deleted() const { return firstByte == kDeletedMark; }
    bool longName() const { return attributes == kAttrLongName; }
    bool directory() const { return (attributes & kAttrDirectory) != 0; }
};

// The entry at entryOffset of a sector; fields outside the span read as zero.
ShortEntry parseShortEntry(ByteSpan sector, std::size_t entryOffset, bool fat32);

// "." and ".." entries: byte 0 is '.' and byte 3 is a blank (a name of one or two dots).
bool isDotEntry(ByteSpan sector, std::size_t entryOffset);

// A directory cluster starts with "." and "..": byte 0 '.', byte 1 ' ', bytes 32-34 ". " after a '.'.
bool isDirectoryStart(ByteSpan sector);

// In a directory start: the "." entry's cluster (the directory itself) and the ".." entry's (its parent, 0
// for the root).
inline std::uint32_t selfCluster(ByteSpan sector, bool fat32) {
    return parseShortEntry(sector, 0, fat32).firstCluster;
}
inline std::uint32_t parentCluster(ByteSpan sector, bool fat32) {
    return parseShortEntry(sector, kEntrySize, fat32).firstCluster;
}

} // namespace salvora::fat
