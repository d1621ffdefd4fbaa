// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/orvane_app.h"

#include <QApplication>
#include <iostream>

#include "app/attached_media.h"
#include "gui/look.h"
#include "gui/orvane_dlg.h"
#include "gui/qt_prompter.h"
#include "storage/volume_space.h"

namespace salvora::gui {

int COrvaneApp::run(const std::vector<std::string>& args) {
    const DesktopArguments arguments = parseDesktopArguments(args);
    if (arguments.help) {
        std::cout << desktopUsage();
        return 0;
    }
    if (!arguments.error.empty()) {
        std::cerr << "quillwort-salvora: " << arguments.error << "\n" << desktopUsage();
        return 2;
    }
    applyLook(m_app);
    QApplication::setApplicationName(kProductName);
    QApplication::setOrganizationName("Local AppWizard-Generated Applications");
    if (m_steps.registerAssociation)
        m_steps.registerAssociation();

    Session session;
    auto sources = attachImages(arguments.diskImages, arguments.volumeImages);
    if (!sources) {
        std::cerr << "quillwort-salvora: " << sources.error().message << "\n";
        return 2;
    }
    session.sources = std::move(*sources);
    if (!arguments.noDevices)
        session.sources.system = SystemPaths{};
    session.sources.computerName = ComputerName();

    QtPrompter prompter;
    if (m_steps.checkSignatureFiles) {
        const std::string fatal = m_steps.checkSignatureFiles();
        if (!fatal.empty()) {
            prompter.informFatal(fatal);
            return 0;
        }
    }

    COrvaneDlg dialog(session, prompter);
    prompter.setOwner(&dialog);
    if (!dialog.initialise(arguments.logArgument))
        return 0;
    dialog.exec();
    return 0;
}

} // namespace salvora::gui
