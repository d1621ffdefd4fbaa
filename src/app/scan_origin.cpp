// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/scan_origin.h"

#include "base/text.h"

namespace salvora {

ScanOrigin scanOriginOf(const Session& session, const Target& target, SearchMode mode) {
    ScanOrigin origin;
    origin.searchModeName = searchModeName(mode);
    const ListedDisk* disk = nullptr;
    const bool recognised = target.kind == Target::Kind::RecognisedVolume;
    if (target.kind == Target::Kind::LogicalDrive || recognised) {
        // Only the Deep window knows volumes found inside a drive; a Basic log of one records it as the
        // drive it lies in, read through the drive's own path.
        origin.DriveKind = recognised && mode == SearchMode::Deep ? "Recognised" : "Logical";
        const ListedDrive* drive = session.driveList.drive(target.letter);
        const DiskRecord* record = drive ? session.driveTree.record(drive->node) : nullptr;
        if (!record)
            return origin;
        origin.VolumePath = volumePath(target.letter);
        origin.VolumeSectors = record->totalBytes / 512;
        disk = session.driveList.disk(static_cast<int>(record->volumeDisk));
        // Read through the disk that holds it: the log then finds the medium by the disk's identity.
        // A volume found inside the drive is read through the drive's own path; its start is its own.
        origin.VolumeOnKnownDisk = !recognised && record->locatedOnDisk() && disk;
        origin.driveStart = recognised                 ? session.volumes.selectedVolume.start
                            : origin.VolumeOnKnownDisk ? record->firstSectorOnDisk
                                                       : 0;
        origin.driveEnd = origin.VolumeSectors;
        if (!origin.VolumeOnKnownDisk)
            disk = nullptr;
    } else {
        origin.DriveKind = target.kind == Target::Kind::WholeDisk ? "Hard Disk" : "part";
        disk = target.disk < kMaxDisks ? session.driveList.disk(target.disk) : nullptr;
        if (disk && target.kind == Target::Kind::Partition && target.partition >= 1 &&
            target.partition <= kMaxPartitions) {
            const PartitionRow& row = session.volumes.partitionLists[static_cast<std::size_t>(target.disk)]
                                          .rows[static_cast<std::size_t>(target.partition - 1)];
            origin.driveStart = row.start;
            origin.driveEnd = row.end;
        } else if (disk) {
            origin.driveEnd = disk->source.totalSectors;
        }
    }
    if (const DiskRecord* record = disk ? session.driveTree.record(disk->node) : nullptr) {
        origin.DiskModel = record->model;
        origin.DiskIdentity = trim(diskIdentityText(*record));
        origin.diskNumber = static_cast<std::uint16_t>(disk->number);
    }
    return origin;
}

} // namespace salvora
