// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/orvane_app.h"

#include <QApplication>
#include <iostream>
#include <memory>

#include "app/attached_media.h"
#include "gui/look.h"
#include "gui/orvane_dlg.h"
#include "gui/qt_prompter.h"
#include "gui/wait_windows.h"
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
        // Said on the terminal and in a box: the program may have been started from a desktop entry.
        std::cerr << "quillwort-salvora: " << sources.error().message << "\n";
        QtPrompter().inform(sources.error().message);
        return 2;
    }
    session.sources = std::move(*sources);
    if (!arguments.noDevices)
        session.sources.system = SystemPaths{};
    session.sources.computerName = ComputerName();

    QtPrompter prompter;
    // The splash stays up while the log named on the command line is opened; it closes itself once the
    // main window has taken the argument over and forgotten it.
    const COrvaneDlg* mainWindow = nullptr;
    std::unique_ptr<SplashWindow> splash;
    if (!arguments.logArgument.empty()) {
        splash = std::make_unique<SplashWindow>(
            [&mainWindow] { return mainWindow && mainWindow->state().commandLineArgument.empty(); });
        splash->show();
    }
    if (m_steps.checkSignatureFiles) {
        const std::string fatal = m_steps.checkSignatureFiles();
        if (!fatal.empty()) {
            prompter.informFatal(fatal);
            return 0;
        }
    }

    COrvaneDlg dialog(session, prompter);
    mainWindow = &dialog;
    prompter.setOwner(&dialog);
    if (!dialog.initialise(arguments.logArgument, splash.get()))
        return 0;
    dialog.exec();
    return 0;
}

} // namespace salvora::gui
