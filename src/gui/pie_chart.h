// SPDX-License-Identifier: GPL-3.0-or-later
// A small pie chart with a legend, for the result pages (for example found files by type).
#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>

namespace salvora::gui {

class CPieChartWnd : public QWidget {
    Q_OBJECT
public:
    struct Slice {
        QString label;
        double value = 0;
    };
    explicit CPieChartWnd(QWidget* parent = nullptr);
    // Slices with a value of zero or less are left out.
    void setSlices(const QList<Slice>& slices);
    const QList<Slice>& slices() const { return m_slices; }
    QSize sizeHint() const override { return {280, 160}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Slice> m_slices;
};

} // namespace salvora::gui
