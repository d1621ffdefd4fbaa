// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/drive_list.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "base/size_text.h"
#include "base/text.h"
#include "storage/bus_types.h"
#include "storage/sector_reader.h"
#include "storage/volume_space.h"
#include "volumes/boot_sector.h"
#include "volumes/os_volumes.h"
#include "volumes/partition_entries.h"
#include "volumes/partition_table.h"
#include "volumes/volume_info.h"

namespace salvora {
namespace {

using Sector = std::array<std::byte, kSectorSize>;

constexpr std::uint8_t kDynamicMbrType = 0x42;
constexpr std::uint8_t kProtectiveMbrType = 0xEE;
constexpr std::uint32_t kMaxGptEntries = 1024;
constexpr unsigned kFloppyMajor = 2;
constexpr const char* kUnknownSize = "Unknown Size ";

// Clears the busy flag however the listing step is left.
class BusyScope {
public:
    explicit BusyScope(std::atomic<bool>& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    std::atomic<bool>& m_flag;
};

std::string sizeTextOf(std::uint64_t bytes) {
    return trim(FormatSize(bytes));
}

bool readSector(OpenMedium& disk, std::uint64_t sector, Sector& out) {
    out.fill(std::byte{0});
    auto got = disk.readAt(sector * kSectorSize, out);
    return got && *got == out.size();
}

// The disks to examine, in number order: the attached images, then the system's disks. An image that
// cannot be read any more keeps its number and is skipped like a disk without a medium.
std::vector<PhysicalDiskCandidate> gatherCandidates(const DriveSources& sources) {
    std::vector<PhysicalDiskCandidate> candidates;
    for (const std::string& path : sources.diskImages) {
        auto image = DescribeDiskImage(path, sources.imageBusType);
        if (image) {
            candidates.push_back(std::move(*image));
        } else {
            PhysicalDiskCandidate missing;
            missing.name = path;
            missing.devicePath = path;
            missing.isImage = true;
            candidates.push_back(std::move(missing));
        }
    }
    if (sources.system && candidates.size() < static_cast<std::size_t>(kMaxListedDisks))
        for (PhysicalDiskCandidate& disk : ScanBlockDevices(*sources.system))
            candidates.push_back(std::move(disk));
    return candidates;
}

DiskRecord physicalDiskRecord(const PhysicalDiskCandidate& disk, int number, const std::string& modeName,
                              const std::string& computerName) {
    const DiskGeometry& geometry = *disk.geometry;
    // Without an answer from the adapter, the interface and the device's texts stay empty.
    std::string interface = disk.busType ? BusTypeName(*disk.busType) : std::string();
    DeviceStrings strings = disk.busType ? disk.strings : DeviceStrings{};
    std::string model = strings.product;
    if (!strings.vendor.empty())
        model = strings.vendor + " " + strings.product;
    model += " " + interface + " Device";
    std::string media = MediaText(geometry.mediaType, interface);
    std::uint64_t bytes = disk.totalSectors * kSectorSize;
    std::string size = sizeTextOf(bytes);

    DiskRecord r;
    r.label = diskNodeLabel(media, number, size);
    r.mediaText = media;
    r.modeName = modeName;
    r.diskNumber = std::to_string(number);
    r.diskName = "Disk" + std::to_string(number);
    r.model = model;
    r.sizeAndMedia = media.empty() ? size : size + " - " + media;
    r.panelModel = model;
    r.panelMediaText = media;
    r.interfaceType = interface;
    r.capacity = size;
    r.cylinders = std::to_string(geometry.cylinders);
    r.tracksPerCylinder = std::to_string(geometry.tracksPerCylinder);
    r.sectors = std::to_string(disk.totalSectors);
    r.bytesPerSector = std::to_string(geometry.bytesPerSector);
    r.sectorsPerTrack = std::to_string(geometry.sectorsPerTrack);
    r.firmwareRevision = strings.revision;
    r.serialNumber = strings.serial;
    r.systemName = computerName;
    r.physicalDeviceId = toUpperAscii(physicalDrivePath(number));
    r.diskSizeMiB = bytes >> 20;
    trimTextSlots(r);
    return r;
}

// A volume that may get a drive letter: where it lies and how to read it.
struct VolumeCandidate {
    std::shared_ptr<const Medium> medium;
    std::optional<int> disk;
    std::uint64_t firstOnDisk = 0;
    std::uint64_t sectors = 0;
    std::string mountPoint;
    std::string devicePath; // the device or file the volume is read from
};

// The volumes of one listed disk: the system's partitions of a device (the whole device when it has
// none), or the partition table we read of an image. A partition holds a volume when its first sector is
// the boot sector of a file system the system recognises; an extended partition's container, a partition
// with a damaged boot sector or one that cannot be read gets no letter (its disk and partition nodes
// remain).
std::vector<VolumeCandidate> volumesOfDisk(const ListedDisk& listed) {
    const PhysicalDiskCandidate& disk = listed.source;
    std::vector<VolumeCandidate> volumes;
    if (!disk.medium)
        return volumes;
    std::vector<SystemPartition> extents;
    if (disk.partitions && !disk.partitions->empty()) {
        extents = *disk.partitions;
    } else if (disk.partitions) {
        extents.push_back(SystemPartition{disk.name, 0, 0, disk.totalSectors, disk.mountPoint});
    } else {
        for (const OsVolume& found : ListOsVolumes(*disk.medium))
            extents.push_back(SystemPartition{disk.name, 0, found.startSector, found.sectorCount, {}});
    }
    auto open = disk.medium->open();
    for (const SystemPartition& extent : extents) {
        Sector boot;
        if (!open || extent.sectors == 0 || !readSector(*open, extent.start, boot) ||
            reportedFileSystemName(boot).empty())
            continue;
        volumes.push_back(
            VolumeCandidate{std::make_shared<WindowMedium>(disk.medium, extent.start * kSectorSize,
                                                           extent.sectors * kSectorSize),
                            listed.number, extent.start, extent.sectors, extent.mountPoint, disk.devicePath});
    }
    return volumes;
}

DiskRecord logicalDriveRecord(char letter, const VolumeInfo& info, std::uint64_t totalBytes,
                              std::optional<std::uint64_t> freeBytes, const std::string& modeName) {
    DiskRecord r;
    r.mediaText = "Logical Drives";
    r.modeName = modeName;
    r.startSector = "0";
    r.totalSectors = std::to_string(totalBytes / kSectorSize);
    r.fileSystem = info.fileSystem.empty() ? std::string("Unknown") : info.fileSystem;
    r.drive = std::string(1, letter) + ":";
    r.volumeLabel = info.label;
    r.sizeText = totalBytes ? sizeTextOf(totalBytes) : kUnknownSize;
    r.freeText = totalBytes && freeBytes ? sizeTextOf(*freeBytes) : kUnknownSize;
    char serial[16];
    std::snprintf(serial, sizeof serial, "%X", static_cast<unsigned>(info.serial));
    r.volumeSerial = serial;
    r.totalBytes = totalBytes;
    trimTextSlots(r);
    return r;
}

bool gptHasLdmData(OpenMedium& disk) {
    Sector header;
    if (!readSector(disk, 1, header) || !bytesEqual(header, 0, "EFI PART"))
        return false;
    std::uint64_t entriesLba = le64(header, 0x48);
    std::uint32_t count = std::min(le32(header, 0x50), kMaxGptEntries);
    std::uint32_t entrySize = le32(header, 0x54);
    if (entrySize < kGptEntrySize || entrySize > kSectorSize || kSectorSize % entrySize != 0)
        return false;
    std::uint32_t perSector = kSectorSize / entrySize;
    Sector sector;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (i % perSector == 0 && !readSector(disk, entriesLba + i / perSector, sector))
            return false;
        GptEntry entry =
            parseGptEntries(ByteSpan(sector).subspan((i % perSector) * entrySize, kGptEntrySize))[0];
        if (entry.typeGuid == kLdmDataGuid)
            return true;
    }
    return false;
}

} // namespace

const ListedDisk* DriveListState::disk(int number) const {
    for (const ListedDisk& d : disks)
        if (d.number == number)
            return &d;
    return nullptr;
}

const ListedDrive* DriveListState::drive(char letter) const {
    for (const ListedDrive& d : drives)
        if (d.letter == letter)
            return &d;
    return nullptr;
}

std::string diskNodeLabel(const std::string& mediaText, int disk, const std::string& sizeText) {
    return mediaText + " (Disk" + std::to_string(disk) + " - " + sizeText + ")";
}

std::string driveNodeLabel(char letter, const std::string& sizeText, const std::string& volumeLabel,
                           const std::string& fileSystem) {
    return std::string(1, letter) + ":\\ (" + sizeText + " - " + volumeLabel + " - " + fileSystem + ")";
}

std::uint16_t CurrentDiskFromLabel(const std::string& label) {
    std::size_t open = label.find('(');
    if (open == std::string::npos || open + 5 > label.size())
        return 0;
    std::string rest = label.substr(open + 5);
    rest = rest.substr(0, rest.find('-'));
    return static_cast<std::uint16_t>(decimalPrefixToInt32(trim(rest)));
}

DriveTreeRoots CreateDriveTreeRoots(DriveTree& tree) {
    tree.clear();
    DriveTreeRoots roots;
    roots.computer = tree.addNode("My Computer", kImageComputer, kNoNode);
    roots.physical = tree.addNode("Physical Drives", kImageDisk, roots.computer);
    roots.logical = tree.addNode("Logical Drives", kImageLogicalBranch, roots.computer);
    tree.expand(roots.computer);
    return roots;
}

void RefreshDriveList(DriveListContext context, const DriveTreeRoots& roots) {
    context.volumes.clearPartitionLists();
    context.state.AttachedDiskIdentities.clear();
    context.state.AttachedVolumeEntries.clear();
    context.state.disks.clear();
    context.state.drives.clear();
    // Only what this listing shows may be read through a device path.
    context.devices.clear();
    ListPhysicalDisks(context, roots.physical);
    context.state.SelectionKind = "Logical";
    ListLogicalDrives(context, roots.logical);
}

void ListPhysicalDisks(DriveListContext context, NodeId physicalBranch) {
    DriveListState& state = context.state;
    BusyScope busy(state.DriveListBusy);
    state.currentDisk.totalSectors = 0;
    state.currentDisk.sizeMiB = 0;
    const bool searchesLostPartitions = context.mode == SearchMode::Basic || context.mode == SearchMode::Deep;
    if (searchesLostPartitions)
        state.PartitionlessDisks.clear();
    const std::string modeName = searchModeName(context.mode);

    std::vector<PhysicalDiskCandidate> candidates = gatherCandidates(context.sources);
    for (int number = 0; number < kMaxListedDisks && static_cast<std::size_t>(number) < candidates.size();
         ++number) {
        PhysicalDiskCandidate& disk = candidates[static_cast<std::size_t>(number)];
        if (!disk.medium || !disk.geometry)
            continue; // cannot be opened, or no geometry: no medium in the slot
        DiskRecord record = physicalDiskRecord(disk, number, modeName, context.sources.computerName);
        if (record.mediaText.find("Removable") == std::string::npos)
            continue; // fixed media, including USB hard disks that report fixed media

        NodeId node = context.tree.addNode(record.label, kImageDisk, physicalBranch);
        context.tree.expand(physicalBranch);
        context.devices.setPhysicalDisk(number, disk.medium);
        CurrentDiskContext diskContext = currentDiskContextOf(record);
        std::string identity = diskContext.identity;
        context.tree.setRecord(node, std::move(record));

        WalkPartitionTable({context.volumes, context.devices, &context.tree}, number, disk.totalSectors,
                           node);
        bool hasPartitions = !context.tree.node(node).children.empty();
        if (hasPartitions) {
            // Adding a partition loads the disk it belongs to as the current disk.
            context.volumes.CurrentDisk = static_cast<std::uint16_t>(number);
            state.currentDisk = diskContext;
        }
        if (searchesLostPartitions && !hasPartitions) {
            state.PartitionlessDisks.push_back(PartitionlessDisk{
                disk.geometry->cylinders, disk.geometry->tracksPerCylinder, disk.geometry->sectorsPerTrack,
                node, disk.totalSectors, physicalDrivePath(number)});
        } else {
            state.AttachedDiskIdentities.push_back(identity);
        }
        state.disks.push_back(ListedDisk{number, node, std::move(disk)});
    }
}

void ListLogicalDrives(DriveListContext context, NodeId logicalBranch) {
    DriveListState& state = context.state;
    BusyScope busy(state.DriveListBusy);
    state.currentDisk.totalSectors = 0;
    state.currentDisk.sizeMiB = 0;
    const std::string modeName = searchModeName(context.mode);

    std::vector<VolumeCandidate> volumes;
    for (const ListedDisk& disk : state.disks)
        for (VolumeCandidate& volume : volumesOfDisk(disk))
            volumes.push_back(std::move(volume));
    for (const std::string& path : context.sources.volumeImages) {
        auto image = DescribeVolumeImage(path);
        if (image)
            volumes.push_back(
                VolumeCandidate{image->medium, std::nullopt, 0, image->bytes / kSectorSize, {}, path});
    }

    char letter = kFirstDriveLetter;
    for (const VolumeCandidate& volume : volumes) {
        if (letter > kLastDriveLetter)
            break;
        if (IsFloppy(volume.devicePath))
            continue;
        VolumeInfo info = ReadVolumeInfo(*volume.medium);
        std::uint64_t totalBytes = volume.sectors * kSectorSize;
        std::optional<std::uint64_t> freeBytes;
        if (auto space = QueryVolumeSpace(volume.mountPoint))
            freeBytes = space->freeBytes;
        DiskRecord record = logicalDriveRecord(letter, info, totalBytes, freeBytes, modeName);
        state.AttachedVolumeEntries.push_back(volumePath(letter) + "|" + record.totalSectors);
        std::string labelSize = totalBytes ? sizeTextOf(totalBytes) : kUnknownSize;
        NodeId node =
            context.tree.addNode(driveNodeLabel(letter, labelSize, record.volumeLabel, record.fileSystem),
                                 kImageVolume, logicalBranch);
        context.tree.expand(logicalBranch);
        context.devices.setVolume(letter, volume.medium);
        state.drives.push_back(ListedDrive{letter, node, volume.disk, volume.firstOnDisk,
                                           volume.firstOnDisk + volume.sectors, volume.devicePath});

        VolumeLocation location = LocateVolumeOnDisk(state, context.devices, letter);
        record.volumeDisk = location.disk;
        record.dynamicDisk = location.dynamic ? 1 : 0;
        record.firstSectorOnDisk = location.firstSector;
        record.endSectorOnDisk = location.endSector;
        context.tree.setRecord(node, std::move(record));
        ++letter;
    }
}

VolumeLocation LocateVolumeOnDisk(const DriveListState& state, const DeviceNamespace& devices, char letter) {
    VolumeLocation location;
    const ListedDrive* drive = state.drive(letter);
    if (!drive || !drive->disk)
        return location;
    location.disk = static_cast<std::uint32_t>(*drive->disk);
    location.firstSector = drive->firstOnDisk;
    location.endSector = drive->endOnDisk;
    if (auto disk = devices.physicalDisk(*drive->disk))
        location.dynamic = isDynamicDisk(*disk);
    return location;
}

bool isDynamicDisk(const Medium& medium) {
    auto disk = medium.open();
    Sector mbr;
    if (!disk || !readSector(*disk, 0, mbr) || !hasBootSignature(mbr))
        return false;
    bool protective = false;
    for (const MbrEntry& entry : parseMbrEntries(mbr)) {
        if (entry.type == kDynamicMbrType)
            return true;
        protective = protective || entry.type == kProtectiveMbrType;
    }
    return protective && gptHasLdmData(*disk);
}

bool IsFloppy(const std::string& devicePath) {
    struct stat info {};
    return ::stat(devicePath.c_str(), &info) == 0 && S_ISBLK(info.st_mode) &&
           major(info.st_rdev) == kFloppyMajor;
}

} // namespace salvora
