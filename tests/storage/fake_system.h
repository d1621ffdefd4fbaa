// SPDX-License-Identifier: GPL-3.0-or-later
// A folder built like the parts of a Linux system that device discovery reads: sys/block with the disks'
// attributes and partitions, dev with their nodes (links to image files), run/udev/data and
// proc/self/mountinfo. Lets the discovery of card readers, sticks and SD cards run on a machine that has
// none.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "storage/removable_devices.h"

namespace salvora::test {

// Where a disk hangs in the device tree.
inline constexpr const char* kUsbReaderPath =
    "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0";
inline constexpr const char* kUsbDiskPath =
    "pci0000:00/0000:00:14.0/usb2/2-2/2-2:1.0/host7/target7:0:0/7:0:0:0";
inline constexpr const char* kSataPath = "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0";
inline constexpr const char* kSdHostPath = "pci0000:00/0000:00:1e.6/mmc_host/mmc0/mmc0:aaaa";
inline constexpr const char* kEmmcPath = "platform/fe340000.mmc/mmc_host/mmc1/mmc1:0001";

struct FakeDisk {
    std::string name;       // "sdb"
    std::string devicePath; // kUsbReaderPath, ...
    std::string removable = "1";
    std::optional<std::uint64_t> size;              // 512-byte units; absent: no size file
    std::string majorMinor;                         // "8:16"
    std::map<std::string, std::string> deviceFiles; // vendor, model, rev, name, serial, type ...
    std::string image;                              // what dev/<name> links to; empty: no device node
};

class FakeSystem {
public:
    FakeSystem();
    void addDisk(const FakeDisk& disk);
    void addPartition(const std::string& disk, const std::string& name, int number, std::uint64_t start,
                      std::uint64_t size, const std::string& majorMinor);
    // A block device with no hardware behind it (loop, zram): no device link.
    void addVirtual(const std::string& name);
    void addMount(const std::string& majorMinor, const std::string& escapedMountPoint);
    void addUdevLine(const std::string& majorMinor, const std::string& line);

    const std::string& root() const { return m_root; }
    SystemPaths paths() const { return SystemPaths{m_root}; }

private:
    std::string m_root;
    std::map<std::string, std::string> m_diskDirs;
};

} // namespace salvora::test
