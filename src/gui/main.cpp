// SPDX-License-Identifier: GPL-3.0-or-later
// quillwort-salvora: the desktop program.
#include <QApplication>

#include "carving/data_files.h"
#include "gui/orvane_app.h"
#include "gui/qt_prompter.h"
#include "recoverylog/log_association.h"

namespace {

// The association's complaints are boxes titled with the program's name, as the start-up's others are.
class StartupPrompter final : public salvora::Prompter {
public:
    void inform(const std::string& text) override { m_boxes.informFatal(text); }
    bool askYesNo(const std::string& text) override { return m_boxes.askYesNo(text); }

private:
    salvora::gui::QtPrompter m_boxes;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    salvora::gui::StartupSteps steps;
    steps.registerAssociation = [] {
        StartupPrompter prompter;
        salvora::RegisterLogAssociation({salvora::runningExecutable(), salvora::userDataHome()}, prompter);
    };
    steps.checkSignatureFiles = [] { return salvora::CheckSignatureFiles(salvora::executableDirectory()); };
    salvora::gui::COrvaneApp program(app, std::move(steps));
    return program.run(args);
}
