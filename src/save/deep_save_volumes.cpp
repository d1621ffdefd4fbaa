// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/deep_save_volumes.h"

#include "fsrecovery/deep/deep_fat_rows.h"
#include "fsrecovery/deep/deep_fat_volumes.h"

namespace salvora {
namespace {

class DeepFatSaveVolumes final : public SaveVolumeSelector {
public:
    explicit DeepFatSaveVolumes(DeepSearchContext& context)
        : m_volumes(context.volumes), m_selection(context.tables, context.volumes, context.deep) {}

    void selectVolume(std::optional<std::uint64_t> folderCluster0Start, const FileListRow& row,
                      SaveContext& save) override {
        if (folderCluster0Start)
            m_selection.SelectVolumeByCluster0Start(*folderCluster0Start);
        else if (!row.cells[file_list::FileSys].empty())
            m_selection.LoadVolumeRow(deep::cellValue(row.cells[file_list::FileSys]) + 1);
        save.params = m_volumes.volumeParameters;
        save.fileSystem = m_volumes.partType;
    }

private:
    VolumeState& m_volumes;
    deep::DeepFatVolumes m_selection;
};

} // namespace

std::unique_ptr<SaveVolumeSelector> DeepSearchSaveVolumes(DeepSearchContext& context) {
    if (!deep::DeepFatVolumes(context.tables, context.volumes, context.deep).active())
        return nullptr;
    return std::make_unique<DeepFatSaveVolumes>(context);
}

} // namespace salvora
