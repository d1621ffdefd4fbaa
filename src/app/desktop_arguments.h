// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's command line: one optional recovery-log path (opened at start), plus our own
// options that attach image files as removable media. The log path is what remains after the options,
// taken as one text: blanks trimmed and one pair of surrounding double quotes removed, so a path passed
// with its quotes (as a file manager may do) opens the same file as the bare path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace salvora {

struct DesktopArguments {
    std::vector<std::string> diskImages;   // --image FILE, in the order given
    std::vector<std::string> volumeImages; // --volume-image FILE
    bool noDevices = false;                // --no-devices: attached images only
    bool help = false;                     // --help
    std::string logArgument;               // the command-line argument; empty when none was given
    std::string error;                     // not empty when the command line cannot be used
};

// Blanks trimmed from both ends, then one leading and one trailing double quote removed when present.
std::string commandLineArgument(std::string_view raw);

// Parses the arguments after the program name. Arguments that are not options are joined with single
// blanks into the log argument ("--" ends the options).
DesktopArguments parseDesktopArguments(const std::vector<std::string>& args);

// The usage text for --help and for a command line that cannot be used.
std::string desktopUsage();

} // namespace salvora
