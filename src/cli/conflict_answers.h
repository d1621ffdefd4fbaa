// SPDX-License-Identifier: GPL-3.0-or-later
// How the command line answers name conflicts: always the same way (--on-conflict overwrite|skip|rename), or
// by asking on the terminal (--on-conflict ask).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "save/conflicts.h"

namespace salvora::cli {

enum class ConflictPolicy { Ask, Overwrite, Skip, Rename };

std::optional<ConflictPolicy> parseConflictPolicy(const std::string& text);

class CliConflictPrompter final : public ConflictPrompter {
public:
    CliConflictPrompter(ConflictPolicy policy, std::istream& in, std::ostream& out)
        : m_policy(policy), m_in(in), m_out(out) {}
    ReplaceAnswer askReplace(const std::string& existingPath, const std::string& proposedPath) override;

private:
    ReplaceAnswer ask(const std::string& existingPath, const std::string& proposedPath);

    ConflictPolicy m_policy;
    std::istream& m_in;
    std::ostream& m_out;
};

} // namespace salvora::cli
