// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/volume_space.h"

#include <array>
#include <sys/statvfs.h>
#include <unistd.h>

namespace salvora {

std::optional<VolumeSpace> QueryVolumeSpace(const std::string& mountPoint) {
    if (mountPoint.empty())
        return std::nullopt;
    struct statvfs info {};
    if (::statvfs(mountPoint.c_str(), &info) != 0)
        return std::nullopt;
    std::uint64_t unit = info.f_frsize ? info.f_frsize : info.f_bsize;
    return VolumeSpace{std::uint64_t{info.f_blocks} * unit, std::uint64_t{info.f_bfree} * unit};
}

std::string ComputerName() {
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0)
        return {};
    return name.data();
}

} // namespace salvora
