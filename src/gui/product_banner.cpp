// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/product_banner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/main_window_logic.h"
#include "gui/look.h"

namespace salvora::gui {

ProductBanner::ProductBanner(const QString& caption, QWidget* parent)
    : QWidget(parent),
      m_text(caption.isEmpty() ? QString(kProductName) : QString(kProductName) + " - " + caption) {
    setFixedHeight(76);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ProductBanner::setSubtitle(const QString& subtitle) {
    m_subtitle = subtitle;
    update();
}

void ProductBanner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient band(0, 0, width(), height());
    band.setColorAt(0, QColor("#143d6b"));
    band.setColorAt(1, QColor("#1f7a8c"));
    p.fillRect(rect(), band);

    // A leaf mark: the product's sign, drawn rather than loaded so the banner needs no files.
    QPainterPath leaf;
    const QPointF c(38, height() / 2.0);
    leaf.moveTo(c.x() - 14, c.y() + 14);
    leaf.cubicTo(c.x() - 16, c.y() - 8, c.x() + 2, c.y() - 18, c.x() + 16, c.y() - 16);
    leaf.cubicTo(c.x() + 16, c.y() + 2, c.x() + 4, c.y() + 16, c.x() - 14, c.y() + 14);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#9be7c4"));
    p.drawPath(leaf);
    p.setPen(QPen(QColor("#143d6b"), 2));
    p.drawLine(QPointF(c.x() - 12, c.y() + 12), QPointF(c.x() + 12, c.y() - 12));

    QFont font = productFont(ProductFont::Banner);
    font.setPixelSize(30);
    p.setFont(font);
    const QRectF textRect(70, m_subtitle.isEmpty() ? 0 : -8, width() - 80, height());
    // The glow: the text drawn around its place in a translucent light colour, then on top.
    p.setPen(QColor(180, 235, 255, 14));
    for (int dx = -3; dx <= 3; ++dx)
        for (int dy = -3; dy <= 3; ++dy)
            if (dx * dx + dy * dy <= 9)
                p.drawText(textRect.translated(dx, dy), Qt::AlignVCenter | Qt::AlignLeft, m_text);
    p.setPen(Qt::white);
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, m_text);
    if (!m_subtitle.isEmpty()) {
        QFont small = productFont(ProductFont::Caption);
        p.setFont(small);
        p.setPen(QColor("#d8ecf3"));
        p.drawText(QRectF(72, height() - 26, width() - 80, 20), Qt::AlignLeft | Qt::AlignVCenter, m_subtitle);
    }
}

} // namespace salvora::gui
