// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's start-up, in its fixed order: the look (fonts, icons), the log file
// association, the command-line argument, the splash window, the check of the signature data files, and
// the main window run modally; when it closes the program ends.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/desktop_arguments.h"
#include "app/session.h"

class QApplication;

namespace salvora::gui {

struct StartupSteps {
    // Registers the recovery-log file association; nothing when unset.
    std::function<void()> registerAssociation;
    // Checks the signature data files: the fatal message, or empty when all can be read.
    std::function<std::string()> checkSignatureFiles;
};

class COrvaneApp {
public:
    COrvaneApp(QApplication& app, StartupSteps steps = {}) : m_app(app), m_steps(std::move(steps)) {}
    // Runs the program with the arguments after its name; returns the process's exit code.
    int run(const std::vector<std::string>& args);

private:
    QApplication& m_app;
    StartupSteps m_steps;
};

} // namespace salvora::gui
