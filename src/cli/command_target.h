// SPDX-License-Identifier: GPL-3.0-or-later
// The target every volume command starts from: parsed, the drives listed as the mode's window would list
// them, and the selection made.
#pragma once

#include <iosfwd>
#include <string>
#include <variant>

#include "app/targets.h"

namespace salvora::cli {

struct CommandTarget {
    Target target;
    SelectedVolume selection;
};

// The target and its selection, or — after saying why on err — the exit code to end with (usage for a
// target that cannot be parsed, failure for one that is not there).
std::variant<CommandTarget, int> selectCommandTarget(Session& session, const std::string& text,
                                                     SearchMode mode, std::ostream& err);

} // namespace salvora::cli
