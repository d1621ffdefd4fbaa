// SPDX-License-Identifier: GPL-3.0-or-later
// salvora basic TARGET: a Basic Search of a volume, printed as the folder tree, one folder's file list
// (--ls) or JSON for scripts (--json, --files).
#include <algorithm>
#include <deque>
#include <ostream>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "app/targets.h"
#include "base/text.h"
#include "cli/command_target.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/save_found_items.h"
#include "cli/stderr_prompter.h"
#include "cli/terminal_progress.h"
#include "cli/tree_paths.h"
#include "fsrecovery/basic_search.h"
#include "fsrecovery/ntfs/ntfs_basic_search.h"

namespace salvora::cli {
namespace {

constexpr const char* kNothingFound =
    "Recovery is not possible in Basic Search Mode, use other search mode to recover your data.";

bool isDeleted(const FolderModel& model, TreeItem item) {
    const FolderNode* node = model.nodeOf(item);
    return node && node->deleted;
}

void printTree(const FolderModel& model, TreeItem item, const std::string& indent, std::ostream& out) {
    // Iterative, so a deep tree cannot exhaust the stack.
    struct Pending {
        TreeItem item;
        std::string indent;
    };
    std::vector<Pending> stack{{item, indent}};
    while (!stack.empty()) {
        Pending current = std::move(stack.back());
        stack.pop_back();
        out << current.indent << model.tree.text(current.item);
        if (isDeleted(model, current.item))
            out << "  [deleted]";
        out << "\n";
        const auto& children = model.tree.children(current.item);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, current.indent + "  "});
    }
}

void printList(const FileList& list, std::ostream& out) {
    std::size_t widths[5] = {4, 4, 4, 4, 4};
    for (const FileListRow& row : list.rows)
        for (std::size_t c = 0; c < 5; ++c)
            widths[c] = std::max(widths[c], row.cells[c].size());
    auto line = [&](const std::array<std::string, 5>& cells) {
        for (std::size_t c = 0; c < 5; ++c) {
            out << cells[c];
            if (c + 1 < 5)
                out << std::string(widths[c] - std::min(widths[c], cells[c].size()) + 2, ' ');
        }
        out << "\n";
    };
    line({"Name", "Type", "Size", "Date", "Time"});
    for (const FileListRow& row : list.rows)
        line({row.cells[0], row.cells[1], row.cells[2], row.cells[3], row.cells[4]});
    out << list.countsLabel() << "\n";
}

nlohmann::ordered_json treeJson(const Target& target, const BasicSearchOutcome& outcome, FolderModel& model,
                                FolderFileWalker* walker, bool withFiles) {
    nlohmann::ordered_json folders = nlohmann::ordered_json::array();
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const FolderPath& folder : folderPaths(model)) {
        folders.push_back({{"path", folder.path}, {"deleted", isDeleted(model, folder.item)}});
        if (!withFiles)
            continue;
        FileList list;
        PopulateList(model, folder.item, walker, list);
        const std::string prefix = folder.path == "/" ? "" : folder.path;
        for (const FileListRow& row : list.rows) {
            if (row.folder)
                continue;
            files.push_back(
                {{"path", prefix + "/" + row.cells[file_list::Name]},
                 {"size", std::stoull(row.cells[file_list::Size].empty() ? "0" : row.cells[file_list::Size])},
                 {"date", row.cells[file_list::Date]},
                 {"time", row.cells[file_list::Time]}});
        }
    }
    nlohmann::ordered_json json = {{"target", targetText(target)},
                                   {"fileSystem", outcome.fileSystem},
                                   {"stopped", outcome.stopped},
                                   {"folders", folders}};
    if (withFiles)
        json["files"] = files;
    return json;
}

} // namespace

int runBasic(Session& session, const BasicOptions& options, OutputStreams streams) {
    auto chosen = selectCommandTarget(session, options.target, SearchMode::Basic, streams.err);
    if (const int* exitCode = std::get_if<int>(&chosen))
        return *exitCode;
    const auto& [target, selection] = std::get<CommandTarget>(chosen);
    if (selection.fileSystem != "FAT16" && selection.fileSystem != "FAT32" &&
        selection.fileSystem != "NTFS") {
        streams.err << "salvora: " << targetText(target)
                    << " holds no FAT16, FAT32 or NTFS volume that can be recognised\n";
        return kExitFailure;
    }

    TerminalProgress progress(streams.err, options.showProgress && isatty(STDERR_FILENO) != 0);
    StderrPrompter prompter(streams.err, progress);
    StopFlag stop{false};
    BasicSearchContext context{session.devices, session.CurrentDevicePath,
                               session.volumes, session.tables,
                               session.folders, progress,
                               prompter,        stop};
    NtfsRecordWalker ntfsWalker(session.ntfs);
    NtfsBasicSearch* ntfs = &ntfsWalker;
    BasicSearchOutcome outcome;
    {
        StopOnInterrupt interrupt(stop);
        outcome = RunBasicSearch(context, ntfs);
    }
    progress.finish();
    if (!outcome.parametersComputed && !outcome.parametersRecovered && !outcome.stopped) {
        if (outcome.fileSystem == "NTFS")
            streams.err << "salvora: unable to calculate the NTFS parameters of " << targetText(target)
                        << ": its boot sector and backup are damaged or missing\n";
        return kExitFailure;
    }
    if (outcome.stopped)
        streams.err << "salvora: stopped; showing what was found so far\n";

    // Name every folder as listing each one would, so the tree shows real names throughout.
    std::unique_ptr<FolderFileWalker> walker = BasicSearchFolderWalker(context, ntfs);
    RenameAllFolders(session.folders, walker.get());

    if (outcome.nothingFound)
        streams.err << kNothingFound << "\n";

    if (!options.saveDestination.empty()) {
        if (!walker) {
            streams.err << "salvora: nothing to save: the volume's file system cannot be listed\n";
            return kExitFailure;
        }
        return saveFoundItems(
            context, *walker,
            {options.saveDestination, options.savePaths, options.onConflict, options.showProgress}, streams);
    }
    if (!options.listPath.empty()) {
        auto item = findFolder(session.folders, options.listPath);
        if (!item) {
            streams.err << "salvora: no folder " << options.listPath << " in the folder tree\n";
            return kExitFailure;
        }
        FileList list;
        PopulateList(session.folders, *item, walker.get(), list);
        printList(list, streams.out);
        return kExitOk;
    }
    if (options.json) {
        streams.out << treeJson(target, outcome, session.folders, walker.get(), options.files).dump(2)
                    << "\n";
        return kExitOk;
    }
    printTree(session.folders, session.folders.tree.root(), "", streams.out);
    return kExitOk;
}

} // namespace salvora::cli
