// SPDX-License-Identifier: GPL-3.0-or-later
// Name conflicts: what happens when a file of the same name already waits at the destination.
#pragma once

#include <string>

#include "save/save_state.h"

namespace salvora {

// The conflict dialog's result: the answer and the path its edit held (the existing path for Overwrite, the
// proposed or typed path for Rename). Cancel answers SkipAll and stops the whole save.
struct ReplaceAnswer {
    ConflictAnswer answer = ConflictAnswer::Skip;
    std::string path;
    bool cancel = false;
};

// Asks the user about one conflict; the GUI shows its "Information" dialog, the CLI answers from its option.
class ConflictPrompter {
public:
    virtual ~ConflictPrompter() = default;
    virtual ReplaceAnswer askReplace(const std::string& existingPath, const std::string& proposedPath) = 0;
};

enum class ConflictOutcome { Write, Skip };

// Run when a file exists at destination: follows the remembered answer or asks, and may change destination
// and displayName (a rename).
ConflictOutcome resolveNameConflict(SaveState& state, ConflictPrompter& prompter, std::string& destination,
                                    std::string& displayName);

} // namespace salvora
