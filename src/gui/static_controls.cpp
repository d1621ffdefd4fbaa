// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/static_controls.h"

#include <QMouseEvent>

#include "gui/look.h"

namespace salvora::gui {

CColorStatic::CColorStatic(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setColors(QColor("#1f2d3d"), Qt::white);
}

void CColorStatic::setColors(const QColor& text, const QColor& background) {
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, text);
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
}

CMy_Link_Static::CMy_Link_Static(const QString& text, std::function<void()> action, QWidget* parent)
    : QLabel(text, parent), m_action(std::move(action)) {
    setFont(productFont(ProductFont::Link));
    setCursor(Qt::PointingHandCursor);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor("#1a5fb4"));
    setPalette(pal);
}

void CMy_Link_Static::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
        if (m_action)
            m_action();
    }
    QLabel::mouseReleaseEvent(event);
}

CMyBtn::CMyBtn(const QIcon& icon, const QString& caption, QWidget* parent)
    : QPushButton(icon, caption, parent) {
    setIconSize({16, 16});
}

} // namespace salvora::gui
