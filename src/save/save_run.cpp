// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/save_run.h"

#include <filesystem>
#include <vector>

#include "save/listed_file_writer.h"
#include "storage/output_naming.h"

namespace salvora {
namespace {

// One ticked folder and the path it is saved to.
struct PlannedFolder {
    TreeItem item = kNoTreeItem;
    std::string path;
    FileList files;
    std::optional<std::uint64_t> cluster0Start; // the folder's volume; none for "Root" and loose rows
};

class SaveRun {
public:
    SaveRun(SaveRunContext& context) : m_context(context), m_state(context.save.state) {}

    void planTree(const std::string& destination) {
        // Folders below the first level get their names when their parent's directory is read.
        RenameAllFolders(m_context.model, &m_context.walker);
        const FolderTree& tree = m_context.model.tree;
        for (TreeItem top : tree.topLevelItems())
            plan(top,
                 tree.root() == top ? destination : destination + "/" + safeComponentName(tree.text(top)),
                 false);
    }

    void planSubtrees(const std::vector<TreeItem>& items, const std::string& destination) {
        RenameAllFolders(m_context.model, &m_context.walker);
        for (TreeItem item : items)
            plan(item, pathOf(item, destination), true);
    }

    void planRows(const std::vector<FileListRow>& rows, const std::string& destination) {
        PlannedFolder folder;
        folder.path = destination;
        for (const FileListRow& row : rows)
            if (!row.folder)
                folder.files.rows.push_back(row);
        count(folder.files);
        m_planned.push_back(std::move(folder));
    }

    SaveRunReport save() {
        m_state.FilesToSave = m_report.totals.files;
        // Every folder first: a file from a damaged directory may carry the name of a folder beside it, and
        // the folder must not then be lost to the file.
        for (const PlannedFolder& folder : m_planned)
            CreateFolderPath(folder.path);
        std::uint64_t foldersDone = 0;
        for (const PlannedFolder& folder : m_planned) {
            if (folder.item != kNoTreeItem && m_context.progress)
                m_context.progress->folderSaved(++foldersDone, m_report.totals.folders);
            for (const FileListRow& row : folder.files.rows) {
                if (m_context.volumes)
                    m_context.volumes->selectVolume(folder.cluster0Start, row, m_context.save);
                saveFile(folder.path, row);
            }
        }
        m_report.stopped = m_state.StopSaving;
        return m_report;
    }

private:
    // Ticked folders are saved whole; inside a partly ticked folder only what is ticked.
    void plan(TreeItem item, const std::string& path, bool insideTicked) {
        const FolderTree& tree = m_context.model.tree;
        CheckState check = tree.checkState(item);
        bool ticked = insideTicked || check == CheckState::Ticked;
        if (!ticked && check != CheckState::PartlyTicked)
            return;
        if (ticked) {
            PlannedFolder folder{item, path, {}, std::nullopt};
            std::uint32_t self = m_context.walker.rootSelf();
            const FolderNode* node = m_context.model.nodeOf(item);
            if (node) {
                self = node->self;
                folder.cluster0Start = node->cluster0Start;
            }
            m_context.walker.selectFolder(node);
            m_context.walker.listFiles(folder.files, self, m_context.model.ListStopFlag);
            std::erase_if(folder.files.rows, [](const FileListRow& row) { return row.folder; });
            ++m_report.totals.folders;
            count(folder.files);
            m_planned.push_back(std::move(folder));
        }
        for (TreeItem child : tree.children(item))
            plan(child, path + "/" + safeComponentName(tree.text(child)), ticked);
    }

    // Where a folder is saved: its ancestors' names below destination ("Root" stands for destination).
    std::string pathOf(TreeItem item, const std::string& destination) const {
        const FolderTree& tree = m_context.model.tree;
        std::vector<std::string> names;
        for (TreeItem at = item; tree.valid(at) && at != tree.root(); at = tree.parent(at))
            names.push_back(safeComponentName(tree.text(at)));
        std::string path = destination;
        for (auto it = names.rbegin(); it != names.rend(); ++it)
            path += "/" + *it;
        return path;
    }

    void count(const FileList& files) {
        m_report.totals.files += files.rows.size();
        for (const FileListRow& row : files.rows)
            m_report.totals.bytes += listCellNumber(row.cells[file_list::Size]);
        if (m_context.progress)
            m_context.progress->counted(m_report.totals);
    }

    void saveFile(const std::string& folderPath, const FileListRow& row) {
        if (m_state.StopSaving) {
            ++m_report.filesSkipped;
            return;
        }
        FileSaveRequest request;
        request.displayName = row.cells[file_list::Name];
        request.destinationPath = folderPath + "/" + safeComponentName(request.displayName);
        request.askFlag = 1;
        const std::uint64_t savedBefore = m_state.FilesSaved;
        WriteListedFile(m_context.save, row, request);
        if (m_state.FilesSaved == savedBefore) {
            ++m_report.filesSkipped;
        } else {
            ++m_report.filesWritten;
            m_report.bytesWritten += request.size;
        }
    }

    SaveRunContext& m_context;
    SaveState& m_state;
    std::vector<PlannedFolder> m_planned;
    SaveRunReport m_report;
};

void resetForNewSave(SaveState& state) {
    state.StopSaving = false;
    state.SkipCurrentFile = false;
    state.FilesSaved = 0;
    state.conflictAnswer = ConflictAnswer::Overwrite;
}

} // namespace

SaveRunReport RunTreeSave(SaveRunContext& context, const std::string& destination) {
    resetForNewSave(context.save.state);
    SaveRun run(context);
    run.planTree(destination);
    return run.save();
}

SaveRunReport SaveFolderSubtrees(SaveRunContext& context, const std::vector<TreeItem>& folders,
                                 const std::string& destination) {
    resetForNewSave(context.save.state);
    SaveRun run(context);
    run.planSubtrees(folders, destination);
    return run.save();
}

SaveRunReport SaveListedFiles(SaveRunContext& context, const std::vector<FileListRow>& rows,
                              const std::string& destination) {
    resetForNewSave(context.save.state);
    SaveRun run(context);
    run.planRows(rows, destination);
    return run.save();
}

} // namespace salvora
