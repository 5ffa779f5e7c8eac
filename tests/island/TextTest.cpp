#include "island/Text.h"
#include "island/Vortan.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

TEST(Text, FractionalSizesScaleTheOutlinesExactly) {
    // 24.84-point labels (a 46-point collapsed bar) must not snap to 25.
    double at25 = Text::width("12:34", Vortan::font(25));
    struct Case {
        double size;
    } cases[] = {{24.84}, {12.5}, {7.5}, {8.5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        EXPECT_NEAR(Text::width("12:34", Vortan::font(c.size)), at25 * c.size / 25, at25 * 0.004);
        EXPECT_NEAR(Text::shape("12:34", Vortan::font(c.size)).path.boundingRect().height() /
                        Text::shape("12:34", Vortan::font(25)).path.boundingRect().height(),
                    c.size / 25, 0.01);
    }
}

TEST(Text, KerningWidensByTheSpacingPerCharacter) {
    QFont f = Vortan::fontDemi(10.5);
    double plain = Text::width("ANNOUNCER", f);
    double spaced = Text::width("ANNOUNCER", Vortan::kerned(f, 2.4));
    EXPECT_NEAR(spaced - plain, 9 * 2.4, 0.1);
    EXPECT_NEAR(Text::shape("ANNOUNCER", Vortan::kerned(f, 2.4)).path.boundingRect().width() -
                    Text::shape("ANNOUNCER", f).path.boundingRect().width(),
                8 * 2.4, 0.3) << "the outlines move, not only the advance";
}

TEST(Text, OutlinesSitOnTheBaseline) {
    Text::Shaped s = Text::shape("HIT", Vortan::font(20));
    QRectF b = s.path.boundingRect();
    EXPECT_NEAR(b.bottom(), 0, 0.3) << "capitals rest on y = 0";
    EXPECT_LT(b.top(), -12);
    EXPECT_GT(s.ascent, -b.top());
    EXPECT_GT(s.descent, 0);
}

TEST(Text, Elision) {
    QFont f = Vortan::fontDemi(10);
    QString longLabel = "A-VERY-LONG-PROJECT-NAME  ·  feature/with-a-long-branch";
    struct Case {
        const char* name;
        QString text;
        double maxWidth;
        bool cut;
    } cases[] = {
        {"fits", "PIXEL-FORGE", 132, false},
        {"too long", longLabel, 132, true},
        {"nothing fits", longLabel, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QString out = Text::elided(c.text, f, c.maxWidth);
        if (!c.cut) {
            EXPECT_EQ(out, c.text);
            continue;
        }
        EXPECT_TRUE(out.endsWith(QStringLiteral("…")));
        EXPECT_TRUE(out == QStringLiteral("…") || Text::width(out, f) <= c.maxWidth);
        EXPECT_TRUE(c.text.startsWith(out.chopped(1)));
    }
}

TEST(Text, PlacementCentresTheLineBox) {
    Text::Shaped s = Text::shape("FIGHT!", Vortan::font(20));
    QRectF box(0, 0, 200, 26);
    QPointF o = Text::place(s, box, Qt::AlignHCenter);
    EXPECT_NEAR(o.x() + s.advance / 2, 100, 1e-9);
    EXPECT_NEAR(o.y() - s.ascent + s.height() / 2, 13, 1e-9);
    EXPECT_NEAR(Text::place(s, box, Qt::AlignRight).x() + s.advance, 200, 1e-9);
    EXPECT_NEAR(Text::place(s, box, Qt::AlignLeft).x(), 0, 1e-9);
}

} // namespace
} // namespace fray
