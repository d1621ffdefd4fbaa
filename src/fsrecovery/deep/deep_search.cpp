// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/deep/deep_search.h"

#include <optional>

#include "fsrecovery/deep/deep_fat_search.h"
#include "fsrecovery/deep/deep_fat_volumes.h"
#include "fsrecovery/deep/deep_ntfs.h"
#include "fsrecovery/fat/fat_walker.h"

namespace salvora {
namespace {

bool isFat(const std::string& fileSystem) {
    return fileSystem == "FAT16" || fileSystem == "FAT32";
}

// Lists the folders of a FAT Deep Search, each with the parameters of its own volume: a folder's volume is
// the one whose Cluster0Start its node carries; Root stands for the root directory of every volume, listed
// one volume after the other. Every file row names the 0-based row of its volume in column FileSys, which is
// how the save finds the volume of a file listed under Root.
class DeepFatFolderWalker final : public FolderFileWalker {
public:
    explicit DeepFatFolderWalker(DeepSearchContext& context)
        : m_context(context), m_volumes(context.tables, context.volumes, context.deep) {}

    std::uint32_t rootSelf() const override { return kFatRootParent; }

    void selectFolder(const FolderNode* node) override {
        m_folderCluster0Start = node ? std::optional<std::uint64_t>(node->cluster0Start) : std::nullopt;
    }

    void renameChildFolders(FolderModel& model, TreeItem selectedItem, std::uint32_t self) override {
        // The folders below Root were named from their own volume's root directory when the tree was built;
        // Root's children come from several volumes whose cluster numbers overlap.
        if (self == kFatRootParent || !m_folderCluster0Start)
            return;
        m_volumes.SelectVolumeByCluster0Start(*m_folderCluster0Start);
        fat::FatFolderWalker(currentVolume()).renameChildFolders(model, selectedItem, self);
    }

    void listFiles(FileList& list, std::uint32_t self, const StopFlag& listStop) override {
        if (self == kMiscellaneousSelf)
            return;
        if (self == kFatRootParent) {
            for (std::uint64_t v = 1; v <= m_context.deep.VolumeCount && !listStop; ++v) {
                m_volumes.LoadVolumeRow(v);
                listCurrent(list, self, listStop);
            }
            return;
        }
        if (m_folderCluster0Start)
            m_volumes.SelectVolumeByCluster0Start(*m_folderCluster0Start);
        listCurrent(list, self, listStop);
    }

private:
    fat::FatVolume currentVolume() const {
        return m_volumes.currentFatVolume(m_context.devices, m_context.devicePath);
    }

    void listCurrent(FileList& list, std::uint32_t self, const StopFlag& listStop) {
        const std::size_t before = list.rows.size();
        fat::FatVolume volume = currentVolume();
        fat::ListFatFolder(volume, list, self, listStop);
        const std::string volumeIndex = std::to_string(m_volumes.currentVolume() - 1);
        for (std::size_t i = before; i < list.rows.size(); ++i)
            list.rows[i].cells[file_list::FileSys] = volumeIndex;
    }

    DeepSearchContext& m_context;
    deep::DeepFatVolumes m_volumes;
    std::optional<std::uint64_t> m_folderCluster0Start;
};

} // namespace

DeepSearchOutcome RunDeepSearch(DeepSearchContext& context) {
    context.deep = DeepSearchState{};
    context.deep.fileSystem = context.fileSystem;
    context.folders.reset();
    for (TextTable* table : {&context.tables.FoundFolderTable, &context.tables.TreeLinkTable,
                             &context.tables.NtfsItemTable, &context.tables.DirectoryTable,
                             &context.tables.VolumeParamTableFound, &context.tables.VolumeParamTable})
        table->clear();
    if (context.fileSystem == "NTFS")
        return RunDeepNtfsSearch(context);
    if (isFat(context.fileSystem))
        return deep::RunDeepFatSearch(context);
    context.folders.tree.ensureRoot();
    DeepSearchOutcome outcome;
    outcome.nothingFound = true;
    return outcome;
}

std::unique_ptr<FolderFileWalker> DeepSearchFolderWalker(DeepSearchContext& context) {
    // The context's choice rather than the state's: a recovery log rebuilds the state without a run.
    if (context.fileSystem == "NTFS")
        return DeepNtfsFolderWalker(context);
    if (context.deep.VolumeCount == 0)
        return nullptr;
    return std::make_unique<DeepFatFolderWalker>(context);
}

} // namespace salvora
