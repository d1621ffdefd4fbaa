// SPDX-License-Identifier: GPL-3.0-or-later
// The partition search inside a logical drive (Deep Search's "Search More Partitions" on a drive): every
// sector of the drive, from its first to its last, is examined for the boot sector of an NTFS or FAT16
// volume. Each new one becomes a row of the found-file-system list and a "Recognised" node under the
// drive's node, numbered after the rows the list already holds for the drive. Selecting such a node shows
// the drive's rows and sets the sector range to the volume's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/seams.h"
#include "storage/device_namespace.h"
#include "volumes/drive_tree.h"

namespace salvora {

inline constexpr std::size_t kFoundFileSystemColumns = 16;
// Column names only: what a row holds is given by position (see FoundFileSystemRow).
inline constexpr std::array<const char*, kFoundFileSystemColumns> kFoundFileSystemHeaders{"SNo",
                                                                                          "Found File System",
                                                                                          "File System Name",
                                                                                          "Start Sector",
                                                                                          "End Sector",
                                                                                          "Size",
                                                                                          "SPF",
                                                                                          "SPC",
                                                                                          "RootSec",
                                                                                          "RootStartSec",
                                                                                          "ReserveSecStart",
                                                                                          "Cluster0Start",
                                                                                          "firstFAT",
                                                                                          "secondFAT",
                                                                                          "Total Sectors",
                                                                                          "partType"};

// One found volume, 16 text cells. NTFS row / FAT16 row:
//   0  the drive key "Log|\\.\E:|"
//   1  "Recognised" + running number n
//   2  "NTFS" / "FAT16"
//   3  start sector s
//   4  s + T (T: the volume's sector count)
//   5  FormatSize of T x 512 bytes
//   6  sectors per cluster / sectors per FAT F
//   7  sectors per index record / sectors per cluster K
//   8  "2" / root-directory sectors
//   9  T / first root-directory sector s + R + 2F
//   10 MFT cluster / reserved sectors R
//   11 MFT mirror cluster / cluster-0 sector s + R + 2F + root sectors - 2K
//   12 empty / first FAT s + R
//   13 empty / second FAT s + R + F
//   14, 15 empty
using FoundFileSystemRow = std::array<std::string, kFoundFileSystemColumns>;

// The found-file-system list and the state of the current search. The rows stay until the window's tree is
// rebuilt; the list may hold rows of several drives searched in the same window.
struct DriveSearchState {
    std::vector<FoundFileSystemRow> foundFileSystems;
    std::int32_t found = 0; // volumes added by the current search
    bool foundFlag = false;
    NodeId lastNode = kNoNode;
    std::string driveText; // "E:"
    int searchKind = 0;    // 1: a logical drive
    bool inProgress = false;

    void clear() { *this = DriveSearchState{}; }
};

// "Log|" + volume path + "|"
std::string driveKey(const std::string& volumePath);

// The NTFS or FAT16 row for a boot sector found at sector s of a drive of E sectors, numbered n; nothing
// for a sector that is neither (a FAT32 boot sector included) or an NTFS one whose sector count is 0.
std::optional<FoundFileSystemRow> RecogniseDriveBootSector(ByteSpan sector, std::uint64_t s, std::uint64_t E,
                                                           const std::string& key, int n);

struct DriveSearchContext {
    const DeviceNamespace& devices;
    DriveTree& tree;
    NodeId driveNode = kNoNode;
    std::string driveText;          // the first two characters of the drive node's label
    std::string volumePath;         // "\\.\E:": what the search reads
    std::uint64_t totalSectors = 0; // E, the drive's "End Sector"
    DriveSearchState& state;
    ProgressSink& progress;
    const StopFlag& stop; // polled between chunks and between finds
};

// Resets the found count and examines the drive in chunks of 1024 sectors.
void SearchDriveForPartitions(DriveSearchContext& context);

struct DriveSearchFinish {
    NodeId selectedNode = kNoNode; // the last node added, when anything was found
    std::string message;
};
// Selects the last node added and shows the result message.
DriveSearchFinish FinishDriveSearch(DriveSearchContext& context, Prompter& prompter);

// "Found 1 more partitions in selected Drive ( Drive - E: )" or "No more partitions found in selected Drive
// ( Drive - E: )".
std::string driveSearchMessage(int found, const std::string& driveText);

// What selecting a "Recognised" node below a logical drive shows.
struct RecognisedSelection {
    std::vector<std::vector<std::string>> panel; // columns 1 to 15 of every row of the drive, in list order
    int number = 0;                              // the running number n of the node
    std::string fileSystem;                      // the label's text after its last "-"
    std::string startText;                       // "Start Sector" of panel row n - 1
    std::string endText;                         // its "End Sector", cut to the drive's sector count D
    std::uint64_t sliderMaximum = 0;             // D
    std::string maxText;                         // D as the drive entry gives it; empty without an entry
};

// The drive text is the first two characters of the parent's label; D comes from the first entry of
// attachedVolumeEntries ("\\.\E:|123456") that contains it, or is the volume's end.
RecognisedSelection SelectRecognisedNode(const DriveSearchState& state, const DriveTree& tree, NodeId node,
                                         const std::vector<std::string>& attachedVolumeEntries);

// The running number of a "Recognised3 - 1.00 MB - NTFS" label: the text before the first "-", trimmed,
// without "Recognised", read as a decimal.
int recognisedNumber(const std::string& label);

} // namespace salvora
