// SPDX-License-Identifier: GPL-3.0-or-later
// quillwort-salvora: the desktop program.
#include <QApplication>

#include "gui/orvane_app.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    salvora::gui::COrvaneApp program(app);
    return program.run(args);
}
