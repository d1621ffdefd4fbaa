// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/device_namespace.h"

#include "base/text.h"

namespace salvora {
namespace {

constexpr std::string_view kDevicePrefix = R"(\\.\)";
constexpr std::string_view kPhysicalDrive = "PHYSICALDRIVE";

char upperLetter(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

std::string physicalDrivePath(int disk) { return std::string(kDevicePrefix) + "PhysicalDrive" + std::to_string(disk); }

std::string volumePath(char letter) { return std::string(kDevicePrefix) + upperLetter(letter) + ":"; }

std::optional<DevicePathTarget> parseDevicePath(std::string_view path) {
    if (path.substr(0, kDevicePrefix.size()) != kDevicePrefix)
        return std::nullopt;
    std::string rest = toUpperAscii(path.substr(kDevicePrefix.size()));
    if (rest.size() == 2 && rest[1] == ':' && rest[0] >= 'A' && rest[0] <= 'Z')
        return DevicePathTarget{DevicePathTarget::Kind::Volume, 0, rest[0]};
    if (rest.rfind(kPhysicalDrive, 0) != 0)
        return std::nullopt;
    std::string_view digits = std::string_view(rest).substr(kPhysicalDrive.size());
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    int disk = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        disk = disk * 10 + (c - '0');
    }
    return DevicePathTarget{DevicePathTarget::Kind::PhysicalDisk, disk, 0};
}

void DeviceNamespace::setPhysicalDisk(int disk, std::shared_ptr<const Medium> medium) {
    std::lock_guard lock(m_mutex);
    m_disks[disk] = std::move(medium);
}

void DeviceNamespace::setVolume(char letter, std::shared_ptr<const Medium> medium) {
    std::lock_guard lock(m_mutex);
    m_volumes[upperLetter(letter)] = std::move(medium);
}

void DeviceNamespace::removePhysicalDisk(int disk) {
    std::lock_guard lock(m_mutex);
    m_disks.erase(disk);
}

void DeviceNamespace::removeVolume(char letter) {
    std::lock_guard lock(m_mutex);
    m_volumes.erase(upperLetter(letter));
}

void DeviceNamespace::clear() {
    std::lock_guard lock(m_mutex);
    m_disks.clear();
    m_volumes.clear();
}

std::shared_ptr<const Medium> DeviceNamespace::physicalDisk(int disk) const {
    std::lock_guard lock(m_mutex);
    auto it = m_disks.find(disk);
    return it == m_disks.end() ? nullptr : it->second;
}

std::shared_ptr<const Medium> DeviceNamespace::volume(char letter) const {
    std::lock_guard lock(m_mutex);
    auto it = m_volumes.find(upperLetter(letter));
    return it == m_volumes.end() ? nullptr : it->second;
}

std::shared_ptr<const Medium> DeviceNamespace::resolve(std::string_view path) const {
    auto target = parseDevicePath(path);
    if (!target)
        return nullptr;
    return target->kind == DevicePathTarget::Kind::Volume ? volume(target->letter) : physicalDisk(target->disk);
}

std::vector<int> DeviceNamespace::physicalDiskNumbers() const {
    std::lock_guard lock(m_mutex);
    std::vector<int> numbers;
    for (const auto& [disk, medium] : m_disks)
        numbers.push_back(disk);
    return numbers;
}

std::vector<char> DeviceNamespace::volumeLetters() const {
    std::lock_guard lock(m_mutex);
    std::vector<char> letters;
    for (const auto& [letter, medium] : m_volumes)
        letters.push_back(letter);
    return letters;
}

} // namespace salvora
