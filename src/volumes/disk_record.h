// SPDX-License-Identifier: GPL-3.0-or-later
// The record a disk or logical-drive node of the drive tree carries: everything its information panel
// shows, and what the recovery modes take the device path, the sector range and the medium's identity
// from. The fields keep the record's historical slot order (the slot numbers are in the comments); 64-bit
// numbers take two slots. Fields not used by a kind of node stay empty or zero.
#pragma once

#include <cstdint>
#include <string>

namespace salvora {

// The recovery mode whose window lists the drives; its number is the main window's mode number.
enum class SearchMode { Basic = 1, Deep = 2, Photo = 3, Video = 4, Signature = 5 };

// "Basic Search", "Deep Search", "Photo Search", "Video Search", "Signature Search".
std::string searchModeName(SearchMode mode);

struct DiskRecord {
    std::string label;                   // 0   disk: the node's label
    std::string mediaText;               // 1   disk: media text; drive: "Logical Drives"
    std::string modeName;                // 2   the name of the mode that listed it
    std::string startSector;             // 3   drive: "0"
    std::string totalSectors;            // 4   drive: total bytes / 512
    std::string fileSystem;              // 5   drive: file-system name as the system reports it, or "Unknown"
    std::string drive;                   // 6   drive: "E:"
    std::string volumeLabel;             // 7   drive
    std::string sizeText;                // 8   drive: size text of the total bytes, or "Unknown Size"
    std::string freeText;                // 9   drive: size text of the free bytes, or "Unknown Size"
    std::string volumeSerial;            // 10  drive: "%X"
    std::uint64_t driveSizeMiB = 0;      // 11-12 always 0
    std::uint32_t reserved13 = 0;        // 13
    std::uint64_t totalBytes = 0;        // 14-15 drive
    std::uint32_t volumeDisk = 0;        // 16  drive: the physical disk that holds the volume
    std::uint32_t dynamicDisk = 0;       // 17  drive: 1 when that disk is a dynamic disk
    std::uint64_t firstSectorOnDisk = 0; // 18-19 drive: first sector of the volume on that disk
    std::uint64_t endSectorOnDisk = 0;   // 20-21 drive: first sector plus length
    std::string diskNumber;              // 22  disk: decimal
    std::string diskName;                // 23  disk: "Disk" + number
    std::string model;                   // 24  disk
    std::string sizeAndMedia;            // 25  disk: size text + " - " + media text
    std::string panelModel;              // 26  disk: model
    std::string panelMediaText;          // 27  disk: media text
    std::string interfaceType;           // 28  disk: bus type name
    std::string capacity;                // 29  disk: size text
    std::string cylinders;               // 30  disk
    std::string tracksPerCylinder;       // 31  disk
    std::string sectors;                 // 32  disk: total sectors
    std::string bytesPerSector;          // 33  disk
    std::string sectorsPerTrack;         // 34  disk
    std::string firmwareRevision;        // 35  disk
    std::string vendor;                  // 36  disk: empty once folded into the model
    std::string serialNumber;            // 37  disk
    std::string systemName;              // 38  disk: the computer's name
    std::string physicalDeviceId;        // 39  disk: device path in upper case
    std::uint64_t diskSizeMiB = 0;       // 40-41 disk

    bool isLogicalDrive() const { return mediaText == "Logical Drives"; }
    // The volume was found on a physical disk: its extent is known.
    bool locatedOnDisk() const { return endSectorOnDisk > firstSectorOnDisk; }
};

// Trims leading and trailing blanks of every text field, as every record is stored.
void trimTextSlots(DiskRecord& record);

// What the identity, geometry and size of the disk being worked on are: loaded from the disk's record.
struct CurrentDiskContext {
    std::string model;
    std::string sizeText;
    std::uint64_t totalSectors = 0;
    std::uint64_t sizeMiB = 0;
    std::string cylinders;
    std::string heads;
    std::string sectorsPerTrack;
    std::string identity; // model||size text||total sectors||disk number
};

// model + "||" + size text + "||" + total sectors + "||" + disk number
std::string diskIdentityText(const DiskRecord& disk);
CurrentDiskContext currentDiskContextOf(const DiskRecord& disk);

} // namespace salvora
