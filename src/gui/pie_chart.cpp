// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/pie_chart.h"

#include <QPainter>

namespace salvora::gui {
namespace {
const QColor kColors[] = {QColor("#2f6db5"), QColor("#1f9e89"), QColor("#f0a202"),
                          QColor("#d1495b"), QColor("#6c4f9c"), QColor("#7f8c8d")};
}

CPieChartWnd::CPieChartWnd(QWidget* parent) : QWidget(parent) {}

void CPieChartWnd::setSlices(const QList<Slice>& slices) {
    m_slices.clear();
    for (const Slice& slice : slices)
        if (slice.value > 0)
            m_slices.append(slice);
    update();
}

void CPieChartWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    double total = 0;
    for (const Slice& slice : m_slices)
        total += slice.value;
    const int side = std::max(0, std::min(width() / 2, height()) - 8);
    const QRectF pie(4, (height() - side) / 2.0, side, side);
    if (total <= 0) {
        p.setPen(QColor("#c4d0dc"));
        p.setBrush(QColor("#f3f6f9"));
        p.drawEllipse(pie);
        return;
    }
    int start = 90 * 16;
    const int count = static_cast<int>(m_slices.size());
    for (int i = 0; i < count; ++i) {
        const int span = i + 1 == count ? 90 * 16 + 360 * 16 - start
                                        : static_cast<int>(m_slices[i].value / total * 360 * 16);
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(kColors[i % std::size(kColors)]);
        p.drawPie(pie, start, span);
        start += span;
        const QRectF swatch(pie.right() + 14, 8 + i * 20, 12, 12);
        p.setPen(Qt::NoPen);
        p.drawRect(swatch);
        p.setPen(QColor("#1f2d3d"));
        p.drawText(QPointF(swatch.right() + 6, swatch.bottom()),
                   QString("%1 (%2)").arg(m_slices[i].label).arg(m_slices[i].value));
    }
}

} // namespace salvora::gui
