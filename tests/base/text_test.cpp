// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/text.h"

#include <gtest/gtest.h>

#include <vector>

namespace salvora {
namespace {

std::vector<std::byte> bytesOf(std::initializer_list<unsigned> values) {
    std::vector<std::byte> bytes;
    for (unsigned v : values)
        bytes.push_back(static_cast<std::byte>(v));
    return bytes;
}

TEST(DecimalPrefix, ReadsLeadingDigitsAndClampsToThe32BitRange) {
    struct Case {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"9", 9},
        {"10", 10},
        {"  42abc", 42},
        {"", 0},
        {"abc", 0},
        {"-7", -7},
        {"2147483647", 2147483647},
        {"2147483648", 2147483647},
        {"4294967295", 2147483647},
        {"99999999999999999999999", 2147483647},
        {"-99999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decimalPrefixToInt32(c.text), c.expected) << c.text;
}

TEST(TrimmedDecimal, ReadsA64BitNumberAndGivesZeroForAnythingElse) {
    struct Case {
        const char* text;
        std::uint64_t expected;
    } cases[] = {
        {" 131072 ", 131072},
        {"18446744073709551615", 18446744073709551615u},
        {"18446744073709551616", 0}, // overflows
        {"", 0},
        {"-1", 0},
        {"63 sectors", 63},
    };
    for (const Case& c : cases)
        EXPECT_EQ(trimmedDecimalToUint64(c.text), c.expected) << c.text;
}

TEST(Utf16, ConvertsPairsAndReplacesLoneSurrogates) {
    // "aé€😀" then a lone high surrogate, then "b"
    auto bytes = bytesOf({0x61, 0, 0xE9, 0, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE, 0x3D, 0xD8, 0x62, 0});
    EXPECT_EQ(utf16leToUtf8(bytes), "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBD"
                                    "b");
}

TEST(Cp1252, MapsTheHighControlRangeAndLatin1) {
    auto bytes = bytesOf({0x80, 0x8A, 0x81, 0xE9, 0x41});
    EXPECT_EQ(cp1252ToUtf8(bytes), "\xE2\x82\xAC\xC5\xA0\xEF\xBF\xBD\xC3\xA9"
                                   "A");
}

TEST(Trim, RemovesBlanksAtBothEndsOnly) {
    EXPECT_EQ(trim("  1.86 GB \t\r\n"), "1.86 GB");
    EXPECT_EQ(trim("   "), "");
}

} // namespace
} // namespace salvora
