// SPDX-License-Identifier: GPL-3.0-or-later
// A progress bar on stderr for the long commands: status, percentage, reading rate and time left, redrawn at
// most a few times a second. Positions are sector numbers, so the rate is shown in bytes per second.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "base/seams.h"

namespace salvora::cli {

class TerminalProgress final : public ProgressSink {
public:
    // Draws only when enabled (stderr is a terminal); otherwise it stays silent.
    TerminalProgress(std::ostream& err, bool enabled);
    ~TerminalProgress() override;

    void setRange(std::uint64_t first, std::uint64_t last) override;
    void setPosition(std::uint64_t position) override;
    void setStatus(const std::string& text) override;
    // Clears the bar's line, so that what follows starts on a clean line.
    void finish();

private:
    using Clock = std::chrono::steady_clock;
    void draw(bool force);

    std::ostream& m_err;
    bool m_enabled;
    bool m_drawn = false;
    std::string m_status;
    std::uint64_t m_first = 0;
    std::uint64_t m_last = 0;
    std::uint64_t m_position = 0;
    std::uint64_t m_rangeStartPosition = 0;
    Clock::time_point m_rangeStart = Clock::now();
    Clock::time_point m_lastDraw{};
};

// Formats seconds as "1:05" or "1:02:03".
std::string durationText(std::uint64_t seconds);

} // namespace salvora::cli
