// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumes/disk_record.h"

#include <charconv>

#include "base/text.h"

namespace salvora {

std::string searchModeName(SearchMode mode) {
    switch (mode) {
    case SearchMode::Basic:
        return "Basic Search";
    case SearchMode::Deep:
        return "Deep Search";
    case SearchMode::Photo:
        return "Photo Search";
    case SearchMode::Video:
        return "Video Search";
    case SearchMode::Signature:
        return "Signature Search";
    }
    return {};
}

void trimTextSlots(DiskRecord& r) {
    for (std::string* text : {&r.label,
                              &r.mediaText,
                              &r.modeName,
                              &r.startSector,
                              &r.totalSectors,
                              &r.fileSystem,
                              &r.drive,
                              &r.volumeLabel,
                              &r.sizeText,
                              &r.freeText,
                              &r.volumeSerial,
                              &r.diskNumber,
                              &r.diskName,
                              &r.model,
                              &r.sizeAndMedia,
                              &r.panelModel,
                              &r.panelMediaText,
                              &r.interfaceType,
                              &r.capacity,
                              &r.cylinders,
                              &r.tracksPerCylinder,
                              &r.sectors,
                              &r.bytesPerSector,
                              &r.sectorsPerTrack,
                              &r.firmwareRevision,
                              &r.vendor,
                              &r.serialNumber,
                              &r.systemName,
                              &r.physicalDeviceId})
        *text = trim(*text);
}

std::string diskIdentityText(const DiskRecord& disk) {
    return disk.model + "||" + disk.capacity + "||" + disk.sectors + "||" + disk.diskNumber;
}

CurrentDiskContext currentDiskContextOf(const DiskRecord& disk) {
    CurrentDiskContext context;
    context.model = disk.model;
    context.sizeText = disk.capacity;
    std::from_chars(disk.sectors.data(), disk.sectors.data() + disk.sectors.size(), context.totalSectors);
    context.sizeMiB = disk.diskSizeMiB;
    context.cylinders = disk.cylinders;
    context.heads = disk.tracksPerCylinder;
    context.sectorsPerTrack = disk.sectorsPerTrack;
    context.identity = diskIdentityText(disk);
    return context;
}

} // namespace salvora
