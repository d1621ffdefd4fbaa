// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/fat_names.h"

#include <array>
#include <cstring>
#include <map>

#include <gtest/gtest.h>

#include "fsrecovery/fat/directory_entry.h"

namespace salvora::fat {
namespace {

using Sector = std::array<std::byte, 512>;

void putShort(Sector& sector, std::size_t entry, const char (&name)[12], std::uint8_t attributes = 0x20) {
    std::memcpy(sector.data() + entry * 32, name, 11);
    sector[entry * 32 + 11] = std::byte{attributes};
}

// Writes a long-name entry holding up to 13 characters of text (terminated and padded as real ones are).
void putLong(Sector& sector, std::size_t entry, std::uint8_t sequence, std::u16string_view text) {
    static constexpr std::array<std::size_t, 13> offsets = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    std::byte* at = sector.data() + entry * 32;
    std::memset(at, 0, 32);
    at[0] = std::byte{sequence};
    at[11] = std::byte{0x0F};
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        char16_t unit = i < text.size() ? text[i] : (i == text.size() ? u'\0' : u'\xFFFF');
        at[offsets[i]] = std::byte(unit & 0xFF);
        at[offsets[i] + 1] = std::byte(unit >> 8);
    }
}

ByteSpan span(const Sector& sector) {
    return ByteSpan(sector.data(), sector.size());
}

PrecedingSectorReader readerOf(const std::map<std::uint64_t, Sector>& sectors) {
    return [&sectors](std::uint64_t number, std::uint64_t& preceding, Sector& out) {
        preceding = number - 1;
        auto found = sectors.find(preceding);
        if (found == sectors.end())
            return false;
        out = found->second;
        return true;
    };
}

TEST(ShortName, DropsBlanksAndMarksDeletedEntries) {
    Sector s{};
    putShort(s, 0, "README  TXT");
    putShort(s, 1,
             "\xE5"
             "AME    TXT");
    putShort(s, 2, "NOEXT      ");
    putShort(s, 3, "A B C   D E");
    putShort(s, 4, "CAF\xC9    TXT"); // Windows-1252 0xC9 is É
    EXPECT_EQ(ShortName(span(s), 0).text, "README.TXT");
    EXPECT_FALSE(ShortName(span(s), 0).deleted);
    EXPECT_EQ(ShortName(span(s), 32).text, "_AME.TXT");
    EXPECT_TRUE(ShortName(span(s), 32).deleted);
    EXPECT_EQ(ShortName(span(s), 64).text, "NOEXT");
    EXPECT_EQ(ShortName(span(s), 96).text, "ABC.DE");
    EXPECT_EQ(ShortName(span(s), 128).text, "CAF\u00C9.TXT");
    EXPECT_EQ(ShortName(span(s), 505).text, ""); // entry runs past the sector
}

TEST(IsValidName, RefusesControlReservedAndLatinOneCharacters) {
    struct Case {
        const char* name;
        bool valid;
        bool validLong;
    };
    const Case cases[] = {
        {"README.TXT", true, true},
        {"NAME?.TXT", false, false},
        {"a:b", false, false},
        {"a\x01"
         "b",
         false, false},
        {"x|y", false, false},
        {"q\"q", false, false},
        {"caf\u00E9.txt", false, true},
        {"\u20AC.TXT", true, true},
        {"\u65E5\u672C.txt", true, true},
        {"dir/evil", false, false},
        {"dir\\evil", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsValidName(c.name), c.valid) << c.name;
        EXPECT_EQ(IsValidLongName(c.name), c.validLong) << c.name;
    }
}

TEST(LongName, ThirteenCharactersEndWithTheEntryFlaggedFirst) {
    Sector s{};
    putLong(s, 0, 0x42, u"this is ignored"); // a stale entry before the name: never reached
    putLong(s, 1, 0x41, u"exactly13char");
    putShort(s, 2, "EXACTL~1   ");
    EXPECT_EQ(LongName(span(s), 64, 100, {}), "exactly13char");
}

TEST(LongName, UnflaggedLastEntryEndsAtTheFirstShortEntryBeforeIt) {
    Sector s{};
    putShort(s, 0, "OTHER   TXT");
    putLong(s, 1, 0x02, u"econd part"); // sequence without 0x40: a deleted or odd chain
    putLong(s, 2, 0x01, u"first part, s");
    putShort(s, 3, "FIRSTP~1TXT");
    EXPECT_EQ(LongName(span(s), 96, 100, {}), "first part, second part");
}

TEST(LongName, WalksBackAcrossTheSectorBoundary) {
    std::map<std::uint64_t, Sector> sectors;
    Sector& before = sectors[99];
    putLong(before, 15, 0x42, u"name.txt");
    Sector current{};
    putLong(current, 0, 0x01, u"A rather long");
    putShort(current, 1, "ARATHE~1TXT");
    EXPECT_EQ(LongName(span(current), 32, 100, readerOf(sectors)), "A rather longname.txt");
    // The preceding sector cannot be read: the name is what this sector holds.
    EXPECT_EQ(LongName(span(current), 32, 100, readerOf({})), "A rather long");
    // Sector 0 has no sector before it.
    EXPECT_EQ(LongName(span(current), 32, 0, readerOf(sectors)), "A rather long");
}

TEST(LongName, StopsGrowingPast255Characters) {
    // Long-name entries all the way back through many sectors, none flagged and none terminated.
    std::map<std::uint64_t, Sector> sectors;
    for (std::uint64_t n = 1; n <= 5; ++n)
        for (std::size_t e = 0; e < 16; ++e)
            putLong(sectors[n], e, 0x05, u"abcdefghijklm");
    Sector current = sectors[5];
    putShort(current, 15, "LONG~1     ");
    const std::string name = LongName(span(current), 15 * 32, 5, readerOf(sectors));
    EXPECT_GT(name.size(), 255u);
    EXPECT_LE(name.size(), 255u + 13u);
}

TEST(EntryName, LongNameWithTheShortExtensionWhenItHasNone) {
    EXPECT_EQ(EntryName("", "README.TXT"), "README.TXT");
    EXPECT_EQ(EntryName("My letter", "MYLETT~1.DOC"), "My letter.DOC");
    EXPECT_EQ(EntryName("My letter.docx", "MYLETT~1.DOC"), "My letter.docx");
    EXPECT_EQ(EntryName("trailing.  ", "TRAILI~1.TXT"), "trailing.  "); // "." is an extension
    EXPECT_EQ(EntryName("noext", "NOEXT"), "noext");
}

TEST(NameEntry, LongNamesWithAccentsStayVisibleShortOnesDoNot) {
    Sector s{};
    putLong(s, 0, 0x42, u"txt");
    putLong(s, 1, 0x01, u"caf\u00E9 au lait.");
    putShort(s, 2,
             "CAF\xC9"
             "AU~1TXT");
    putShort(s, 3, "CAF\xC9    TXT");
    putShort(s, 4, "WHAT?   TXT");
    EXPECT_EQ(NameEntry(span(s), 64, 7, {}).name, "caf\u00E9 au lait.txt");
    EXPECT_EQ(NameEntry(span(s), 96, 7, {}).name, "");
    EXPECT_EQ(NameEntry(span(s), 128, 7, {}).name, "");
}

TEST(DirectoryEntry, FieldsAndDirectoryStart) {
    Sector s{};
    putShort(s, 0, ".          ", 0x10);
    putShort(s, 1, "..         ", 0x10);
    s[0x14] = std::byte{0x01}; // high word 1 (FAT32 only)
    s[0x1A] = std::byte{0x34};
    s[0x1B] = std::byte{0x12};
    s[32 + 0x1A] = std::byte{0x07};
    EXPECT_TRUE(isDirectoryStart(span(s)));
    EXPECT_EQ(selfCluster(span(s), false), 0x1234u);
    EXPECT_EQ(selfCluster(span(s), true), 0x11234u);
    EXPECT_EQ(parentCluster(span(s), true), 7u);
    EXPECT_TRUE(isDotEntry(span(s), 0));
    EXPECT_TRUE(isDotEntry(span(s), 32));
    s[34] = std::byte{'x'};
    EXPECT_FALSE(isDirectoryStart(span(s)));
    EXPECT_FALSE(isDirectoryStart(ByteSpan(s.data(), 34)));
}

} // namespace
} // namespace salvora::fat
