// SPDX-License-Identifier: GPL-3.0-or-later
// The volumes a Deep Search of FAT structures produced (VolumeParamTable) and the working parameter set
// the walkers and the save engine read: which volume is current, loading one, and what can be read with
// a volume's parameters alone (its FAT copies, whether its root directory holds files).
#pragma once

#include <cstdint>
#include <string>

#include "base/seams.h"
#include "fsrecovery/deep/deep_search.h"
#include "fsrecovery/fat/fat_volume.h"
#include "fsrecovery/scan_tables.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora::deep {

// A view over the session's Deep Search state; construct one where needed.
class DeepFatVolumes {
public:
    DeepFatVolumes(ScanTables& tables, VolumeState& volumes, DeepSearchState& deep)
        : m_tables(tables), m_volumes(volumes), m_deep(deep) {}

    // True after a Deep Search with FAT16 or FAT32 chosen that produced volumes.
    bool active() const;

    // Loads row n - 1 of VolumeParamTable into the working parameters and their type. A root-sector count
    // of 0 becomes 32 on FAT16 and a root start of 0 becomes 2. Nothing happens for a row that is not there.
    void LoadVolumeRow(std::uint64_t n);

    // Makes current the volume whose Cluster0Start is z: every row with it is loaded in table order. Nothing
    // happens when no volume exists or z is already current.
    void SelectVolumeByCluster0Start(std::uint64_t z);

    // The 1-based row last loaded, 0 before any.
    std::uint64_t currentVolume() const { return m_deep.currentVolume; }

    // The walker's view of the current volume.
    fat::FatVolume currentFatVolume(const DeviceNamespace& devices, const std::string& devicePath) const;

private:
    ScanTables& m_tables;
    VolumeState& m_volumes;
    DeepSearchState& m_deep;
};

// The working parameters from one row of VolumeParamTable or VolumeParamTableFound, with the defaults a
// row inferred from directories needs: a FAT16 root of 32 sectors, a FAT32 root at cluster 2.
VolumeParameters ParametersOfVolumeRow(const TextTable& table, std::size_t row, std::string& partType);

// Locates the two FATs of a volume inferred from directories (its firstFAT is 0): searching the sectors
// before its cluster 0 (from 550 sectors before on FAT16, 30000 on FAT32, or from sector 63) for the
// first two that begin 0xF8 0xFF 0xFF. With both found, SPF and the root start are filled in too.
void FindFatCopies(const DeviceNamespace& devices, const std::string& devicePath, TextTable& volumes,
                   std::size_t row, ProgressSink& progress);

// 2 when the root directory described by params holds at least two entries with valid names (files, deleted
// ones too), otherwise 0.
int ValidateRootDirectory(const DeviceNamespace& devices, const std::string& devicePath,
                          const VolumeParameters& params, bool fat32);

} // namespace salvora::deep
