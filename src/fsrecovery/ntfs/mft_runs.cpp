// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/mft_runs.h"

#include <algorithm>
#include <limits>

#include "fsrecovery/ntfs/data_runs.h"
#include "fsrecovery/ntfs/fixups.h"
#include "fsrecovery/ntfs/mft_record.h"
#include "storage/sector_reader.h"

namespace salvora {

void MftRunTable::clear() {
    m_runs.clear();
    m_totals.clear();
}

void MftRunTable::append(const MftRun& run) {
    if (m_runs.size() >= kMaxMftRuns)
        return;
    const std::uint64_t before = totalSectors();
    if (run.sectorCount > std::numeric_limits<std::uint64_t>::max() - before)
        return;
    m_runs.push_back(run);
    m_totals.push_back(before + run.sectorCount);
}

std::uint64_t MftRunTable::RecordSector(std::uint64_t n) const {
    if (n > totalSectors() / kMftRecordSectors)
        return 0;
    const std::uint64_t target = n * kMftRecordSectors;
    const auto it = std::upper_bound(m_totals.begin(), m_totals.end(), target);
    if (it == m_totals.end())
        return 0;
    const std::size_t index = static_cast<std::size_t>(it - m_totals.begin());
    const std::uint64_t before = index == 0 ? 0 : m_totals[index - 1];
    const MftRun& run = m_runs[index];
    return run.sparse ? 0 : run.startSector + (target - before);
}

std::optional<std::uint64_t> MftRunTable::recordNumberAt(std::uint64_t sector) const {
    std::uint64_t before = 0;
    for (const MftRun& run : m_runs) {
        if (!run.sparse && sector >= run.startSector && sector - run.startSector < run.sectorCount) {
            const std::uint64_t offset = before + (sector - run.startSector);
            if (offset % kMftRecordSectors == 0)
                return offset / kMftRecordSectors;
        }
        before += run.sectorCount;
    }
    return std::nullopt;
}

namespace {

// Appends the runs of one run list. A run that does not fit in 64-bit sector numbers ends the list.
void appendRunList(MftRunTable& table, ByteSpan runList, const VolumeParameters& params) {
    const RunList list = DecodeRunList(runList, kMaxMftRuns);
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t spc = params.SPC;
    for (const ClusterRun& run : list.runs) {
        if (run.clusterCount > kMax / spc ||
            (!run.sparse && run.firstCluster > (kMax - params.Cluster0Start) / spc))
            return;
        MftRun sectors;
        sectors.sparse = run.sparse;
        sectors.sectorCount = run.clusterCount * spc;
        if (!run.sparse)
            sectors.startSector = params.Cluster0Start + run.firstCluster * spc;
        table.append(sectors);
    }
}

bool appendDataRunsOf(MftRunTable& table, ByteSpan record, const VolumeParameters& params) {
    AttributeView data;
    if (!findAttribute(record, ntfs_attribute::Data, true, data) || !data.nonResident)
        return false;
    appendRunList(table, data.runList(), params);
    return true;
}

} // namespace

MftRunTable buildMftRunTable(ByteSpan record0, const VolumeParameters& params,
                             const SectorReadFunction& read) {
    MftRunTable table;
    if (params.SPC == 0 || !hasFileSignature(record0))
        return table;
    std::vector<std::byte> record(record0.begin(), record0.end());
    record.resize(kMftRecordBytes);
    ApplyFixups(record, kMftRecordBytes);
    appendDataRunsOf(table, record, params);

    // A $MFT too fragmented for record 0 continues its run list in other records, in list order.
    std::vector<std::uint32_t> visited{0};
    std::vector<std::byte> extension(kMftRecordBytes);
    for (const AttributeListEntry& entry : residentAttributeList(record)) {
        if (entry.type != ntfs_attribute::Data || entry.nameLength != 0)
            continue;
        const std::uint32_t number = entry.recordNumber();
        if (std::find(visited.begin(), visited.end(), number) != visited.end())
            continue;
        visited.push_back(number);
        const std::uint64_t sector = table.RecordSector(number);
        if (sector == 0 || !read || !read(sector, extension) || !hasFileSignature(extension))
            continue;
        ApplyFixups(extension, kMftRecordBytes);
        appendDataRunsOf(table, extension, params);
    }
    return table;
}

MftRunTable LoadMftRuns(const DeviceNamespace& devices, std::string_view devicePath,
                        const VolumeParameters& params) {
    if (params.MftStartSector == 0)
        return {};
    DeviceHandle handle;
    if (!handle.open(devices, devicePath))
        return {};
    const SectorReadFunction read = [&handle](std::uint64_t sector, std::span<std::byte> out) {
        if (sector > std::numeric_limits<std::uint64_t>::max() / kSectorSize)
            return false;
        std::fill(out.begin(), out.end(), std::byte{0});
        handle.seek(sector);
        std::size_t got = 0;
        return handle.read(out.data(), out.size(), got) && got == out.size();
    };
    std::vector<std::byte> record0(kMftRecordBytes);
    if (!read(params.MftStartSector, record0))
        return {};
    return buildMftRunTable(record0, params, read);
}

} // namespace salvora
