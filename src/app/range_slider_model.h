// SPDX-License-Identifier: GPL-3.0-or-later
// The arithmetic of the two-handled sector-range slider, kept apart from any widget so it can be tested
// on its own. The scale [Min, Max] maps onto the usable width: the client width minus two handle widths.
// Pixel layout, left to right: the left handle (one handle width) starting at the left value's pixel, the
// bar, then the right handle starting one handle width after the right value's pixel.
// Invariant after every change: Min <= Left <= Right <= Max.
#pragma once

#include <optional>
#include <vector>

namespace salvora {

// What a change moved, as the slider tells its parent.
enum class RangeChange { Left = 0, Right = 1, Both = 2 };

class RangeSliderModel {
public:
    enum class Drag { None, LeftHandle, RightHandle, MiddleBar };
    enum class Key { Left, Right };

    double min() const { return m_min; }
    double max() const { return m_max; }
    double left() const { return m_left; }
    double right() const { return m_right; }
    int arrowWidth() const { return m_arrowWidth; }
    int usableWidth() const { return m_usableWidth; }
    Drag drag() const { return m_drag; }

    // Layout: the handle width and the whole client width.
    void setGeometry(int arrowWidth, int clientWidth);

    // Setting values from the program: the values are brought back to the invariant afterwards (Left
    // raised to Min, Right raised to Left, Right lowered to Max, Left lowered to Right, in that order);
    // each handle moved that way is reported.
    std::vector<RangeChange> setMin(double value);
    std::vector<RangeChange> setMax(double value);
    std::vector<RangeChange> setLeft(double value);
    std::vector<RangeChange> setRight(double value);
    std::vector<RangeChange> setMinMax(double min, double max);
    std::vector<RangeChange> setRange(double left, double right);

    // Pixel position (from the client's left edge) where the left handle begins, and where the right
    // handle begins.
    double leftHandleX() const;
    double rightHandleX() const;

    // Mouse button down at x: picks what to drag (or nothing) and remembers the grab offset.
    Drag press(int x);
    // Mouse moved to x while dragging; the change to report, if a drag is on.
    std::optional<RangeChange> move(int x);
    void release() { m_drag = Drag::None; }

    // Arrow keys: both handles move one pixel step, or with Shift only the right handle. Ctrl keys and
    // moves past either end are ignored (nullopt), as are keys on a slider without a scale.
    std::optional<RangeChange> key(Key key, bool shift, bool ctrl);

private:
    std::vector<RangeChange> normalise();
    double scale() const { return m_max - m_min; }
    double pixelOf(double value) const;

    double m_min = 0;
    double m_max = 0;
    double m_left = 0;
    double m_right = 0;
    int m_arrowWidth = 10;
    int m_usableWidth = 0;
    Drag m_drag = Drag::None;
    double m_grabOffset = 0;
};

} // namespace salvora
