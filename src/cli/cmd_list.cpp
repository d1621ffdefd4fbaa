// SPDX-License-Identifier: GPL-3.0-or-later
// salvora list: the attached disks with their partitions, and the logical drives.
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/targets.h"
#include "base/size_text.h"
#include "base/text.h"
#include "cli/commands.h"
#include "volumes/partition_table.h"

namespace salvora::cli {
namespace {

std::string sizeText(std::uint64_t sectors) { return trim(FormatSize(sectors * 512)); }

nlohmann::ordered_json partitionJson(const PartitionRow& row) {
    return {{"number", row.index + 1},  {"label", partitionLabel(row.index + 1, row.fileSystem)},
            {"fileSystem", row.fileSystem}, {"start", row.start}, {"end", row.end},
            {"size", sizeText(row.end > row.start ? row.end - row.start : 0)}};
}

nlohmann::ordered_json listJson(const Session& session) {
    nlohmann::ordered_json disks = nlohmann::ordered_json::array();
    for (const AttachedDisk& disk : session.attached.disks) {
        nlohmann::ordered_json partitions = nlohmann::ordered_json::array();
        const PartitionList& list = session.volumes.partitionLists[static_cast<std::size_t>(disk.number)];
        for (int i = 0; i < list.count; ++i)
            partitions.push_back(partitionJson(list.rows[static_cast<std::size_t>(i)]));
        disks.push_back({{"disk", disk.number},
                         {"path", physicalDrivePath(disk.number)},
                         {"image", disk.imagePath},
                         {"totalSectors", disk.totalSectors},
                         {"size", sizeText(disk.totalSectors)},
                         {"partitions", partitions}});
    }
    nlohmann::ordered_json drives = nlohmann::ordered_json::array();
    for (const AttachedVolume& volume : session.attached.volumes) {
        nlohmann::ordered_json drive = {{"drive", std::string(1, volume.letter) + ":"},
                                {"path", volumePath(volume.letter)},
                                {"image", volume.imagePath},
                                {"fileSystem", volume.fileSystem},
                                {"totalSectors", volume.totalSectors},
                                {"size", sizeText(volume.totalSectors)}};
        if (volume.disk) {
            drive["disk"] = *volume.disk;
            drive["startOnDisk"] = volume.startOnDisk;
            drive["endOnDisk"] = volume.endOnDisk;
        }
        drives.push_back(drive);
    }
    return {{"disks", disks}, {"logicalDrives", drives}};
}

void printText(const Session& session, std::ostream& out) {
    out << "Physical drives:\n";
    if (session.attached.disks.empty())
        out << "  (none)\n";
    for (const AttachedDisk& disk : session.attached.disks) {
        out << "  Disk" << disk.number << "  " << sizeText(disk.totalSectors) << ", " << disk.totalSectors
            << " sectors  [" << disk.imagePath << "]\n";
        const PartitionList& list = session.volumes.partitionLists[static_cast<std::size_t>(disk.number)];
        if (list.count == 0)
            out << "    no partitions found\n";
        for (int i = 0; i < list.count; ++i) {
            const PartitionRow& row = list.rows[static_cast<std::size_t>(i)];
            out << "    " << partitionLabel(row.index + 1, row.fileSystem) << "  start " << row.start << "  end "
                << row.end << "  size " << sizeText(row.end > row.start ? row.end - row.start : 0) << "\n";
        }
    }
    out << "Logical drives:\n";
    if (session.attached.volumes.empty())
        out << "  (none)\n";
    for (const AttachedVolume& volume : session.attached.volumes) {
        out << "  " << volume.letter << ":  " << volume.fileSystem << "  " << sizeText(volume.totalSectors);
        if (volume.disk)
            out << "  Disk" << *volume.disk << " sectors " << volume.startOnDisk << " to " << volume.endOnDisk;
        out << "  [" << volume.imagePath << "]\n";
    }
}

} // namespace

int runList(Session& session, bool json, OutputStreams streams) {
    walkAttachedDisks(session);
    if (json)
        streams.out << listJson(session).dump(2) << "\n";
    else
        printText(session, streams.out);
    return kExitOk;
}

} // namespace salvora::cli
