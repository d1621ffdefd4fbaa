// SPDX-License-Identifier: GPL-3.0-or-later
// Deep Search of NTFS file records over fuzzed sectors: the classification of the first 1024 bytes as a
// record (what AddMftRecord would insert), then the whole scan with the tree building and the listing of
// every folder, over the input laid out as a medium of up to 16 sectors.
#include <cstdint>
#include <vector>

#include "fsrecovery/deep/deep_ntfs.h"
#include "storage/medium.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    if (size > 16 * 512)
        return 0;
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    const std::vector<std::byte> input(bytes, bytes + size);
    if (size >= 512)
        (void)looksLikeDeepMftRecord(ByteSpan(input).first(512));
    (void)parseDeepMftRecord(input);

    DeviceNamespace devices;
    devices.setPhysicalDisk(0, std::make_shared<MemoryMedium>(input));
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    DeepSearchState deep;
    NullProgress progress;
    NullPrompter prompter;
    StopFlag stop{false};
    DeepSearchContext context{
        devices, physicalDrivePath(0), "NTFS", 0, 16, 0, volumes, tables, folders, deep, progress, prompter,
        stop};
    (void)RunDeepNtfsSearch(context);
    const std::unique_ptr<FolderFileWalker> walker = DeepNtfsFolderWalker(context);
    FileList list;
    PopulateList(folders, folders.tree.root(), walker.get(), list);
    for (const FolderNode& node : std::vector<FolderNode>(folders.FolderList)) {
        list.clear();
        PopulateList(folders, node.treeItem, walker.get(), list);
    }
    return 0;
}
