// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal_progress.h"

#include <cstdio>

#include "base/size_text.h"
#include "base/text.h"

namespace salvora::cli {

std::string durationText(std::uint64_t seconds) {
    char text[32];
    if (seconds >= 3600)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu",
                      static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    else
        std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    return text;
}

TerminalProgress::TerminalProgress(std::ostream& err, bool enabled) : m_err(err), m_enabled(enabled) {}

TerminalProgress::~TerminalProgress() {
    finish();
}

void TerminalProgress::setRange(std::uint64_t first, std::uint64_t last) {
    m_first = first;
    m_last = last;
    m_position = first;
    m_rangeStartPosition = first;
    m_rangeStart = Clock::now();
    draw(true);
}

void TerminalProgress::setPosition(std::uint64_t position) {
    m_position = position;
    draw(false);
}

void TerminalProgress::setStatus(const std::string& text) {
    m_status = trim(text);
    draw(true);
}

void TerminalProgress::finish() {
    if (m_enabled && m_drawn) {
        m_err << "\r\x1b[K" << std::flush;
        m_drawn = false;
    }
}

void TerminalProgress::draw(bool force) {
    if (!m_enabled)
        return;
    const auto now = Clock::now();
    if (!force && now - m_lastDraw < std::chrono::milliseconds(200))
        return;
    m_lastDraw = now;

    std::string line = m_status;
    if (m_last > m_first) {
        const std::uint64_t done = m_position > m_first ? std::min(m_position, m_last) - m_first : 0;
        const std::uint64_t total = m_last - m_first;
        const unsigned percent = static_cast<unsigned>(done * 100 / total);
        line += "  " + std::to_string(percent) + "%";
        const double seconds = std::chrono::duration<double>(now - m_rangeStart).count();
        const std::uint64_t moved = m_position > m_rangeStartPosition ? m_position - m_rangeStartPosition : 0;
        if (seconds > 0.5 && moved > 0) {
            const double perSecond = static_cast<double>(moved) / seconds;
            line += "  " + trim(FormatSize(static_cast<std::uint64_t>(perSecond * 512))) + "/s";
            const double left = static_cast<double>(total - done) / perSecond;
            line += "  ETA " + durationText(static_cast<std::uint64_t>(left));
        }
    }
    m_err << "\r\x1b[K" << line << std::flush;
    m_drawn = true;
}

} // namespace salvora::cli
