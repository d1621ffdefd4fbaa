// SPDX-License-Identifier: GPL-3.0-or-later
#include "recoverylog/log_encoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/text.h"

namespace salvora {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

// The length of the UTF-8 sequence that starts with lead, 0 for a byte that cannot start one.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Decodes the sequence at text[i] of the given length; nullopt when it is malformed, overlong, a surrogate
// or beyond U+10FFFF.
std::optional<char32_t> decodeSequence(std::string_view text, std::size_t i, std::size_t length) {
    if (length == 0 || i + length > text.size())
        return std::nullopt;
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (length == 1)
        return byte(0);
    char32_t value = byte(0) & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80)
            return std::nullopt;
        value = (value << 6) | (byte(k) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return std::nullopt;
    return value;
}

} // namespace

std::u16string utf8ToUtf16(std::string_view text) {
    std::u16string units;
    units.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
        const auto value = decodeSequence(text, i, length);
        if (!value) {
            units.push_back(kReplacement);
            ++i;
            continue;
        }
        i += length;
        if (*value >= 0x10000) {
            const char32_t v = *value - 0x10000;
            units.push_back(static_cast<char16_t>(0xD800 + (v >> 10)));
            units.push_back(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
        } else {
            units.push_back(static_cast<char16_t>(*value));
        }
    }
    return units;
}

// ---- LogEncoder ---------------------------------------------------------------------------------------

void LogEncoder::put(std::uint8_t byte) {
    m_buffer.push_back(static_cast<std::byte>(byte));
    if (m_buffer.size() >= kBufferSize)
        flush();
}

void LogEncoder::unit(char16_t codeUnit) {
    put(static_cast<std::uint8_t>(codeUnit & 0xFF));
    put(static_cast<std::uint8_t>(codeUnit >> 8));
}

void LogEncoder::u16(std::uint16_t value) {
    for (int i = 0; i < 2; ++i)
        put(static_cast<std::uint8_t>(value >> (8 * i)));
}

void LogEncoder::u32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        put(static_cast<std::uint8_t>(value >> (8 * i)));
}

void LogEncoder::u64(std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        put(static_cast<std::uint8_t>(value >> (8 * i)));
}

void LogEncoder::string(std::string_view utf8) {
    const std::u16string units = utf8ToUtf16(utf8);
    const std::uint64_t count = units.size();
    // FF FE FF marks a string of UTF-16 code units; the count follows.
    put(0xFF);
    u16(0xFFFE);
    if (count < 0xFF) {
        put(static_cast<std::uint8_t>(count));
    } else if (count < 0xFFFE) {
        put(0xFF);
        u16(static_cast<std::uint16_t>(count));
    } else if (count < 0xFFFFFFFFu) {
        put(0xFF);
        u16(0xFFFF);
        u32(static_cast<std::uint32_t>(count));
    } else {
        put(0xFF);
        u16(0xFFFF);
        u32(0xFFFFFFFFu);
        u64(count);
    }
    for (char16_t c : units)
        unit(c);
}

void LogEncoder::line(std::string_view utf8) {
    for (char16_t c : utf8ToUtf16(utf8))
        unit(c);
    unit(u'\r');
    unit(u'\n');
}

void LogEncoder::flush() {
    if (m_buffer.empty())
        return;
    m_sink.write(m_buffer);
    m_buffer.clear();
}

std::vector<std::byte> encodeLogString(std::string_view utf8) {
    MemoryLogSink sink;
    LogEncoder encoder(sink);
    encoder.string(utf8);
    encoder.flush();
    return sink.bytes();
}

std::vector<std::byte> encodeLogLine(std::string_view utf8) {
    MemoryLogSink sink;
    LogEncoder encoder(sink);
    encoder.line(utf8);
    encoder.flush();
    return sink.bytes();
}

// ---- inputs -------------------------------------------------------------------------------------------

