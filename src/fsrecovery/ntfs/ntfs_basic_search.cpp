// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/ntfs_basic_search.h"

#include "fsrecovery/ntfs/ntfs_listing.h"

namespace salvora {

void NtfsRecordWalker::scanVolume(BasicSearchContext& context) {
    const VolumeParameters& params = context.volumes.volumeParameters;
    const SelectedVolume& selection = context.volumes.selectedVolume;
    m_state.mftRuns = LoadMftRuns(context.devices, context.devicePath, params);
    context.folders.tree.ensureRoot();

    MftScanContext scan{context.devices, context.devicePath, m_state.mftRuns,  selection.start, selection.end,
                        context.tables,  context.folders,    context.progress, context.stop};
    m_lastScan = ScanMftRecords(scan);
    // Without runs the scan only placed KLX_Miscellaneous: nothing to build.
    if (m_state.mftRuns.totalSectors() == 0)
        return;
    // A stopped scan still builds the tree from what it found.
    context.progress.setStatus(kSearchingLostDirectories);
    FolderTreeBuilder builder(context.folders, context.tables, &context.progress);
    builder.BuildTree(kNtfsRootParent);
}

std::unique_ptr<FolderFileWalker> NtfsRecordWalker::folderWalker(BasicSearchContext& context) {
    return std::make_unique<NtfsFolderWalker>(context.devices, context.devicePath,
                                              context.tables.NtfsItemTable, m_state.mftRuns,
                                              context.volumes.volumeParameters);
}

} // namespace salvora
