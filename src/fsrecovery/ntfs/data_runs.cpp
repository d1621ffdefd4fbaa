// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/data_runs.h"

#include <limits>

namespace salvora {

namespace {

constexpr std::size_t kMaxFieldBytes = 8;

std::uint64_t unsignedField(ByteSpan bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= std::uint64_t{le8(bytes, offset + i)} << (8 * i);
    return value;
}

// Sign-extends from the top bit of the field's most significant byte.
std::int64_t signedField(ByteSpan bytes, std::size_t offset, std::size_t width) {
    std::uint64_t value = unsignedField(bytes, offset, width);
    if (width < kMaxFieldBytes && (le8(bytes, offset + width - 1) & 0x80) != 0)
        value |= ~std::uint64_t{0} << (8 * width);
    return static_cast<std::int64_t>(value);
}

} // namespace

DecodedRun DecodeDataRun(ByteSpan bytes) {
    DecodedRun decoded;
    if (bytes.empty()) {
        decoded.status = RunStatus::Damaged;
        return decoded;
    }
    const std::uint8_t header = le8(bytes, 0);
    if (header == 0) {
        decoded.status = RunStatus::End;
        decoded.consumed = 1;
        return decoded;
    }
    const std::size_t lengthBytes = header & 0x0F;
    const std::size_t offsetBytes = header >> 4;
    if (lengthBytes == 0 || lengthBytes > kMaxFieldBytes || offsetBytes > kMaxFieldBytes ||
        !hasBytes(bytes, 1, lengthBytes + offsetBytes)) {
        decoded.status = RunStatus::Damaged;
        return decoded;
    }
    decoded.status = RunStatus::Run;
    decoded.run.clusterCount = unsignedField(bytes, 1, lengthBytes);
    decoded.run.sparse = offsetBytes == 0;
    if (!decoded.run.sparse)
        decoded.run.clusterOffset = signedField(bytes, 1 + lengthBytes, offsetBytes);
    decoded.consumed = 1 + lengthBytes + offsetBytes;
    return decoded;
}

RunList DecodeRunList(ByteSpan bytes, std::size_t maxRuns) {
    RunList list;
    std::int64_t previous = 0;
    std::size_t position = 0;
    while (list.runs.size() < maxRuns) {
        if (position >= bytes.size()) {
            list.damaged = true;
            break;
        }
        const DecodedRun decoded = DecodeDataRun(bytes.subspan(position));
        if (decoded.status == RunStatus::End)
            break;
        if (decoded.status == RunStatus::Damaged) {
            list.damaged = true;
            break;
        }
        position += decoded.consumed;
        ClusterRun run;
        run.clusterCount = decoded.run.clusterCount;
        run.sparse = decoded.run.sparse;
        if (!run.sparse) {
            const std::int64_t offset = decoded.run.clusterOffset;
            // previous + offset without overflow, and never before cluster 0
            if ((offset < 0 && previous + offset < 0) ||
                (offset > 0 && previous > std::numeric_limits<std::int64_t>::max() - offset)) {
                list.damaged = true;
                break;
            }
            previous += offset;
            run.firstCluster = static_cast<std::uint64_t>(previous);
        }
        list.runs.push_back(run);
    }
    return list;
}

} // namespace salvora
