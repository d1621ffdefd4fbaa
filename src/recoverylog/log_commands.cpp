// SPDX-License-Identifier: GPL-3.0-or-later
#include "recoverylog/log_commands.h"

#include "recoverylog/recovery_log_reader.h"
#include "recoverylog/recovery_log_writer.h"

namespace salvora {

std::optional<std::string> refuseSaveLog(const LogWindowState& window) {
    if (!window.holdsResult)
        return std::string(kSaveLogNeedsScan);
    if (window.scanRunning)
        return std::string(kSaveLogWhileScanning);
    return std::nullopt;
}

std::optional<std::string> refuseLoadLog(const LogWindowState& window) {
    if (window.holdsResult || window.scanRunning)
        return std::string(window.scanRunning ? kLoadLogWhileScanning : kLoadLogNotNow);
    return std::nullopt;
}

bool offerLogOnClose(const LogWindowState& window, const RecoveryLogState& log) {
    return window.holdsResult && !log.logSaved && !window.scanRunning && !window.loadRunning;
}

} // namespace salvora
