// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_target.h"

#include <ostream>

#include "app/scan_origin.h"
#include "cli/commands.h"

namespace salvora::cli {

std::variant<CommandTarget, int> selectCommandTarget(Session& session, const std::string& text,
                                                     SearchMode mode, std::ostream& err) {
    auto target = parseTarget(text);
    if (!target) {
        err << "salvora: " << target.error().message << "\n";
        return kExitUsage;
    }
    listDrives(session, mode);
    auto selection = selectTarget(session, *target);
    if (!selection) {
        err << "salvora: " << selection.error().message << "\n";
        return kExitFailure;
    }
    session.log.origin = scanOriginOf(session, *target, mode);
    return CommandTarget{*target, *selection};
}

} // namespace salvora::cli
