// SPDX-License-Identifier: GPL-3.0-or-later
// Run lists (mapping pairs) of non-resident NTFS attributes: where the clusters of an attribute lie.
//
// Each run is a header byte h followed by two little-endian fields:
//   h & 0x0F bytes  the run length in clusters (unsigned)
//   h >> 4 bytes    the offset in clusters from the previous run's first cluster, signed in two's complement
//                   of its own width; no offset bytes mark a sparse run (no clusters on the volume)
// A header byte 0 ends the list. The first run's offset is taken from cluster 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/bytes.h"

namespace salvora {

// One run as it is encoded.
struct EncodedRun {
    std::uint64_t clusterCount = 0;
    std::int64_t clusterOffset = 0; // relative to the previous run's first cluster
    bool sparse = false;            // no offset bytes
};

enum class RunStatus {
    Run,     // a run was decoded
    End,     // the end marker (header byte 0)
    Damaged, // fields wider than 8 bytes, no length bytes, or fields running past the bytes given
};

struct DecodedRun {
    RunStatus status = RunStatus::End;
    EncodedRun run;
    std::size_t consumed = 0; // bytes of this run, header included; 1 for the end marker
};

// Decodes the run that starts at bytes[0]. Pure; never reads past bytes.
DecodedRun DecodeDataRun(ByteSpan bytes);

// A run with its absolute first cluster.
struct ClusterRun {
    std::uint64_t firstCluster = 0; // 0 for a sparse run
    std::uint64_t clusterCount = 0;
    bool sparse = false;
};

struct RunList {
    std::vector<ClusterRun> runs;
    bool damaged =
        false; // the list ended on damage (or a run before cluster 0) rather than on its end marker
};

// Decodes a whole run list, starting from cluster 0, stopping at the end marker, at the end of bytes, at
// damage, at a run whose first cluster would fall before cluster 0 or beyond 2^63, or after maxRuns runs.
// Sparse runs do not move the previous cluster.
RunList DecodeRunList(ByteSpan bytes, std::size_t maxRuns);

} // namespace salvora
