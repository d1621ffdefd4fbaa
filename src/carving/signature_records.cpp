// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/signature_records.h"

#include <limits>

#include "base/text.h"

namespace salvora {
namespace {

int hexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

} // namespace

std::string ReadRecordValue(std::string_view line) {
    std::size_t colon = line.rfind(':');
    return trim(colon == std::string_view::npos ? line : line.substr(colon + 1));
}

std::string chooserExtension(std::string_view line) {
    std::size_t colon = line.rfind(':');
    // Without a colon the text starts at the second character, as "two after the last colon" does when
    // the colon's position is taken as the one before the line.
    std::size_t from = colon == std::string_view::npos ? 1 : colon + 2;
    return from >= line.size() ? std::string() : trim(line.substr(from));
}

void ParseSignatureHex(std::string_view hex, FileType1& type) {
    type.signature.fill(0);
    type.signatureLength = 0;
    type.firstByte = 0;
    for (std::size_t i = 0;
         i < hex.size() && static_cast<std::size_t>(type.signatureLength) < kMaxSignatureLength; i += 2) {
        int value = hexDigitValue(hex[i]);
        if (i + 1 < hex.size())
            value = value * 16 + hexDigitValue(hex[i + 1]);
        type.signature[static_cast<std::size_t>(type.signatureLength++)] = static_cast<std::uint8_t>(value);
    }
    if (type.signatureLength > 0)
        type.firstByte = type.signature[0];
}

std::uint64_t parseMaxSize(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    std::uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (value > (kMax - digit) / 10)
            return kMax;
        value = value * 10 + digit;
    }
    return value;
}

std::optional<std::string_view> DataFileLines::next() {
    if (m_position >= m_text.size())
        return std::nullopt;
    std::size_t end = m_text.find('\n', m_position);
    std::string_view line;
    if (end == std::string_view::npos) {
        line = m_text.substr(m_position);
        m_position = m_text.size();
    } else {
        line = m_text.substr(m_position, end - m_position);
        m_position = end + 1;
    }
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::optional<RawRecord> readRawRecord(DataFileLines& lines) {
    auto first = lines.next();
    if (!first)
        return std::nullopt;
    RawRecord record;
    record.lines[0] = *first;
    for (std::size_t i = 1; i < record.lines.size(); ++i)
        record.lines[i] = lines.nextOrEmpty();
    return record;
}

FileType1 makeFileType(const RawRecord& record) {
    FileType1 type;
    type.extension = ReadRecordValue(record.lines[0]);
    type.maxSizeText = ReadRecordValue(record.lines[1]);
    type.signatureHex = toUpperAscii(ReadRecordValue(record.lines[2]));
    ParseSignatureHex(type.signatureHex, type);
    type.offset = decimalPrefixToInt32(ReadRecordValue(record.lines[3]));
    return type;
}

} // namespace salvora
