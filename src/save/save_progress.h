// SPDX-License-Identifier: GPL-3.0-or-later
// What a save shows while it writes: the per-file texts and the two bars of the progress window. The GUI
// forwards these to its widgets, the CLI to its progress line, tests record them.
#pragma once

#include <cstdint>
#include <string>

namespace salvora {

class SaveProgress {
public:
    virtual ~SaveProgress() = default;
    // A file starts: its destination path and the name shown for it.
    virtual void fileStarted(const std::string& path, const std::string& displayName) = 0;
    // "written / size Bytes"
    virtual void bytesText(const std::string& text) = 0;
    // "FilesSaved / FilesToSave"
    virtual void countText(const std::string& text) = 0;
    // The current-file bar: its range in bytes, the bytes written so far, and full at the end.
    virtual void currentBarRange(std::uint64_t range) = 0;
    virtual void currentBarPosition(std::uint64_t bytes) = 0;
    virtual void currentBarFull() = 0;
    // One more file on the total bar.
    virtual void totalBarStep() = 0;
};

class NullSaveProgress final : public SaveProgress {
public:
    void fileStarted(const std::string&, const std::string&) override {}
    void bytesText(const std::string&) override {}
    void countText(const std::string&) override {}
    void currentBarRange(std::uint64_t) override {}
    void currentBarPosition(std::uint64_t) override {}
    void currentBarFull() override {}
    void totalBarStep() override {}
};

// "1024 / 4096 Bytes"
std::string byteProgressText(std::uint64_t written, std::uint64_t size);
// "3 / 10"
std::string fileCountText(std::uint64_t saved, std::uint64_t toSave);

} // namespace salvora
