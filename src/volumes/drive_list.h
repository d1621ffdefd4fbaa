// SPDX-License-Identifier: GPL-3.0-or-later
// The drive listing every mode window opens on: the removable physical disks (real devices and attached
// disk images) with their partitions, and the removable logical drives, as nodes of the drive tree with
// a record each. The listing also maps every listed disk number and drive letter to its medium in the
// device namespace, so the device-path texts reach exactly what the tree shows and nothing else.
//
// Disk numbers: one number per examined disk, attached disk images first in the order given, then the
// system's disks in ScanBlockDevices order. A disk that is not listed (fixed media, no medium in the
// slot) still uses up its number, so a card keeps its number when another slot of its reader is empty or
// gets a card. At most 25 disks are examined (numbers 0 to 24).
// Drive letters: from D: upward in discovery order — the volumes of the listed disks in disk order and
// partition order, then the attached volume images.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "storage/device_namespace.h"
#include "storage/disk_candidate.h"
#include "storage/disk_images.h"
#include "storage/removable_devices.h"
#include "volumes/disk_record.h"
#include "volumes/drive_tree.h"
#include "volumes/volume_state.h"

namespace salvora {

inline constexpr int kMaxListedDisks = 25;
inline constexpr char kFirstDriveLetter = 'D';
inline constexpr char kLastDriveLetter = 'Z';

// Where the listing looks for media.
struct DriveSources {
    std::vector<std::string> diskImages;
    int imageBusType = 0; // the bus type attached disk images report (UNKNOWN)
    std::vector<std::string> volumeImages;
    std::optional<SystemPaths> system; // where to look for removable devices; empty: attached images only
    std::string computerName;
};

// A disk without partitions that Basic and Deep Search search for lost partitions when they open.
struct PartitionlessDisk {
    std::uint64_t cylinders = 0;
    std::uint32_t tracksPerCylinder = 0;
    std::uint32_t sectorsPerTrack = 0;
    NodeId node = kNoNode;
    std::uint64_t totalSectors = 0;
    std::string devicePath;
};

// A volume that got a drive letter.
struct ListedDrive {
    char letter = 0;
    NodeId node = kNoNode;
    std::optional<int> disk;       // the listed disk the volume lies on
    std::uint64_t firstOnDisk = 0; // its extent on that disk
    std::uint64_t endOnDisk = 0;
    std::string origin; // the device or image it is read from
};

struct ListedDisk {
    int number = 0;
    NodeId node = kNoNode;
    PhysicalDiskCandidate source;
};

struct DriveListState {
    std::vector<std::string> AttachedDiskIdentities;
    std::vector<std::string> AttachedVolumeEntries;
    std::vector<PartitionlessDisk> PartitionlessDisks;
    std::atomic<bool> DriveListBusy{false};
    CurrentDiskContext currentDisk;
    std::string SelectionKind;      // "Hard Disk" or "Logical"
    char selectedDriveLetter = 0;   // the logical drive last selected
    std::string selectedVolumePath; // "\\.\E:"
    std::vector<ListedDisk> disks;
    std::vector<ListedDrive> drives;

    const ListedDisk* disk(int number) const;
    const ListedDrive* drive(char letter) const;
};

// The three fixed nodes of a drive tree.
struct DriveTreeRoots {
    NodeId computer = kNoNode;
    NodeId physical = kNoNode;
    NodeId logical = kNoNode;
};

// Everything a listing reads and fills.
struct DriveListContext {
    DriveListState& state;
    VolumeState& volumes;
    DeviceNamespace& devices;
    DriveTree& tree;
    const DriveSources& sources;
    SearchMode mode = SearchMode::Basic;
};

// Empties the tree and creates "My Computer" with "Physical Drives" and "Logical Drives" below it, the
// root expanded.
DriveTreeRoots CreateDriveTreeRoots(DriveTree& tree);

// Clears the partition lists, the identities and volume entries and the device namespace, then lists
// the physical disks and the logical drives.
void RefreshDriveList(DriveListContext context, const DriveTreeRoots& roots);
void ListPhysicalDisks(DriveListContext context, NodeId physicalBranch);
void ListLogicalDrives(DriveListContext context, NodeId logicalBranch);

// Where a listed drive lies: the disk that holds it, its first and end sector there, and whether that
// disk is a dynamic disk. All zero when the drive is not on a listed disk.
struct VolumeLocation {
    std::uint32_t disk = 0;
    bool dynamic = false;
    std::uint64_t firstSector = 0;
    std::uint64_t endSector = 0;
};
VolumeLocation LocateVolumeOnDisk(const DriveListState& state, const DeviceNamespace& devices, char letter);

// A dynamic disk carries a partition of type 0x42 in its MBR, or a GUID partition of the logical disk
// manager's data type.
bool isDynamicDisk(const Medium& disk);

// True when the device behind a drive is a floppy drive: those are never listed.
bool IsFloppy(const std::string& devicePath);

// The disk number of a disk node, read back from its label "... (Disk<n> - <size>)": the text after
// the first "(" and the five characters "(Disk", cut at the first "-", trimmed, read as a decimal.
std::uint16_t CurrentDiskFromLabel(const std::string& label);

// "Removable Media (Disk1 - 1.88 GB)"
std::string diskNodeLabel(const std::string& mediaText, int disk, const std::string& sizeText);
// "E:\ (1.88 GB - CARD - FAT32)"
std::string driveNodeLabel(char letter, const std::string& sizeText, const std::string& volumeLabel,
                           const std::string& fileSystem);

} // namespace salvora
