// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/fat_writer.h"

#include <array>
#include <unordered_set>

#include "base/bytes.h"
#include "save/file_copier.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace {

// A file listed with size 0 is saved as one 4096-byte block: the listing may be wrong, the data may not be.
constexpr std::uint64_t kSizeForEmptyFiles = 4096;
// Clusters 0 and 1 are not data clusters: an entry that starts there (an empty file, a volume label) has
// no data on the volume.
constexpr std::uint32_t kFirstDataCluster = 2;

// Reads FAT sectors, keeping the last one: a chain's neighbouring entries share a sector.
class FatSectorCache {
public:
    FatSectorCache(const SaveContext& context) : m_context(context) {}
    ByteSpan sector(std::uint64_t number) {
        if (!m_valid || number != m_number) {
            m_sector.fill(std::byte{0});
            ReadSectors(m_context.devices, m_context.devicePath, number, 1, m_sector.data());
            m_number = number;
            m_valid = true;
        }
        return m_sector;
    }

private:
    const SaveContext& m_context;
    std::array<std::byte, kSectorSize> m_sector{};
    std::uint64_t m_number = 0;
    bool m_valid = false;
};

std::vector<ClusterExtent> extentsOfChain(const ClusterChain& chain) {
    std::vector<ClusterExtent> extents;
    for (std::uint32_t cluster : chain) {
        if (!extents.empty() && extents.back().firstCluster + extents.back().clusterCount == cluster)
            ++extents.back().clusterCount;
        else
            extents.push_back({cluster, 1, false});
    }
    return extents;
}

// Both FAT copies in turn; a chain counts only when it ends after exactly the clusters the size needs.
std::vector<ClusterExtent> clustersOfFile(const SaveContext& context, const FileSaveRequest& request,
                                          std::uint64_t size) {
    const std::uint64_t clusterBytes = std::uint64_t{context.params.SPC} * kSectorSize;
    const std::uint64_t needed = clusterBytes == 0 ? 0 : (size + clusterBytes - 1) / clusterBytes;
    for (std::uint32_t fat : {context.params.firstFAT, context.params.secondFAT}) {
        ClusterChain chain =
            BuildClusterChain(context, context.fileSystem, request.startCluster, fat, needed);
        if (chain.size() == needed)
            return extentsOfChain(chain);
    }
    return {ClusterExtent{request.startCluster, needed, false}};
}

} // namespace

ClusterChain BuildClusterChain(const SaveContext& context, const std::string& fileSystem, std::uint32_t start,
                               std::uint32_t fatSector, std::uint64_t maximum) {
    const bool fat16 = fileSystem == "FAT16";
    if (!fat16 && fileSystem != "FAT32")
        return {};
    ClusterChain chain{start};
    if (maximum < 1 || (fat16 && fatSector == 0))
        return chain;
    FatSectorCache fat(context);
    std::unordered_set<std::uint32_t> seen{start};
    std::uint32_t cluster = start;
    while (!context.state.StopSaving && !context.state.SkipCurrentFile) {
        std::uint32_t next =
            fat16 ? le16(fat.sector(std::uint64_t{fatSector} + (cluster >> 8)), (cluster & 0xFF) * 2)
                  : le32(fat.sector(std::uint64_t{fatSector} + (cluster >> 7)), (cluster & 0x7F) * 4);
        if (next == 0 || next >= (fat16 ? 0xFFFFu : 0x0FFFFFFFu))
            break;
        if (!seen.insert(next).second)
            break; // the chain loops back on itself: it is damaged, cut it here
        chain.push_back(next);
        if (chain.size() > maximum)
            break;
        cluster = next;
    }
    return chain;
}

void SaveFatFile(SaveContext& context, FileSaveRequest request) {
    const std::uint64_t size = request.size == 0 ? kSizeForEmptyFiles : request.size;
    request.size = size;
    if (!prepareFile(context, request))
        return;
    if (request.startCluster < kFirstDataCluster) {
        CreateEmptyFile(request.destinationPath);
        return;
    }
    copyExtentsToFile(context, request.destinationPath, clustersOfFile(context, request, size), size,
                      request.askFlag);
}

} // namespace salvora
