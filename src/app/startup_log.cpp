// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_log.h"

#include <fstream>
#include <vector>

#include "base/text.h"

namespace salvora {
namespace {

// The header strings are short; a header that needs more than this is not a log of ours.
constexpr std::size_t kHeaderReadLimit = 1u << 20;

// A string: FF, the u16 FFFE, then a count (u8 below FF; else FF + u16 below FFFF; else FFFF + u32 ...),
// then that many UTF-16LE code units.
std::optional<std::string> readString(ByteSpan bytes, std::size_t& offset) {
    if (le8(bytes, offset) != 0xFF || le16(bytes, offset + 1) != 0xFFFE || !hasBytes(bytes, offset, 4))
        return std::nullopt;
    offset += 3;
    std::uint64_t count = le8(bytes, offset);
    offset += 1;
    if (count == 0xFF) {
        if (!hasBytes(bytes, offset, 2))
            return std::nullopt;
        count = le16(bytes, offset);
        offset += 2;
        if (count == 0xFFFF) {
            if (!hasBytes(bytes, offset, 4))
                return std::nullopt;
            count = le32(bytes, offset);
            offset += 4;
        }
    }
    if (count > bytes.size() || !hasBytes(bytes, offset, static_cast<std::size_t>(count) * 2))
        return std::nullopt;
    std::string text = utf16leToUtf8(bytes.subspan(offset, static_cast<std::size_t>(count) * 2));
    offset += static_cast<std::size_t>(count) * 2;
    return text;
}

} // namespace

std::optional<LogHeader> parseLogHeader(ByteSpan bytes) {
    LogHeader header;
    std::size_t offset = 0;
    auto kind = readString(bytes, offset);
    auto magic = kind ? readString(bytes, offset) : std::nullopt;
    auto model = magic ? readString(bytes, offset) : std::nullopt;
    if (!model || !hasBytes(bytes, offset, 4))
        return std::nullopt;
    header.driveKind = *kind;
    header.magic = *magic;
    header.diskModel = *model;
    header.storedMode = le32(bytes, offset);
    return header;
}

StartupLogAction classifyStartupLog(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return StartupLogAction::ExitSilently;
    std::vector<char> buffer(kHeaderReadLimit);
    file.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.resize(static_cast<std::size_t>(file.gcount()));
    auto header = parseLogHeader(asBytes(buffer.data(), buffer.size()));
    if (!header || header->magic != kLogMagic)
        return StartupLogAction::InvalidLog;
    if (header->storedMode == 1)
        return StartupLogAction::OpenBasic;
    if (header->storedMode == 2)
        return StartupLogAction::OpenDeep;
    return StartupLogAction::InvalidLog;
}

} // namespace salvora
