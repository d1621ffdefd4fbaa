// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/conflicts.h"

#include "storage/output_naming.h"

namespace salvora {
namespace {

void takeRenamedPath(const SaveState& state, std::string& destination, std::string& displayName) {
    destination = state.ConflictPath;
    displayName = fileNamePart(destination);
}

} // namespace

ConflictOutcome resolveNameConflict(SaveState& state, ConflictPrompter& prompter, std::string& destination,
                                    std::string& displayName) {
    state.ConflictPath = destination;
    switch (state.conflictAnswer) {
    case ConflictAnswer::SkipAll:
        return ConflictOutcome::Skip;
    case ConflictAnswer::RenameAll:
        state.ConflictPath = MakeDuplicateName(destination);
        takeRenamedPath(state, destination, displayName);
        return ConflictOutcome::Write;
    case ConflictAnswer::OverwriteAll:
        return ConflictOutcome::Write;
    default:
        break;
    }
    ReplaceAnswer reply = prompter.askReplace(state.ConflictPath, MakeDuplicateName(state.ConflictPath));
    if (reply.cancel) {
        state.conflictAnswer = ConflictAnswer::SkipAll;
        state.StopSaving = true;
        return ConflictOutcome::Skip;
    }
    state.conflictAnswer = reply.answer;
    state.ConflictPath = reply.path;
    switch (reply.answer) {
    case ConflictAnswer::Skip:
    case ConflictAnswer::SkipAll:
        return ConflictOutcome::Skip;
    case ConflictAnswer::Rename:
    case ConflictAnswer::RenameAll:
        takeRenamedPath(state, destination, displayName);
        return ConflictOutcome::Write;
    default:
        return ConflictOutcome::Write; // overwritten: the writer creates the file with truncation
    }
}

} // namespace salvora