std::size_t MemoryLogInput::read(std::byte* out, std::size_t size) {
    const std::size_t count = std::min(size, m_bytes.size() - m_offset);
    if (count > 0)
        std::memcpy(out, m_bytes.data() + m_offset, count);
    m_offset += count;
    return count;
}

FileLogInput::FileLogInput(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        return;
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        // Only a regular file is a log; a device or a folder is not read as one.
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_fileSize = static_cast<std::uint64_t>(info.st_size);
}

FileLogInput::~FileLogInput() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::uint64_t FileLogInput::remaining() const {
    if (m_fd < 0 || m_ended)
        return m_buffer.size() - m_bufferOffset;
    return m_fileSize > m_consumed ? m_fileSize - m_consumed : 0;
}

bool FileLogInput::refill() {
    if (m_fd < 0 || m_ended)
        return false;
    m_buffer.resize(kBufferSize);
    m_bufferOffset = 0;
    for (;;) {
        const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            // The file ended (or shrank, or cannot be read): nothing more comes from it.
            m_buffer.clear();
            m_ended = true;
            return false;
        }
        m_buffer.resize(static_cast<std::size_t>(got));
        return true;
    }
}

std::size_t FileLogInput::read(std::byte* out, std::size_t size) {
    std::size_t copied = 0;
    while (copied < size) {
        if (m_bufferOffset >= m_buffer.size() && !refill())
            break;
        const std::size_t count = std::min(size - copied, m_buffer.size() - m_bufferOffset);
        std::memcpy(out + copied, m_buffer.data() + m_bufferOffset, count);
        m_bufferOffset += count;
        copied += count;
    }
    m_consumed += copied;
    return copied;
}

// ---- LogDecoder ---------------------------------------------------------------------------------------

bool LogDecoder::take(std::byte* out, std::size_t size) {
    if (m_failed)
        return false;
    if (m_input.read(out, size) != size)
        fail();
    return !m_failed;
}

std::uint64_t LogDecoder::number(std::size_t size) {
    std::byte bytes[8] = {};
    if (!take(bytes, size))
        return 0;
    return readLittleEndian<std::uint64_t>(ByteSpan(bytes, 8), 0);
}

std::uint16_t LogDecoder::u16() {
    return static_cast<std::uint16_t>(number(2));
}
std::uint32_t LogDecoder::u32() {
    return static_cast<std::uint32_t>(number(4));
}
std::uint64_t LogDecoder::u64() {
    return number(8);
}

std::string LogDecoder::string() {
    if (number(1) != 0xFF || u16() != 0xFFFE) {
        fail();
        return {};
    }
    std::uint64_t count = number(1);
    if (count == 0xFF) {
        count = u16();
        if (count == 0xFFFE) {
            fail(); // a second string mark where the count belongs: not written by any log
            return {};
        }
        if (count == 0xFFFF) {
            count = u32();
            if (count == 0xFFFFFFFFu)
                count = u64();
        }
    }
    // The count comes from the file: it may claim more than the file holds. Check before allocating.
    if (m_failed || count > m_input.remaining() / 2) {
        fail();
        return {};
    }
    std::vector<std::byte> units(static_cast<std::size_t>(count) * 2);
    if (!take(units.data(), units.size()))
        return {};
    return utf16leToUtf8(units);
}

std::optional<std::string> LogDecoder::line() {
    if (m_failed)
        return std::string();
    if (m_input.remaining() == 0)
        return std::nullopt;
    std::u16string units;
    for (;;) {
        std::byte pair[2];
        if (!take(pair, 2))
            return std::string();
        const auto unit = static_cast<char16_t>(std::to_integer<std::uint16_t>(pair[0]) |
                                                (std::to_integer<std::uint16_t>(pair[1]) << 8));
        if (unit == u'\n')
            break;
        units.push_back(unit);
    }
    if (!units.empty() && units.back() == u'\r')
        units.pop_back();
    return utf16ToUtf8(units);
}

} // namespace salvora
