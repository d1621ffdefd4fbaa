// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/partition_entries.h"

namespace salvora {

std::array<MbrEntry, 4> parseMbrEntries(ByteSpan sector) {
    std::array<MbrEntry, 4> entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::size_t at = kMbrEntryOffset + i * kMbrEntrySize;
        entries[i].type = le8(sector, at + 4);
        entries[i].firstSector = le32(sector, at + 8);
        entries[i].sectorCount = le32(sector, at + 12);
    }
    return entries;
}

std::array<GptEntry, 4> parseGptEntries(ByteSpan sector) {
    std::array<GptEntry, 4> entries{};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::size_t at = i * kGptEntrySize;
        for (std::size_t b = 0; b < 16; ++b)
            entries[i].typeGuid[b] = le8(sector, at + b);
        entries[i].firstSector = le64(sector, at + 32);
        entries[i].lastSector = le64(sector, at + 40);
    }
    return entries;
}

} // namespace salvora
