// SPDX-License-Identifier: GPL-3.0-or-later
// Where the $MFT lies: the runs of its unnamed $DATA, read from its own record 0 (and from the records its
// attribute list names when the run list did not fit in record 0). Record n of the $MFT is the 2-sector slot
// n of the runs laid end to end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "base/bytes.h"
#include "storage/device_namespace.h"
#include "volumes/volume_state.h"

namespace salvora {

// Run tables never grow past this many runs, whatever a damaged record claims.
inline constexpr std::size_t kMaxMftRuns = 65535;

struct MftRun {
    std::uint64_t startSector = 0; // absolute; 0 for a sparse run
    std::uint64_t sectorCount = 0;
    bool sparse = false;
};

class MftRunTable {
public:
    void clear();
    void append(const MftRun& run);
    const std::vector<MftRun>& runs() const { return m_runs; }
    bool empty() const { return m_runs.empty(); }
    std::uint64_t totalSectors() const { return m_totals.empty() ? 0 : m_totals.back(); }

    // The first sector of record n; 0 when n lies beyond the runs or in a sparse run. Logarithmic in the
    // number of runs.
    std::uint64_t RecordSector(std::uint64_t n) const;
    // The number of the record that starts at sector, if one does.
    std::optional<std::uint64_t> recordNumberAt(std::uint64_t sector) const;

private:
    std::vector<MftRun> m_runs;
    std::vector<std::uint64_t> m_totals; // sectors up to and including run i
};

// Reads count sectors at an absolute sector into out (count * 512 bytes); false on failure.
using SectorReadFunction = std::function<bool(std::uint64_t sector, std::span<std::byte> out)>;

// Builds the run table from record 0 of the $MFT (fix-ups not yet applied; it is copied). Without "FILE" the
// table is empty. When record 0 has a resident $ATTRIBUTE_LIST, the other records that hold unnamed $DATA
// of the $MFT are read through read (located with the runs known so far) in list order, and their runs
// appended. Cluster c lies at params.Cluster0Start + c * params.SPC.
MftRunTable buildMftRunTable(ByteSpan record0, const VolumeParameters& params,
                             const SectorReadFunction& read);

// Reads record 0 at params.MftStartSector through the device path and builds the run table; empty when
// nothing can be read there.
MftRunTable LoadMftRuns(const DeviceNamespace& devices, std::string_view devicePath,
                        const VolumeParameters& params);

} // namespace salvora
