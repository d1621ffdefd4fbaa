// SPDX-License-Identifier: GPL-3.0-or-later
// What the NTFS walker keeps for a session between the scan, the listings and the save engine.
#pragma once

#include "fsrecovery/ntfs/mft_runs.h"

namespace salvora {

struct NtfsState {
    // The runs of the $MFT of the last Basic Search of an NTFS volume; kept until the next one.
    MftRunTable mftRuns;

    void reset() { mftRuns.clear(); }
};

} // namespace salvora
