// SPDX-License-Identifier: GPL-3.0-or-later
// Reading 512-byte sectors off the medium. Two ways exist side by side: ReadSectors for short scattered
// reads (boot sectors, partition tables, FAT and directory sectors) and DeviceHandle, opened once per
// scan for large sequential chunks. Neither can write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "storage/device_namespace.h"

namespace salvora {

inline constexpr std::uint32_t kSectorSize = 512;

// Reads count sectors from start into buffer (count * 512 bytes, owned by the caller). Returns nonzero on
// success and 0 when the path cannot be opened or the read fails, silently. A read that ends short at the end
// of the medium counts as success and leaves the rest of the buffer as it was.
int ReadSectors(const DeviceNamespace& devices, std::string_view devicePath, std::uint64_t startSector,
                std::uint32_t count, std::byte* buffer);

// An open-once read-only handle that a scan keeps for its whole run.
class DeviceHandle {
public:
    DeviceHandle() = default;
    DeviceHandle(DeviceHandle&&) noexcept = default;
    DeviceHandle& operator=(DeviceHandle&&) noexcept = default;

    // False when the path cannot be opened.
    bool open(const DeviceNamespace& devices, std::string_view devicePath);
    bool isOpen() const { return m_open != nullptr; }
    // Positions the handle at sector * 512 bytes.
    void seek(std::uint64_t sector) { m_position = sector * kSectorSize; }
    // Reads byteCount bytes at the position and advances it by what was read. False when the read failed;
    // bytesRead tells how much arrived (less than asked at the end of the medium).
    bool read(std::byte* buffer, std::size_t byteCount, std::size_t& bytesRead);
    void close() { m_open.reset(); }

private:
    std::unique_ptr<OpenMedium> m_open;
    std::uint64_t m_position = 0;
};

} // namespace salvora
