// SPDX-License-Identifier: GPL-3.0-or-later
// The partition walk and the drive-letter view over a fuzzed disk: tables that loop, point past the disk,
// claim GUID headers or hold more entries than fit.
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/device_namespace.h"
#include "volumes/os_volumes.h"
#include "volumes/partition_entries.h"
#include "volumes/partition_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    ByteSpan bytes(reinterpret_cast<const std::byte*>(data), size);
    (void)parseMbrEntries(bytes);
    (void)parseGptEntries(bytes);

    auto disk = std::make_shared<MemoryMedium>(std::vector<std::byte>(bytes.begin(), bytes.end()));
    VolumeState volumes;
    DeviceNamespace devices;
    DriveTree tree;
    devices.setPhysicalDisk(0, disk);
    NodeId diskNode = tree.addNode("Removable Media (Disk0 - 1.00 MB)", kImageDisk, kNoNode);
    // Claim a large disk so the walk's distance-to-end rule lets entries through.
    WalkPartitionTable({volumes, devices, &tree}, 0, std::uint64_t{1} << 40, diskNode);
    (void)ListOsVolumes(*disk);
    return 0;
}
