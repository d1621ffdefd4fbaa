// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/fat/fat_volume.h"

#include <array>
#include <unordered_set>

#include "base/bytes.h"

namespace salvora::fat {

FatVolume::FatVolume(const DeviceNamespace& devices, std::string devicePath, const VolumeParameters& params,
                     bool fat32)
    : m_devices(devices), m_devicePath(std::move(devicePath)), m_params(params), m_fat32(fat32) {}

bool FatVolume::readSectors(std::uint64_t sector, std::uint32_t count, std::byte* out) {
    if (!m_handle.isOpen()) {
        if (m_openTried)
            return false;
        m_openTried = true;
        if (!m_handle.open(m_devices, m_devicePath))
            return false;
    }
    m_handle.seek(sector);
    std::size_t bytesRead = 0;
    const std::size_t wanted = static_cast<std::size_t>(count) * kSectorSize;
    return m_handle.read(out, wanted, bytesRead) && bytesRead == wanted;
}

ClusterChain FatVolume::FollowChain(std::uint32_t first, const StopFlag& listStop) {
    ClusterChain chain{first};
    std::unordered_set<std::uint32_t> seen{first};
    const std::uint32_t entriesPerSector = m_fat32 ? 128 : 256;
    const std::uint32_t last = m_fat32 ? 0x0FFFFFFE : 0xFFFE;
    std::array<std::byte, kSectorSize> fatSector{};
    std::uint64_t bufferedIndex = UINT64_MAX;
    std::uint32_t cluster = first;
    while (chain.size() < kMaxChainLength) {
        if (listStop)
            break;
        const std::uint64_t sectorIndex = cluster / entriesPerSector;
        const std::uint32_t entryIndex = cluster % entriesPerSector;
        if (m_params.firstFAT == 0 || sectorIndex > m_params.SPF)
            break;
        if (sectorIndex != bufferedIndex) {
            if (!readSectors(m_params.firstFAT + sectorIndex, 1, fatSector.data()))
                break;
            bufferedIndex = sectorIndex;
        }
        ByteSpan bytes(fatSector.data(), fatSector.size());
        const std::uint32_t value = m_fat32 ? le32(bytes, entryIndex * 4) : le16(bytes, entryIndex * 2);
        if (value < 2 || value > last)
            break;
        // A cluster met again means the FAT loops: the chain ends before it.
        if (!seen.insert(value).second)
            break;
        chain.push_back(value);
        cluster = value;
    }
    return chain;
}

std::vector<std::uint64_t> FatVolume::directorySectors(std::uint32_t self, const StopFlag& listStop) {
    std::vector<std::uint64_t> sectors;
    if (self == 0 && !m_fat32) {
        for (std::uint32_t i = 0; i < m_params.RootSec; ++i)
            sectors.push_back(static_cast<std::uint64_t>(m_params.RootStartSec) + i);
        return sectors;
    }
    if (self == 0)
        self = m_params.RootStartSec;
    for (std::uint32_t cluster : FollowChain(self, listStop))
        for (std::uint32_t i = 0; i < m_params.SPC; ++i)
            sectors.push_back(clusterSector(cluster) + i);
    return sectors;
}

} // namespace salvora::fat
