// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/size_text.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

TEST(FormatSize, MatchesTheProductsSizeTexts) {
    struct Case {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 Byte"},
        {1023, "1023 Byte"},
        {1024, "  1.00 KB"},
        {1048575, "1024.00 KB"},   // below 2^20 no halving happens yet
        {1048576, "  1.00 MB"},
        {2000000000, "  1.86 GB"},
        {64ull << 20, " 64.00 MB"},
        {~0ull, " 16.00 EB"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

} // namespace
} // namespace salvora
