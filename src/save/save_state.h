// SPDX-License-Identifier: GPL-3.0-or-later
// What the save engine keeps between files: the flags the progress window and the conflict dialog set, the
// counters, and the answer to the last name conflict.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace salvora {

// How the user answered a name conflict; kept from one file to the next.
enum class ConflictAnswer : int {
    Overwrite = 0,
    Skip = 1,
    OverwriteAll = 2,
    SkipAll = 3, // also the Cancel answer
    Rename = 4,
    RenameAll = 5,
};

struct SaveState {
    std::atomic<bool> SkipCurrentFile{false}; // the current file stops; cleared at each file's start and end
    std::atomic<bool> StopSaving{false};      // the whole save stops
    bool QuietSave = false;                   // no conflict check, no progress, no disk-full message
    std::atomic<std::uint64_t> FilesSaved{0};
    std::atomic<std::uint64_t> FilesToSave{0};
    int OpenFileCounter = 0;
    ConflictAnswer conflictAnswer = ConflictAnswer::Overwrite;
    std::string ConflictPath;
};

} // namespace salvora
