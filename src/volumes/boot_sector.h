// SPDX-License-Identifier: GPL-3.0-or-later
// Pure readers of the boot-sector fields the product relies on. Offsets are from the start of the
// 512-byte sector:
//   0x000  3  jump, or "EFI" at the start of a GUID partition table header
//   0x003  8  OEM name; "NTFS    " on NTFS volumes
//   0x00D  u8  sectors per cluster
//   0x00E  u16 reserved sectors                 (FAT)
//   0x011  u16 root directory entries           (FAT16)
//   0x016  u16 sectors per FAT                  (FAT16)
//   0x024  u32 sectors per FAT                  (FAT32)
//   0x02C  u32 root directory cluster           (FAT32)
//   0x030  u32 MFT cluster, low half            (NTFS)
//   0x036  5   "FAT16" (or "FAT12", "FAT  ") file-system label of FAT12/16
//   0x038  u32 MFT mirror cluster, low half     (NTFS)
//   0x040  u32 clusters per MFT record; 0xF6 means 1024-byte records
//   0x044  u32 clusters per index record; 0xF4 means 4096-byte records
//   0x052  5   "FAT32" file-system label of FAT32
//   0x1FE  2   0x55 0xAA
#pragma once

#include <cstdint>
#include <string>

#include "base/bytes.h"

namespace salvora {

bool hasBootSignature(ByteSpan sector);
// "EFI" at offset 0: the sector is a GUID partition table header.
bool isGptHeader(ByteSpan sector);
// The label the partition walk classifies by, tested in this order: "FAT32" at 0x52, "FAT16" at 0x36,
// "NTFS" at 3. Empty when none is present.
std::string fileSystemLabel(ByteSpan sector);

struct FatBootFields {
    std::uint32_t sectorsPerCluster = 0; // 0x0D
    std::uint32_t reservedSectors = 0;   // 0x0E
    std::uint32_t rootEntries = 0;       // 0x11
    std::uint32_t sectorsPerFat16 = 0;   // 0x16
    std::uint32_t sectorsPerFat32 = 0;   // 0x24
    std::uint32_t rootCluster = 0;       // 0x2C
};
FatBootFields parseFatBootFields(ByteSpan sector);

struct NtfsBootFields {
    std::uint32_t sectorsPerCluster = 0;      // 0x0D
    std::uint32_t mftCluster = 0;             // 0x30
    std::uint32_t mftMirrorCluster = 0;       // 0x38
    std::uint32_t clustersPerMftRecord = 0;   // 0x40
    std::uint32_t clustersPerIndexRecord = 0; // 0x44
};
NtfsBootFields parseNtfsBootFields(ByteSpan sector);

// The file-system name the operating system reports for a volume whose first sector this is: "FAT" for
// FAT12 and FAT16, "FAT32", "NTFS", "exFAT"; empty when the sector is not a boot sector we recognise.
std::string reportedFileSystemName(ByteSpan sector);

} // namespace salvora
