// SPDX-License-Identifier: GPL-3.0-or-later
// Pure readers of partition-table entries.
//
// Master and extended boot record (four 16-byte entries at 0x1BE; an extended boot record uses two):
//   entry + 4   u8   partition type
//   entry + 8   u32  first sector (MBR: absolute; EBR entry 1: relative to this EBR;
//                    EBR entry 2: relative to the start of the extended partition)
//   entry + 12  u32  sector count
// GUID partition entry (128 bytes, four per sector):
//   0   16  partition type GUID (first three groups little-endian)
//   32  u64 first sector
//   40  u64 last sector, inclusive
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/bytes.h"

namespace salvora {

struct MbrEntry {
    std::uint8_t type = 0;
    std::uint32_t firstSector = 0;
    std::uint32_t sectorCount = 0;
};

inline constexpr std::size_t kMbrEntryOffset = 0x1BE;
inline constexpr std::size_t kMbrEntrySize = 16;

std::array<MbrEntry, 4> parseMbrEntries(ByteSpan sector);

using Guid = std::array<std::uint8_t, 16>;

struct GptEntry {
    Guid typeGuid{};
    std::uint64_t firstSector = 0;
    std::uint64_t lastSector = 0;
};

inline constexpr std::size_t kGptEntrySize = 128;

std::array<GptEntry, 4> parseGptEntries(ByteSpan sector);

constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// The on-disk bytes of a GUID written as text "E3C9E316-0B5C-4DB8-817D-F92DF00215AE": the first three
// groups are stored little-endian, the last two as written.
constexpr Guid guidFromText(std::string_view text) {
    constexpr std::array<std::size_t, 16> kTextIndexOfDiskByte = {3, 2, 1, 0, 5, 4, 7, 6,
                                                                  8, 9, 10, 11, 12, 13, 14, 15};
    std::array<std::uint8_t, 16> textBytes{};
    std::size_t count = 0;
    for (std::size_t i = 0; i + 1 < text.size() && count < 16;) {
        if (text[i] == '-') {
            ++i;
            continue;
        }
        textBytes[count++] = static_cast<std::uint8_t>(hexDigitValue(text[i]) * 16 + hexDigitValue(text[i + 1]));
        i += 2;
    }
    Guid guid{};
    for (std::size_t i = 0; i < 16; ++i)
        guid[i] = textBytes[kTextIndexOfDiskByte[i]];
    return guid;
}

// Microsoft reserved partition: never listed.
inline constexpr Guid kMicrosoftReservedGuid = guidFromText("E3C9E316-0B5C-4DB8-817D-F92DF00215AE");
// Logical disk manager data partition: its disk is a dynamic disk.
inline constexpr Guid kLdmDataGuid = guidFromText("AF9B60A0-1431-4F62-BC68-3311714A69AD");

} // namespace salvora
