// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the salvora executable as a user would and captures what it says.
#pragma once

#include <string>
#include <vector>

namespace salvora::test {

struct CliRun {
    int exitCode = -1;       // the process's exit status
    bool crashed = false;    // ended by a signal
    std::string out;
    std::string err;
};

CliRun runSalvora(const std::vector<std::string>& arguments);

} // namespace salvora::test
