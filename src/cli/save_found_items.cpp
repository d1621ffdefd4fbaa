// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/save_found_items.h"

#include <iostream>
#include <map>
#include <unistd.h>

#include "cli/conflict_answers.h"
#include "cli/interrupt.h"
#include "cli/stderr_prompter.h"
#include "cli/terminal_progress.h"
#include "cli/tree_paths.h"
#include "save/save_run.h"

namespace salvora::cli {
namespace {

constexpr std::uint64_t kBytesPerStep = 512; // the progress bar counts in sectors

// The writers' progress on the terminal bar: one bar over the bytes of the whole save.
class TerminalSaveProgress final : public SaveProgress, public SaveRunProgress {
public:
    explicit TerminalSaveProgress(TerminalProgress& bar) : m_bar(bar) {}

    void counted(const SaveRunTotals& totals) override {
        m_bar.setStatus("Counting: " + std::to_string(totals.folders) + " folders, " +
                        std::to_string(totals.files) + " files");
        m_bar.setRange(0, totals.bytes / kBytesPerStep + 1);
    }
    void folderSaved(std::uint64_t, std::uint64_t) override {}
    void fileStarted(const std::string&, const std::string& displayName) override {
        m_bytesBefore += m_currentBytes;
        m_currentBytes = 0;
        m_bar.setStatus("Saving " + displayName);
    }
    void bytesText(const std::string&) override {}
    void countText(const std::string&) override {}
    void currentBarRange(std::uint64_t) override {}
    void currentBarPosition(std::uint64_t bytes) override {
        m_currentBytes = bytes;
        m_bar.setPosition((m_bytesBefore + bytes) / kBytesPerStep);
    }
    void currentBarFull() override {}
    void totalBarStep() override {}

private:
    TerminalProgress& m_bar;
    std::uint64_t m_bytesBefore = 0;
    std::uint64_t m_currentBytes = 0;
};

// The named paths sorted into folders to tick and files to save, by the folder that lists them.
struct Selection {
    std::vector<TreeItem> folders;
    std::map<std::string, std::vector<FileListRow>> filesByFolder; // folder path -> rows
    std::vector<std::string> missing;
};

Selection selectPaths(FolderModel& model, FolderFileWalker& walker, const std::vector<std::string>& paths) {
    Selection selection;
    for (const std::string& path : paths) {
        if (auto folder = findFolder(model, path)) {
            selection.folders.push_back(*folder);
            continue;
        }
        const auto [folderPath, name] = splitFilePath(path);
        auto folder = findFolder(model, folderPath);
        FileList list;
        if (folder)
            PopulateList(model, *folder, &walker, list);
        bool found = false;
        for (const FileListRow& row : list.rows)
            if (!row.folder && row.cells[file_list::Name] == name) {
                selection.filesByFolder[folderPath].push_back(row);
                found = true;
            }
        if (!found)
            selection.missing.push_back(path);
    }
    return selection;
}

void accumulate(SaveRunReport& total, const SaveRunReport& part) {
    total.totals.files += part.totals.files;
    total.totals.folders += part.totals.folders;
    total.totals.bytes += part.totals.bytes;
    total.filesWritten += part.filesWritten;
    total.bytesWritten += part.bytesWritten;
    total.filesSkipped += part.filesSkipped;
    total.stopped = total.stopped || part.stopped;
}

} // namespace

int saveFoundItems(const SaveSource& source, FolderFileWalker& walker, const SaveFoundItemsJob& job,
                   OutputStreams streams) {
    auto policy = parseConflictPolicy(job.onConflict);
    if (!policy) {
        streams.err << "salvora: --on-conflict takes ask, overwrite, skip or rename\n";
        return kExitUsage;
    }
    FolderModel& model = source.folders;
    Selection selection = selectPaths(model, walker, job.paths);
    if (!selection.missing.empty()) {
        for (const std::string& path : selection.missing)
            streams.err << "salvora: nothing named " << path << " in the result\n";
        return kExitFailure;
    }

    TerminalProgress bar(streams.err, job.showProgress && isatty(STDERR_FILENO) != 0);
    TerminalSaveProgress progress(bar);
    StderrPrompter prompter(streams.err, bar);
    CliConflictPrompter conflicts(*policy, std::cin, streams.err);
    SaveState state;
    SaveContext save{source.devices, source.devicePath, source.fileSystem, source.params,
                     state,          progress,          conflicts,         prompter};
    SaveRunContext run{model, walker, save, &progress, source.volumes};
    StopOnInterrupt interrupt(state.StopSaving);

    SaveRunReport report;
    if (job.paths.empty())
        accumulate(report, SaveFolderSubtrees(run, {model.tree.root()}, job.destination));
    else if (!selection.folders.empty())
        accumulate(report, SaveFolderSubtrees(run, selection.folders, job.destination));
    for (const auto& [folderPath, rows] : selection.filesByFolder)
        if (!report.stopped)
            accumulate(report,
                       SaveListedFiles(run, rows, job.destination + (folderPath == "/" ? "" : folderPath)));
    bar.finish();

    streams.err << "Saved " << report.filesWritten << " of " << report.totals.files << " files ("
                << report.bytesWritten << " bytes) in " << report.totals.folders << " folders to "
                << job.destination;
    if (report.filesSkipped > 0)
        streams.err << "; " << report.filesSkipped << " skipped";
    streams.err << (report.stopped ? "; the save was stopped" : "") << "\n";
    return report.stopped ? kExitFailure : kExitOk;
}

} // namespace salvora::cli
