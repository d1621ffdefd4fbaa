// SPDX-License-Identifier: GPL-3.0-or-later
// A FAT volume as the walkers read it: its parameters, the device path and an open read-only handle, the
// cluster chains of the FAT and the sectors of a directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/seams.h"
#include "storage/device_namespace.h"
#include "storage/sector_reader.h"
#include "volumes/volume_state.h"

namespace salvora::fat {

// An ordered list of cluster numbers, the first cluster first.
using ClusterChain = std::vector<std::uint32_t>;

// The longest chain followed: more links than a FAT32 volume can have clusters means a loop.
inline constexpr std::size_t kMaxChainLength = 0x0FFFFFF6;

class FatVolume {
public:
    FatVolume(const DeviceNamespace& devices, std::string devicePath, const VolumeParameters& params,
              bool fat32);

    bool fat32() const { return m_fat32; }
    const VolumeParameters& params() const { return m_params; }
    const DeviceNamespace& devices() const { return m_devices; }
    const std::string& devicePath() const { return m_devicePath; }

    std::uint64_t clusterSector(std::uint32_t cluster) const {
        return m_params.Cluster0Start + static_cast<std::uint64_t>(cluster) * m_params.SPC;
    }

    // Reads count sectors at sector through the volume's one open handle; false on failure or when the
    // read ends before count sectors arrived.
    bool readSectors(std::uint64_t sector, std::uint32_t count, std::byte* out);

    // Follows the FAT from first: FAT16 2-byte entries, FAT32 4-byte entries (not masked). The chain goes on
    // with v while 2 <= v <= 0xFFFE (FAT16) or 0x0FFFFFFE (FAT32); anything else ends it, as do an unreadable
    // FAT sector, a FAT sector index beyond SPF, a cluster met twice (a loop) and listStop.
    ClusterChain FollowChain(std::uint32_t first, const StopFlag& listStop);

    // The sectors of a directory in reading order: the FAT16 root's RootSec sectors from RootStartSec (self
    // 0 on FAT16), or every sector of every cluster of FollowChain(self) (FAT32 root: self = RootStartSec).
    std::vector<std::uint64_t> directorySectors(std::uint32_t self, const StopFlag& listStop);

private:
    const DeviceNamespace& m_devices;
    std::string m_devicePath;
    VolumeParameters m_params;
    bool m_fat32;
    DeviceHandle m_handle;
    bool m_openTried = false;
};

} // namespace salvora::fat
