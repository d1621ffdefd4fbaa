// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/disk_builder.h"

namespace salvora::test {

DiskBuilder& DiskBuilder::byte(std::uint64_t sector, std::size_t offset, std::uint8_t value) {
    std::size_t at = sector * 512 + offset;
    if (at < m_bytes.size())
        m_bytes[at] = static_cast<std::byte>(value);
    return *this;
}

DiskBuilder& DiskBuilder::u16(std::uint64_t sector, std::size_t offset, std::uint16_t value) {
    return byte(sector, offset, value & 0xFF).byte(sector, offset + 1, value >> 8);
}

DiskBuilder& DiskBuilder::u32(std::uint64_t sector, std::size_t offset, std::uint32_t value) {
    return u16(sector, offset, value & 0xFFFF).u16(sector, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

DiskBuilder& DiskBuilder::u64(std::uint64_t sector, std::size_t offset, std::uint64_t value) {
    return u32(sector, offset, value & 0xFFFFFFFF).u32(sector, offset + 4, static_cast<std::uint32_t>(value >> 32));
}

DiskBuilder& DiskBuilder::text(std::uint64_t sector, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        byte(sector, offset + i, static_cast<std::uint8_t>(text[i]));
    return *this;
}

DiskBuilder& DiskBuilder::entry(std::uint64_t tableSector, int index, std::uint8_t type, std::uint32_t first,
                                std::uint32_t count) {
    std::size_t at = 0x1BE + static_cast<std::size_t>(index) * 16;
    return byte(tableSector, at + 4, type).u32(tableSector, at + 8, first).u32(tableSector, at + 12, count)
        .byte(tableSector, 0x1FE, 0x55).byte(tableSector, 0x1FF, 0xAA);
}

DiskBuilder& DiskBuilder::bootSector(std::uint64_t sector, std::string_view label) {
    if (label == "FAT32")
        text(sector, 0x52, "FAT32   ");
    else if (label == "NTFS")
        text(sector, 3, "NTFS    ");
    else
        text(sector, 0x36, label);
    return byte(sector, 0x1FE, 0x55).byte(sector, 0x1FF, 0xAA);
}

} // namespace salvora::test
