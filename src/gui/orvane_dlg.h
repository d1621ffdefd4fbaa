// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the choice of recovery mode. A Go button empties the shared tables, shows the "please
// wait" window and opens the mode's window modally with the main window hidden; when that window closes
// the main window comes back. Closing asks first; Escape never closes it.
#pragma once

#include <QDialog>
#include <QMap>
#include <functional>

#include "app/main_window_logic.h"
#include "gui/device_dialogs.h"
#include "gui/file_icons.h"

class QPushButton;
class QLabel;

namespace salvora::gui {

class ModeWindow;
class PleaseWaitWindow;
class SplashWindow;

class COrvaneDlg : public QDialog {
    Q_OBJECT
public:
    COrvaneDlg(Session& session, Prompter& prompter, QWidget* parent = nullptr);
    ~COrvaneDlg() override;

    // Start-up with the command-line argument (already trimmed and unquoted). False when the process must
    // end at once with code 0: the log named there cannot be opened. A splash window shown earlier by the
    // start-up is handed over; without one, one is shown here when there is an argument.
    bool initialise(const std::string& commandLineArgument, SplashWindow* splash = nullptr);

    MainWindowState& state() { return m_state; }
    const MainWindowState& state() const { return m_state; }
    QPushButton* goButton(SearchMode mode) const { return m_goButtons.value(static_cast<int>(mode)); }
    QPushButton* exitButton() const { return m_exit; }
    CNoDevice& noDeviceWindow() { return *m_noDevice; }
    PleaseWaitWindow* pleaseWaitWindow() const { return m_pleaseWait; }
    SplashWindow* splashWindow() const { return m_splash; }
    SystemIcons& systemIcons() { return m_icons; }
    int modeWindowsOpened() const { return m_modeWindowsOpened; }
    // The folder the exit clean-up empties of temporary copies (our private temporary folder by default).
    void setTemporaryFolder(const std::string& folder) { m_temporaryFolder = folder; }

public slots:
    void goMode(SearchMode mode);
    // The close box and "Exit": asks, and on Yes cleans up and ends the dialog.
    void requestExit();
    void reject() override { requestExit(); }

signals:
    // A mode window is open (emitted after it listed its drives); tests and tools drive it from here.
    void modeWindowOpened(ModeWindow* window);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void runModeWindow(SearchMode mode);
    void showAbout();
    void showHelp();

    Session& m_session;
    Prompter& m_prompter;
    MainWindowState m_state;
    SystemIcons m_icons;
    CSystemImageList m_imageList{m_icons};
    CNoDevice* m_noDevice;
    QtDeviceDialogs m_deviceDialogs;
    PleaseWaitWindow* m_pleaseWait;
    SplashWindow* m_splash = nullptr;
    QMap<int, QPushButton*> m_goButtons;
    QPushButton* m_exit = nullptr;
    std::string m_temporaryFolder;
    int m_modeWindowsOpened = 0;
    bool m_exiting = false;
};

} // namespace salvora::gui
