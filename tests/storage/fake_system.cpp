// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_system.h"

#include <filesystem>
#include <fstream>

#include "support/fixtures.h"

namespace salvora::test {
namespace fs = std::filesystem;
namespace {

void writeFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

void appendLine(const fs::path& path, const std::string& line) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::app) << line << "\n";
}

} // namespace

FakeSystem::FakeSystem() : m_root(makeTempDir()) {
    fs::create_directories(fs::path(m_root) / "sys/block");
    fs::create_directories(fs::path(m_root) / "dev");
    writeFile(fs::path(m_root) / "proc/self/mountinfo", "22 1 0:21 / / rw - tmpfs none rw");
}

void FakeSystem::addDisk(const FakeDisk& disk) {
    // As sysfs has it: the disk's directory lies below its device, and sys/block links to it.
    fs::path dir = fs::path(m_root) / "sys/devices" / disk.devicePath / "block" / disk.name;
    fs::create_directories(dir / "device");
    fs::create_directory_symlink(fs::path("../devices") / disk.devicePath / "block" / disk.name,
                                 fs::path(m_root) / "sys/block" / disk.name);
    writeFile(dir / "removable", disk.removable);
    if (disk.size)
        writeFile(dir / "size", std::to_string(*disk.size));
    writeFile(dir / "dev", disk.majorMinor);
    for (const auto& [file, text] : disk.deviceFiles)
        writeFile(dir / "device" / file, text);
    if (!disk.image.empty())
        fs::create_symlink(disk.image, fs::path(m_root) / "dev" / disk.name);
    m_diskDirs[disk.name] = dir.string();
}

void FakeSystem::addPartition(const std::string& disk, const std::string& name, int number,
                              std::uint64_t start, std::uint64_t size, const std::string& majorMinor) {
    fs::path dir = fs::path(m_diskDirs.at(disk)) / name;
    writeFile(dir / "partition", std::to_string(number));
    writeFile(dir / "start", std::to_string(start));
    writeFile(dir / "size", std::to_string(size));
    writeFile(dir / "dev", majorMinor);
}

void FakeSystem::addVirtual(const std::string& name) {
    fs::path dir = fs::path(m_root) / "sys/devices/virtual/block" / name;
    writeFile(dir / "removable", "0");
    writeFile(dir / "size", "0");
    fs::create_directory_symlink(fs::path("../devices/virtual/block") / name,
                                 fs::path(m_root) / "sys/block" / name);
}

void FakeSystem::addMount(const std::string& majorMinor, const std::string& escapedMountPoint) {
    appendLine(fs::path(m_root) / "proc/self/mountinfo",
               "36 22 " + majorMinor + " / " + escapedMountPoint + " rw,nosuid,nodev - vfat /dev/x rw");
}

void FakeSystem::addUdevLine(const std::string& majorMinor, const std::string& line) {
    appendLine(fs::path(m_root) / "run/udev/data" / ("b" + majorMinor), line);
}

} // namespace salvora::test
