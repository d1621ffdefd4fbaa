// SPDX-License-Identifier: GPL-3.0-or-later
// salvora-screenshots OUTDIR DISK_IMAGE [VOLUME_IMAGE]: draws the main window, a mode window's first page
// with the disk selected, and the no-device dialog into OUTDIR as PNG files, offscreen. Used by
// tools/make-screenshots for the README.
#include <QApplication>
#include <QTimer>
#include <iostream>

#include "app/attached_media.h"
#include "gui/look.h"
#include "gui/mode_window.h"
#include "gui/orvane_dlg.h"
#include "gui/tree_class.h"
#include "storage/volume_space.h"

using namespace salvora;

namespace {

// Answers every question with Yes, so the exit question ends the run.
struct YesPrompter : Prompter {
    void inform(const std::string& text) override { std::cerr << text << "\n"; }
    bool askYesNo(const std::string&) override { return true; }
};

bool save(QWidget* widget, const QString& path) {
    const bool saved = widget->grab().save(path);
    std::cout << (saved ? "wrote " : "could not write ") << path.toStdString() << "\n";
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3) {
        std::cerr << "usage: salvora-screenshots OUTDIR DISK_IMAGE [VOLUME_IMAGE]\n";
        return 2;
    }
    gui::applyLook(app);
    const QString out = QString::fromLocal8Bit(argv[1]);
    std::vector<std::string> volumes;
    if (argc > 3)
        volumes.emplace_back(argv[3]);
    auto sources = attachImages({argv[2]}, volumes);
    if (!sources) {
        std::cerr << sources.error().message << "\n";
        return 1;
    }
    Session session;
    session.sources = std::move(*sources);
    session.sources.computerName = ComputerName();
    YesPrompter prompter;
    gui::COrvaneDlg dialog(session, prompter);
    dialog.initialise("");
    dialog.show();
    bool ok = true;

    QObject::connect(&dialog, &gui::COrvaneDlg::modeWindowOpened, &dialog, [&](gui::ModeWindow* window) {
        QTimer::singleShot(100, window, [&, window] {
            const DriveTree& tree = window->page().tree();
            const auto& disks = tree.node(window->page().roots().physical).children;
            if (!disks.empty())
                window->driveTree()->setCurrentItem(window->itemOf(disks.front()));
            ok &= save(window, out + "/mode-window.png");
            window->reject();
        });
    });
    QTimer::singleShot(300, &dialog, [&] {
        ok &= save(&dialog, out + "/main-window.png");
        gui::CNoDevice& noDevice = dialog.noDeviceWindow();
        noDevice.show();
        QTimer::singleShot(100, &dialog, [&] {
            ok &= save(&noDevice, out + "/no-device.png");
            noDevice.hide();
            dialog.goMode(SearchMode::Basic);
            QTimer::singleShot(500, &dialog, [&] { dialog.requestExit(); });
        });
    });
    dialog.exec();
    return ok ? 0 : 1;
}
