// SPDX-License-Identifier: GPL-3.0-or-later
// The records of the signature data files. A data file is plain 8-bit text made of records of exactly six
// lines, each line "label:value" with the label ignored:
//   1 extension with its dot (".JPG")     4 1-based byte position of the signature in the first sector
//   2 largest size carved, decimal bytes  5 unused
//   3 signature as hex pairs ("FFD8FF")   6 description shown in the type chooser
// Nothing here touches a file: the readers take the file's text and parse it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace salvora {

// Signatures longer than this are cut to their first kMaxSignatureLength bytes.
inline constexpr std::size_t kMaxSignatureLength = 50;

struct FileType1 {
    std::int32_t offset = 0;    // line 4: 1 = the sector's first byte
    std::int32_t firstByte = 0; // the first signature byte, the second half of the search key
    std::array<std::uint8_t, kMaxSignatureLength> signature{};
    std::int32_t signatureLength = 0;
    std::string extension;    // line 1, dot kept
    std::string maxSizeText;  // line 2, decimal text
    std::string signatureHex; // line 3, upper case

    // Types are looked up by (offset, first byte); the other fields do not take part.
    friend bool operator==(const FileType1& a, const FileType1& b) {
        return a.offset == b.offset && a.firstByte == b.firstByte;
    }
};

// The value of a line: everything after its last colon (the whole line without one), trimmed.
std::string ReadRecordValue(std::string_view line);

// The bare extension as the type chooser reads it from line 1: the text from two characters after the last
// colon, trimmed (".JPG" from "Extension:.JPG" gives "JPG").
std::string chooserExtension(std::string_view line);

// Fills signature, signatureLength and firstByte from hex text, two characters a byte from the left; a
// character that is no hex digit counts as 0 and a final lone digit is a byte of its own.
void ParseSignatureHex(std::string_view hex, FileType1& type);

// Leading decimal digits as an unsigned 64-bit number (blanks first are skipped); none gives 0, too many
// gives the largest value.
std::uint64_t parseMaxSize(std::string_view text);

// Lines of a data file: a line ends at a line feed, a carriage return before it is dropped, and the text
// after the last line feed is a last line when it is not empty.
class DataFileLines {
public:
    explicit DataFileLines(std::string_view text) : m_text(text) {}
    // The next line, or nullopt at the end of the text.
    std::optional<std::string_view> next();
    // The next line, or an empty one at the end of the text.
    std::string_view nextOrEmpty() { return next().value_or(std::string_view()); }

private:
    std::string_view m_text;
    std::size_t m_position = 0;
};

// The six raw lines of one record. A file that ends inside a record gives empty lines for the rest.
struct RawRecord {
    std::array<std::string_view, 6> lines;
};

// Reads the next record; nullopt when the text ends where line 1 would start.
std::optional<RawRecord> readRawRecord(DataFileLines& lines);

// A record of a data file made into a FileType1 (line 1 as it stands).
FileType1 makeFileType(const RawRecord& record);

} // namespace salvora
