// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/fixups.h"

#include <algorithm>

#include "base/bytes.h"
#include "storage/sector_reader.h"

namespace salvora {

void ApplyFixups(std::span<std::byte> record, std::size_t byteCount) {
    byteCount = std::min(byteCount, record.size());
    const ByteSpan bytes(record.data(), byteCount);
    const std::size_t arrayOffset = le16(bytes, 4);
    const std::size_t entries = le16(bytes, 6);
    if (entries < 2 || entries - 2 > byteCount || arrayOffset + 2 > byteCount)
        return;
    for (std::size_t i = 0; (i + 1) * kSectorSize <= byteCount && i < entries - 1; ++i) {
        const std::size_t entry = arrayOffset + 2 + 2 * i;
        if (!hasBytes(bytes, entry, 2))
            return;
        const std::size_t sectorEnd = (i + 1) * kSectorSize - 2;
        record[sectorEnd] = record[entry];
        record[sectorEnd + 1] = record[entry + 1];
    }
}

} // namespace salvora
