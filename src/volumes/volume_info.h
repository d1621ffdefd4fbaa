// SPDX-License-Identifier: GPL-3.0-or-later
// What the system reports about a volume: its file-system name ("FAT" for FAT12 and FAT16, "FAT32",
// "NTFS", "exFAT"), its label and its serial number, read from the volume's own structures.
//
// FAT12/16 boot sector: 0x0B u16 bytes per sector, 0x0D u8 sectors per cluster, 0x0E u16 reserved
//   sectors, 0x10 u8 number of FATs, 0x11 u16 root entries, 0x16 u16 sectors per FAT, 0x27 u32 serial.
// FAT32 boot sector: 0x24 u32 sectors per FAT, 0x2C u32 root cluster, 0x43 u32 serial.
// FAT directory entry (32 bytes): 0 name (0x00 ends the directory, 0xE5 a deleted entry), 11 attributes
//   (0x08 volume label, 0x0F a long-name part).
// NTFS boot sector: 0x0D u8 sectors per cluster, 0x30 u64 MFT cluster, 0x40 s8 clusters per MFT record
//   (negative n: 2^-n bytes), 0x48 u64 serial; the label is the $VOLUME_NAME attribute (0x60) of MFT
//   record 3.
// exFAT boot sector: 0x64 u32 serial.
#pragma once

#include <cstdint>
#include <string>

#include "base/bytes.h"
#include "storage/medium.h"

namespace salvora {

struct VolumeInfo {
    std::string fileSystem;   // as the system reports it; empty when not recognised
    std::string label;        // empty when none
    std::uint32_t serial = 0; // the 32 bits the system shows
};

// The volume label entry among the entries of a FAT root-directory sector, or empty. Sets ended when the
// end-of-directory mark is met.
std::string fatLabelFromDirectory(ByteSpan entries, bool& ended);

// The $VOLUME_NAME of an NTFS MFT record (with its update sequence not yet applied), or empty.
std::string ntfsVolumeNameFromRecord(std::span<std::byte> record);

// Reads the file-system name, label and serial of the volume that starts at the medium's first byte.
VolumeInfo ReadVolumeInfo(const Medium& volume);

} // namespace salvora
