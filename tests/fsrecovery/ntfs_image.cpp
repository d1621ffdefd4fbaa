// SPDX-License-Identifier: GPL-3.0-or-later
#include "ntfs_image.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <sstream>

#include "storage/device_namespace.h"

namespace salvora::test {
namespace {

std::string capture(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        return {};
    std::string output;
    std::array<char, 4096> chunk{};
    std::size_t got = 0;
    while ((got = fread(chunk.data(), 1, chunk.size(), pipe.get())) > 0)
        output.append(chunk.data(), got);
    return output;
}

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream stream(text);
    while (std::getline(stream, part, separator))
        parts.push_back(part);
    return parts;
}

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void dropSuffix(std::string& text, const std::string& tail) {
    if (endsWith(text, tail))
        text.resize(text.size() - tail.size());
}

} // namespace

NtfsSearch::NtfsSearch(std::shared_ptr<const Medium> medium, std::uint64_t start, std::uint64_t end) {
    m_session->devices.setPhysicalDisk(0, std::move(medium));
    m_session->CurrentDevicePath = physicalDrivePath(0);
    SelectedVolume& selection = m_session->volumes.selectedVolume;
    selection.devicePath = m_session->CurrentDevicePath;
    selection.fileSystem = "NTFS";
    selection.start = start;
    selection.end = end;
}

NtfsSearch NtfsSearch::ofImage(const std::string& path, std::uint64_t start, std::uint64_t end) {
    auto medium = std::make_shared<FileMedium>(path);
    if (end == 0)
        end = medium->size().value_or(0) / 512;
    return NtfsSearch(medium, start, end);
}

BasicSearchContext NtfsSearch::context() {
    return BasicSearchContext{m_session->devices, m_session->CurrentDevicePath,
                              m_session->volumes, m_session->tables,
                              m_session->folders, m_progress,
                              *m_prompter,        m_stop};
}

BasicSearchOutcome NtfsSearch::run(bool stopAtOnce) {
    m_stop = stopAtOnce;
    BasicSearchContext ctx = context();
    BasicSearchOutcome outcome = RunBasicSearch(ctx, &m_ntfs);
    m_walker = BasicSearchFolderWalker(ctx, &m_ntfs);
    m_stop = false;
    return outcome;
}

std::unique_ptr<FolderFileWalker>& NtfsSearch::walker() {
    return m_walker;
}

std::string NtfsSearch::pathOf(TreeItem item) const {
    const FolderTree& tree = m_session->folders.tree;
    std::string path;
    for (TreeItem at = item; tree.valid(at) && at != tree.root(); at = tree.parent(at))
        path = path.empty() ? tree.text(at) : tree.text(at) + "/" + path;
    return path;
}

std::map<std::string, ListedFolder> NtfsSearch::folders() {
    std::map<std::string, ListedFolder> result;
    const FolderModel& model = m_session->folders;
    for (const FolderNode& node : model.FolderList)
        result[pathOf(node.treeItem)] = ListedFolder{node.deleted, node.self, node.parent};
    return result;
}

FileList NtfsSearch::list(const std::string& folderPath) {
    FolderModel& model = m_session->folders;
    TreeItem item = model.tree.root();
    if (!folderPath.empty())
        for (const FolderNode& node : model.FolderList)
            if (pathOf(node.treeItem) == folderPath)
                item = node.treeItem;
    FileList list;
    PopulateList(model, item, m_walker.get(), list);
    return list;
}

std::map<std::string, ListedFile> NtfsSearch::files() {
    std::map<std::string, ListedFile> result;
    FolderModel& model = m_session->folders;
    std::vector<TreeItem> items{model.tree.root()};
    for (const FolderNode& node : model.FolderList)
        items.push_back(node.treeItem);
    for (const TreeItem item : items) {
        FileList list;
        PopulateList(model, item, m_walker.get(), list);
        const std::string folder = pathOf(item);
        for (const FileListRow& row : list.rows) {
            if (row.folder)
                continue;
            const std::string& name = row.cells[file_list::Name];
            result[folder.empty() ? name : folder + "/" + name] =
                ListedFile{row.cells[file_list::Size], row.cells[file_list::Date], row.cells[file_list::Time],
                           row.cells[file_list::Debug1], row.cells[file_list::Debug2]};
        }
    }
    return result;
}

std::optional<std::map<std::string, SleuthEntry>> sleuthListing(const std::string& image,
                                                                std::uint64_t offset) {
    if (capture("command -v fls").empty())
        return std::nullopt;
    const std::string body =
        capture("fls -r -m / -o " + std::to_string(offset) + " '" + image + "' 2>/dev/null");
    std::map<std::string, SleuthEntry> entries;
    std::map<std::string, std::int64_t> fileNameCreated;
    for (const std::string& line : split(body, '\n')) {
        // MD5|name|inode|mode|uid|gid|size|atime|mtime|ctime|crtime
        const std::vector<std::string> fields = split(line, '|');
        if (fields.size() < 11)
            continue;
        std::string path = fields[1].substr(1);
        const bool deleted = endsWith(path, " (deleted)");
        dropSuffix(path, " (deleted)");
        const bool fileNameLine = endsWith(path, " ($FILE_NAME)");
        dropSuffix(path, " ($FILE_NAME)");
        const std::string leaf = path.substr(path.rfind('/') + 1);
        if (path.rfind("$OrphanFiles", 0) == 0 || leaf.find(':') != std::string::npos)
            continue;
        if (fileNameLine) {
            fileNameCreated[path] = std::stoll(fields[10]);
            continue;
        }
        SleuthEntry entry;
        entry.directory = fields[3].size() > 2 && fields[3][2] == 'd';
        entry.deleted = deleted;
        entry.size = fields[6];
        entry.inode = std::stoull(fields[2]);
        entries[path] = entry;
    }
    for (auto& [path, entry] : entries)
        if (auto it = fileNameCreated.find(path); it != fileNameCreated.end())
            entry.fileNameCreated = it->second;
    return entries;
}

std::pair<std::string, std::string> utcTexts(std::int64_t seconds) {
    static constexpr std::array<const char*, 12> kMonths{"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                         "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    const std::time_t t = seconds;
    std::tm tm{};
    gmtime_r(&t, &tm);
    std::array<char, 32> date{};
    std::array<char, 32> time{};
    std::snprintf(date.data(), date.size(), "%02d-%s-%04d", tm.tm_mday, kMonths.at(tm.tm_mon),
                  tm.tm_year + 1900);
    std::snprintf(time.data(), time.size(), "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
    return {date.data(), time.data()};
}

} // namespace salvora::test
