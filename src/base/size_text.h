// SPDX-License-Identifier: GPL-3.0-or-later
// The size text shown everywhere in the product: "1023 Byte", "  1.86 GB".
#pragma once

#include <cstdint>
#include <string>

namespace salvora {

// Below 1024 bytes: "<n> Byte". Otherwise the value is halved by 1024 (rounded) until it drops below
// 2^20 and printed as "%6.2f" of value/1024 followed by the unit letter and "B"; the result keeps its
// leading blanks, callers trim it where they show it. "Unknown Size" when nine steps are not enough.
std::string FormatSize(std::uint64_t bytes);

} // namespace salvora
