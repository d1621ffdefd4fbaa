// SPDX-License-Identifier: GPL-3.0-or-later
// A prompter that keeps every message and question it is given, in order, and answers every question No.
#pragma once

#include <string>
#include <vector>

#include "base/seams.h"

namespace salvora::test {

class RecordingPrompter final : public Prompter {
public:
    void inform(const std::string& text) override { messages.push_back(text); }
    bool askYesNo(const std::string& text) override {
        messages.push_back(text);
        return false;
    }
    std::vector<std::string> messages;
};

} // namespace salvora::test
