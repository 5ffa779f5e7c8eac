#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QRawFont>

#include <gtest/gtest.h>

namespace fray {
namespace {

TEST(Vortan, OneThemePointIsOnePixel) {
    for (const QFont& f : {Vortan::font(11), Vortan::fontDemi(11)})
        EXPECT_NEAR(QRawFont::fromFont(f).pixelSize(), 11, 0.05) << f.weight();
}

TEST(Text, FractionalSizesScaleTheOutlinesExactly) {
    // Qt's glyph engine snaps to whole pixels: a 24.84-point label must not come out at 25.
    const double at25 = Text::width("12:34", Vortan::font(25));
    const double tall25 = Text::shape("12:34", Vortan::font(25)).path.boundingRect().height();
    EXPECT_NEAR(Text::width("12:34", Vortan::font(24.84)), at25 * 24.84 / 25, at25 * 0.004);
    EXPECT_NEAR(Text::shape("12:34", Vortan::font(24.84)).path.boundingRect().height() / tall25, 24.84 / 25,
                0.01);
}

TEST(Text, KerningIsAbsoluteSpacingPerCharacter) {
    QFont f = Vortan::fontDemi(10.5), spaced = Vortan::kerned(f, 2.4);
    EXPECT_NEAR(Text::width("ANNOUNCER", spaced) - Text::width("ANNOUNCER", f), 9 * 2.4, 0.1);
    EXPECT_NEAR(Text::shape("ANNOUNCER", spaced).path.boundingRect().width() -
                    Text::shape("ANNOUNCER", f).path.boundingRect().width(),
                8 * 2.4, 0.3)
        << "the outlines move, not only the advance";
}

TEST(Text, OutlinesSitOnTheBaselineAndPlaceCentresTheLineBox) {
    Text::Shaped s = Text::shape("FIGHT!", Vortan::font(20));
    QRectF b = s.path.boundingRect();
    EXPECT_NEAR(b.bottom(), 0, 0.3) << "capitals rest on y = 0";
    EXPECT_LT(b.top(), -12);
    const QRectF box(0, 0, 200, 26);
    QPointF o = Text::place(s, box, Qt::AlignHCenter);
    EXPECT_NEAR(o.x() + s.advance / 2, 100, 1e-9);
    EXPECT_NEAR(o.y() - s.ascent + s.height() / 2, 13, 1e-9);
    EXPECT_NEAR(Text::place(s, box, Qt::AlignRight).x() + s.advance, 200, 1e-9);
}

TEST(Text, ElisionCutsToTheWidthWithAnEllipsis) {
    const QFont f = Vortan::fontDemi(10);
    EXPECT_EQ(Text::elided("PIXEL-FORGE", f, 132), "PIXEL-FORGE");
    const QString longLabel = "A-VERY-LONG-PROJECT-NAME  ·  feature/with-a-long-branch";
    const QString out = Text::elided(longLabel, f, 132);
    EXPECT_TRUE(out.endsWith(QStringLiteral("…")));
    EXPECT_TRUE(longLabel.startsWith(out.chopped(1)));
    EXPECT_LE(Text::width(out, f), 132);
}

} // namespace
} // namespace fray
