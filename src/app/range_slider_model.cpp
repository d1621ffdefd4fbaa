// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/range_slider_model.h"

#include <algorithm>
#include <cmath>

namespace salvora {

void RangeSliderModel::setGeometry(int arrowWidth, int clientWidth) {
    m_arrowWidth = std::max(arrowWidth, 1);
    m_usableWidth = std::max(clientWidth - 2 * m_arrowWidth, 0);
}

std::vector<RangeChange> RangeSliderModel::normalise() {
    std::vector<RangeChange> moved;
    const double left = m_left;
    const double right = m_right;
    if (m_left < m_min)
        m_left = m_min;
    if (m_right < m_left)
        m_right = m_left;
    if (m_right > m_max)
        m_right = m_max;
    if (m_left > m_right)
        m_left = m_right;
    if (m_left != left)
        moved.push_back(RangeChange::Left);
    if (m_right != right)
        moved.push_back(RangeChange::Right);
    return moved;
}

std::vector<RangeChange> RangeSliderModel::setMin(double value) {
    m_min = value;
    return normalise();
}

std::vector<RangeChange> RangeSliderModel::setMax(double value) {
    m_max = value;
    return normalise();
}

std::vector<RangeChange> RangeSliderModel::setLeft(double value) {
    m_left = value;
    return normalise();
}

std::vector<RangeChange> RangeSliderModel::setRight(double value) {
    m_right = value;
    return normalise();
}

std::vector<RangeChange> RangeSliderModel::setMinMax(double min, double max) {
    m_min = min;
    m_max = max;
    return normalise();
}

std::vector<RangeChange> RangeSliderModel::setRange(double left, double right) {
    m_left = left;
    m_right = right;
    return normalise();
}

double RangeSliderModel::pixelOf(double value) const {
    if (scale() <= 0)
        return 0;
    return (value - m_min) / scale() * m_usableWidth;
}

double RangeSliderModel::leftHandleX() const {
    return pixelOf(m_left);
}

double RangeSliderModel::rightHandleX() const {
    return pixelOf(m_right) + m_arrowWidth;
}

RangeSliderModel::Drag RangeSliderModel::press(int x) {
    const double w = m_arrowWidth;
    const double leftX = leftHandleX();
    const double rightX = rightHandleX();
    m_drag = Drag::None;
    if (x >= leftX && x < leftX + w) {
        m_drag = Drag::LeftHandle;
        m_grabOffset = x - (leftX + w / 2);
    } else if (x >= rightX && x < rightX + w) {
        m_drag = Drag::RightHandle;
        m_grabOffset = x - (rightX + w / 2);
    } else if (x >= leftX + w && x < rightX) {
        m_drag = Drag::MiddleBar;
        m_grabOffset = x - (leftX + w + rightX) / 2;
    }
    return m_drag;
}

std::optional<RangeChange> RangeSliderModel::move(int mouseX) {
    if (m_drag == Drag::None || m_usableWidth <= 0)
        return std::nullopt;
    const double x = mouseX - m_grabOffset;
    const double w = m_arrowWidth;
    const double u = m_usableWidth;
    switch (m_drag) {
    case Drag::LeftHandle:
        m_left = m_min + (x - w / 2) / u * scale();
        m_left = std::max(std::min(m_left, m_right), m_min);
        return RangeChange::Left;
    case Drag::RightHandle: {
        const double before = m_right;
        m_right = m_min + (x - 3 * w / 2) / u * scale();
        m_right = std::min(std::max(m_right, m_left), m_max);
        return m_right != before ? RangeChange::Right : RangeChange::Left;
    }
    case Drag::MiddleBar: {
        const double span = m_right - m_left;
        const double centre = m_min + (x - w) / u * scale();
        m_left = centre - span / 2;
        m_right = centre + span / 2;
        if (m_left < m_min) {
            m_left = m_min;
            m_right = m_min + span;
        }
        if (m_right > m_max) {
            m_right = m_max;
            m_left = m_max - span;
        }
        return RangeChange::Both;
    }
    case Drag::None:
        break;
    }
    return std::nullopt;
}

std::optional<RangeChange> RangeSliderModel::key(Key key, bool shift, bool ctrl) {
    if (ctrl || m_usableWidth <= 0 || scale() <= 0)
        return std::nullopt;
    const double step = scale() / m_usableWidth;
    long leftPixel = std::lround((m_left - m_min) / step);
    long rightPixel = std::lround((m_right - m_min) / step);
    const long delta = key == Key::Right ? 1 : -1;
    if (!shift)
        leftPixel += delta;
    rightPixel += delta;
    // A move past either end, or one that would put the right handle before the left, is not applied.
    if (leftPixel < 0 || rightPixel > m_usableWidth || rightPixel < leftPixel)
        return std::nullopt;
    m_left = m_min + static_cast<double>(leftPixel) * step;
    m_right = std::min(m_min + static_cast<double>(rightPixel) * step, m_max);
    return shift ? RangeChange::Left : RangeChange::Both;
}

} // namespace salvora
