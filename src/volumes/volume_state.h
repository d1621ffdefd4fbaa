// SPDX-License-Identifier: GPL-3.0-or-later
// What the partition walk and the parameter computation keep for the session: the disk paths, the
// partition lists of every disk, the selected volume and its parameters.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "volumes/drive_tree.h"

namespace salvora {

inline constexpr int kMaxDisks = 26;      // disk numbers 0 to 25
inline constexpr int kMaxPartitions = 26; // partitions recorded per disk

struct PartitionRow {
    std::string fileSystem; // "FAT16", "FAT32" or "NTFS"
    NodeId node = kNoNode;  // the partition's node in the drive tree, when a tree was being filled
    std::uint64_t start = 0;
    // MBR and EBR entries: the first sector after the partition; GUID entries: the last sector, inclusive.
    std::uint64_t end = 0;
    std::int32_t index = 0;
};

struct PartitionList {
    std::int32_t count = 0;
    std::array<PartitionRow, kMaxPartitions> rows{};
    bool full() const { return count >= kMaxPartitions; }
};

struct SelectedVolume {
    std::string devicePath;
    std::string fileSystem; // "FAT16", "FAT32", "NTFS", "Unknown"; empty before a selection
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// Every sector number is absolute on the selected device path; cluster N begins at Cluster0Start + N * SPC.
struct VolumeParameters {
    std::uint32_t SPF = 0;
    std::uint32_t SPC = 0;
    std::uint32_t RootSec = 0;
    std::uint32_t RootStartSec = 0; // FAT16: first root sector; FAT32: the root directory's first cluster
    std::uint32_t ReserveSecStart = 0;
    std::uint64_t Cluster0Start = 0;
    std::uint32_t firstFAT = 0;
    std::uint32_t secondFAT = 0;
    std::uint64_t MftStartSector = 0;
    std::uint64_t MftMirrorSector = 0;
    std::uint32_t SectorsPerMftRecord = 0;
    std::uint32_t SectorsPerIndexRecord = 0;
};

struct VolumeState {
    VolumeState();

    std::array<std::string, kMaxDisks> diskPathTable; // "\\.\PhysicalDrive0" .. "\\.\PhysicalDrive25"
    std::uint16_t CurrentDisk = 0;
    std::array<PartitionList, kMaxDisks> partitionLists{};
    SelectedVolume selectedVolume;
    // The working parameters the walkers and the save engine read, and the type of the volume they describe
    // ("FAT16", "FAT32", "NTFS"). Deep Search loads them from its volume rows; Basic Search leaves them as
    // computed.
    VolumeParameters volumeParameters;
    std::string partType;
    // The parameters as computed for the selection when the scan started; Deep Search restores the working
    // set from them after a stopped scan, and the recovery log stores both.
    VolumeParameters computedParameters;
    // Started when neither NTFS boot sector of the selection is valid; the mode window sets it when its
    // conditions for an automatic lost-partition search hold.
    std::function<void()> automaticPartitionSearch;

    void clearPartitionLists() { partitionLists.fill(PartitionList{}); }
    // A new selection: both records zeroed.
    void resetSelection() {
        selectedVolume = SelectedVolume{};
        volumeParameters = VolumeParameters{};
        partType.clear();
        computedParameters = VolumeParameters{};
    }
};

} // namespace salvora
