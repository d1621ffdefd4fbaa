// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/bus_types.h"

#include <array>

#include "base/text.h"

namespace salvora {
namespace {

constexpr std::array<const char*, 14> kBusNames = {"UNKNOWN", "SCSI",  "ATAPI",    "ATA",  "IEEE 1394",
                                                   "SSA",     "FIBRE", "USB",      "RAID", "iSCSI",
                                                   "SAS",     "SATA",  "Reserved", ""};

} // namespace

std::string BusTypeName(int busType) {
    if (busType < 0 || busType >= static_cast<int>(kBusNames.size()))
        return {};
    return kBusNames[static_cast<std::size_t>(busType)];
}

int BusTypeFromName(const std::string& name) {
    std::string wanted = toUpperAscii(trim(name));
    if (wanted.empty())
        return -1;
    for (std::size_t i = 0; i < kBusNames.size(); ++i)
        if (toUpperAscii(kBusNames[i]) == wanted)
            return static_cast<int>(i);
    return -1;
}

std::string MediaText(int mediaType, const std::string& busName) {
    if (mediaType == kMediaRemovable)
        return "Removable Media";
    if (mediaType == kMediaFixed)
        return busName == "USB" ? "External hard disk media" : "Fixed hard disk media";
    return {};
}

} // namespace salvora
