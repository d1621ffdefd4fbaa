// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/removable_devices.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/hdreg.h>
#include <sstream>
#include <sys/ioctl.h>
#include <unistd.h>

#include "base/text.h"
#include "storage/bus_types.h"
#include "storage/sector_reader.h"

namespace salvora {
namespace fs = std::filesystem;
namespace {

// More whole disks than this in /sys/block is not a machine we can list sensibly; the drive list looks
// at far fewer anyway.
constexpr std::size_t kMaxBlockDevices = 1024;
// sysfs attribute files are short; a longer one is not what we expect to read.
constexpr std::size_t kMaxAttributeBytes = 4096;

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The text of a sysfs attribute, trimmed; empty when it cannot be read.
std::string readAttribute(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    std::string text(kMaxAttributeBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return trim(text);
}

std::optional<std::uint64_t> readNumber(const fs::path& path) {
    std::string text = readAttribute(path);
    std::uint64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool allDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Names that are not disks even though sysfs lists them among block devices with hardware behind them.
bool isExcludedName(const std::string& name) {
    if (startsWith(name, "sr") || startsWith(name, "fd"))
        return true; // optical and floppy drives
    if (startsWith(name, "mmcblk")) {
        std::string_view rest = std::string_view(name).substr(6);
        std::size_t digits = 0;
        while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')
            ++digits;
        return digits != rest.size(); // mmcblk0boot0, mmcblk0rpmb: hardware areas of an eMMC chip
    }
    return false;
}

// The bus the disk hangs on, told by the devices its sysfs entry lies below.
int busTypeOf(const SystemPaths& paths, const fs::path& entry, const std::string& name) {
    std::error_code error;
    std::string path = fs::canonical(entry, error).string();
    if (error)
        path = entry.string();
    // Only the part below the tree's root tells the bus.
    std::string root = paths.root.empty() ? std::string() : fs::canonical(paths.root, error).string();
    if (!root.empty() && path.starts_with(root))
        path = path.substr(root.size());
    auto below = [&path](std::string_view part) { return path.find(part) != std::string::npos; };
    if (below("/usb"))
        return kBusUsb;
    if (startsWith(name, "mmcblk") || below("/mmc"))
        return kBusSd;
    if (below("/firewire") || below("/fw"))
        return kBusIeee1394;
    if (startsWith(name, "nvme") || below("/nvme"))
        return kBusNvme;
    if (below("/ata"))
        return kBusSata;
    if (startsWith(name, "sd") || startsWith(name, "vd"))
        return kBusScsi;
    return kBusUnknown;
}

// The short serial udev recorded for the device, or empty.
std::string udevSerial(const SystemPaths& paths, const std::string& majorMinor) {
    std::ifstream in(fs::path(paths.udevData()) / ("b" + majorMinor));
    std::string line;
    std::string serial;
    for (int lines = 0; lines < 4096 && std::getline(in, line); ++lines) {
        if (startsWith(line, "E:ID_SERIAL_SHORT="))
            return trim(line.substr(18));
        if (startsWith(line, "E:ID_SERIAL=") && serial.empty())
            serial = trim(line.substr(12));
    }
    return serial;
}

// The unit serial number page a SCSI device answered: byte 3 is the length, the text follows at 4.
std::string vpdSerial(const fs::path& deviceDir) {
    std::ifstream in(deviceDir / "vpd_pg80", std::ios::binary);
    std::array<char, 260> page{};
    in.read(page.data(), static_cast<std::streamsize>(page.size()));
    auto got = static_cast<std::size_t>(in.gcount());
    if (got < 4)
        return {};
    std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(page[3]), got - 4);
    std::string text;
    for (std::size_t i = 0; i < length && page[4 + i] != '\0'; ++i)
        text += page[4 + i];
    return trim(text);
}

DeviceStrings deviceStrings(const SystemPaths& paths, const fs::path& entry, const std::string& name,
                            const std::string& majorMinor) {
    fs::path device = entry / "device";
    DeviceStrings strings;
    if (startsWith(name, "mmcblk")) {
        // An SD card tells its product name, revisions and serial through the card's own registers.
        strings.product = readAttribute(device / "name");
        strings.revision = readAttribute(device / "fwrev");
        if (strings.revision.empty())
            strings.revision = readAttribute(device / "prv");
        strings.serial = readAttribute(device / "serial");
        return strings;
    }
    strings.vendor = readAttribute(device / "vendor");
    strings.product = readAttribute(device / "model");
    strings.revision = readAttribute(device / "rev");
    strings.serial = udevSerial(paths, majorMinor);
    if (strings.serial.empty())
        strings.serial = vpdSerial(device);
    return strings;
}

int mediaTypeOf(const fs::path& entry, const std::string& name) {
    if (readAttribute(entry / "removable") == "1")
        return kMediaRemovable;
    // SD cards on a card slot of the machine itself do not set the removable flag; soldered eMMC storage
    // (type MMC) is the machine's own disk.
    if (startsWith(name, "mmcblk"))
        return readAttribute(entry / "device" / "type") == "MMC" ? kMediaFixed : kMediaRemovable;
    return kMediaFixed;
}

// The geometry the driver reports when it answers, otherwise the derived one. Cylinders always come from
// the size: the driver's count is 16 bits wide and wraps on anything bigger than a few gigabytes.
DiskGeometry geometryOf(const std::string& devicePath, std::uint64_t totalSectors, int mediaType,
                        std::uint32_t bytesPerSector) {
    DiskGeometry geometry = derivedGeometry(totalSectors, mediaType);
    int fd = ::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        hd_geometry reported{};
        if (::ioctl(fd, HDIO_GETGEO, &reported) == 0 && reported.heads != 0 && reported.sectors != 0) {
            geometry.tracksPerCylinder = reported.heads;
            geometry.sectorsPerTrack = reported.sectors;
            geometry.cylinders = totalSectors / (std::uint64_t{reported.heads} * reported.sectors);
        }
        ::close(fd);
    }
    geometry.bytesPerSector = bytesPerSector;
    return geometry;
}

std::vector<SystemPartition> partitionsOf(const SystemPaths& paths, const fs::path& entry,
                                          const std::string& name) {
    std::vector<SystemPartition> partitions;
    std::error_code error;
    for (fs::directory_iterator it(entry, error), end; !error && it != end; it.increment(error)) {
        std::string child = it->path().filename().string();
        std::error_code missing;
        if (!startsWith(child, name) || !fs::exists(it->path() / "partition", missing))
            continue;
        auto number = readNumber(it->path() / "partition");
        auto start = readNumber(it->path() / "start");
        auto size = readNumber(it->path() / "size");
        if (!number || !start || !size || *number > 4096)
            continue;
        partitions.push_back(
            SystemPartition{child, static_cast<int>(*number), *start, *size,
                            mountPointOf(paths.mountInfo(), readAttribute(it->path() / "dev"))});
        if (partitions.size() >= kMaxBlockDevices)
            break;
    }
    std::sort(partitions.begin(), partitions.end(),
              [](const SystemPartition& a, const SystemPartition& b) { return a.number < b.number; });
    return partitions;
}

PhysicalDiskCandidate describe(const SystemPaths& paths, const fs::path& entry, const std::string& name) {
    PhysicalDiskCandidate disk;
    disk.name = name;
    disk.devicePath = paths.dev() + "/" + name;
    auto medium = std::make_shared<FileMedium>(disk.devicePath);
    disk.readable = medium->open() != nullptr;
    disk.medium = medium;
    std::string majorMinor = readAttribute(entry / "dev");
    disk.mountPoint = mountPointOf(paths.mountInfo(), majorMinor);
    disk.busType = busTypeOf(paths, entry, name);
    disk.strings = deviceStrings(paths, entry, name, majorMinor);
    disk.partitions = partitionsOf(paths, entry, name);
    // sysfs counts the size in 512-byte units whatever the device's own sector size.
    auto size = readNumber(entry / "size");
    if (size && *size > 0) {
        disk.totalSectors = *size;
        auto logical = readNumber(entry / "queue" / "logical_block_size");
        std::uint32_t bytesPerSector = logical && *logical >= kSectorSize && *logical <= 65536
                                           ? static_cast<std::uint32_t>(*logical)
                                           : kSectorSize;
        disk.geometry = geometryOf(disk.devicePath, *size, mediaTypeOf(entry, name), bytesPerSector);
    }
    return disk;
}

// Splits a name into runs of digits and of other characters.
std::vector<std::string> nameRuns(const std::string& name) {
    std::vector<std::string> runs;
    for (char c : name) {
        bool digit = c >= '0' && c <= '9';
        if (runs.empty() || (allDigits(runs.back()) != digit))
            runs.emplace_back();
        runs.back() += c;
    }
    return runs;
}

// Blanks and other special characters of a mount point are written as octal escapes ("\\040").
std::string decodeOctalEscapes(std::string_view text) {
    auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && isOctal(text[i + 1]) && isOctal(text[i + 2]) &&
            isOctal(text[i + 3])) {
            decoded +=
                static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0'));
            i += 3;
            continue;
        }
        decoded += text[i];
    }
    return decoded;
}

} // namespace

