// SPDX-License-Identifier: GPL-3.0-or-later
// The physical disks the system knows, read from sysfs: every whole disk backed by hardware (USB card
// readers and sticks, SD cards on mmcblk, fixed disks too — the drive list decides what it shows), with
// size, geometry, bus type, vendor, model, revision, serial and partitions. The root of the tree is a
// parameter so a test can hand over a folder built like /sys, /dev, /run/udev and /proc.
#pragma once

#include <string>
#include <vector>

#include "storage/disk_candidate.h"

namespace salvora {

struct SystemPaths {
    std::string root; // "" on a running system
    std::string sysBlock() const { return root + "/sys/block"; }
    std::string dev() const { return root + "/dev"; }
    std::string udevData() const { return root + "/run/udev/data"; }
    std::string mountInfo() const { return root + "/proc/self/mountinfo"; }
};

// The whole disks in a stable order: SCSI-style disks first (sda, sdb, ..., sdz, sdaa), then SD cards
// (mmcblk0, mmcblk1, ..., mmcblk10), then other families by name, numbers compared as numbers. Virtual
// devices (loop, ram, zram, device-mapper, md, nbd: no hardware behind them), optical and floppy drives and
// the boot and RPMB areas of eMMC are not disks and are left out. A disk whose properties cannot be read is
// returned with what could be read; without a size it has no geometry.
std::vector<PhysicalDiskCandidate> ScanBlockDevices(const SystemPaths& paths);

// Orders two block-device names as ScanBlockDevices does.
bool blockNameLess(const std::string& a, const std::string& b);

// The mount point of the device numbered "major:minor" in a mountinfo file, or empty.
std::string mountPointOf(const std::string& mountInfoPath, const std::string& majorMinor);

} // namespace salvora
