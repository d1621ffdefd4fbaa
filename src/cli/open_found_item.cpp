// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/open_found_item.h"

#include <charconv>
#include <filesystem>
#include <iostream>
#include <optional>
#include <ostream>
#include <system_error>

#include "app/main_window_logic.h"
#include "cli/conflict_answers.h"
#include "cli/stderr_prompter.h"
#include "cli/terminal_progress.h"
#include "cli/tree_paths.h"
#include "cli/xdg_opener.h"
#include "save/open_found_file.h"

namespace salvora::cli {
namespace {

// Copies of earlier runs stay for the applications showing them (the desktop program removes them when it
// ends): number this one after the highest "QFX<n>" already in the folder.
int nextCopyNumber(const std::string& folder) {
    int next = 0;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with("QFX"))
            continue;
        int number = 0;
        const auto [rest, failure] = std::from_chars(name.data() + 3, name.data() + name.size(), number);
        if (failure == std::errc{} && number >= next && number < INT32_MAX)
            next = number + 1;
    }
    return next;
}

struct FoundFile {
    TreeItem folder = kNoTreeItem;
    FileListRow row;
};

std::optional<FoundFile> findFile(FolderModel& model, FolderFileWalker& walker, const std::string& path) {
    const auto [folderPath, name] = splitFilePath(path);
    const auto folder = findFolder(model, folderPath);
    if (!folder)
        return std::nullopt;
    FileList list;
    PopulateList(model, *folder, &walker, list);
    for (const FileListRow& row : list.rows)
        if (!row.folder && row.cells[file_list::Name] == name)
            return FoundFile{*folder, row};
    return std::nullopt;
}

// A result spanning several volumes: the file is read with the parameters of the volume it was listed from.
void selectVolumeOf(const SaveSource& source, const FoundFile& file, SaveContext& context) {
    if (!source.volumes)
        return;
    std::optional<std::uint64_t> cluster0Start;
    if (const FolderNode* node = source.folders.nodeOf(file.folder);
        node && file.folder != source.folders.tree.root())
        cluster0Start = node->cluster0Start;
    source.volumes->selectVolume(cluster0Start, file.row, context);
}

} // namespace

int openFoundItem(const SaveSource& source, FolderFileWalker& walker, const std::string& path,
                  OutputStreams streams) {
    const auto file = findFile(source.folders, walker, path);
    if (!file) {
        if (findFolder(source.folders, path))
            streams.err << "salvora: " << path << " is a folder; list it with --ls " << path << "\n";
        else
            streams.err << "salvora: no file " << path << " in the result\n";
        return kExitFailure;
    }
    const std::string folder = privateTemporaryFolder();
    if (folder.empty()) {
        streams.err << "salvora: cannot make a private folder for the copy in the temporary directory\n";
        return kExitFailure;
    }

    TerminalProgress quiet(streams.err, false);
    StderrPrompter prompter(streams.err, quiet);
    NullSaveProgress progress;
    // A quiet copy asks nothing; an earlier copy of the same name is replaced.
    CliConflictPrompter conflicts(ConflictPolicy::Overwrite, std::cin, streams.err);
    SaveState state;
    state.OpenFileCounter = nextCopyNumber(folder);
    SaveContext context{source.devices, source.devicePath, source.fileSystem, source.params,
                        state,          progress,          conflicts,         prompter};
    selectVolumeOf(source, *file, context);
    XdgOpener opener(streams.err);
    const OpenFoundFileOutcome outcome = OpenFoundFile(context, file->row, folder, opener);
    if (outcome.copyPath.empty())
        return kExitFailure;
    streams.out << path << " copied to " << outcome.copyPath << "\n";
    return kExitOk;
}

} // namespace salvora::cli
