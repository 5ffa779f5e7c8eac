// The small controls on their own: the focus outline, and the slider's edges.
#include "support/PixelProbe.h"
#include "theme/Vortan.h"
#include "theme/VortanSlider.h"
#include "theme/VortanToggleStyle.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace fray;
using fray::test::rendered;

namespace {

bool hasColour(const QImage& img, const QColor& c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (QColor p = img.pixelColor(x, y); p.alpha() > 200 && p.rgb() == c.rgb()) return true;
    return false;
}

} // namespace

TEST(Controls, KeyboardFocusShowsAnOutlineAndAClickDoesNot) {
    QWidget window;
    auto* t = new VortanToggle("K.O. ALERT SOUND", &window);
    auto* other = new VortanToggle("OTHER", &window);
    t->setGeometry(0, 0, 348, 20);
    other->setGeometry(0, 30, 348, 20);
    window.resize(348, 50);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QColor ring = VortanPaint::focusColor();
    EXPECT_FALSE(hasColour(rendered(*t), ring)) << "activation focuses the first control without an outline";
    other->setFocus(Qt::TabFocusReason);
    t->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(t->hasFocus());
    EXPECT_TRUE(hasColour(rendered(*t), ring));
    other->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(hasColour(rendered(*t), ring));
    t->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(hasColour(rendered(*t), ring));
}

// The settings view drives the slider from the pointer and keys; here are the edges.
TEST(VortanSlider, WholeNumbersFromTheTrackAndTheKeysWithinTheRange) {
    for (auto [name, x, width, value] : {std::tuple{"RoundsDown", 99.0, 300.0, 36.0}, // 36.4
                                         {"RoundsUp", 100.0, 300.0, 37.0},            // 36.67
                                         {"NoWidth", 50.0, 0.0, 10.0}})
        EXPECT_EQ(VortanSlider::valueAt(x, width, 10, 90), value) << name;
    for (auto [value, fraction] : {std::pair{50.0, 0.5}, {120.0, 1.0}, {4.0, 0.0}})
        EXPECT_EQ(VortanSlider::fractionOf(value, 10, 90), fraction) << value;
    // Steps go from the whole seconds shown: 12.9 steps down to 11, not 12.
    for (auto [value, step, expected] :
         {std::tuple{12.9, -1.0, 11.0}, {10.0, -1.0, 10.0}, {4.0, 1.0, 11.0}, {200.0, -1.0, 89.0}})
        EXPECT_EQ(VortanSlider::stepFrom(value, step, 10, 90), expected) << value << " step " << step;
}
