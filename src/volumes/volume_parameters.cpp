// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/volume_parameters.h"

#include <array>

#include "base/text.h"
#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"

namespace salvora {
namespace {

using Sector = std::array<std::byte, kSectorSize>;

// The media descriptor byte every FAT starts with on a fixed or removable disk.
constexpr std::uint8_t kFatMediaByte = 0xF8;
// Clusters-per-record values that mean "a record of 2^N bytes" rather than a cluster count.
constexpr std::uint32_t kMftRecordOf1024Bytes = 0xF6;
constexpr std::uint32_t kIndexRecordOf4096Bytes = 0xF4;
// A FAT32 volume keeps a copy of its boot sector six sectors in.
constexpr std::uint32_t kFat32BackupBootOffset = 6;

class VolumeReader {
public:
    VolumeReader(const DeviceNamespace& devices, const std::string& path) : m_devices(devices), m_path(path) {}
    Sector read(std::uint64_t sector) const {
        Sector buffer{};
        ReadSectors(m_devices, m_path, sector, 1, buffer.data());
        return buffer;
    }

private:
    const DeviceNamespace& m_devices;
    const std::string& m_path;
};

bool computeFat16(const VolumeReader& reader, std::uint32_t S, VolumeParameters& p) {
    Sector boot = reader.read(S);
    if (!hasBootSignature(boot))
        return false;
    FatBootFields f = parseFatBootFields(boot);
    std::uint32_t R = f.reservedSectors;
    std::uint32_t F = f.sectorsPerFat16;
    if (le8(reader.read(S + R + F), 0) != kFatMediaByte)
        return false;
    p.SPF = F;
    p.SPC = f.sectorsPerCluster;
    p.ReserveSecStart = R;
    p.RootSec = f.rootEntries / 16;
    p.RootStartSec = S + R + 2 * F;
    p.firstFAT = S + R;
    p.secondFAT = S + R + F;
    p.Cluster0Start = static_cast<std::uint32_t>(S + R + 2 * F + p.RootSec - 2 * p.SPC);
    return true;
}

bool computeFat32(const VolumeReader& reader, std::uint32_t S, VolumeParameters& p) {
    Sector boot = reader.read(S);
    if (!hasBootSignature(boot)) {
        boot = reader.read(S + kFat32BackupBootOffset);
        if (!hasBootSignature(boot))
            return false;
    }
    FatBootFields f = parseFatBootFields(boot);
    if (le8(reader.read(S + f.reservedSectors + f.sectorsPerFat32), 0) != kFatMediaByte) {
        f = parseFatBootFields(reader.read(S + kFat32BackupBootOffset));
        if (le8(reader.read(S + f.reservedSectors + f.sectorsPerFat32), 0) != kFatMediaByte)
            return false;
    }
    std::uint32_t R = f.reservedSectors;
    std::uint32_t F = f.sectorsPerFat32;
    p.RootSec = 0;
    p.ReserveSecStart = R;
    p.firstFAT = S + R;
    p.secondFAT = S + R + F;
    p.SPF = F;
    p.SPC = f.sectorsPerCluster;
    p.RootStartSec = f.rootCluster;
    p.Cluster0Start = static_cast<std::uint32_t>(S + R + 2 * F - 2 * p.SPC);
    return true;
}

bool isValidSectorsPerCluster(std::uint32_t spc) {
    return spc == 1 || spc == 2 || spc == 4 || spc == 8 || spc == 16 || spc == 32 || spc == 64 || spc == 128;
}

std::uint32_t sectorsPerMftRecord(const NtfsBootFields& f) {
    return f.clustersPerMftRecord == kMftRecordOf1024Bytes ? 2 : f.clustersPerMftRecord * f.sectorsPerCluster;
}

bool isValidSectorsPerMftRecord(std::uint32_t sectors) {
    return sectors == 2 || sectors == 4 || sectors == 6 || sectors == 8;
}

// NTFS keeps the copy of its boot sector in the volume's last sector. Where the end is recorded as the
// first sector after the volume (MBR entries, a drive's sector count) that is E - 1, where it is inclusive
// (GUID entries) it is E itself; E is tried first.
std::uint64_t backupBootSector(const VolumeReader& reader, std::uint64_t S, std::uint64_t E) {
    if (E > S + 1 && !hasBootSignature(reader.read(E)))
        return E - 1;
    return E;
}

// The NTFS computation works from one boot sector at a time, the primary at S or the backup at E, and
// flips to the other one when a field does not make sense.
class NtfsBootSectors {
public:
    NtfsBootSectors(const VolumeReader& reader, std::uint64_t S, std::uint64_t E)
        : m_reader(reader), m_primary(S), m_backup(backupBootSector(reader, S, E)), m_current(S) {}

