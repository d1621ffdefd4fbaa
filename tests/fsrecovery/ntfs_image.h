// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers for the NTFS walker: a Basic Search of an NTFS volume on an image (or a patched medium), the
// tree and every folder's listing gathered by path, and the same volume as The Sleuth Kit's fls sees it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/session.h"
#include "fsrecovery/basic_search.h"
#include "fsrecovery/file_list.h"
#include "fsrecovery/ntfs/ntfs_basic_search.h"
#include "storage/medium.h"

namespace salvora::test {

struct ListedFile {
    std::string size;
    std::string date;
    std::string time;
    std::string sector;
    std::string parent;
};

struct ListedFolder {
    bool deleted = false;
    std::uint32_t self = 0;
    std::uint32_t parent = 0;
};

// A Basic Search of the NTFS volume at [start, end) of the medium, attached as disk 0.
class NtfsSearch {
public:
    NtfsSearch(std::shared_ptr<const Medium> medium, std::uint64_t start, std::uint64_t end);
    static NtfsSearch ofImage(const std::string& path, std::uint64_t start = 0, std::uint64_t end = 0);

    BasicSearchOutcome run(bool stopAtOnce = false);

    // Folder paths from Root ("docs/reports"), with their flags; KLX_Miscellaneous and what hangs below it
    // appear under their own names.
    std::map<std::string, ListedFolder> folders();
    // Every file of every folder (Root included), by path; lists each folder once through the file list.
    std::map<std::string, ListedFile> files();
    // The listing of one folder path ("" for Root).
    FileList list(const std::string& folderPath);

    std::unique_ptr<FolderFileWalker>& walker();
    Session& session() { return *m_session; }
    NtfsRecordWalker& ntfs() { return m_ntfs; }
    std::uint64_t mftStartSector() const { return m_session->volumes.volumeParameters.MftStartSector; }

private:
    std::string pathOf(TreeItem item) const;
    BasicSearchContext context();

    std::unique_ptr<Session> m_session = std::make_unique<Session>();
    NtfsRecordWalker m_ntfs{m_session->ntfs};
    std::unique_ptr<FolderFileWalker> m_walker;
    NullProgress m_progress;
    std::unique_ptr<NullPrompter> m_prompter = std::make_unique<NullPrompter>();
    StopFlag m_stop{false};
};

// What fls -r -m reports for an NTFS volume: files and folders by path, with the $FILE_NAME creation time.
struct SleuthEntry {
    bool directory = false;
    bool deleted = false;
    std::string size;
    std::int64_t fileNameCreated = 0; // seconds since 1970, from the $FILE_NAME line
    std::uint64_t inode = 0;
};
// nullopt when fls is not installed. Named streams, $OrphanFiles and its pseudo-files are left out.
std::optional<std::map<std::string, SleuthEntry>> sleuthListing(const std::string& image,
                                                                std::uint64_t offset = 0);

// "DD-MON-YYYY" and "HH:MM:SS" of seconds since 1970, UTC.
std::pair<std::string, std::string> utcTexts(std::int64_t seconds);

} // namespace salvora::test
