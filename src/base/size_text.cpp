// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/size_text.h"

#include <cstdio>

namespace salvora {

std::string FormatSize(std::uint64_t bytes) {
    char text[64];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%u Byte", static_cast<unsigned>(bytes));
        return text;
    }
    static constexpr char kUnits[] = "KMGTPEZY";
    std::uint64_t value = bytes;
    int unit = 0;
    while (value >= (1u << 20)) {
        if (unit == 9)
            return "Unknown Size";
        value = value / 1024 + (value % 1024 >= 512 ? 1 : 0); // rounded, without overflowing near 2^64
        ++unit;
    }
    std::snprintf(text, sizeof text, "%6.2f %cB", static_cast<double>(value) / 1024.0, kUnits[unit]);
    return text;
}

} // namespace salvora
