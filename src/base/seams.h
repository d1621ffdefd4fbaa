// SPDX-License-Identifier: GPL-3.0-or-later
// The seams between engines and front ends: progress, stop requests and questions to the user.
// Engines call these and never draw, print or show anything themselves.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace salvora {

// Progress of one long operation. The GUI forwards to widgets, the CLI draws a bar on stderr, tests record.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void setRange(std::uint64_t first, std::uint64_t last) = 0;
    virtual void setPosition(std::uint64_t position) = 0;
    virtual void setStatus(const std::string& text) = 0;
};

// A sink for callers that do not show progress.
class NullProgress final : public ProgressSink {
public:
    void setRange(std::uint64_t, std::uint64_t) override {}
    void setPosition(std::uint64_t) override {}
    void setStatus(const std::string&) override {}
};

// A stop request set by one thread (a Stop button, Ctrl+C) and polled by a worker at chunk boundaries.
using StopFlag = std::atomic<bool>;

// Every message box and question of the product goes through here with its exact text.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A message with an information icon and an OK button.
    virtual void inform(const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
};

} // namespace salvora
