// SPDX-License-Identifier: GPL-3.0-or-later
// A whole Basic Search of a fuzzed NTFS volume: parameters, the $MFT run table, the record scan, the tree
// building and the listing of every folder. Run lists past the volume, huge runs, attribute lengths of 0 or
// past the record and update sequence arrays out of range must neither crash nor keep the scan going.
#include <cstdint>
#include <memory>
#include <vector>

#include "fsrecovery/basic_search.h"
#include "fsrecovery/ntfs/ntfs_basic_search.h"
#include "storage/medium.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    if (size < 512 || size > (4u << 20))
        return 0;
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    DeviceNamespace devices;
    devices.setVolume('D', std::make_shared<MemoryMedium>(std::vector<std::byte>(bytes, bytes + size)));
    VolumeState volumes;
    volumes.selectedVolume = {volumePath('D'), "NTFS", 0, size / 512};
    ScanTables tables;
    FolderModel folders;
    NtfsState state;
    NtfsRecordWalker ntfs(state);
    NullProgress progress;
    NullPrompter prompter;
    StopFlag stop{false};
    BasicSearchContext context{devices, volumePath('D'), volumes, tables, folders, progress, prompter, stop};
    RunBasicSearch(context, &ntfs);
    auto walker = BasicSearchFolderWalker(context, &ntfs);
    for (TreeItem item = 1; item <= folders.tree.itemCount(); ++item) {
        FileList list;
        PopulateList(folders, item, walker.get(), list);
    }
    return 0;
}