    // Reads the primary, then the backup; false when neither carries the signature.
    bool readFirstValid() {
        m_sector = m_reader.read(m_primary);
        if (hasBootSignature(m_sector))
            return true;
        m_current = m_backup;
        m_sector = m_reader.read(m_backup);
        return hasBootSignature(m_sector);
    }
    void flip() {
        m_current = m_current == m_primary ? m_backup : m_primary;
        m_sector = m_reader.read(m_current);
    }
    NtfsBootFields fields() const { return parseNtfsBootFields(m_sector); }

private:
    const VolumeReader& m_reader;
    std::uint64_t m_primary;
    std::uint64_t m_backup;
    std::uint64_t m_current;
    Sector m_sector{};
};

bool startsWithFileRecord(const Sector& sector) { return bytesEqual(sector, 0, "FILE"); }

// Finds the record at S + cluster * SPC, flipping once to the other boot sector when it is not a file record.
template <typename ClusterOf>
std::uint64_t locateRecord(const VolumeReader& reader, NtfsBootSectors& boots, std::uint64_t S, std::uint32_t spc,
                           ClusterOf clusterOf) {
    std::uint64_t sector = S + std::uint64_t{clusterOf(boots.fields())} * spc;
    if (startsWithFileRecord(reader.read(sector)))
        return sector;
    boots.flip();
    sector = S + std::uint64_t{clusterOf(boots.fields())} * spc;
    return startsWithFileRecord(reader.read(sector)) ? sector : 0;
}

bool computeNtfs(VolumeState& volumes, const VolumeReader& reader, VolumeParameters& p) {
    const std::uint64_t S = volumes.selectedVolume.start;
    const std::uint64_t E = volumes.selectedVolume.end;
    NtfsBootSectors boots(reader, S, E);
    if (!boots.readFirstValid()) {
        if (volumes.automaticPartitionSearch)
            volumes.automaticPartitionSearch();
        return false;
    }
    if (!isValidSectorsPerCluster(boots.fields().sectorsPerCluster)) {
        boots.flip();
        if (!isValidSectorsPerCluster(boots.fields().sectorsPerCluster))
            return false;
    }
    if (!isValidSectorsPerMftRecord(sectorsPerMftRecord(boots.fields()))) {
        boots.flip();
        if (!isValidSectorsPerCluster(boots.fields().sectorsPerCluster) ||
            !isValidSectorsPerMftRecord(sectorsPerMftRecord(boots.fields())))
            return false;
    }
    const std::uint32_t spc = boots.fields().sectorsPerCluster;
    const std::uint32_t mftRecordSectors = sectorsPerMftRecord(boots.fields());
    p.MftStartSector = locateRecord(reader, boots, S, spc, [](const NtfsBootFields& f) { return f.mftCluster; });
    p.MftMirrorSector =
        locateRecord(reader, boots, S, spc, [](const NtfsBootFields& f) { return f.mftMirrorCluster; });
    if (p.MftStartSector == 0 && p.MftMirrorSector == 0)
        return false;
    const NtfsBootFields f = boots.fields();
    p.SectorsPerIndexRecord =
        f.clustersPerIndexRecord == kIndexRecordOf4096Bytes ? 8 : f.clustersPerIndexRecord * spc;
    p.SPC = spc;
    p.Cluster0Start = S;
    p.SectorsPerMftRecord = mftRecordSectors;
    return true;
}

} // namespace

bool ComputeVolumeParameters(VolumeState& volumes, const DeviceNamespace& devices) {
    const SelectedVolume& selection = volumes.selectedVolume;
    VolumeReader reader(devices, selection.devicePath);
    VolumeParameters& p = volumes.volumeParameters;
    // FAT arithmetic is 32-bit from the low half of the start sector: FAT volumes live below sector 2^32.
    const auto S32 = static_cast<std::uint32_t>(selection.start);
    if (selection.fileSystem == "FAT16")
        return computeFat16(reader, S32, p);
    if (selection.fileSystem == "FAT32")
        return computeFat32(reader, S32, p);
    if (selection.fileSystem == "NTFS")
        return computeNtfs(volumes, reader, p);
    return false;
}

std::string GuessFileSystemBySize(std::uint64_t startSector, std::uint64_t endSector) {
    std::uint64_t size = endSector > startSector ? endSector - startSector : 0;
    std::uint64_t megabytes = size >> 11;
    std::uint64_t gigabytes = megabytes >> 10;
    if (gigabytes >= 35)
        return "NTFS";
    if (megabytes >= 1)
        return "FAT32";
    return "Unknown";
}

std::string NormaliseFileSystemName(std::string_view name) {
    std::string trimmed = trim(name);
    if (trimmed.find("FAT16") != std::string::npos || trimmed == "FAT")
        return "FAT16";
    if (trimmed.find("FAT32") != std::string::npos)
        return "FAT32";
    if (trimmed.find("NTFS") != std::string::npos)
        return "NTFS";
    return "Unknown";
}

} // namespace salvora
