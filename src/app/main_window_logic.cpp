// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_window_logic.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace salvora {

bool requestModeLaunch(MainWindowState& state, Session& session, SearchMode mode) {
    if (state.basicLogLoading || state.deepLogLoading)
        return false;
    if (mode == SearchMode::Basic || mode == SearchMode::Deep)
        session.folders.reset();
    state.SearchMode = static_cast<int>(mode);
    if (state.modeWindowOpen)
        return false;
    session.tables.clearAll();
    state.commandLineArgument.clear();
    state.modeWindowOpen = true;
    return true;
}

void modeWindowClosed(MainWindowState& state) {
    state.modeWindowOpen = false;
}

std::string privateTemporaryFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string base = tmp && *tmp ? tmp : "/tmp";
    std::string folder = base + "/quillwort-salvora-" + std::to_string(::getuid());
    ::mkdir(folder.c_str(), 0700); // fails harmlessly when it exists; checked below
    struct stat info {};
    // Only a real folder of ours, closed to others, is used: /tmp is shared with other users.
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid() ||
        (info.st_mode & 0077) != 0)
        return {};
    return folder;
}

int removeTemporaryCopies(const std::string& folder) {
    namespace fs = std::filesystem;
    if (folder.empty())
        return 0;
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        std::error_code typeError;
        if (!entry.is_regular_file(typeError) || entry.is_symlink(typeError))
            continue;
        if (entry.path().filename().string().find("QFX") == std::string::npos)
            continue;
        std::error_code removeError;
        if (fs::remove(entry.path(), removeError))
            ++removed;
    }
    return removed;
}

} // namespace salvora
