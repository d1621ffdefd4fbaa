// SPDX-License-Identifier: GPL-3.0-or-later
// What the Save Log and Load Log buttons of the Basic and Deep windows, and closing those windows, do before
// any file is touched: refuse with a message, or go on. Plain decisions, so a window only forwards.
#pragma once

#include <optional>
#include <string>

#include "recoverylog/recovery_log_state.h"

namespace salvora {

struct LogWindowState {
    bool holdsResult = false;  // the scan (or a load) found items: the window's result count is not 0
    bool scanRunning = false;  // a scan or a lost-partition search runs
    bool loadRunning = false;  // a log load runs
};

// Save Log: the message that refuses it, or nullopt when the writer may start (and is not running yet).
std::optional<std::string> refuseSaveLog(const LogWindowState& window);

// Load Log: the message that refuses it, or nullopt when the loader may start (and is not running yet).
// A window that holds a result refuses, saying why according to whether a scan still runs.
std::optional<std::string> refuseLoadLog(const LogWindowState& window);

// Closing the window offers to save the log when it holds a result not saved since the scan and nothing
// runs.
bool offerLogOnClose(const LogWindowState& window, const RecoveryLogState& log);

} // namespace salvora
