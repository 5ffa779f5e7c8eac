// The small controls on their own: input handling and the looks the design asks for.
#include "GuiTest.h"
#include "settings_ui/SettingsChip.h"
#include "settings_ui/VortanButtonStyle.h"
#include "settings_ui/VortanSlider.h"
#include "settings_ui/VortanToggleStyle.h"
#include "island/Vortan.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace fray;
using fray::test::pixelAt;
using fray::test::renderWidget;

namespace {

class Controls : public ::testing::Test {
protected:
    void SetUp() override { fray::test::guiApp(); }
};

// The highest alpha over the whole image.
int maxAlpha(const QImage& img) {
    int a = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) a = std::max(a, qAlpha(img.pixel(x, y)));
    return a;
}

// Whether any pixel is close to `c`.
bool hasColour(const QImage& img, const QColor& c, int tolerance = 40) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            QColor p = img.pixelColor(x, y);
            if (p.alpha() > 200 && std::abs(p.red() - c.red()) + std::abs(p.green() - c.green()) +
                                           std::abs(p.blue() - c.blue()) < tolerance)
                return true;
        }
    return false;
}

} // namespace

TEST_F(Controls, ToggleSwitchLooksOnAndOff) {
    VortanToggle t("SHOW K.O.’D FIGHTERS");
    t.resize(348, t.sizeHint().height());
    QRectF sw = VortanToggleStyle::switchRect(t.rect());
    EXPECT_EQ(sw.size(), QSizeF(46, 17));
    EXPECT_EQ(sw.right(), 348);
    // A point inside the track, clear of the knob at either end.
    QPointF track(sw.center().x(), sw.center().y());

    t.setChecked(true);
    QImage on = renderWidget(t);
    QColor fill = pixelAt(on, track);
    EXPECT_GT(fill.red(), 240);
    EXPECT_GT(fill.green(), 130) << "between bar yellow and bar orange";
    EXPECT_LT(fill.blue(), 80);
    QColor knobOn = pixelAt(on, {sw.right() - 10, sw.center().y()});
    EXPECT_GT(knobOn.blue(), 150) << "the knob sits at the right end when on";

    t.setChecked(false);
    QImage off = renderWidget(t);
    EXPECT_LT(pixelAt(off, track).lightness(), 60) << "a dark fill when off";
    QColor knobOff = pixelAt(off, {sw.left() + 10, sw.center().y()});
    EXPECT_GT(knobOff.alpha(), 150);
    EXPECT_GT(knobOff.blue(), 100) << "the knob sits at the left end when off";
    EXPECT_EQ(pixelAt(off, {sw.right() - 10, sw.center().y()}).alpha(), pixelAt(off, track).alpha());
}

TEST_F(Controls, ButtonLooksByStyleAndDimsWhilePressed) {
    struct Row {
        const char* name;
        VortanButtonStyle style;
        QColor expected;
    };
    const Row rows[] = {
        {"Prominent", {true, false}, Vortan::gold()},
        {"Danger", {false, true}, Vortan::rageRed()},
        {"Plain", {false, false}, Vortan::plateTop()},
    };
    for (const auto& r : rows) {
        VortanButton b("X", r.style);
        b.resize(b.sizeHint());
        EXPECT_EQ(b.height(), 23) << r.name;
        QImage img = renderWidget(b);
        // Just inside the left end of the plate, away from the label.
        QColor c = pixelAt(img, {8, 12});
        EXPECT_LT(std::abs(c.red() - r.expected.red()) + std::abs(c.green() - r.expected.green()) +
                      std::abs(c.blue() - r.expected.blue()),
                  90)
            << r.name << " got " << c.name().toStdString();
        int upAlpha = pixelAt(img, {8, 12}).alpha();
        b.setDown(true);
        int downAlpha = pixelAt(renderWidget(b), {8, 12}).alpha();
        EXPECT_NEAR(downAlpha, upAlpha * VortanButtonStyle::pressedOpacity, 3) << r.name;
    }
}

TEST_F(Controls, ChipDimsWhenNotSelected) {
    SettingsChip chip("LEFT", 1);
    chip.setFixedChipSize({52, 19});
    chip.resize(chip.sizeHint());
    EXPECT_EQ(chip.size(), QSize(52, 19));
    EXPECT_LE(maxAlpha(renderWidget(chip)), int(255 * SettingsChip::dimmedOpacity) + 1);
    chip.setSelected(true);
    QImage img = renderWidget(chip);
    EXPECT_EQ(maxAlpha(img), 255);
    QColor fill = pixelAt(img, {10, 4});
    EXPECT_GT(fill.red(), 200);
    EXPECT_LT(fill.blue(), 150);
}

TEST_F(Controls, SliderDrawsItsFillFromTheLeft) {
    VortanSlider s(10, 90);
    s.resize(320, 14);
    struct Row {
        double value;
        double filledUpTo; // x that must be inside the fill
        double emptyFrom;  // x that must be on the bare track
    };
    const Row rows[] = {{10, 5, 40}, {50, 150, 175}, {90, 310, -1}};
    for (const auto& r : rows) {
        s.setValue(r.value);
        QImage img = renderWidget(s);
        QColor in = pixelAt(img, {r.filledUpTo, 7});
        EXPECT_GT(in.red(), 200) << r.value;
        EXPECT_GT(in.green(), 120) << r.value;
        if (r.emptyFrom >= 0) {
            QColor bare = pixelAt(img, {r.emptyFrom, 7});
            EXPECT_LT(bare.lightness(), 60) << r.value;
        }
    }
}

TEST_F(Controls, KeyboardFocusShowsAnOutlineAndAClickDoesNot) {
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
    // Activation focuses the first control without an outline; Tab brings it.
    EXPECT_FALSE(hasColour(renderWidget(*t), ring));
    other->setFocus(Qt::TabFocusReason);
    t->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(t->hasFocus());
    EXPECT_TRUE(hasColour(renderWidget(*t), ring));
    other->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(hasColour(renderWidget(*t), ring));
    t->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(hasColour(renderWidget(*t), ring));
}

