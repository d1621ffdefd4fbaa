// SPDX-License-Identifier: GPL-3.0-or-later
// The device namespace: the device-path texts "\\.\PhysicalDriveN" (a whole disk) and "\\.\L:" (the volume
// with drive letter L) are kept as the product has always written them — they are parsed, shown and stored
// in recovery logs — and mapped here onto Linux block devices or attached image files.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/medium.h"

namespace salvora {

struct DevicePathTarget {
    enum class Kind { PhysicalDisk, Volume };
    Kind kind = Kind::PhysicalDisk;
    int disk = 0;     // for a physical disk
    char letter = 0;  // for a volume, upper case
};

// "\\.\PhysicalDrive1"; the 17 characters before the number are fixed.
std::string physicalDrivePath(int disk);
// "\\.\E:"
std::string volumePath(char letter);
// Reads either form back (case-insensitively, as the platform the texts come from does).
std::optional<DevicePathTarget> parseDevicePath(std::string_view path);

class DeviceNamespace {
public:
    void setPhysicalDisk(int disk, std::shared_ptr<const Medium> medium);
    void setVolume(char letter, std::shared_ptr<const Medium> medium);
    void removePhysicalDisk(int disk);
    void removeVolume(char letter);
    void clear();

    // The medium behind a device path, or nullptr when nothing answers to it.
    std::shared_ptr<const Medium> resolve(std::string_view path) const;
    std::shared_ptr<const Medium> physicalDisk(int disk) const;
    std::shared_ptr<const Medium> volume(char letter) const;

    std::vector<int> physicalDiskNumbers() const;
    std::vector<char> volumeLetters() const;

private:
    mutable std::mutex m_mutex;
    std::map<int, std::shared_ptr<const Medium>> m_disks;
    std::map<char, std::shared_ptr<const Medium>> m_volumes;
};

} // namespace salvora
