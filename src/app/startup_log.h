// SPDX-License-Identifier: GPL-3.0-or-later
// The recovery log named on the command line: the main window reads only its header (drive kind, magic,
// disk model, stored mode) to decide which window opens it. The full load belongs to that window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "base/bytes.h"

namespace salvora {

inline constexpr const char* kLogMagic = "QuillwortWIN7SR2013";
inline constexpr const char* kInvalidLogMessage =
    "The selected recovery Log (index of recovered files and folders) file is invalid or corrupted. Recovery "
    "cannot continue with this log file. Please select the correct drive from tree and continue with "
    "recovery.";

struct LogHeader {
    std::string driveKind;
    std::string magic;
    std::string diskModel;
    std::uint32_t storedMode = 0;
};

// Parses the first four items of a log: three length-prefixed UTF-16LE strings and a u32. nullopt when
// the bytes end early or a string is not in the string form.
std::optional<LogHeader> parseLogHeader(ByteSpan bytes);

// What the main window does with the log named on its command line.
enum class StartupLogAction {
    ExitSilently, // the file cannot be opened: the process ends with code 0
    InvalidLog,   // wrong magic, unreadable header or a stored mode other than 1 or 2: the message, window
                  // stays
    OpenBasic,    // stored mode 1
    OpenDeep,     // stored mode 2
};

StartupLogAction classifyStartupLog(const std::string& path);

} // namespace salvora
