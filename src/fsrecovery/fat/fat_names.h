// SPDX-License-Identifier: GPL-3.0-or-later
// Names of FAT directory entries: the 8.3 short name, the long name gathered from the entries before it,
// and the name the product shows for an entry.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace salvora::fat {

struct ShortNameText {
    std::string text; // UTF-8
    bool deleted = false;
};

// The 8 name bytes without blanks, then '.' and the extension bytes without blanks when the first extension
// byte is not a blank. A leading 0xE5 marks a deleted entry and becomes '_'. Windows-1252, case as stored.
ShortNameText ShortName(ByteSpan sector, std::size_t entryOffset);

// False when the text holds a character with code 1 to 31, one of " \ / ? * < > | :, or one with code 128
// to 255.
bool IsValidName(std::string_view utf8);
// The check for a name that came from long-name entries: control and reserved characters only. Accented
// Latin letters (codes 128 to 255) are ordinary in long names and do not hide a file.
bool IsValidLongName(std::string_view utf8);

// Reads the directory sector that comes before sector in the directory (the previous sector of its cluster
// chain, which is not always sector - 1): its number into preceding and its bytes into out. False when there
// is none or it cannot be read.
using PrecedingSectorReader =
    std::function<bool(std::uint64_t sector, std::uint64_t& preceding, std::array<std::byte, 512>& out)>;

// The long name of the short entry at entryOffset of sectorBuffer (read from sector): the long-name entries
// before it, walked backwards, across into the preceding sector when the walk passes offset 0. Ends at the
// first entry that is not a long-name entry, after the entry whose sequence byte is 0x40 plus its position
// in the walk, and when the name has grown beyond 255 characters. The name ends at its first 0x0000.
std::string LongName(ByteSpan sectorBuffer, std::size_t entryOffset, std::uint64_t sector,
                     const PrecedingSectorReader& readPreceding);

// The shown name: the short name when the long name is empty, otherwise the long name, with the short
// name's extension appended when the long name has none.
std::string EntryName(std::string_view longName, std::string_view shortName);

// The name and validity of the entry at entryOffset, as the listings and the naming steps use them:
// empty when the name is not valid.
struct EntryNaming {
    std::string name;      // empty when the entry is not to be shown
    std::string shortName; // as ShortName gives it
    bool deleted = false;
};
EntryNaming NameEntry(ByteSpan sectorBuffer, std::size_t entryOffset, std::uint64_t sector,
                      const PrecedingSectorReader& readPreceding);

} // namespace salvora::fat
