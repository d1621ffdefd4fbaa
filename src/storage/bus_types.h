// SPDX-License-Identifier: GPL-3.0-or-later
// Bus types of a storage adapter and media types of a disk, numbered as the adapter and geometry queries of
// the product's drive listing have always reported them, with the names the disk panel shows.
#pragma once

#include <string>

namespace salvora {

inline constexpr int kBusUnknown = 0;
inline constexpr int kBusScsi = 1;
inline constexpr int kBusAta = 3;
inline constexpr int kBusIeee1394 = 4;
inline constexpr int kBusUsb = 7;
inline constexpr int kBusSata = 11;
inline constexpr int kBusSd = 12;   // named "Reserved" in the table: the name SD cards have always shown
inline constexpr int kBusNvme = 17; // beyond the named range

// "UNKNOWN", "SCSI", "ATAPI", "ATA", "IEEE 1394", "SSA", "FIBRE", "USB", "RAID", "iSCSI", "SAS", "SATA",
// "Reserved" for 0 to 12; empty for 13 and for anything beyond the table.
std::string BusTypeName(int busType);
// The bus type whose name is name (case-insensitive), or -1.
int BusTypeFromName(const std::string& name);

inline constexpr int kMediaRemovable = 11;
inline constexpr int kMediaFixed = 12;

// "Removable Media" for removable media; "External hard disk media" for fixed media on USB and
// "Fixed hard disk media" for other fixed media; empty for anything else.
std::string MediaText(int mediaType, const std::string& busName);

} // namespace salvora
