// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/attached_media.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "storage/sector_reader.h"
#include "volumes/boot_sector.h"
#include "volumes/os_volumes.h"
#include "volumes/volume_state.h"

namespace salvora {
namespace {

constexpr char kFirstDriveLetter = 'D';

// Explains why a path cannot serve as a medium, or returns its size in bytes.
Result<std::uint64_t> checkImage(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return makeError(ErrorKind::IoFailure, "cannot open image " + path + ": " + std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return makeError(ErrorKind::InvalidInput, "cannot use " + path + " as an image: it is a directory");
    if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode))
        return makeError(ErrorKind::InvalidInput,
                         "cannot use " + path + " as an image: not a regular file or block device");
    FileMedium medium(path);
    if (!medium.open())
        return makeError(ErrorKind::IoFailure, "cannot open image " + path + ": " + std::strerror(errno));
    auto size = medium.size();
    if (!size || *size < kSectorSize)
        return makeError(ErrorKind::InvalidInput, "cannot use " + path + " as an image: it is smaller than one sector");
    return *size;
}

std::string reportedNameOfVolume(const Medium& medium) {
    std::array<std::byte, kSectorSize> sector{};
    auto open = medium.open();
    if (open)
        open->readAt(0, sector);
    std::string name = reportedFileSystemName(sector);
    return name.empty() ? std::string("Unknown") : name;
}

} // namespace

const AttachedDisk* AttachedMedia::disk(int number) const {
    for (const AttachedDisk& d : disks)
        if (d.number == number)
            return &d;
    return nullptr;
}

const AttachedVolume* AttachedMedia::volume(char letter) const {
    for (const AttachedVolume& v : volumes)
        if (v.letter == letter)
            return &v;
    return nullptr;
}

Result<AttachedMedia> attachImages(DeviceNamespace& devices, const std::vector<std::string>& diskImages,
                                   const std::vector<std::string>& volumeImages) {
    if (diskImages.size() > static_cast<std::size_t>(kMaxDisks))
        return makeError(ErrorKind::InvalidInput, "at most " + std::to_string(kMaxDisks) + " disk images can be attached");
    AttachedMedia media;
    std::vector<std::shared_ptr<const Medium>> diskMedia;
    for (const std::string& path : diskImages) {
        auto size = checkImage(path);
        if (!size)
            return size.error();
        int number = static_cast<int>(media.disks.size());
        media.disks.push_back(AttachedDisk{number, path, *size / kSectorSize});
        diskMedia.push_back(std::make_shared<FileMedium>(path));
    }
    std::vector<std::pair<AttachedVolume, std::shared_ptr<const Medium>>> volumes;
    for (std::size_t i = 0; i < diskMedia.size(); ++i) {
        for (const OsVolume& found : ListOsVolumes(*diskMedia[i])) {
            AttachedVolume volume;
            volume.imagePath = media.disks[i].imagePath;
            volume.fileSystem = found.fileSystem;
            volume.totalSectors = found.sectorCount;
            volume.disk = media.disks[i].number;
            volume.startOnDisk = found.startSector;
            volume.endOnDisk = found.startSector + found.sectorCount;
            volumes.emplace_back(volume, std::make_shared<WindowMedium>(diskMedia[i], found.startSector * kSectorSize,
                                                                        found.sectorCount * kSectorSize));
        }
    }
    for (const std::string& path : volumeImages) {
        auto size = checkImage(path);
        if (!size)
            return size.error();
        auto medium = std::make_shared<FileMedium>(path);
        AttachedVolume volume;
        volume.imagePath = path;
        volume.fileSystem = reportedNameOfVolume(*medium);
        volume.totalSectors = *size / kSectorSize;
        volumes.emplace_back(volume, medium);
    }
    constexpr std::size_t kLetters = 'Z' - kFirstDriveLetter + 1;
    if (volumes.size() > kLetters)
        return makeError(ErrorKind::InvalidInput, "more volumes than drive letters D: to Z:");

    for (std::size_t i = 0; i < diskMedia.size(); ++i)
        devices.setPhysicalDisk(media.disks[i].number, diskMedia[i]);
    char letter = kFirstDriveLetter;
    for (auto& [volume, medium] : volumes) {
        volume.letter = letter++;
        devices.setVolume(volume.letter, medium);
        media.volumes.push_back(volume);
    }
    return media;
}

} // namespace salvora
