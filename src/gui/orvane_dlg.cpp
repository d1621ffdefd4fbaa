// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/orvane_dlg.h"

#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "app/startup_log.h"
#include "gui/look.h"
#include "gui/mode_window.h"
#include "gui/product_banner.h"
#include "gui/static_controls.h"
#include "gui/wait_windows.h"

namespace salvora::gui {
namespace {

QIcon modeIcon(SearchMode mode) {
    switch (mode) {
    case SearchMode::Basic:
        return QIcon::fromTheme("system-search");
    case SearchMode::Deep:
        return QIcon::fromTheme("edit-find");
    case SearchMode::Photo:
        return QIcon::fromTheme("image-x-generic");
    case SearchMode::Video:
        return QIcon::fromTheme("video-x-generic");
    case SearchMode::Signature:
        return QIcon::fromTheme("text-x-generic");
    }
    return {};
}

} // namespace

COrvaneDlg::COrvaneDlg(Session& session, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_session(session), m_prompter(prompter), m_noDevice(new CNoDevice(this)),
      m_deviceDialogs(*m_noDevice, this), m_pleaseWait(new PleaseWaitWindow(this)),
      m_temporaryFolder(privateTemporaryFolder()) {
    setWindowTitle(kProductName);
    setObjectName("COrvaneDlg");
    setWindowFlag(Qt::WindowMinimizeButtonHint);
    buildLayout();
}

COrvaneDlg::~COrvaneDlg() = default;

void COrvaneDlg::buildLayout() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 14);
    layout->setSpacing(8);
    auto* banner = new ProductBanner({}, this);
    banner->setSubtitle("Recover lost photos, videos and files from memory cards and USB drives");
    layout->addWidget(banner);

    auto* intro = new QLabel("Choose how to look for your lost files:", this);
    intro->setFont(productFont(ProductFont::Heading14));
    intro->setContentsMargins(22, 6, 22, 0);
    layout->addWidget(intro);

    // The group captions of the mode list are kept but not shown.
    for (const char* caption : {"Standard Recovery Searches", "File Specific Searches"}) {
        auto* group = new QLabel(caption, this);
        group->setFont(productFont(ProductFont::GroupCaption));
        group->hide();
    }

