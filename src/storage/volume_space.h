// SPDX-License-Identifier: GPL-3.0-or-later
// Questions to the running system about a mounted volume and the machine itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace salvora {

struct VolumeSpace {
    std::uint64_t totalBytes = 0;
    std::uint64_t freeBytes = 0;
};

// Total and free bytes of the file system mounted at mountPoint; nullopt when it cannot be asked.
std::optional<VolumeSpace> QueryVolumeSpace(const std::string& mountPoint);

// The machine's name as the disk panel shows it.
std::string ComputerName();

} // namespace salvora
