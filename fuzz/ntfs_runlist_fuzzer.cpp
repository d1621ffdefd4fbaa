// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzed bytes read as a run list, as the value of an attribute list, and as a file-index key.
#include <cstdint>
#include <string_view>

#include "fsrecovery/ntfs/data_runs.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/ntfs_item_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    const salvora::ByteSpan bytes(reinterpret_cast<const std::byte*>(data), size);
    (void)DecodeRunList(bytes, 65535);
    // Step through the runs one by one as a caller without a limit would; consumed always moves forward.
    for (std::size_t at = 0; at < bytes.size();) {
        const DecodedRun run = DecodeDataRun(bytes.subspan(at));
        if (run.status != RunStatus::Run)
            break;
        at += run.consumed;
    }
    (void)parseAttributeList(bytes);
    (void)parseNtfsItemKey(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
