// SPDX-License-Identifier: GPL-3.0-or-later
// The log's primitives, byte for byte, and a decoder that never believes a count the bytes cannot hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recoverylog/log_encoding.h"

namespace salvora {
namespace {

std::vector<std::byte> bytes(std::initializer_list<int> values) {
    std::vector<std::byte> out;
    for (int v : values)
        out.push_back(static_cast<std::byte>(v));
    return out;
}

std::vector<std::byte> concat(std::vector<std::byte> a, const std::vector<std::byte>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// count copies of the code unit 'a' in UTF-16LE.
std::vector<std::byte> unitsOfA(std::size_t count) {
    std::vector<std::byte> out;
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(std::byte{'a'});
        out.push_back(std::byte{0});
    }
    return out;
}

struct CountCase {
    std::size_t characters;
    std::vector<std::byte> prefix; // everything before the code units
};

TEST(LogString, CountFormsAtEachBoundary) {
    const std::vector<CountCase> cases = {
        {0, bytes({0xFF, 0xFE, 0xFF, 0x00})},
        {1, bytes({0xFF, 0xFE, 0xFF, 0x01})},
        {254, bytes({0xFF, 0xFE, 0xFF, 0xFE})},
        {255, bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0x00})},
        {0xFFFD, bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFD, 0xFF})},
        {0xFFFE, bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {0x10000, bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x01, 0x00})},
    };
    for (const CountCase& c : cases) {
        SCOPED_TRACE(c.characters);
        const std::string text(c.characters, 'a');
        const std::vector<std::byte> encoded = encodeLogString(text);
        EXPECT_EQ(encoded, concat(c.prefix, unitsOfA(c.characters)));

        MemoryLogInput input(encoded);
        LogDecoder decoder(input);
        EXPECT_EQ(decoder.string(), text);
        EXPECT_TRUE(decoder.ok());
        EXPECT_TRUE(decoder.atEnd());
    }
}

TEST(LogString, TextIsUtf16LittleEndianWithSurrogatePairs) {
    // "é" U+00E9, "€" U+20AC, and U+1F600 as a surrogate pair: four code units.
    EXPECT_EQ(encodeLogString("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              bytes({0xFF, 0xFE, 0xFF, 0x04, 0xE9, 0x00, 0xAC, 0x20, 0x3D, 0xD8, 0x00, 0xDE}));
    // A byte that is not UTF-8 becomes U+FFFD rather than being dropped or shifting what follows.
    EXPECT_EQ(encodeLogString("A\xFF"
                              "B"),
              bytes({0xFF, 0xFE, 0xFF, 0x03, 'A', 0, 0xFD, 0xFF, 'B', 0}));
}

TEST(LogLine, CodeUnitsThenCrLf) {
    EXPECT_EQ(encodeLogLine("\t\tAB"), bytes({0x09, 0, 0x09, 0, 'A', 0, 'B', 0, 0x0D, 0, 0x0A, 0}));
    EXPECT_EQ(encodeLogLine(""), bytes({0x0D, 0, 0x0A, 0}));
}

TEST(LogDecoder, IntegersAreLittleEndian) {
    MemoryLogSink sink;
    {
        LogEncoder encoder(sink);
        encoder.u16(0x1234);
        encoder.u32(0x89ABCDEF);
        encoder.u64(0x0102030405060708ull);
        encoder.flush();
    }
    EXPECT_EQ(sink.bytes(), bytes({0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 8, 7, 6, 5, 4, 3, 2, 1}));
    MemoryLogInput input(sink.bytes());
    LogDecoder decoder(input);
    EXPECT_EQ(decoder.u16(), 0x1234);
    EXPECT_EQ(decoder.u32(), 0x89ABCDEFu);
    EXPECT_EQ(decoder.u64(), 0x0102030405060708ull);
    EXPECT_TRUE(decoder.ok());
    EXPECT_EQ(decoder.u16(), 0); // past the end: zero, and the failure sticks
    EXPECT_FALSE(decoder.ok());
}

TEST(LogDecoder, LinesEndAtLfAndTheEndIsNotAFailure) {
    std::vector<std::byte> data = concat(encodeLogLine("one"), encodeLogLine("\ttwo"));
    MemoryLogInput input(data);
    LogDecoder decoder(input);
    EXPECT_EQ(decoder.line(), "one");
    EXPECT_EQ(decoder.line(), "\ttwo");
    EXPECT_EQ(decoder.line(), std::nullopt);
    EXPECT_TRUE(decoder.ok());

    // A line cut off before its LF fails.
    std::vector<std::byte> cut = encodeLogLine("three");
    cut.resize(cut.size() - 2);
    MemoryLogInput cutInput(cut);
    LogDecoder cutDecoder(cutInput);
    cutDecoder.line();
    EXPECT_FALSE(cutDecoder.ok());
}

// Strings whose count or form the bytes do not support fail without allocating what the count claims.
TEST(LogDecoder, RefusesHostileStrings) {
    const std::vector<std::vector<std::byte>> cases = {
        bytes({}),                                                           // nothing at all
        bytes({0xFE, 0xFF, 0xFF, 0x00}),                                     // not the string mark
        bytes({0xFF, 0xFE, 0xFE, 0x00}),                                     // wrong second byte of the mark
        bytes({0xFF, 0xFE, 0xFF, 0x05, 'a', 0}),                             // five claimed, one there
        bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF}),                         // a second mark for a count
        bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), // two billion claimed
        bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
               0xFF, 0xFF}),                          // 2^64 - 1 claimed
        bytes({0xFF, 0xFE, 0xFF, 0x02, 'a', 0, 'b'}), // odd number of bytes
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        MemoryLogInput input(cases[i]);
        LogDecoder decoder(input);
        EXPECT_EQ(decoder.string(), "");
        EXPECT_FALSE(decoder.ok());
    }
}

TEST(LogDecoder, FileInputReadsAcrossItsBufferAndKnowsWhatRemains) {
    // A string longer than the read buffer, then a line: both come back whole.
    const std::string text(3000, 'x');
    std::vector<std::byte> data = concat(encodeLogString(text), encodeLogLine("end"));
    const std::string path = ::testing::TempDir() + "/buffered.SLV";
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(data.data(), 1, data.size(), file);
        std::fclose(file);
    }
    FileLogInput input(path);
    ASSERT_TRUE(input.isOpen());
    EXPECT_EQ(input.remaining(), data.size());
    LogDecoder decoder(input);
    EXPECT_EQ(decoder.string(), text);
    EXPECT_EQ(decoder.line(), "end");
    EXPECT_TRUE(decoder.atEnd());
    EXPECT_TRUE(decoder.ok());

    // A folder is not a log.
    FileLogInput folder(::testing::TempDir());
    EXPECT_FALSE(folder.isOpen());
}

} // namespace
} // namespace salvora
