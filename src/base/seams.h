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

// The answer to the medium-removed question that a signature scan asks when its medium cannot be read.
struct MediumRemovedAnswer {
    bool cancel = false; // "Cancel Searching"
    int retryMode = 0;   // 1 "Retry and Continue...", 5 the same with "Apply this action until the searching
                         // completes" ticked, 0 when the box was closed without a button
};

// The texts of the medium-removed question, shown by every front end exactly so.
struct MediumRemovedTexts {
    static constexpr const char* caption = "Quillwort Salvora";
    static constexpr const char* heading = "The selected storage device is no longer available.";
    static constexpr const char* body =
        "The drive(from which you are trying recover data) either has been removed or no longer available.";
    static constexpr const char* advice =
        "Make sure that the storage media is connected properly. If you are connecting the storage media "
        "through a USB hub or extension cable connect the media to system USB ports directly.";
    static constexpr const char* cancelButton = "Cancel Searching";
    static constexpr const char* retryButton = "Retry and Continue...";
    static constexpr const char* applyAlways = "Apply this action until the searching completes";
};

// Every message box and question of the product goes through here with its exact text.
class Prompter {
public:
    virtual ~Prompter() = default;
    // A message with an information icon and an OK button.
    virtual void inform(const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const std::string& text) = 0;
    // A message titled with the application's name after which the process ends (a missing data file).
    virtual void informFatal(const std::string& text) { inform(text); }
    // The medium of a running signature scan cannot be opened or read: give up, or reopen it and go on.
    // The default gives up, which is right for callers that cannot ask anyone.
    virtual MediumRemovedAnswer askMediumRemoved() { return MediumRemovedAnswer{true, 0}; }
};

// A prompter for callers that cannot ask anyone (searches run on the way to something else, fuzzing):
// messages are dropped and every question is answered No.
class NullPrompter final : public Prompter {
public:
    void inform(const std::string&) override {}
    bool askYesNo(const std::string&) override { return false; }
};

} // namespace salvora
