// SPDX-License-Identifier: GPL-3.0-or-later
// The two-handled sector-range slider. Mouse and keyboard are forwarded to RangeSliderModel, which holds
// every rule; this widget paints and reports changes with rangeChanged (0 left, 1 right, 2 both).
#pragma once

#include <QWidget>

#include "app/range_slider_model.h"

namespace salvora::gui {

class CRangeSlider : public QWidget {
    Q_OBJECT
public:
    explicit CRangeSlider(QWidget* parent = nullptr);

    const RangeSliderModel& model() const { return m_model; }
    void setMinMax(double min, double max);
    void setRange(double left, double right);
    void setLeft(double value);
    void setRight(double value);

    QSize sizeHint() const override { return {300, 22}; }

signals:
    void rangeChanged(int what);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void report(const std::vector<RangeChange>& changes);
    void report(std::optional<RangeChange> change);

    RangeSliderModel m_model;
};

} // namespace salvora::gui
