// SPDX-License-Identifier: GPL-3.0-or-later
#include "save/current_file_bar.h"

#include <algorithm>

namespace salvora {
namespace {

constexpr std::uint64_t kLargestRange = 0x7FFFFFFE;
constexpr std::size_t kLongestUnwrappedPath = 70;

// written * 100 / size in integers, without overflowing for sizes a hostile record may claim.
std::uint64_t percentOf(std::uint64_t written, std::uint64_t size) {
    if (written >= size)
        return 100;
    constexpr std::uint64_t kExactBelow = std::uint64_t{1} << 57;
    return size < kExactBelow ? written * 100 / size : written / (size / 100);
}

} // namespace

void CurrentFileBar::prepare(std::uint64_t size, std::uint64_t step) {
    m_size = size;
    m_lastPercentage = 0;
    m_position = 0;
    m_percentage = size > kLargestRange;
    m_rangeEnd = m_percentage ? 100 : size;
    m_step = m_percentage ? 1 : step;
    if (!m_percentage && size < step)
        m_position = size;
}

bool CurrentFileBar::advance(std::uint64_t written) {
    const std::uint64_t before = m_position;
    if (!m_percentage) {
        m_position = std::min(m_rangeEnd, m_position + m_step);
    } else {
        const std::uint64_t percentage = percentOf(written, m_size);
        if (percentage > m_lastPercentage) {
            m_lastPercentage = percentage;
            m_position = percentage;
        }
    }
    return m_position != before;
}

std::string wrappablePathText(const std::string& path) {
    if (path.size() <= kLongestUnwrappedPath)
        return path;
    std::string text;
    text.reserve(path.size() + path.size() / 8);
    for (char c : path) {
        if (c == '/')
            text += ' ';
        text += c;
    }
    return text;
}

} // namespace salvora
