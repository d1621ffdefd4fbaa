// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/attached_media.h"

#include "storage/bus_types.h"
#include "storage/disk_images.h"

namespace salvora {

Result<DriveSources> attachImages(const std::vector<std::string>& diskImages,
                                  const std::vector<std::string>& volumeImages,
                                  const std::string& imageBusName) {
    if (diskImages.size() > static_cast<std::size_t>(kMaxListedDisks))
        return makeError(ErrorKind::InvalidInput,
                         "at most " + std::to_string(kMaxListedDisks) + " disk images can be attached");
    constexpr std::size_t kLetters = kLastDriveLetter - kFirstDriveLetter + 1;
    if (volumeImages.size() > kLetters)
        return makeError(ErrorKind::InvalidInput, "more volume images than drive letters D: to Z:");
    DriveSources sources;
    sources.imageBusType = BusTypeFromName(imageBusName);
    if (sources.imageBusType < 0 || BusTypeName(sources.imageBusType).empty())
        return makeError(ErrorKind::InvalidInput,
                         "unknown bus type '" + imageBusName +
                             "': use UNKNOWN, SCSI, ATAPI, ATA, IEEE 1394, SSA, FIBRE, "
                             "USB, RAID, iSCSI, SAS, SATA or Reserved");
    for (const std::string& path : diskImages) {
        auto size = checkImageFile(path);
        if (!size)
            return size.error();
        sources.diskImages.push_back(path);
    }
    for (const std::string& path : volumeImages) {
        auto size = checkImageFile(path);
        if (!size)
            return size.error();
        sources.volumeImages.push_back(path);
    }
    return sources;
}

} // namespace salvora
