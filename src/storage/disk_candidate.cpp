// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/disk_candidate.h"

namespace salvora {

DiskGeometry derivedGeometry(std::uint64_t totalSectors, int mediaType) {
    constexpr std::uint32_t kHeads = 255;
    constexpr std::uint32_t kSectorsPerTrack = 63;
    return DiskGeometry{totalSectors / (kHeads * kSectorsPerTrack), kHeads, kSectorsPerTrack, 512, mediaType};
}

} // namespace salvora
