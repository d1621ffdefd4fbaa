// SPDX-License-Identifier: GPL-3.0-or-later
// What the drive list reads of a volume and a disk: the label in a FAT root directory or in the NTFS
// $Volume record, the serial, and the dynamic-disk test over the partition tables.
#include <cstdint>
#include <vector>

#include "storage/medium.h"
#include "volumes/drive_list.h"
#include "volumes/volume_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    std::vector<std::byte> bytes(reinterpret_cast<const std::byte*>(data),
                                 reinterpret_cast<const std::byte*>(data) + size);
    bool ended = false;
    (void)fatLabelFromDirectory(bytes, ended);
    std::vector<std::byte> record = bytes;
    (void)ntfsVolumeNameFromRecord(record);
    MemoryMedium medium(bytes);
    (void)ReadVolumeInfo(medium);
    (void)isDynamicDisk(medium);
    return 0;
}
