// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/range_slider_model.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

using Drag = RangeSliderModel::Drag;
using Key = RangeSliderModel::Key;

// A slider over 0..1000 with handles 10 px wide on a 220 px client: 200 usable pixels, 5 units a pixel.
RangeSliderModel slider(double left, double right) {
    RangeSliderModel model;
    model.setGeometry(10, 220);
    model.setMinMax(0, 1000);
    model.setRange(left, right);
    return model;
}

// Presses on the centre of what is grabbed, so the grab offset is 0 and moves map straight to values.
int leftCentre(const RangeSliderModel& m) {
    return static_cast<int>(m.leftHandleX() + 5);
}
int rightCentre(const RangeSliderModel& m) {
    return static_cast<int>(m.rightHandleX() + 5);
}
int barCentre(const RangeSliderModel& m) {
    return static_cast<int>((m.leftHandleX() + 10 + m.rightHandleX()) / 2);
}

TEST(RangeSliderModel, PressPicksTheHandleOrTheBarUnderThePoint) {
    RangeSliderModel m = slider(200, 600); // left handle at 40..50, right handle at 130..140
    EXPECT_EQ(m.press(45), Drag::LeftHandle);
    EXPECT_EQ(m.press(135), Drag::RightHandle);
    EXPECT_EQ(m.press(90), Drag::MiddleBar);
    EXPECT_EQ(m.press(5), Drag::None);
    EXPECT_EQ(m.press(200), Drag::None);
}

TEST(RangeSliderModel, LeftHandleFollowsTheMouseAndStopsAtTheRightHandle) {
    RangeSliderModel m = slider(200, 600);
    ASSERT_EQ(m.press(leftCentre(m)), Drag::LeftHandle);
    EXPECT_EQ(m.move(25), RangeChange::Left); // x − w/2 = 20 px → 100
    EXPECT_DOUBLE_EQ(m.left(), 100);
    EXPECT_EQ(m.move(190), RangeChange::Left); // past the right handle
    EXPECT_DOUBLE_EQ(m.left(), 600);
    EXPECT_EQ(m.move(-50), RangeChange::Left); // past the scale's start
    EXPECT_DOUBLE_EQ(m.left(), 0);
    EXPECT_DOUBLE_EQ(m.right(), 600);
}

TEST(RangeSliderModel, RightHandleStopsAtTheLeftHandleAndAtMax) {
    RangeSliderModel m = slider(200, 600);
    ASSERT_EQ(m.press(rightCentre(m)), Drag::RightHandle);
    EXPECT_EQ(m.move(115), RangeChange::Right); // x − 3w/2 = 100 px → 500
    EXPECT_DOUBLE_EQ(m.right(), 500);
    EXPECT_EQ(m.move(0), RangeChange::Right);
    EXPECT_DOUBLE_EQ(m.right(), 200);
    EXPECT_EQ(m.move(-10), RangeChange::Left); // already at the left handle: nothing changed
    EXPECT_EQ(m.move(500), RangeChange::Right);
    EXPECT_DOUBLE_EQ(m.right(), 1000);
}

TEST(RangeSliderModel, DraggingTheBarAgainstEitherEndKeepsTheSpan) {
    RangeSliderModel m = slider(200, 600);
    ASSERT_EQ(m.press(barCentre(m)), Drag::MiddleBar);
    EXPECT_EQ(m.move(-300), RangeChange::Both);
    EXPECT_DOUBLE_EQ(m.left(), 0);
    EXPECT_DOUBLE_EQ(m.right(), 400);
    EXPECT_EQ(m.move(900), RangeChange::Both);
    EXPECT_DOUBLE_EQ(m.left(), 600);
    EXPECT_DOUBLE_EQ(m.right(), 1000);
    EXPECT_EQ(m.move(110), RangeChange::Both); // centre (110 − w) px = 100 px → 500
    EXPECT_DOUBLE_EQ(m.left(), 300);
    EXPECT_DOUBLE_EQ(m.right(), 700);
    m.release();
    EXPECT_EQ(m.move(10), std::nullopt);
}

