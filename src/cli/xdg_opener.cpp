// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/xdg_opener.h"

#include <cerrno>
#include <fcntl.h>
#include <ostream>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace salvora::cli {

bool XdgOpener::openWithDefaultApplication(const std::string& path) {
    std::string program = "xdg-open";
    std::string argument = path;
    char* arguments[] = {program.data(), argument.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The opener's own chatter would mix with ours; its exit status says enough.
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, program.c_str(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void XdgOpener::chooseApplication(const std::string& path) {
    m_err << "salvora: no application could open the file; open the copy yourself: " << path << "\n";
}

} // namespace salvora::cli