bool blockNameLess(const std::string& a, const std::string& b) {
    // SCSI-style disks (sda ... sdz, sdaa) come first, then SD cards, then every other family by name.
    auto family = [](const std::string& name) -> std::pair<int, std::string> {
        for (const char* lettered : {"sd", "vd", "hd", "xvd"}) {
            std::string_view prefix = lettered;
            std::string_view rest = std::string_view(name).substr(std::min(prefix.size(), name.size()));
            if (startsWith(name, prefix) && !rest.empty() &&
                std::all_of(rest.begin(), rest.end(), [](char c) { return c >= 'a' && c <= 'z'; }))
                return {prefix == "sd" ? 0 : 2, std::string(prefix)};
        }
        std::string letters = name.substr(0, std::min(name.find_first_of("0123456789"), name.size()));
        return {letters == "mmcblk" ? 1 : 2, letters};
    };
    auto fa = family(a);
    auto fb = family(b);
    if (fa != fb)
        return fa < fb;
    std::vector<std::string> ra = nameRuns(a.substr(fa.second.size()));
    std::vector<std::string> rb = nameRuns(b.substr(fb.second.size()));
    for (std::size_t i = 0; i < ra.size() && i < rb.size(); ++i) {
        const std::string& x = ra[i];
        const std::string& y = rb[i];
        if (x == y)
            continue;
        if (allDigits(x) && allDigits(y)) {
            std::string_view sx = std::string_view(x).substr(std::min(x.find_first_not_of('0'), x.size()));
            std::string_view sy = std::string_view(y).substr(std::min(y.find_first_not_of('0'), y.size()));
            if (sx.size() != sy.size())
                return sx.size() < sy.size();
            return sx < sy;
        }
        // Letters by length first, so that sdz comes before sdaa as the kernel hands them out.
        if (x.size() != y.size())
            return x.size() < y.size();
        return x < y;
    }
    return ra.size() < rb.size();
}

