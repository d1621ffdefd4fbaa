// SPDX-License-Identifier: GPL-3.0-or-later
#include "recoverylog/log_association.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace salvora {
namespace {

namespace fs = std::filesystem;

// An argument of an Exec line: quoted when it holds a reserved character, with ", `, $ and \ escaped
// inside the quotes; then every \ doubled again, as a desktop-entry string value needs; % doubled.
std::string execArgument(const std::string& text) {
    const std::string reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string argument;
    if (text.find_first_of(reserved) == std::string::npos) {
        argument = text;
    } else {
        argument = "\"";
        for (char c : text) {
            if (c == '"' || c == '`' || c == '$' || c == '\\')
                argument += '\\';
            argument += c;
        }
        argument += '"';
    }
    std::string value;
    for (char c : argument) {
        if (c == '\\')
            value += "\\\\";
        else if (c == '%')
            value += "%%";
        else
            value += c;
    }
    return value;
}

bool sameContent(const fs::path& path, const std::string& content) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    std::string existing((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return existing == content;
}

// Writes content to path through a temporary file renamed into place, so a reader never sees half a file.
bool writeFileAtomically(const fs::path& path, const std::string& content) {
    if (sameContent(path, content))
        return true;
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error)
        return false;
    const fs::path temporary = path.string() + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
        const ssize_t wrote = ::write(fd, content.data() + done, content.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        ok = wrote > 0;
        if (ok)
            done += static_cast<std::size_t>(wrote);
    }
    ok = ::close(fd) == 0 && ok;
    if (ok)
        ok = ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok)
        ::unlink(temporary.c_str());
    return ok;
}

// Runs a cache tool on a folder when it is installed; its output is discarded and its result ignored.
void runCacheTool(const char* tool, const std::string& folder) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args{tool, folder};
    std::vector<char*> argv{args[0].data(), args[1].data(), nullptr};
    pid_t child = 0;
    if (posix_spawnp(&child, tool, &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

} // namespace

std::string runningExecutable() {
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string userDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/')
        return std::string(home) + "/.local/share";
    return {};
}

std::string logMimeDefinition() {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"") +
           kLogMimeType +
           "\">\n"
           "    <comment>Log File</comment>\n"
           "    <glob pattern=\"*.SLV\" case-sensitive=\"true\"/>\n"
           "    <glob pattern=\"*.slv\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string logDesktopEntry(const std::string& executable) {
    return std::string("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Quillwort Salvora\n"
                       "Comment=Open with program\n"
                       "Exec=") +
           execArgument(executable) + " %f\n" + "MimeType=" + kLogMimeType + ";\n" +
           "NoDisplay=true\n"
           "Terminal=false\n";
}

AssociationResult RegisterLogAssociation(const AssociationPaths& paths, Prompter& prompter,
                                         bool updateCaches) {
    AssociationResult result;
    const bool haveHome = !paths.dataHome.empty();
    const fs::path home = paths.dataHome;
    auto step = [&](const char* relative, const std::string& content) {
        if (!haveHome || !writeFileAtomically(home / relative, content)) {
            prompter.inform(kAssociationFailed);
            ++result.failedSteps;
            return false;
        }
        return true;
    };
    const bool mimeWritten = step(kLogMimeFile, logMimeDefinition());
    const bool entryWritten = step(kLogDesktopFile, logDesktopEntry(paths.executable));
    if (updateCaches && mimeWritten)
        runCacheTool("update-mime-database", (home / "mime").string());
    if (updateCaches && entryWritten)
        runCacheTool("update-desktop-database", (home / "applications").string());
    return result;
}

} // namespace salvora
