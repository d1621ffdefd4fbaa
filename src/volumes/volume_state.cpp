// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/volume_state.h"

#include "storage/device_namespace.h"

namespace salvora {

VolumeState::VolumeState() {
    for (int disk = 0; disk < kMaxDisks; ++disk)
        diskPathTable[static_cast<std::size_t>(disk)] = physicalDrivePath(disk);
}

} // namespace salvora
