// SPDX-License-Identifier: GPL-3.0-or-later
// Boot-sector parsing and the parameter computation over a fuzzed volume: the first bytes pick the file
// system, the rest is the volume, read through the same sector reader as a real card.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "storage/device_namespace.h"
#include "volumes/boot_sector.h"
#include "volumes/volume_parameters.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    ByteSpan bytes(reinterpret_cast<const std::byte*>(data), size);
    (void)fileSystemLabel(bytes);
    (void)reportedFileSystemName(bytes);
    (void)parseFatBootFields(bytes);
    (void)parseNtfsBootFields(bytes);
    if (size < 1)
        return 0;

    static const char* const kNames[] = {"FAT16", "FAT32", "NTFS", "Unknown"};
    VolumeState volumes;
    DeviceNamespace devices;
    devices.setVolume('D', std::make_shared<MemoryMedium>(std::vector<std::byte>(bytes.begin() + 1, bytes.end())));
    volumes.selectedVolume = {volumePath('D'), kNames[data[0] % 4], data[0] / 4u % 8, (size - 1) / 512};
    (void)ComputeVolumeParameters(volumes, devices);
    return 0;
}
