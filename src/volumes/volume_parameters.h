// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter record of the selected volume, computed from its boot sector with fall-backs to the
// backup boot sectors (FAT32: S + 6; NTFS: the last sector E).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora {

// Fills volumes.volumeParameters from volumes.selectedVolume; true on success. Reports nothing itself.
bool ComputeVolumeParameters(VolumeState& volumes, const DeviceNamespace& devices);

// "NTFS" from 35 GiB up, "FAT32" from 1 MiB up, else "Unknown", from the size alone.
std::string GuessFileSystemBySize(std::uint64_t startSector, std::uint64_t endSector);

// Maps a file-system name as the system or a table row gives it to "FAT16", "FAT32", "NTFS" or "Unknown".
std::string NormaliseFileSystemName(std::string_view name);

} // namespace salvora
