// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers: trimming, ASCII case, and conversion of on-disk encodings to UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/bytes.h"

namespace salvora {

// Trims blanks (space, tab, CR, LF) from both ends.
std::string trim(std::string_view text);
std::string toUpperAscii(std::string_view text);

// UTF-16LE code units to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16leToUtf8(ByteSpan bytes);
std::string utf16ToUtf8(std::u16string_view text);
// Windows-1252 bytes (short names on FAT volumes) to UTF-8.
std::string cp1252ToUtf8(ByteSpan bytes);

// Reads leading decimal digits the way a text-to-long conversion does: optional blanks and sign, then
// digits; anything above the largest signed 32-bit value is clamped to it (and below the smallest to it).
std::int32_t decimalPrefixToInt32(std::string_view text);

// The leading decimal digits of the text, trimmed, as an unsigned 64-bit number; 0 when it does not start
// with a digit or the number overflows.
std::uint64_t trimmedDecimalToUint64(std::string_view text);

} // namespace salvora