std::string mountPointOf(const std::string& mountInfoPath, const std::string& majorMinor) {
    if (majorMinor.empty())
        return {};
    std::ifstream in(mountInfoPath);
    std::string line;
    for (int lines = 0; lines < 65536 && std::getline(in, line); ++lines) {
        // "36 35 8:17 / /media/card rw,nosuid - vfat /dev/sdb1 rw": field 3 is the device, field 5 the mount
        // point.
        std::istringstream fields(line);
        std::string id, parent, device, root, mountPoint;
        if (!(fields >> id >> parent >> device >> root >> mountPoint) || device != majorMinor)
            continue;
        return decodeOctalEscapes(mountPoint);
    }
    return {};
}

std::vector<PhysicalDiskCandidate> ScanBlockDevices(const SystemPaths& paths) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(paths.sysBlock(), error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        // A block device without hardware behind it has no device link: loop, ram, zram, dm, md, nbd.
        std::error_code missing;
        if (isExcludedName(name) || !fs::exists(it->path() / "device", missing))
            continue;
        names.push_back(name);
        if (names.size() >= kMaxBlockDevices)
            break;
    }
    std::sort(names.begin(), names.end(), blockNameLess);
    std::vector<PhysicalDiskCandidate> disks;
    for (const std::string& name : names)
        disks.push_back(describe(paths, fs::path(paths.sysBlock()) / name, name));
    return disks;
}

} // namespace salvora
