// SPDX-License-Identifier: GPL-3.0-or-later
// Deep Search of FAT structures over fuzzed sectors: the input is a small card. Every sector goes through
// the recognisers, the rows through the assignment for both choices of file system, and then the whole run
// (scan, volumes, folder tree) reads the card as a medium and every folder is listed.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "app/session.h"
#include "fsrecovery/deep/deep_fat_rows.h"
#include "fsrecovery/deep/deep_search.h"
#include "storage/sector_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    constexpr std::size_t kMaxBytes = 4 << 20;
    if (size < kSectorSize || size > kMaxBytes)
        return 0;
    const ByteSpan bytes(reinterpret_cast<const std::byte*>(data), size);
    NullProgress progress;
    for (const char* fileSystem : {"FAT16", "FAT32"}) {
        ScanTables tables;
        deep::ExamineChunk(bytes, 0, tables);
        (void)deep::AssignDirectories(tables, false, fileSystem, progress);
    }

    for (const char* fileSystem : {"FAT16", "FAT32"}) {
        Session session;
        session.devices.setPhysicalDisk(
            0, std::make_shared<MemoryMedium>(std::vector<std::byte>(bytes.begin(), bytes.end())));
        session.CurrentDevicePath = physicalDrivePath(0);
        NullPrompter prompter;
        StopFlag stop{false};
        DeepSearchContext context{session.devices,
                                  session.CurrentDevicePath,
                                  fileSystem,
                                  0,
                                  size / kSectorSize,
                                  0,
                                  session.volumes,
                                  session.tables,
                                  session.folders,
                                  session.deep,
                                  progress,
                                  prompter,
                                  stop};
        (void)RunDeepSearch(context);
        std::unique_ptr<FolderFileWalker> walker = DeepSearchFolderWalker(context);
        std::vector<TreeItem> items{session.folders.tree.root()};
        for (const FolderNode& node : session.folders.FolderList)
            items.push_back(node.treeItem);
        for (TreeItem item : items) {
            FileList list;
            PopulateList(session.folders, item, walker.get(), list);
        }
    }
    return 0;
}
