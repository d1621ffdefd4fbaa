// SPDX-License-Identifier: GPL-3.0-or-later
// The lost-partition searches over a fuzzed disk: boot sectors with sizes of 0, past the disk or above 2^31,
// labels in the wrong places, volumes inside a drive whose FAT layout adds up to less than nothing.
#include <cstdint>
#include <memory>
#include <vector>

#include "storage/device_namespace.h"
#include "volumes/drive_search.h"
#include "volumes/partition_search.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    ByteSpan bytes(reinterpret_cast<const std::byte*>(data), size);
    (void)RecognisePartitionBootSector(bytes, 63);
    (void)RecogniseDriveBootSector(bytes, 63, 1000, "Log|\\\\.\\E:|", 1);

    auto medium = std::make_shared<MemoryMedium>(std::vector<std::byte>(bytes.begin(), bytes.end()));
    const std::uint64_t sectors = size / 512 + 1;
    DeviceNamespace devices;
    devices.setPhysicalDisk(0, medium);
    devices.setVolume('E', medium);
    VolumeState volumes;
    DriveTree tree;
    DriveListState driveList;
    PartitionSearchState state;
    NullProgress quiet;
    StopFlag stop{false};
    NullPrompter silent;
    NodeId physical = tree.addNode("Physical Drives", kImageDisk, kNoNode);
    NodeId disk = tree.addNode("Removable Media (Disk0 - 1.00 MB)", kImageDisk, physical);
    // One head of 63 sectors per cylinder, so that a small input holds many cylinders; the cylinder count
    // claimed is far beyond the input.
    PartitionSearchContext search{volumes, devices, tree,  disk, 0, {4000000000u, 1, 63},
                                  sectors, state,   quiet, stop};
    StartPartitionSearch(search, false, driveList, SearchMode::Basic, silent);

    NodeId drive = tree.addNode("E:\\ (1.00 MB - CARD - NTFS)", kImageVolume, kNoNode);
    DriveSearchState found;
    DriveSearchContext inside{devices, tree, drive, "E:", volumePath('E'), sectors, found, quiet, stop};
    SearchDriveForPartitions(inside);
    FinishDriveSearch(inside, silent);
    return 0;
}
