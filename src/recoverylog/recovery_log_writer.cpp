// SPDX-License-Identifier: GPL-3.0-or-later
#include "recoverylog/recovery_log_writer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace salvora {
namespace {

bool writesDiskForm(const RecoveryLogView& view) {
    const std::string& kind = view.origin.DriveKind;
    const bool volumeKind = kind == "Logical" || (view.mode == SearchMode::Deep && kind == "Recognised");
    return !volumeKind || view.origin.VolumeOnKnownDisk;
}

void encodeParameters(const VolumeParameters& p, LogEncoder& out) {
    out.u32(p.SPF);
    out.u32(p.SPC);
    out.u32(p.RootSec);
    out.u32(p.RootStartSec);
    out.u32(p.ReserveSecStart);
    out.u64(p.Cluster0Start);
    out.u32(p.firstFAT);
    out.u32(p.secondFAT);
    out.u64(p.MftStartSector);
    out.u64(p.MftMirrorSector);
    out.u32(p.SectorsPerMftRecord);
    out.u32(p.SectorsPerIndexRecord);
}

void encodeRows(const TextTable& table, LogEncoder& out) {
    for (std::size_t row = 0; row < table.rowCount(); ++row)
        for (std::size_t column = 0; column < table.columnCount(); ++column)
            out.string(table.cell(row, column));
}

// A line's text after its TABs. The reader counts leading TABs for the depth and stops a line at LF, so an
// item text holding TAB, CR or LF (a damaged directory entry can) would shift the outline; those become
// blanks here. The name itself travels unchanged in the folder record.
std::string lineText(const std::string& text) {
    std::string clean = text;
    for (char& c : clean)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return clean;
}

void encodeFolderRecord(const FolderNode& node, bool deep, LogEncoder& out) {
    out.string(node.name);
    out.u32(node.self);
    out.u32(node.parent);
    out.u64(node.date);
    out.u64(node.time);
    out.u32(node.deleted ? 1 : 0);
    if (deep)
        out.u64(node.cluster0Start);
}

// Every item in pre-order: an item, then its children in order, then its next sibling.
void encodeOutline(const FolderModel& folders, bool deep, LogEncoder& out) {
    const FolderTree& tree = folders.tree;
    struct Pending {
        TreeItem item;
        std::size_t depth;
    };
    std::vector<Pending> stack;
    const std::vector<TreeItem> tops = tree.topLevelItems();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        stack.push_back({*it, 0});
    bool first = true;
    if (stack.empty()) {
        // A tree that never got its top item still gets the top entry the reader starts from.
        out.line(std::string(kRootItemText));
        FolderNode placeholder;
        placeholder.name = "Root_Item";
        encodeFolderRecord(placeholder, deep, out);
    }
    while (!stack.empty()) {
        const Pending current = stack.back();
        stack.pop_back();
        const std::string& text = tree.text(current.item);
        out.line(std::string(current.depth, '\t') + lineText(text));
        const FolderNode* node = folders.nodeOf(current.item);
        if (first) {
            // The top item's record is a placeholder.
            FolderNode placeholder;
            placeholder.name = "Root_Item";
            encodeFolderRecord(placeholder, deep, out);
            first = false;
        } else if (node) {
            encodeFolderRecord(*node, deep, out);
        } else if (text != "Root") {
            encodeFolderRecord(FolderNode{}, deep, out);
        }
        const auto& children = tree.children(current.item);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, current.depth + 1});
    }
}

// The file behind a log, written with write(2). The first failure is kept and later writes are skipped, so
// it is reported once.
class FileLogSink final : public LogSink {
public:
    explicit FileLogSink(int fd) : m_fd(fd) {}
    void write(ByteSpan bytes) override {
        std::size_t done = 0;
        while (m_error == 0 && done < bytes.size()) {
            const ssize_t wrote = ::write(m_fd, bytes.data() + done, bytes.size() - done);
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote <= 0) {
                m_error = wrote < 0 ? errno : ENOSPC;
                break;
            }
            done += static_cast<std::size_t>(wrote);
        }
    }
    int error() const { return m_error; }
    void setError(int error) {
        if (m_error == 0)
            m_error = error;
    }

private:
    int m_fd;
    int m_error = 0;
};

bool sameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The log must never be written over a medium being read, a device or a folder.
bool mayWriteTo(const std::string& path, const std::vector<std::string>& protectedPaths) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return true; // does not exist yet
    if (!S_ISREG(info.st_mode))
        return false;
    for (const std::string& image : protectedPaths)
        if (sameFile(info, image))
            return false;
    return true;
}

} // namespace

void encodeRecoveryLog(const RecoveryLogView& view, LogEncoder& out) {
    const ScanOrigin& origin = view.origin;
    const VolumeState& volumes = view.volumes;
    const bool deep = view.mode == SearchMode::Deep;

    out.string(origin.DriveKind);
    out.string(kRecoveryLogMagic);
    out.string(origin.DiskModel);
    out.u32(static_cast<std::uint32_t>(view.mode));
    if (writesDiskForm(view)) {
        out.string("PHY");
        out.string(origin.DiskIdentity);
        out.u16(origin.diskNumber);
    } else {
        out.string("LOG");
        out.string(origin.VolumePath);
        out.u64(origin.VolumeSectors);
    }
    out.u16(origin.diskNumber);
    out.u32(0);
    out.string(volumes.selectedVolume.fileSystem);
    out.string(origin.searchModeName);
    out.u64(volumes.selectedVolume.start);
    out.u64(volumes.selectedVolume.end);
    out.u64(origin.driveStart);
    out.u64(origin.driveEnd);
    encodeParameters(volumes.computedParameters, out);
    encodeParameters(volumes.volumeParameters, out);
    out.string(volumes.partType);
    if (deep && volumes.selectedVolume.fileSystem != "NTFS") {
        out.u64(view.tables.VolumeParamTable.rowCount());
        encodeRows(view.tables.VolumeParamTable, out);
    }
    out.u64(view.folders.FolderCount);
    encodeOutline(view.folders, deep, out);
    out.line(kRecoveryLogTerminator);
    if (volumes.partType == "NTFS") {
        out.u64(view.tables.NtfsItemTable.rowCount());
        encodeRows(view.tables.NtfsItemTable, out);
        out.u32(0);
        if (deep) {
            out.u32(static_cast<std::uint32_t>(view.tables.DriveTable.rowCount()));
            encodeRows(view.tables.DriveTable, out);
        }
    }
}

LogWriteResult WriteRecoveryLog(const RecoveryLogView& view, const std::string& path, RecoveryLogState& state,
                                Prompter& prompter, const std::vector<std::string>& protectedPaths) {
    if (path.empty() || !mayWriteTo(path, protectedPaths))
        return {LogWriteResult::Status::NotCreated, std::strerror(EPERM)};
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return {LogWriteResult::Status::NotCreated, std::strerror(errno)};
    state.logSaved = true;

    FileLogSink sink(fd);
    {
        LogEncoder encoder(sink);
        encodeRecoveryLog(view, encoder);
        encoder.flush();
    }
    if (::close(fd) != 0)
        sink.setError(errno);
    if (sink.error() != 0) {
        std::string text = std::strerror(sink.error());
        prompter.inform(text);
        return {LogWriteResult::Status::WriteFailed, text};
    }
    prompter.inform(kLogSavedMessage);
    return {};
}

} // namespace salvora
