// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup_log.h"

#include "recoverylog/log_encoding.h"

namespace salvora {

StartupLogAction classifyStartupLog(const std::string& path) {
    FileLogInput input(path);
    if (!input.isOpen())
        return StartupLogAction::ExitSilently;
    // The header: the drive kind, the magic, the disk model and the stored mode.
    LogDecoder log(input);
    log.string();
    const std::string magic = log.string();
    log.string();
    const std::uint32_t storedMode = log.u32();
    if (!log.ok() || magic != kRecoveryLogMagic)
        return StartupLogAction::InvalidLog;
    if (storedMode == 1)
        return StartupLogAction::OpenBasic;
    if (storedMode == 2)
        return StartupLogAction::OpenDeep;
    return StartupLogAction::InvalidLog;
}

} // namespace salvora
