// SPDX-License-Identifier: GPL-3.0-or-later
// Bounds-checked little-endian field readers over byte spans. Every on-disk structure is read through
// these: a field that lies outside the span reads as zero instead of reading past the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace salvora {

using ByteSpan = std::span<const std::byte>;

inline bool hasBytes(ByteSpan bytes, std::size_t offset, std::size_t count) {
    return offset <= bytes.size() && count <= bytes.size() - offset;
}

inline std::uint8_t le8(ByteSpan bytes, std::size_t offset) {
    return hasBytes(bytes, offset, 1) ? std::to_integer<std::uint8_t>(bytes[offset]) : 0;
}

template <typename T> T readLittleEndian(ByteSpan bytes, std::size_t offset) {
    if (!hasBytes(bytes, offset, sizeof(T)))
        return 0;
    T value = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        value |= static_cast<T>(std::to_integer<std::uint8_t>(bytes[offset + i])) << (8 * i);
    return value;
}

inline std::uint16_t le16(ByteSpan bytes, std::size_t offset) { return readLittleEndian<std::uint16_t>(bytes, offset); }
inline std::uint32_t le32(ByteSpan bytes, std::size_t offset) { return readLittleEndian<std::uint32_t>(bytes, offset); }
inline std::uint64_t le64(ByteSpan bytes, std::size_t offset) { return readLittleEndian<std::uint64_t>(bytes, offset); }

// True when the bytes at offset spell text exactly (no terminator implied).
inline bool bytesEqual(ByteSpan bytes, std::size_t offset, std::string_view text) {
    if (!hasBytes(bytes, offset, text.size()))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::to_integer<char>(bytes[offset + i]) != text[i])
            return false;
    return true;
}

inline ByteSpan asBytes(const void* data, std::size_t size) {
    return ByteSpan(static_cast<const std::byte*>(data), size);
}

} // namespace salvora
