// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/sector_reader.h"

namespace salvora {

int ReadSectors(const DeviceNamespace& devices, std::string_view devicePath, std::uint64_t startSector,
                std::uint32_t count, std::byte* buffer) {
    DeviceHandle handle;
    if (!handle.open(devices, devicePath))
        return 0;
    handle.seek(startSector);
    std::size_t bytesRead = 0;
    return handle.read(buffer, static_cast<std::size_t>(count) * kSectorSize, bytesRead) ? 1 : 0;
}

bool DeviceHandle::open(const DeviceNamespace& devices, std::string_view devicePath) {
    m_open.reset();
    m_position = 0;
    auto medium = devices.resolve(devicePath);
    if (medium)
        m_open = medium->open();
    return m_open != nullptr;
}

bool DeviceHandle::read(std::byte* buffer, std::size_t byteCount, std::size_t& bytesRead) {
    bytesRead = 0;
    if (!m_open)
        return false;
    auto got = m_open->readAt(m_position, std::span<std::byte>(buffer, byteCount));
    if (!got)
        return false;
    bytesRead = *got;
    m_position += *got;
    return true;
}

} // namespace salvora
