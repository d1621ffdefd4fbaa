// SPDX-License-Identifier: GPL-3.0-or-later
// --save-log of the scanning commands: the scan's recovery log written to the file the user named.
#pragma once

#include <iosfwd>
#include <string>

#include "app/session.h"
#include "base/seams.h"

namespace salvora::cli {

// Writes the log of the session's result (from a search of mode) to path. The messages go through
// prompter; a file that cannot be created is said on err. Never writes over an attached image.
// Returns the exit code.
int saveScanLog(Session& session, SearchMode mode, const std::string& path, Prompter& prompter,
                std::ostream& err);

} // namespace salvora::cli
