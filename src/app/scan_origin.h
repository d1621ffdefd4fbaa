// SPDX-License-Identifier: GPL-3.0-or-later
// Where a scan of a command-line target starts, as a recovery log records it.
#pragma once

#include "app/session.h"
#include "app/targets.h"

namespace salvora {

// The drive item a scan of the target starts from: its kind ("Hard Disk" for a whole disk, "part" for a
// partition, "Logical" for a logical drive), the disk's model and identity, the volume's path and size, and
// the drive item's sectors. The drives must have been listed.
ScanOrigin scanOriginOf(const Session& session, const Target& target, SearchMode mode);

} // namespace salvora
