// SPDX-License-Identifier: GPL-3.0-or-later
// The progress seam for a worker thread: every call becomes a queued signal, so widgets are only touched
// on the user-interface thread.
#pragma once

#include <QObject>
#include <QString>

#include "base/seams.h"

class QProgressBar;
class QLabel;

namespace salvora::gui {

class QtProgress : public QObject, public ProgressSink {
    Q_OBJECT
public:
    explicit QtProgress(QObject* parent = nullptr) : QObject(parent) {}

    void setRange(std::uint64_t first, std::uint64_t last) override { emit rangeChanged(first, last); }
    void setPosition(std::uint64_t position) override { emit positionChanged(position); }
    void setStatus(const std::string& text) override { emit statusChanged(QString::fromStdString(text)); }

    // Shows the progress on a bar (as per mille of the range, so 64-bit sector numbers fit) and the status
    // on a label (either may be null), through queued connections.
    void showOn(QProgressBar* bar, QLabel* status);

signals:
    void rangeChanged(quint64 first, quint64 last);
    void positionChanged(quint64 position);
    void statusChanged(const QString& text);

private:
    quint64 m_first = 0;
    quint64 m_last = 0;
};

} // namespace salvora::gui
