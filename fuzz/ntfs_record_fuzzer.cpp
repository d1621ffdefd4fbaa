// SPDX-License-Identifier: GPL-3.0-or-later
// One fuzzed MFT record (the first 1024 bytes) and a second one that its attribute list may point at (the
// rest): update sequence, attribute walk, names in every namespace, data sizes, attribute lists and the
// $MFT run table built from the record as if it were record 0.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fsrecovery/ntfs/file_name.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "fsrecovery/ntfs/mft_runs.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace salvora;
    if (size > 4096)
        return 0;
    const auto* bytes = reinterpret_cast<const std::byte*>(data);
    const std::size_t first = std::min<std::size_t>(size, kMftRecordBytes);
    std::vector<std::byte> record(bytes, bytes + first);
    const std::vector<std::byte> other(bytes + first, bytes + size);

    // The run table reads "other records" from the second part of the input.
    VolumeParameters params;
    params.SPC = 8;
    const SectorReadFunction read = [&other](std::uint64_t, std::span<std::byte> out) {
        std::fill(out.begin(), out.end(), std::byte{0});
        std::memcpy(out.data(), other.data(), std::min(out.size(), other.size()));
        return !other.empty();
    };
    const MftRunTable runs = buildMftRunTable(record, params, read);
    for (std::uint64_t n = 0; n < 8; ++n)
        (void)runs.RecordSector(n);

    ApplyFixups(record, record.size());
    const MftRecordFetcher fetch = [&other](std::uint32_t, std::vector<std::byte>& out) {
        out = other;
        ApplyFixups(out, out.size());
        return hasFileSignature(out);
    };
    (void)parseMftRecordHeader(record);
    for (const bool wantName : {false, true})
        (void)chooseRecordName(record, 0, wantName, fetch);
    (void)findDataSize(record);
    (void)ReadAttributeSources(record, 7);
    forEachAttribute(record, [](const AttributeView& attribute) {
        (void)attribute.value();
        (void)attribute.runList();
        return true;
    });
    return 0;
}
