// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/fat_names.h"

#include <array>
#include <cstring>
#include <vector>

#include "base/text.h"
#include "fsrecovery/fat/directory_entry.h"

namespace salvora::fat {
namespace {

constexpr std::size_t kMaxLongNameLength = 255;
constexpr std::size_t kSectorBytes = 512;

// The 13 characters of a long-name entry, at offsets 1-10, 14-25 and 28-31.
constexpr std::array<std::size_t, 13> kLongNameCharOffsets = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};

// Decodes UTF-8 into code points; bytes that do not decode count as U+FFFD.
template <typename Visit> bool everyCodePoint(std::string_view text, Visit visit) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        std::uint32_t code = 0xFFFD;
        std::size_t length = 1;
        if (lead < 0x80) {
            code = lead;
        } else if ((lead & 0xE0) == 0xC0 && i + 1 < text.size()) {
            code = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            length = 2;
        } else if ((lead & 0xF0) == 0xE0 && i + 2 < text.size()) {
            code = ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            length = 3;
        } else if ((lead & 0xF8) == 0xF0 && i + 3 < text.size()) {
            code = 0x10000; // outside the ranges the checks look at
            length = 4;
        }
        if (!visit(code))
            return false;
        i += length;
    }
    return true;
}

bool reservedCharacter(std::uint32_t code) {
    return (code >= 1 && code <= 31) || code == '"' || code == '\\' || code == '/' || code == '?' ||
           code == '*' || code == '<' || code == '>' || code == '|' || code == ':';
}

std::string blanksDropped(ByteSpan bytes) {
    std::vector<std::byte> kept;
    for (std::byte b : bytes)
        if (b != std::byte{' '})
            kept.push_back(b);
    return cp1252ToUtf8(ByteSpan(kept.data(), kept.size()));
}

// The text from the last '.' (included), trimmed; empty when there is no '.'.
std::string extensionOf(std::string_view name) {
    auto dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : trim(name.substr(dot));
}

} // namespace

ShortNameText ShortName(ByteSpan sector, std::size_t entryOffset) {
    ShortNameText result;
    if (!hasBytes(sector, entryOffset, 11))
        return result;
    std::array<std::byte, 8> name{};
    std::memcpy(name.data(), sector.data() + entryOffset, name.size());
    if (name[0] == std::byte{kDeletedMark}) {
        result.deleted = true;
        name[0] = std::byte{'_'};
    }
    result.text = blanksDropped(ByteSpan(name.data(), name.size()));
    ByteSpan extension = sector.subspan(entryOffset + 8, 3);
    if (extension[0] != std::byte{' '})
        result.text += "." + blanksDropped(extension);
    return result;
}

bool IsValidName(std::string_view utf8) {
    return everyCodePoint(
        utf8, [](std::uint32_t code) { return !reservedCharacter(code) && !(code >= 128 && code <= 255); });
}

bool IsValidLongName(std::string_view utf8) {
    return everyCodePoint(utf8, [](std::uint32_t code) { return !reservedCharacter(code); });
}

std::string LongName(ByteSpan sectorBuffer, std::size_t entryOffset, std::uint64_t sector,
                     const PrecedingSectorReader& readPreceding) {
    std::u16string name;
    std::array<std::byte, kSectorBytes> preceding{};
    ByteSpan current = sectorBuffer;
    std::uint64_t currentSector = sector;
    long long offset = static_cast<long long>(entryOffset);
    // A long name has at most 20 entries; the length limit below ends the walk long before this bound.
    for (unsigned position = 1; position <= 64; ++position) {
        offset -= static_cast<long long>(kEntrySize);
        if (offset < 0) {
            std::uint64_t precedingSector = 0;
            if (!readPreceding || !readPreceding(currentSector, precedingSector, preceding))
                break;
            currentSector = precedingSector;
            current = ByteSpan(preceding.data(), preceding.size());
            offset = static_cast<long long>(kSectorBytes - kEntrySize);
        }
        const std::size_t at = static_cast<std::size_t>(offset);
        if (!hasBytes(current, at, kEntrySize) || le8(current, at + 0x0B) != kAttrLongName)
            break;
        bool terminated = false;
        for (std::size_t charOffset : kLongNameCharOffsets) {
            const char16_t unit = static_cast<char16_t>(le16(current, at + charOffset));
            if (unit == 0) {
                terminated = true;
                break;
            }
            name.push_back(unit);
        }
        if (terminated || le8(current, at) == 0x40 + position || name.size() > kMaxLongNameLength)
            break;
    }
    return utf16ToUtf8(name);
}

std::string EntryName(std::string_view longName, std::string_view shortName) {
    if (longName.empty())
        return std::string(shortName);
    std::string name(longName);
    if (extensionOf(longName).empty())
        name += extensionOf(shortName);
    return name;
}

EntryNaming NameEntry(ByteSpan sectorBuffer, std::size_t entryOffset, std::uint64_t sector,
                      const PrecedingSectorReader& readPreceding) {
    EntryNaming naming;
    ShortNameText shortName = ShortName(sectorBuffer, entryOffset);
    naming.shortName = shortName.text;
    naming.deleted = shortName.deleted;
    const std::string longName = LongName(sectorBuffer, entryOffset, sector, readPreceding);
    std::string name = EntryName(longName, shortName.text);
    const bool valid = longName.empty() ? IsValidName(name) : IsValidName(name) || IsValidLongName(name);
    if (valid)
        naming.name = std::move(name);
    return naming;
}

} // namespace salvora::fat
