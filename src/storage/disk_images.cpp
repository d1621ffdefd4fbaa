// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/disk_images.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

#include "storage/bus_types.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace {

// The serial covers the partition tables and the first boot sectors: what makes one card image differ
// from another, and what stays the same while the image is only read.
constexpr std::size_t kSerialBytes = 64 * 1024;

std::string fileName(const std::string& path) {
    std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

// FNV-1a over the size and the first bytes, as sixteen hex digits.
std::string imageSerial(const Medium& medium, std::uint64_t size) {
    std::uint64_t hash = 14695981039346656037ull;
    auto mix = [&hash](std::uint8_t byte) {
        hash ^= byte;
        hash *= 1099511628211ull;
    };
    for (int i = 0; i < 8; ++i)
        mix(static_cast<std::uint8_t>(size >> (8 * i)));
    std::vector<std::byte> head(kSerialBytes);
    auto open = medium.open();
    std::size_t got = 0;
    if (open)
        got = open->readAt(0, head).value_or(0);
    for (std::size_t i = 0; i < got && i < head.size(); ++i)
        mix(std::to_integer<std::uint8_t>(head[i]));
    char text[17];
    std::snprintf(text, sizeof text, "%016llX", static_cast<unsigned long long>(hash));
    return text;
}

} // namespace

Result<std::uint64_t> checkImageFile(const std::string& path) {
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
        return makeError(ErrorKind::InvalidInput,
                         "cannot use " + path + " as an image: it is smaller than one sector");
    return *size;
}

Result<PhysicalDiskCandidate> DescribeDiskImage(const std::string& path, int busType) {
    auto size = checkImageFile(path);
    if (!size)
        return size.error();
    PhysicalDiskCandidate disk;
    disk.name = fileName(path);
    disk.devicePath = path;
    disk.medium = std::make_shared<FileMedium>(path);
    disk.readable = true;
    disk.isImage = true;
    disk.totalSectors = *size / kSectorSize;
    disk.geometry = derivedGeometry(disk.totalSectors, kMediaRemovable);
    disk.busType = busType;
    disk.strings.product = "Disk Image " + disk.name;
    disk.strings.revision = "1.0";
    disk.strings.serial = imageSerial(*disk.medium, *size);
    return disk;
}

Result<VolumeImage> DescribeVolumeImage(const std::string& path) {
    auto size = checkImageFile(path);
    if (!size)
        return size.error();
    return VolumeImage{fileName(path), path, std::make_shared<FileMedium>(path), *size};
}

} // namespace salvora
