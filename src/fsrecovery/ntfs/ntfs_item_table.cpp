// SPDX-License-Identifier: GPL-3.0-or-later
#include "fsrecovery/ntfs/ntfs_item_table.h"

#include <charconv>

namespace salvora {

namespace {

template <typename T> std::optional<T> decimal(std::string_view text) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

std::string makeNtfsItemKey(std::uint32_t parent, std::uint64_t sector) {
    return std::to_string(parent) + "|" + std::to_string(sector) + "|";
}

std::optional<NtfsItemKey> parseNtfsItemKey(std::string_view key) {
    const std::size_t first = key.find('|');
    if (first == std::string_view::npos)
        return std::nullopt;
    const std::size_t second = key.find('|', first + 1);
    if (second == std::string_view::npos)
        return std::nullopt;
    const auto parent = decimal<std::uint32_t>(key.substr(0, first));
    const auto sector = decimal<std::uint64_t>(key.substr(first + 1, second - first - 1));
    if (!parent || !sector)
        return std::nullopt;
    return NtfsItemKey{*parent, *sector};
}

} // namespace salvora
