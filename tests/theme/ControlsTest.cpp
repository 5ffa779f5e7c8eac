// The small controls on their own: the looks that tell their state apart, and focus.
#include "support/PixelProbe.h"
#include "theme/SettingsChip.h"
#include "theme/Vortan.h"
#include "theme/VortanSlider.h"
#include "theme/VortanToggleStyle.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace fray;
using fray::test::at;
using fray::test::rendered;

namespace {

bool near(const QColor& a, const QColor& b, int tolerance) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <
           tolerance;
}

int maxAlpha(const QImage& img) {
    int a = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            a = std::max(a, qAlpha(img.pixel(x, y)));
    return a;
}

bool hasColour(const QImage& img, const QColor& c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (QColor p = img.pixelColor(x, y); p.alpha() > 200 && near(p, c, 40)) return true;
    return false;
}

} // namespace

TEST(Controls, ToggleTrackAndKnobShowTheState) {
    VortanToggle t("SHOW K.O.’D FIGHTERS");
    t.resize(348, t.sizeHint().height());
    const QRectF sw = VortanToggleStyle::switchRect(t.rect());
    EXPECT_EQ(sw.right(), 348) << "the switch sits at the row's right end";
    const QPointF track = sw.center(), right(sw.right() - 10, sw.center().y()),
                  left(sw.left() + 10, sw.center().y());
    t.setChecked(true);
    QImage on = rendered(t);
    EXPECT_TRUE(near(at(on, track), QColor(255, 180, 40), 120)) << "a warm fill when on";
    EXPECT_GT(at(on, right).blue(), 150) << "the pale knob at the right end";
    t.setChecked(false);
    QImage off = rendered(t);
    EXPECT_LT(at(off, track).lightness(), 60) << "a dark fill when off";
    EXPECT_GT(at(off, left).blue(), 100) << "the knob at the left end";
    EXPECT_EQ(at(off, right), at(off, track));
}

TEST(Controls, ChipDimsWhenNotSelected) {
    SettingsChip chip("LEFT", 1);
    chip.setFixedChipSize({52, 19});
    chip.resize(chip.sizeHint());
    EXPECT_LE(maxAlpha(rendered(chip)), int(255 * SettingsChip::dimmedOpacity) + 1);
    chip.setSelected(true);
    EXPECT_EQ(maxAlpha(rendered(chip)), 255);
}

TEST(Controls, SliderFillsFromTheLeftUpToItsValue) {
    VortanSlider s(10, 90);
    s.resize(320, 14);
    // x inside the fill, and x on the bare track (none when full).
    for (auto [value, filled, bare] :
         {std::tuple{10.0, 5.0, 40.0}, {50.0, 150.0, 175.0}, {90.0, 310.0, -1.0}}) {
        s.setValue(value);
        QImage img = rendered(s);
        EXPECT_TRUE(near(at(img, {filled, 7}), Vortan::barYellow(), 150)) << value;
        if (bare >= 0) {
            EXPECT_LT(at(img, {bare, 7}).lightness(), 60) << value;
        }
    }
}

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
    for (auto [name, x, width, value] : {std::tuple{"FarLeft", 0.0, 300.0, 10.0},
                                         {"RoundsDown", 99.0, 300.0, 36.0}, // 36.4
                                         {"RoundsUp", 100.0, 300.0, 37.0},  // 36.67
                                         {"HalfRoundsUp", 1.0, 32.0, 13.0}, // 10 + 80 / 32 = 12.5 exactly
                                         {"NoWidth", 50.0, 0.0, 10.0}})
        EXPECT_EQ(VortanSlider::valueAt(x, width, 10, 90), value) << name;
    for (auto [value, fraction] : {std::pair{50.0, 0.5}, {120.0, 1.0}, {4.0, 0.0}})
        EXPECT_EQ(VortanSlider::fractionOf(value, 10, 90), fraction) << value;
    // Steps go from the whole seconds shown: 12.9 steps down to 11, not 12.
    for (auto [value, step, expected] : {std::tuple{12.9, -1.0, 11.0},
                                         {10.0, -1.0, 10.0},
                                         {85.0, 10.0, 90.0},
                                         {4.0, 1.0, 11.0},
                                         {200.0, -1.0, 89.0}})
        EXPECT_EQ(VortanSlider::stepFrom(value, step, 10, 90), expected) << value << " step " << step;
}
