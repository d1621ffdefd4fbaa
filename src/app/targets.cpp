// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/targets.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

#include "app/partition_searches.h"
#include "base/text.h"
#include "volumes/partition_table.h"
#include "volumes/volume_parameters.h"

namespace salvora {
namespace {

// A whole-disk selection is taken to start where the first partition of an old-style disk would.
constexpr std::uint64_t kWholeDiskStartSector = 63;

bool parseNumber(std::string_view digits, int& out) {
    if (digits.empty() || digits.size() > 4)
        return false;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), out);
    return ec == std::errc() && end == digits.data() + digits.size();
}

// The listing's own search shows its result in the tree, not in a message.

Error badTarget(std::string_view text) {
    return makeError(ErrorKind::InvalidInput,
                     "invalid target '" + std::string(text) +
                         "': use diskN, diskN:P, a drive letter such as E:, or E:Rn");
}

// A volume found inside a logical drive: its row of the found-file-system list, searched for first when the
// session has no row of the drive.
Result<bool> selectRecognisedVolume(Session& session, const Target& target) {
    const ListedDrive* drive = session.driveList.drive(target.letter);
    const DiskRecord* record = drive ? session.driveTree.record(drive->node) : nullptr;
    if (!record)
        return makeError(ErrorKind::InvalidInput, "no logical drive " + std::string(1, target.letter) + ":");
    // Read before the search below: it adds nodes to the tree, which moves its records.
    const std::uint64_t driveSectors = record->totalBytes / 512;
    const std::string path = volumePath(target.letter);
    const std::string key = driveKey(path);
    auto rowOf = [&]() -> const FoundFileSystemRow* {
        for (const FoundFileSystemRow& row : session.driveSearch.foundFileSystems)
            if (row[0] == key && row[1] == "Recognised" + std::to_string(target.partition))
                return &row;
        return nullptr;
    };
    bool searched = false;
    for (const FoundFileSystemRow& row : session.driveSearch.foundFileSystems)
        searched = searched || row[0] == key;
    if (!searched) {
        NullProgress quiet;
        NullPrompter silent;
        StopFlag stop{false};
        auto finds = searchDriveForVolumes(session, session.driveTree, target.letter, quiet, silent, stop);
        if (!finds)
            return finds.error();
    }
    const FoundFileSystemRow* row = rowOf();
    if (!row)
        return makeError(ErrorKind::InvalidInput, std::string(1, target.letter) +
                                                      ": holds no volume Recognised" +
                                                      std::to_string(target.partition));
    SelectedVolume& selection = session.volumes.selectedVolume;
    selection.devicePath = path;
    selection.fileSystem = NormaliseFileSystemName((*row)[2]);
    selection.start = std::strtoull((*row)[3].c_str(), nullptr, 10);
    selection.end = std::strtoull((*row)[4].c_str(), nullptr, 10);
    if (driveSectors != 0 && selection.end > driveSectors)
        selection.end = driveSectors;
    session.driveList.SelectionKind = "Recognised";
    return true;
}

} // namespace