    auto* grid = new QGridLayout;
    grid->setContentsMargins(22, 0, 22, 0);
    grid->setHorizontalSpacing(16);
    grid->setVerticalSpacing(6);
    int row = 0;
    for (const ModeEntry& entry : kModeEntries) {
        auto* go = new CMyBtn(modeIcon(entry.mode), "Go", this);
        go->setObjectName(QString("go%1").arg(entry.goButtonId));
        go->setToolTip(entry.tooltip);
        go->setMinimumWidth(80);
        auto* label = new QLabel(entry.label, this);
        label->setFont(productFont(ProductFont::ModeLabel));
        label->setStyleSheet("color: #143d6b;");
        auto* description = new QLabel(entry.description, this);
        description->setWordWrap(true);
        description->setStyleSheet("color: #3d4b5a;");
        m_goButtons.insert(static_cast<int>(entry.mode), go);
        const SearchMode mode = entry.mode;
        connect(go, &QPushButton::clicked, this, [this, mode] { goMode(mode); });
        if (entry.hidden) {
            go->hide();
            label->hide();
            description->hide();
            continue;
        }
        if (row > 0) {
            auto* line = new QFrame(this);
            line->setFrameShape(QFrame::HLine);
            line->setStyleSheet("color: #e1e7ee;");
            grid->addWidget(line, row++, 0, 1, 3);
        }
        grid->addWidget(label, row, 0, Qt::AlignLeft | Qt::AlignVCenter);
        grid->addWidget(description, row, 1);
        grid->addWidget(go, row, 2, Qt::AlignVCenter);
        ++row;
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(0, 190);
    layout->addLayout(grid);
    layout->addStretch();
    auto* promise =
        new QLabel("Your card or drive is only read, never written to: nothing on it can be lost by "
                   "trying.",
                   this);
    promise->setContentsMargins(22, 0, 22, 0);
    promise->setStyleSheet("color: #2e7d4f;");
    layout->addWidget(promise);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(22, 0, 22, 0);
    auto* about = new CMyBtn(QIcon::fromTheme("help-about"), "About Us", this);
    auto* help = new CMyBtn(QIcon::fromTheme("help-browser"), "Need Help", this);
    m_exit = new CMyBtn(QIcon::fromTheme("application-exit"), "Exit", this);
    buttons->addWidget(about);
    buttons->addWidget(help);
    buttons->addStretch();
    buttons->addWidget(m_exit);
    layout->addLayout(buttons);
    connect(about, &QPushButton::clicked, this, &COrvaneDlg::showAbout);
    connect(help, &QPushButton::clicked, this, &COrvaneDlg::showHelp);
    connect(m_exit, &QPushButton::clicked, this, &COrvaneDlg::requestExit);
    resize(850, 440);
}

bool COrvaneDlg::initialise(const std::string& commandLineArgument, SplashWindow* splash) {
    m_state.SearchMode = 0;
    m_state.commandLineArgument = commandLineArgument;
    m_splash = splash;
    if (!commandLineArgument.empty() && !m_splash) {
        m_splash = new SplashWindow([this] { return m_state.commandLineArgument.empty(); }, this);
        m_splash->show();
    }
    if (commandLineArgument.empty())
        return true;
    const StartupLogAction action = classifyStartupLog(commandLineArgument);
    switch (action) {
    case StartupLogAction::ExitSilently:
        return false;
    case StartupLogAction::InvalidLog:
        m_splash->hide();
        m_prompter.inform(kLogInvalidMessage);
        m_state.commandLineArgument.clear();
        break;
    case StartupLogAction::OpenBasic:
    case StartupLogAction::OpenDeep: {
        // The window of the log's mode opens; it loads the log named in the command-line argument.
        const SearchMode mode = action == StartupLogAction::OpenBasic ? SearchMode::Basic : SearchMode::Deep;
        m_state.SearchMode = static_cast<int>(mode);
        m_state.modeWindowOpen = true;
        QTimer::singleShot(0, this, [this, mode] { runModeWindow(mode); });
        break;
    }
    }
    return true;
}

void COrvaneDlg::goMode(SearchMode mode) {
    if (!requestModeLaunch(m_state, m_session, mode))
        return;
    m_pleaseWait->start(this);
    QTimer::singleShot(0, this, [this, mode] { runModeWindow(mode); });
}

void COrvaneDlg::runModeWindow(SearchMode mode) {
    // The mode window is modal, which keeps the main window from input. Disabling the main window would
    // disable the windows it owns too (the no-device dialog among them).
    ModeWindow window(m_session, mode, m_prompter, m_deviceDialogs, this);
    connect(&window, &ModeWindow::ready, this, [this, &window] {
        hide();
        if (m_state.commandLineArgument.empty())
            m_pleaseWait->stop();
        // The window of a log named on the command line is up: the splash must not cover it.
        if (m_splash)
            m_splash->hide();
        ++m_modeWindowsOpened;
        emit modeWindowOpened(&window);
    });
    window.exec();
    m_pleaseWait->stop();
    if (m_splash)
        m_splash->hide();
    modeWindowClosed(m_state);
    show();
    setEnabled(!m_state.basicLogLoading && !m_state.deepLogLoading);
    raise();
    activateWindow();
}

void COrvaneDlg::requestExit() {
    if (m_exiting)
        return;
    showNormal();
    if (!m_prompter.askYesNo(kExitQuestion))
        return;
    m_exiting = true;
    m_noDevice->hide();
    removeTemporaryCopies(m_temporaryFolder);
    done(QDialog::Accepted);
}

void COrvaneDlg::keyPressEvent(QKeyEvent* event) {
    // Escape never closes the main window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void COrvaneDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
    requestExit();
}

void COrvaneDlg::showAbout() {
    m_prompter.inform(std::string(kProductName) + " " + SALVORA_VERSION +
                      "\n\nRecovers deleted and lost files from memory cards and USB storage. The card or "
                      "drive is only ever read, never written.\n\nFree software under the GNU General "
                      "Public License, version 3 or later.");
}

void COrvaneDlg::showHelp() {
    m_prompter.inform("1. Connect the memory card or USB drive (or attach an image file of it).\n"
                      "2. Choose a recovery mode and press Go.\n"
                      "3. Select the card, partition or drive in the tree and follow the steps.\n"
                      "4. Save what was found to a different drive, never to the card itself.");
}

} // namespace salvora::gui
