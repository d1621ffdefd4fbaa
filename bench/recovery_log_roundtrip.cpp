// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the recovery log of a large index (100,000 folders by default, and as many NTFS file rows) and
// loads it back, printing the time of each half, the log's size and whether the tree came back whole.
//
// usage: recovery_log_roundtrip [FOLDERS] [WORKDIR]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "recoverylog/recovery_log_reader.h"
#include "recoverylog/recovery_log_writer.h"

namespace {

using namespace salvora;
using Clock = std::chrono::steady_clock;

class QuietPrompter final : public Prompter {
public:
    void inform(const std::string&) override {}
    bool askYesNo(const std::string&) override { return true; }
};

struct State {
    RecoveryLogState log;
    std::string CurrentDevicePath;
    VolumeState volumes;
    ScanTables tables;
    FolderModel folders;
    DeepSearchState deep;
    DriveListState driveList;
};

// A card's worth of folders: groups of forty below the top, each group a chain of nested folders with
// siblings, ten levels deep, so the outline has both depth and breadth.
void fill(State& s, std::uint32_t folders) {
    s.log.origin =
        ScanOrigin{"part",         false, "Bench Card", "Bench Card||29.72 GB||62333952||0", 0, "", 0,
                   "Basic Search", 8192,  62333952};
    s.volumes.selectedVolume = SelectedVolume{"\\\\.\\PhysicalDrive0", "NTFS", 8192, 62333952};
    s.volumes.partType = "NTFS";
    s.driveList.AttachedDiskIdentities = {s.log.origin.DiskIdentity};
    FolderTreeBuilder builder(s.folders, s.tables);
    std::vector<TreeItem> level;
    TreeItem parent = kNoTreeItem;
    std::uint32_t parentSelf = 5;
    for (std::uint32_t i = 0; i < folders; ++i) {
        const std::uint32_t self = 64 + i;
        if (i % 40 == 0) {
            parent = kNoTreeItem;
            parentSelf = 5;
        }
        const TreeItem item =
            builder.InsertFolderNode(parent, "Folder " + std::to_string(i), self, 133000000000000000ull + i,
                                     0, parentSelf, i % 7 == 0, 0);
        s.tables.NtfsItemTable.appendRow({std::to_string(40000 + 2 * i) + "|" + std::to_string(self),
                                          "file" + std::to_string(i) + ".jpg", std::to_string(i * 17), "", "",
                                          "FILE"});
        if (i % 4 == 3) { // every fourth folder goes one level deeper
            parent = item;
            parentSelf = self;
        }
    }
}

double seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    const std::uint32_t folders = argc > 1 ? static_cast<std::uint32_t>(std::stoul(argv[1])) : 100000;
    const std::filesystem::path work = argc > 2 ? argv[2] : std::filesystem::temp_directory_path();
    const std::string path = (work / "roundtrip.SLV").string();

    State written;
    fill(written, folders);
    QuietPrompter prompter;
    auto start = Clock::now();
    const LogWriteResult result = WriteRecoveryLog(
        {SearchMode::Basic, written.log.origin, written.volumes, written.tables, written.folders}, path,
        written.log, prompter);
    const double writeTime = seconds(start);
    if (result.status != LogWriteResult::Status::Saved) {
        std::fprintf(stderr, "writing %s failed: %s\n", path.c_str(), result.error.c_str());
        return 1;
    }

    State loaded;
    loaded.driveList.AttachedDiskIdentities = written.driveList.AttachedDiskIdentities;
    NullProgress progress;
    RecoveryLogLoadContext context{
        SearchMode::Basic, loaded.log,  loaded.CurrentDevicePath, loaded.volumes, loaded.tables,
        loaded.folders,    loaded.deep, loaded.driveList,         progress,       prompter};
    start = Clock::now();
    const LogLoadOutcome outcome = LoadRecoveryLog(context, path);
    const double readTime = seconds(start);

    const bool whole = outcome.status == LogLoadOutcome::Status::Loaded &&
                       loaded.folders.FolderCount == written.folders.FolderCount &&
                       loaded.folders.tree.itemCount() == written.folders.tree.itemCount() &&
                       loaded.tables.NtfsItemTable.rowCount() == written.tables.NtfsItemTable.rowCount();
    std::printf("folders %u, file rows %zu, log %.1f MiB\n", folders, written.tables.NtfsItemTable.rowCount(),
                static_cast<double>(std::filesystem::file_size(path)) / (1 << 20));
    std::printf("write %.3f s, load %.3f s, round trip %s\n", writeTime, readTime,
                whole ? "whole" : "BROKEN");
    std::filesystem::remove(path);
    return whole ? 0 : 1;
}
