// SPDX-License-Identifier: GPL-3.0-or-later
// Messages of a command go to stderr, below a finished progress bar; questions are not asked (answered No).
#pragma once

#include <ostream>

#include "base/seams.h"
#include "cli/terminal_progress.h"

namespace salvora::cli {

class StderrPrompter : public Prompter {
public:
    StderrPrompter(std::ostream& err, TerminalProgress& progress) : m_err(err), m_progress(progress) {}
    void inform(const std::string& text) override {
        m_progress.finish();
        m_err << text << "\n";
    }
    bool askYesNo(const std::string& text) override {
        inform(text);
        return false;
    }

protected:
    std::ostream& m_err;
    TerminalProgress& m_progress;
};

} // namespace salvora::cli
