// SPDX-License-Identifier: GPL-3.0-or-later
// Image files the user attaches become drive sources: a whole-disk image is listed as a removable
// physical disk, a volume image as a removable logical drive. Disk images take the first disk numbers in
// the order given; real removable devices follow (see volumes/drive_list.h for the numbering).
#pragma once

#include <string>
#include <vector>

#include "base/result.h"
#include "volumes/drive_list.h"

namespace salvora {

// Checks that every image can be read as a medium and returns the sources the drive list reads. A file
// that cannot be opened, is empty, or is not a regular file or block device is refused with a clear
// message, as is a bus name outside the bus type table. Real devices are not looked for: set
// sources.system for that.
Result<DriveSources> attachImages(const std::vector<std::string>& diskImages,
                                  const std::vector<std::string>& volumeImages,
                                  const std::string& imageBusName = "UNKNOWN");

} // namespace salvora
