// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery log named on the command line: the main window reads only its header (drive kind, magic,
// disk model, stored mode) to decide which window opens it. The full load belongs to that window.
#pragma once

#include <string>

#include "recoverylog/recovery_log_reader.h"

namespace salvora {

// What the main window does with the log named on its command line.
enum class StartupLogAction {
    ExitSilently, // the file cannot be opened: the process ends with code 0
    InvalidLog,   // wrong magic, unreadable header or a stored mode other than 1 or 2: kLogInvalidMessage,
                  // and the main window stays
    OpenBasic,    // stored mode 1
    OpenDeep,     // stored mode 2
};

StartupLogAction classifyStartupLog(const std::string& path);

} // namespace salvora
