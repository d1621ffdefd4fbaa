// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-made disks in memory for the partition-table cases no tool will produce (tables that loop, entries
// near the end of the disk, a FAT12 label on a primary entry).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "storage/medium.h"

namespace salvora::test {

class DiskBuilder {
public:
    explicit DiskBuilder(std::uint64_t sectors) : m_bytes(sectors * 512) {}

    // Writes a partition entry (index 0..3) into the table at `tableSector` and gives it the 0x55 0xAA mark.
    DiskBuilder& entry(std::uint64_t tableSector, int index, std::uint8_t type, std::uint32_t first,
                       std::uint32_t count);
    // Writes text at an offset of a sector (a file-system label, a "FILE" signature, ...).
    DiskBuilder& text(std::uint64_t sector, std::size_t offset, std::string_view text);
    DiskBuilder& byte(std::uint64_t sector, std::size_t offset, std::uint8_t value);
    DiskBuilder& u16(std::uint64_t sector, std::size_t offset, std::uint16_t value);
    DiskBuilder& u32(std::uint64_t sector, std::size_t offset, std::uint32_t value);
    DiskBuilder& u64(std::uint64_t sector, std::size_t offset, std::uint64_t value);
    // A boot sector carrying a file-system label the walk recognises ("FAT32", "FAT16", "NTFS", "FAT12").
    DiskBuilder& bootSector(std::uint64_t sector, std::string_view label);

    std::shared_ptr<MemoryMedium> build() const { return std::make_shared<MemoryMedium>(m_bytes); }

private:
    std::vector<std::byte> m_bytes;
};

} // namespace salvora::test