Result<Target> parseTarget(std::string_view text) {
    std::string lower = trim(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    const bool startsWithDrive = lower.size() >= 2 && lower[1] == ':' && lower[0] >= 'a' && lower[0] <= 'z';
    if (startsWithDrive && lower.size() == 2)
        return Target{Target::Kind::LogicalDrive, 0, 0, static_cast<char>(lower[0] - 'a' + 'A')};
    if (startsWithDrive && lower.size() > 3 && lower[2] == 'r') {
        Target target{Target::Kind::RecognisedVolume, 0, 0, static_cast<char>(lower[0] - 'a' + 'A')};
        if (!parseNumber(std::string_view(lower).substr(3), target.partition) || target.partition < 1)
            return badTarget(text);
        return target;
    }
    if (!lower.starts_with("disk"))
        return badTarget(text);
    std::string_view rest = std::string_view(lower).substr(4);
    Target target;
    std::size_t colon = rest.find(':');
    if (!parseNumber(rest.substr(0, colon), target.disk))
        return badTarget(text);
    if (colon == std::string_view::npos)
        return target;
    target.kind = Target::Kind::Partition;
    if (!parseNumber(rest.substr(colon + 1), target.partition) || target.partition < 1)
        return badTarget(text);
    return target;
}

std::string targetText(const Target& target) {
    switch (target.kind) {
    case Target::Kind::WholeDisk:
        return "disk" + std::to_string(target.disk);
    case Target::Kind::Partition:
        return "disk" + std::to_string(target.disk) + ":" + std::to_string(target.partition);
    case Target::Kind::LogicalDrive:
        return std::string(1, target.letter) + ":";
    case Target::Kind::RecognisedVolume:
        return std::string(1, target.letter) + ":R" + std::to_string(target.partition);
    }
    return {};
}

DriveTreeRoots listDrives(Session& session, SearchMode mode, bool searchPartitionless) {
    DriveTreeRoots roots = CreateDriveTreeRoots(session.driveTree);
    RefreshDriveList(
        {session.driveList, session.volumes, session.devices, session.driveTree, session.sources, mode},
        roots);
    session.driveSearch.clear();
    if (searchPartitionless && (mode == SearchMode::Basic || mode == SearchMode::Deep)) {
        NullProgress quiet;
        NullPrompter silent;
        StopFlag stop{false};
        AutomaticSearchContext search{session.volumes,
                                      session.devices,
                                      session.driveTree,
                                      session.driveList,
                                      session.partitionSearch,
                                      mode,
                                      quiet,
                                      silent,
                                      stop};
        SearchPartitionlessDisks(search);
    }
    return roots;
}

Result<SelectedVolume> selectTarget(Session& session, const Target& target) {
    VolumeState& volumes = session.volumes;
    volumes.resetSelection();
    SelectedVolume& selection = volumes.selectedVolume;
    if (target.kind == Target::Kind::RecognisedVolume) {
        auto found = selectRecognisedVolume(session, target);
        if (!found)
            return found.error();
    } else if (target.kind == Target::Kind::LogicalDrive) {
        const ListedDrive* drive = session.driveList.drive(target.letter);
        const DiskRecord* record = drive ? session.driveTree.record(drive->node) : nullptr;
        if (!record)
            return makeError(ErrorKind::InvalidInput, "no logical drive " + targetText(target));
        selection.fileSystem = NormaliseFileSystemName(record->fileSystem);
        const ListedDisk* disk = session.driveList.disk(static_cast<int>(record->volumeDisk));
        if (record->locatedOnDisk() && disk) {
            // Read through the physical disk, at the volume's sectors there, clipped to the disk.
            selection.devicePath = physicalDrivePath(disk->number);
            selection.start = record->firstSectorOnDisk;
            selection.end = std::min(record->endSectorOnDisk, disk->source.totalSectors);
        } else {
            selection.devicePath = volumePath(target.letter);
            selection.start = 0;
            selection.end = record->totalBytes / 512;
        }
    } else {
        const ListedDisk* disk = target.disk < kMaxDisks ? session.driveList.disk(target.disk) : nullptr;
        if (!disk)
            return makeError(ErrorKind::InvalidInput, "no physical disk " + targetText(target));
        const PartitionList& list = volumes.partitionLists[static_cast<std::size_t>(target.disk)];
        selection.devicePath = physicalDrivePath(target.disk);
        if (target.kind == Target::Kind::Partition) {
            if (target.partition > list.count)
                return makeError(ErrorKind::InvalidInput, "disk" + std::to_string(target.disk) +
                                                              " has no partition " +
                                                              std::to_string(target.partition));
            const PartitionRow& row = list.rows[static_cast<std::size_t>(target.partition - 1)];
            selection.fileSystem = NormaliseFileSystemName(row.fileSystem);
            selection.start = row.start;
            selection.end = row.end;
        } else {
            selection.start = kWholeDiskStartSector;
            selection.end = disk->source.totalSectors;
            selection.fileSystem = NormaliseFileSystemName(
                list.count > 0 ? list.rows[0].fileSystem
                               : GuessFileSystemBySize(selection.start, selection.end));
        }
    }
    session.CurrentDevicePath = selection.devicePath;
    return selection;
}

} // namespace salvora