TEST(RangeSliderModel, ArrowKeysMoveOnePixelStep) {
    struct Case {
        Key key;
        bool shift;
        double left, right;
        std::optional<RangeChange> change;
        double newLeft, newRight;
    } cases[] = {
        {Key::Right, false, 200, 600, RangeChange::Both, 205, 605},
        {Key::Left, false, 200, 600, RangeChange::Both, 195, 595},
        {Key::Right, true, 200, 600, RangeChange::Left, 200, 605}, // Shift widens from the right
        {Key::Left, true, 200, 600, RangeChange::Left, 200, 595},  // and narrows
        {Key::Left, false, 0, 600, std::nullopt, 0, 600},          // left handle would leave the scale
        {Key::Right, false, 200, 1000, std::nullopt, 200, 1000},   // right handle would leave it
        {Key::Right, true, 200, 1000, std::nullopt, 200, 1000},
        {Key::Left, true, 300, 300, std::nullopt, 300, 300}, // the right handle cannot pass the left
    };
    for (const Case& c : cases) {
        RangeSliderModel m = slider(c.left, c.right);
        EXPECT_EQ(m.key(c.key, c.shift, false), c.change) << c.left << ".." << c.right;
        EXPECT_DOUBLE_EQ(m.left(), c.newLeft);
        EXPECT_DOUBLE_EQ(m.right(), c.newRight);
    }
    RangeSliderModel m = slider(200, 600);
    EXPECT_EQ(m.key(Key::Right, false, true), std::nullopt); // Ctrl keys are not the slider's
}

TEST(RangeSliderModel, EmptyScaleOrWidthIgnoresKeysAndDrags) {
    RangeSliderModel flat;
    flat.setGeometry(10, 220);
    flat.setMinMax(500, 500);
    EXPECT_EQ(flat.key(Key::Right, false, false), std::nullopt);
    EXPECT_EQ(flat.key(Key::Left, true, false), std::nullopt);
    EXPECT_DOUBLE_EQ(flat.left(), 500);
    EXPECT_DOUBLE_EQ(flat.right(), 500);

    RangeSliderModel narrow = slider(200, 600);
    narrow.setGeometry(10, 15); // no usable width
    narrow.press(5);
    EXPECT_EQ(narrow.move(100), std::nullopt);
    EXPECT_DOUBLE_EQ(narrow.left(), 200);
}

TEST(RangeSliderModel, SettingValuesRestoresTheOrderAndReportsMovedHandles) {
    RangeSliderModel m = slider(200, 600);
    // Left past Right: Right is raised to Left (Right is corrected before Left is).
    EXPECT_EQ(m.setLeft(800), (std::vector<RangeChange>{RangeChange::Right}));
    EXPECT_DOUBLE_EQ(m.left(), 800);
    EXPECT_DOUBLE_EQ(m.right(), 800);
    EXPECT_EQ(m.setMax(300), (std::vector<RangeChange>{RangeChange::Left, RangeChange::Right}));
    EXPECT_DOUBLE_EQ(m.right(), 300);
    EXPECT_DOUBLE_EQ(m.left(), 300);
    // Min above Max: Left and Right are raised to Min, then lowered to Max again, so neither moved.
    EXPECT_TRUE(m.setMin(400).empty());
    EXPECT_DOUBLE_EQ(m.left(), 300);
    EXPECT_DOUBLE_EQ(m.right(), 300);

    RangeSliderModel n = slider(50, 600);
    EXPECT_EQ(n.setMin(100), (std::vector<RangeChange>{RangeChange::Left}));
    EXPECT_DOUBLE_EQ(n.left(), 100);
    EXPECT_EQ(n.setRange(-5, 2000), (std::vector<RangeChange>{RangeChange::Left, RangeChange::Right}));
    EXPECT_DOUBLE_EQ(n.left(), 100);
    EXPECT_DOUBLE_EQ(n.right(), 1000);
}

} // namespace
} // namespace salvora
