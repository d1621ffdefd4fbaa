// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/qt_progress.h"

#include <QLabel>
#include <QProgressBar>

namespace salvora::gui {

void QtProgress::showOn(QProgressBar* bar, QLabel* status) {
    if (bar) {
        bar->setRange(0, 1000);
        bar->setValue(0);
        connect(
            this, &QtProgress::rangeChanged, bar,
            [this, bar](quint64 first, quint64 last) {
                m_first = first;
                m_last = last;
                bar->setValue(0);
            },
            Qt::QueuedConnection);
        connect(
            this, &QtProgress::positionChanged, bar,
            [this, bar](quint64 position) {
                const quint64 span = m_last > m_first ? m_last - m_first : 0;
                const quint64 done = position > m_first ? position - m_first : 0;
                bar->setValue(span == 0 ? 0
                                        : static_cast<int>(static_cast<double>(std::min(done, span)) /
                                                           static_cast<double>(span) * 1000));
            },
            Qt::QueuedConnection);
    }
    if (status)
        connect(this, &QtProgress::statusChanged, status, &QLabel::setText, Qt::QueuedConnection);
}

} // namespace salvora::gui
