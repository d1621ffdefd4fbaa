// SPDX-License-Identifier: GPL-3.0-or-later
// The short-lived windows of start-up and mode launch: the "please wait" window with its progress bar,
// and the splash window shown while a log named on the command line is opened.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

class QProgressBar;

namespace salvora::gui {

class PleaseWaitWindow : public QWidget {
    Q_OBJECT
public:
    explicit PleaseWaitWindow(QWidget* parent = nullptr);
    // Centres on the owner, shows, and starts the 80 ms timer that advances the bar.
    void start(QWidget* owner);
    void stop();
    bool running() const { return m_timer.isActive(); }
    int value() const;

private:
    QProgressBar* m_bar;
    QTimer m_timer;
    int m_counter = 0;
};

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    // closeWhen is asked every 2000 ms; the window closes itself when it answers true.
    explicit SplashWindow(std::function<bool()> closeWhen, QWidget* parent = nullptr);

private:
    QTimer m_timer;
    std::function<bool()> m_closeWhen;
};

} // namespace salvora::gui
