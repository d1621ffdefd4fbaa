// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/wait_windows.h"

#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

#include "app/main_window_logic.h"
#include "gui/look.h"
#include "gui/product_banner.h"

namespace salvora::gui {

PleaseWaitWindow::PleaseWaitWindow(QWidget* parent) : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName("PleaseWait");
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet("#PleaseWait { background: white; border: 1px solid #9fb3c8; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    auto* text = new QLabel(kPleaseWaitText, this);
    text->setFont(productFont(ProductFont::Caption));
    layout->addWidget(text);
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setTextVisible(false);
    layout->addWidget(m_bar);
    setFixedSize(380, 90);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_bar->setValue(++m_counter % 101); });
}

void PleaseWaitWindow::start(QWidget* owner) {
    m_counter = 0;
    m_bar->setValue(0);
    if (owner)
        move(owner->geometry().center() - rect().center());
    show();
    raise();
    m_timer.start(kPleaseWaitTimerMs);
}

void PleaseWaitWindow::stop() {
    m_timer.stop();
    hide();
}

int PleaseWaitWindow::value() const {
    return m_bar->value();
}

SplashWindow::SplashWindow(std::function<bool()> closeWhen, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_closeWhen(std::move(closeWhen)) {
    setWindowTitle(kProductName);
    setObjectName("Splash");
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet("#Splash { background: white; border: 1px solid #9fb3c8; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 16);
    auto* banner = new ProductBanner({}, this);
    banner->setSubtitle(QString("Version ") + QString::fromLatin1(SALVORA_VERSION));
    layout->addWidget(banner);
    auto* text = new QLabel(kSplashText, this);
    text->setFont(productFont(ProductFont::GroupCaption));
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    setFixedSize(480, 220);
    if (QScreen* where = screen())
        move(where->geometry().center() - rect().center());
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_closeWhen && m_closeWhen()) {
            m_timer.stop();
            close();
        }
    });
    m_timer.start(kSplashTimerMs);
}

} // namespace salvora::gui
