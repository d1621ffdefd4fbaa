// SPDX-License-Identifier: GPL-3.0-or-later
// quillwort-salvora: the desktop program.
#include <QApplication>

#include "carving/data_files.h"
#include "gui/orvane_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    salvora::gui::StartupSteps steps;
    steps.checkSignatureFiles = [] { return salvora::CheckSignatureFiles(salvora::executableDirectory()); };
    salvora::gui::COrvaneApp program(app, std::move(steps));
    return program.run(args);
}
