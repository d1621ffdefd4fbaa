// SPDX-License-Identifier: GPL-3.0-or-later
// The primitives a recovery log (".SLV") is made of, and nothing else: little-endian integers,
// length-prefixed UTF-16LE strings and CR LF terminated UTF-16LE lines. The writer and the reader build the
// log's layout from these.
//
// A string: the byte FF, the u16 FFFE (bytes FE FF), a character count, then that many UTF-16LE code units
// without a terminator. The count is
//   one byte                                  when below 0xFF,
//   FF + u16                                  when below 0xFFFE,
//   FF + u16 FFFF + u32                       when below 0xFFFFFFFF,
//   FF + u16 FFFF + u32 FFFFFFFF + u64        otherwise.
// The empty string is FF FE FF 00.
// A line: UTF-16LE code units followed by CR LF (000D 000A), no count.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.h"

namespace salvora {

// The second string of every log.
inline constexpr std::string_view kRecoveryLogMagic = "QuillwortWIN7SR2013";
// The line after the folder outline: the magic followed by characters no file name can hold.
inline constexpr std::string_view kRecoveryLogTerminator = "QuillwortWIN7SR2013/:*?\"<>|";

// UTF-8 to UTF-16 code units; a byte that does not start a valid sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// Where encoded bytes go.
class LogSink {
public:
    virtual ~LogSink() = default;
    virtual void write(ByteSpan bytes) = 0;
};

// Collects everything in memory (tests, fuzz seeds).
class MemoryLogSink final : public LogSink {
public:
    void write(ByteSpan bytes) override { m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end()); }
    const std::vector<std::byte>& bytes() const { return m_bytes; }

private:
    std::vector<std::byte> m_bytes;
};

// Encodes the primitives into a 4096-byte buffer that goes to the sink whenever it fills, and on flush().
class LogEncoder {
public:
    static constexpr std::size_t kBufferSize = 4096;

    explicit LogEncoder(LogSink& sink) : m_sink(sink) { m_buffer.reserve(kBufferSize); }
    LogEncoder(const LogEncoder&) = delete;
    LogEncoder& operator=(const LogEncoder&) = delete;

    void u16(std::uint16_t value);
    void u32(std::uint32_t value);
    void u64(std::uint64_t value);
    void string(std::string_view utf8);
    void line(std::string_view utf8);
    void flush();

private:
    void put(std::uint8_t byte);
    void unit(char16_t codeUnit);

    LogSink& m_sink;
    std::vector<std::byte> m_buffer;
};

// One primitive encoded on its own, for tests and for callers that assemble bytes by hand.
std::vector<std::byte> encodeLogString(std::string_view utf8);
std::vector<std::byte> encodeLogLine(std::string_view utf8);

// Where a log's bytes come from. remaining() is what the source can still give: a count read from the log
// is checked against it before anything is allocated or looped over.
class LogInput {
public:
    virtual ~LogInput() = default;
    // Copies up to size bytes; returns how many were copied (fewer only at the end).
    virtual std::size_t read(std::byte* out, std::size_t size) = 0;
    virtual std::uint64_t remaining() const = 0;
};

class MemoryLogInput final : public LogInput {
public:
    explicit MemoryLogInput(ByteSpan bytes) : m_bytes(bytes) {}
    std::size_t read(std::byte* out, std::size_t size) override;
    std::uint64_t remaining() const override { return m_bytes.size() - m_offset; }

private:
    ByteSpan m_bytes;
    std::size_t m_offset = 0;
};

// A log file read through a 4096-byte buffer. Opened read-only.
class FileLogInput final : public LogInput {
public:
    static constexpr std::size_t kBufferSize = 4096;

    explicit FileLogInput(const std::string& path);
    ~FileLogInput() override;
    FileLogInput(const FileLogInput&) = delete;
    FileLogInput& operator=(const FileLogInput&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    std::size_t read(std::byte* out, std::size_t size) override;
    std::uint64_t remaining() const override;

private:
    bool refill();

    int m_fd = -1;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_consumed = 0; // bytes handed out by read()
    std::vector<std::byte> m_buffer;
    std::size_t m_bufferOffset = 0;
    bool m_ended = false;
};

// Decodes the primitives. The first failure (the input ends, a string is not in the string form, a count
// runs past what the input holds) is sticky: every later read yields zero or an empty text and ok() stays
// false, so a caller may read a whole group of fields and check once.
class LogDecoder {
public:
    explicit LogDecoder(LogInput& input) : m_input(input) {}

    bool ok() const { return !m_failed; }
    bool atEnd() const { return m_input.remaining() == 0; }
    std::uint64_t remaining() const { return m_input.remaining(); }

    std::uint16_t u16();
    std::uint32_t u32();
    std::uint64_t u64();
    std::string string();
    // The next line without its CR LF; nullopt at the very end of the input (which is not a failure).
    // A line cut off by the end of the input fails.
    std::optional<std::string> line();

private:
    bool take(std::byte* out, std::size_t size);
    std::uint64_t number(std::size_t size);
    void fail() { m_failed = true; }

    LogInput& m_input;
    bool m_failed = false;
};

} // namespace salvora
