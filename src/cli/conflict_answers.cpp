// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/conflict_answers.h"

#include <istream>
#include <ostream>

#include "base/text.h"

namespace salvora::cli {

std::optional<ConflictPolicy> parseConflictPolicy(const std::string& text) {
    if (text == "ask")
        return ConflictPolicy::Ask;
    if (text == "overwrite")
        return ConflictPolicy::Overwrite;
    if (text == "skip")
        return ConflictPolicy::Skip;
    if (text == "rename")
        return ConflictPolicy::Rename;
    return std::nullopt;
}

ReplaceAnswer CliConflictPrompter::askReplace(const std::string& existingPath,
                                              const std::string& proposedPath) {
    switch (m_policy) {
    case ConflictPolicy::Overwrite:
        return {ConflictAnswer::OverwriteAll, existingPath, false};
    case ConflictPolicy::Skip:
        return {ConflictAnswer::SkipAll, existingPath, false};
    case ConflictPolicy::Rename:
        return {ConflictAnswer::RenameAll, proposedPath, false};
    case ConflictPolicy::Ask:
        break;
    }
    return ask(existingPath, proposedPath);
}

// One letter for the answer, a second "a" to apply it to all later conflicts; end of input cancels.
ReplaceAnswer CliConflictPrompter::ask(const std::string& existingPath, const std::string& proposedPath) {
    for (;;) {
        m_out
            << "File Name     : " << existingPath << "\nNew File Name : " << proposedPath
            << "\n[o]verwrite, [r]ename, [s]kip or [c]ancel the save; add 'a' to apply the answer to all the "
               "files (for example 'ra'): "
            << std::flush;
        std::string line;
        if (!std::getline(m_in, line)) {
            m_out << "\nNo answer (end of input): the save is cancelled. --on-conflict overwrite, skip or "
                     "rename answers without asking.\n";
            return {ConflictAnswer::SkipAll, existingPath, true};
        }
        std::string answer = trim(line);
        bool all = answer.size() == 2 && answer[1] == 'a';
        if (answer.empty() || answer.size() > 2 || (answer.size() == 2 && !all))
            continue;
        switch (answer[0]) {
        case 'o':
            return {all ? ConflictAnswer::OverwriteAll : ConflictAnswer::Overwrite, existingPath, false};
        case 'r':
            return {all ? ConflictAnswer::RenameAll : ConflictAnswer::Rename, proposedPath, false};
        case 's':
            return {all ? ConflictAnswer::SkipAll : ConflictAnswer::Skip, existingPath, false};
        case 'c':
            return {ConflictAnswer::SkipAll, existingPath, true};
        default:
            break;
        }
    }
}

} // namespace salvora::cli
