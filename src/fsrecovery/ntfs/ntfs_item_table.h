// SPDX-License-Identifier: GPL-3.0-or-later
// The NTFS file index (NtfsItemTable): one row per file record found by the scan, keyed by the parent's
// record number and the record's first sector ("parent|sector|"). Name, size and date are filled the first
// time the file's folder is listed and kept from then on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace salvora {

namespace ntfs_item {
inline constexpr std::size_t Key = 0;  // "Sector": "%lu|%llu|" parent record number, record sector
inline constexpr std::size_t Name = 1; // empty until first listed
inline constexpr std::size_t Size = 2; // bytes, decimal; empty until first listed
inline constexpr std::size_t Date = 3; // creation FILETIME, decimal; empty until first listed
inline constexpr std::size_t Time = 4;
inline constexpr std::size_t Type = 5; // the parent record number
} // namespace ntfs_item

struct NtfsItemKey {
    std::uint32_t parent = 0;
    std::uint64_t sector = 0;
};

std::string makeNtfsItemKey(std::uint32_t parent, std::uint64_t sector);
// The part before the first "|" is the parent, the part between the first two "|" the sector; nullopt when
// either is not a plain decimal number of its width.
std::optional<NtfsItemKey> parseNtfsItemKey(std::string_view key);

} // namespace salvora
