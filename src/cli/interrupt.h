// SPDX-License-Identifier: GPL-3.0-or-later
// Ctrl+C during a scan: the first press sets the scan's stop flag, as the Stop button does, and the command
// goes on to show what was found; a second press ends the process the usual way.
#pragma once

#include "base/seams.h"

namespace salvora::cli {

// Routes SIGINT to stop while it lives; the previous handling comes back when it ends.
class StopOnInterrupt {
public:
    explicit StopOnInterrupt(StopFlag& stop);
    ~StopOnInterrupt();
    StopOnInterrupt(const StopOnInterrupt&) = delete;
    StopOnInterrupt& operator=(const StopOnInterrupt&) = delete;
};

} // namespace salvora::cli
