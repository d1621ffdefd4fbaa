// SPDX-License-Identifier: GPL-3.0-or-later
// Targets as the user names them on the command line — "disk0" (a whole disk), "disk0:2" (its partition
// numbered 2 in the drive tree), "E:" (a logical drive), "E:R2" (the volume found inside drive E: as
// "Recognised2") — and the selection each one makes.
#pragma once

#include <string>
#include <string_view>

#include "app/session.h"
#include "base/result.h"
#include "volumes/drive_list.h"

namespace salvora {

struct Target {
    enum class Kind { WholeDisk, Partition, LogicalDrive, RecognisedVolume };
    Kind kind = Kind::WholeDisk;
    int disk = 0;
    int partition = 0; // 1-based, the number in the partition's label, or a Recognised volume's number
    char letter = 0;
};

Result<Target> parseTarget(std::string_view text);
std::string targetText(const Target& target);

// Lists the drives of the session's sources into its drive tree, as a mode window does when it opens:
// disks with their partitions, logical drives, and the device namespace mapped to what is listed. In Basic
// and Deep Search the disks without partitions are then searched for lost partitions, as those windows do
// (unless searchPartitionless is false); what they find is numbered as their partitions. Returns the tree's
// fixed nodes.
DriveTreeRoots listDrives(Session& session, SearchMode mode = SearchMode::Basic,
                          bool searchPartitionless = true);

// Makes the selection a scan of the target starts from: the session's SelectedVolume (with its
// file-system name normalised) and CurrentDevicePath. A logical drive that lies on a listed disk is read
// through the disk at its sectors there, as the scans do. A Recognised volume is read through its drive's
// volume path, from its start to its end (cut to the drive's size); the drive is searched for the volumes
// inside it first when this session has not searched it yet. The drives must have been listed.
Result<SelectedVolume> selectTarget(Session& session, const Target& target);

} // namespace salvora
