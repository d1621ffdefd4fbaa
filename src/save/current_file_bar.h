// SPDX-License-Identifier: GPL-3.0-or-later
// The progress window's current-file bar and path label. A progress control counts in 32-bit steps, so a
// file of 2 GiB or more is shown in percent instead of bytes.
#pragma once

#include <cstdint>
#include <string>

namespace salvora {

class CurrentFileBar {
public:
    // A new file of size bytes written in blocks of step bytes: range mode (0..size, one step per block)
    // when the size fits the control, otherwise percentage mode (0..100). A file smaller than one block
    // shows a full bar at once.
    void prepare(std::uint64_t size, std::uint64_t step);
    // A block was written and written bytes of the file are done. True when the position changed.
    bool advance(std::uint64_t written);

    bool percentageMode() const { return m_percentage; }
    std::uint64_t rangeEnd() const { return m_rangeEnd; }
    std::uint64_t position() const { return m_position; }

private:
    std::uint64_t m_size = 0;
    std::uint64_t m_step = 0;
    std::uint64_t m_rangeEnd = 0;
    std::uint64_t m_position = 0;
    std::uint64_t m_lastPercentage = 0;
    bool m_percentage = false;
};

// The destination path as the progress window's path label shows it: unchanged up to 70 characters,
// otherwise with a blank before every path separator so that the label can wrap.
std::string wrappablePathText(const std::string& path);

} // namespace salvora
