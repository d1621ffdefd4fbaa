// SPDX-License-Identifier: GPL-3.0-or-later
// The FAT branch of Deep Search without any I/O: what one sector tells (a FAT boot sector, the start of a
// directory cluster), the rows those findings become, and the assignment of directories to volumes, by the
// boot sectors that were found and, failing those, by pairs of directories whose positions agree on a
// cluster size and a cluster-0 sector.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/seams.h"
#include "fsrecovery/scan_tables.h"

namespace salvora::deep {

// Columns of DirectoryTable.
namespace directory_row {
inline constexpr std::size_t Sector = 0;
inline constexpr std::size_t Self = 1;
inline constexpr std::size_t Parent = 2;
inline constexpr std::size_t Volume = 3; // "0" unassigned, n for row n - 1 of VolumeParamTable
inline constexpr std::size_t Date = 4;
inline constexpr std::size_t Time = 5;
inline constexpr std::size_t FirstRun = 6;
inline constexpr std::size_t Cluster0Start = 7;
} // namespace directory_row

// Columns of VolumeParamTableFound and VolumeParamTable (the latter adds EndSector).
namespace volume_row {
inline constexpr std::size_t Sector = 0;
inline constexpr std::size_t SPF = 1;
inline constexpr std::size_t SPC = 2;
inline constexpr std::size_t RootSectors = 3;
inline constexpr std::size_t RootStart = 4;
inline constexpr std::size_t ReserveSectors = 5;
inline constexpr std::size_t Cluster0Start = 6;
inline constexpr std::size_t FirstFat = 7;
inline constexpr std::size_t SecondFat = 8;
inline constexpr std::size_t TotalSectors = 9;
inline constexpr std::size_t PartType = 10;
inline constexpr std::size_t EndSector = 11;
inline constexpr std::size_t FoundColumns = 11;
} // namespace volume_row

// The cluster sizes (in sectors) a pair of directories may agree on.
inline constexpr std::uint64_t kPairQuotients[] = {1, 2, 4, 8, 16, 32, 64, 128};

// A FAT boot sector at absolute sector `sector` as a VolumeParamTableFound row, or nothing when the sector is
// not one: 0x55 0xAA at 510, then "32" at 0x55 (FAT32) or "16" at 0x39 (FAT16). Every volume is taken to have
// two FATs. Sector numbers are absolute; the volume's size comes from the 32-bit count at 0x20, or from the
// 16-bit count at 0x13 when that is 0 (small FAT16 volumes keep it there).
//   FAT32: 0x0D u8 sectors per cluster K, 0x0E u16 reserved R, 0x24 u32 sectors per FAT F, 0x2C u32 root
//   cluster FAT16: 0x0D u8 K, 0x0E u16 R, 0x11 u16 root entries, 0x16 u16 F
std::optional<std::vector<std::string>> BootSectorRow(ByteSpan sector, std::uint64_t sectorNumber);

// The start of a directory cluster ('.', ' ' at 0 and ". " after '.' at 32) as a DirectoryTable row: self
// cluster (word 20 x 65536 + word 26), parent cluster (word 52 x 65536 + word 58), volume "0", the "."
// entry's date (24) and time (22) words.
std::optional<std::vector<std::string>> DirectoryStartRow(ByteSpan sector, std::uint64_t sectorNumber);

// Examines every whole sector of a chunk read at firstSector and appends what it finds, boot sectors to
// VolumeParamTableFound and directory starts to DirectoryTable. A sector may be both.
void ExamineChunk(ByteSpan chunk, std::uint64_t firstSector, ScanTables& tables);

// Assigns the rows of DirectoryTable to volumes and fills VolumeParamTable; returns the number of volumes.
// singleVolume: the first found boot sector is the one volume, nothing else happens. chosenFileSystem is the
// user's choice, the type of volumes inferred from pairs. Progress runs as a percentage of directory rows.
std::uint64_t AssignDirectories(ScanTables& tables, bool singleVolume, const std::string& chosenFileSystem,
                                ProgressSink& progress);

// A decimal cell as an unsigned number; an empty or malformed cell reads as 0.
std::uint64_t cellValue(const std::string& text);

} // namespace salvora::deep
