// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/basic_search.h"

#include "fsrecovery/fat/fat_walker.h"
#include "fsrecovery/fat/lost_directories.h"
#include "fsrecovery/fat/parameter_recovery.h"
#include "volumes/volume_parameters.h"

namespace salvora {
namespace {

bool isFat(const std::string& fileSystem) {
    return fileSystem == "FAT16" || fileSystem == "FAT32";
}

void runFat(BasicSearchContext& context, BasicSearchOutcome& outcome) {
    const SelectedVolume& selection = context.volumes.selectedVolume;
    VolumeParameters& params = context.volumes.volumeParameters;
    const bool fat32 = selection.fileSystem == "FAT32";

    bool usable = outcome.parametersComputed;
    if (!usable) {
        context.progress.setStatus(kCalculatingPartitionParams);
        outcome.parametersRecovered =
            fat::RecoverFatParameters(context.devices, context.devicePath, fat32, selection.start,
                                      selection.end, params, context.progress, context.stop);
        usable = outcome.parametersRecovered;
        if (!usable && context.stop)
            outcome.stopped = true;
        else if (!usable)
            context.prompter.inform(kUnableToCalculateParameters);
    }
    if (usable) {
        fat::LostDirectoryScan scan =
            fat::ScanLostDirectories(context.devices, context.devicePath, params, fat32, selection.end,
                                     context.tables.FoundFolderTable, context.progress, context.stop);
        outcome.scanned = true;
        outcome.stopped = scan.stopped;
        outcome.foldersFound = scan.rowsAdded > 0;
    }

    context.progress.setStatus(kSearchingLostDirectories);
    fat::FatVolume volume(context.devices, context.devicePath, params, fat32);
    FolderTreeBuilder builder(context.folders, context.tables, &context.progress);
    context.folders.tree.ensureRoot();
    if (usable)
        builder.BuildTree(kFatRootParent, [&](FolderTreeBuilder& b) { fat::NameRootFolders(volume, b); });
    else
        builder.BuildTree(kFatRootParent);
}

void runNtfs(BasicSearchContext& context, NtfsBasicSearch* ntfs, BasicSearchOutcome& outcome) {
    if (!ntfs || !outcome.parametersComputed)
        return;
    context.progress.setStatus(kSearchingLostDirectories);
    ntfs->scanVolume(context);
    outcome.scanned = true;
    outcome.stopped = context.stop;
    for (const FolderNode& node : context.folders.FolderList)
        outcome.foldersFound = outcome.foldersFound || node.self != kMiscellaneousSelf;
}

} // namespace

BasicSearchOutcome RunBasicSearch(BasicSearchContext& context, NtfsBasicSearch* ntfs) {
    BasicSearchOutcome outcome;
    context.folders.reset();
    context.tables.FoundFolderTable.clear();
    context.tables.TreeLinkTable.clear();
    context.tables.NtfsItemTable.clear();
    context.volumes.volumeParameters = VolumeParameters{};
    outcome.fileSystem = context.volumes.selectedVolume.fileSystem;

    outcome.parametersComputed = ComputeVolumeParameters(context.volumes, context.devices);
    if (outcome.fileSystem == "NTFS")
        runNtfs(context, ntfs, outcome);
    else if (isFat(outcome.fileSystem))
        runFat(context, outcome);
    // Basic Search works on the parameters it computed (or recovered) for the selection itself.
    context.volumes.computedParameters = context.volumes.volumeParameters;
    context.volumes.partType = outcome.fileSystem;

    if (context.folders.tree.empty())
        context.folders.tree.ensureRoot();
    outcome.nothingFound = ScanFoundNothing(context.folders, outcome.foldersFound);
    return outcome;
}

std::unique_ptr<FolderFileWalker> BasicSearchFolderWalker(BasicSearchContext& context,
                                                          NtfsBasicSearch* ntfs) {
    const std::string& fileSystem = context.volumes.selectedVolume.fileSystem;
    if (isFat(fileSystem))
        return std::make_unique<fat::FatFolderWalker>(fat::FatVolume(
            context.devices, context.devicePath, context.volumes.volumeParameters, fileSystem == "FAT32"));
    if (fileSystem == "NTFS" && ntfs)
        return ntfs->folderWalker(context);
    return nullptr;
}

} // namespace salvora
