// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/range_slider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace salvora::gui {
namespace {
constexpr int kArrowWidth = 12;
}

CRangeSlider::CRangeSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::ArrowCursor);
    setMinimumHeight(20);
    m_model.setGeometry(kArrowWidth, width());
}

void CRangeSlider::report(const std::vector<RangeChange>& changes) {
    for (RangeChange change : changes)
        emit rangeChanged(static_cast<int>(change));
    update();
}

void CRangeSlider::report(std::optional<RangeChange> change) {
    if (change)
        emit rangeChanged(static_cast<int>(*change));
    update();
}

void CRangeSlider::setMinMax(double min, double max) {
    report(m_model.setMinMax(min, max));
}
void CRangeSlider::setRange(double left, double right) {
    report(m_model.setRange(left, right));
}
void CRangeSlider::setLeft(double value) {
    report(m_model.setLeft(value));
}
void CRangeSlider::setRight(double value) {
    report(m_model.setRight(value));
}

void CRangeSlider::resizeEvent(QResizeEvent*) {
    m_model.setGeometry(kArrowWidth, width());
}

void CRangeSlider::mousePressEvent(QMouseEvent* event) {
    setFocus();
    if (m_model.press(static_cast<int>(event->position().x())) != RangeSliderModel::Drag::None)
        grabMouse();
    update();
}

void CRangeSlider::mouseMoveEvent(QMouseEvent* event) {
    if (m_model.drag() != RangeSliderModel::Drag::None)
        report(m_model.move(static_cast<int>(event->position().x())));
}

void CRangeSlider::mouseReleaseEvent(QMouseEvent*) {
    if (m_model.drag() != RangeSliderModel::Drag::None)
        releaseMouse();
    m_model.release();
    update();
}

void CRangeSlider::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Right)
        report(m_model.key(RangeSliderModel::Key::Right, shift, ctrl));
    else if (event->key() == Qt::Key_Left)
        report(m_model.key(RangeSliderModel::Key::Left, shift, ctrl));
    else
        QWidget::keyPressEvent(event);
}

void CRangeSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect().adjusted(0, 3, 0, -3);
    const double w = m_model.arrowWidth();
    const double leftX = m_model.leftHandleX();
    const double rightX = m_model.rightHandleX();

    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#e3e9f0"));
    p.drawRoundedRect(QRectF(w / 2, area.center().y() - 3, width() - w, 6), 3, 3);
    p.setBrush(hasFocus() ? QColor("#2f6db5") : QColor("#5b8cc7"));
    p.drawRect(QRectF(leftX + w, area.center().y() - 4, rightX - leftX - w, 8));

    auto handle = [&](double x, bool pointsRight) {
        QPainterPath path;
        const double top = area.top();
        const double bottom = area.bottom();
        if (pointsRight) {
            path.moveTo(x, top);
            path.lineTo(x + w, area.center().y());
            path.lineTo(x, bottom);
        } else {
            path.moveTo(x + w, top);
            path.lineTo(x, area.center().y());
            path.lineTo(x + w, bottom);
        }
        path.closeSubpath();
        p.setPen(QPen(QColor("#1d4f8a"), 1));
        p.setBrush(QColor("#ffffff"));
        p.drawPath(path);
    };
    handle(leftX, true);
    handle(rightX, false);
}

} // namespace salvora::gui
