// SPDX-License-Identifier: GPL-3.0-or-later
#include "run_cli.h"

#include <fstream>
#include <sstream>
#include <sys/wait.h>

#include "support/fixtures.h"

namespace salvora::test {
namespace {

std::string quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

} // namespace

CliRun runSalvora(const std::vector<std::string>& arguments) {
    const std::string dir = makeTempDir();
    std::string command = quote(SALVORA_CLI);
    for (const std::string& argument : arguments)
        command += " " + quote(argument);
    command += " </dev/null >" + quote(dir + "/out") + " 2>" + quote(dir + "/err");
    int status = runShell(command);
    CliRun run;
    // The shell reports a child killed by a signal as 128 + the signal number.
    if (WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
        run.crashed = run.exitCode > 128;
    } else {
        run.crashed = true;
    }
    run.out = readWholeFile(dir + "/out");
    run.err = readWholeFile(dir + "/err");
    return run;
}

} // namespace salvora::test
