#include "island/Vortan.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QRawFont>

#include <gtest/gtest.h>

#include <functional>

namespace fray {
namespace {

struct PaletteRow {
    const char* name;
    std::function<const QColor&()> colour;
    int r, g, b;
};

TEST(Vortan, PaletteMatchesTheDefiningComponents) {
    const PaletteRow rows[] = {
        {"plateTop", Vortan::plateTop, 26, 28, 41},       {"plateBottom", Vortan::plateBottom, 9, 10, 17},
        {"goldLight", Vortan::goldLight, 247, 217, 115},  {"gold", Vortan::gold, 212, 168, 56},
        {"goldDark", Vortan::goldDark, 115, 87, 26},      {"barPale", Vortan::barPale, 255, 250, 217},
        {"barYellow", Vortan::barYellow, 255, 212, 64},   {"barOrange", Vortan::barOrange, 255, 140, 26},
        {"barBack", Vortan::barBack, 33, 26, 13},         {"damageRed", Vortan::damageRed, 217, 31, 41},
        {"rageRed", Vortan::rageRed, 255, 41, 41},        {"p1Blue", Vortan::p1Blue, 46, 158, 255},
        {"p2Red", Vortan::p2Red, 255, 56, 84},            {"fightCyan", Vortan::fightCyan, 56, 214, 255},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QColor& c = row.colour();
        EXPECT_EQ(c.red(), row.r);
        EXPECT_EQ(c.green(), row.g);
        EXPECT_EQ(c.blue(), row.b);
        EXPECT_EQ(c.alpha(), 255);
        EXPECT_EQ(&row.colour(), &c) << "the shared colour is handed out, not rebuilt";
    }
}

TEST(Vortan, DimTextIsTranslucentWhite) {
    EXPECT_EQ(Vortan::dimText().rgb() & 0xffffff, 0xffffffu);
    EXPECT_NEAR(Vortan::dimText().alphaF(), 0.45, 0.005);
}

TEST(Vortan, FacesAreItalicAtThePointSizeAskedFor) {
    // Qt's glyph engine rounds to whole pixels; Text shapes fractional sizes exactly.
    for (double size : {8.0, 11.0, 20.0, 25.0}) {
        for (bool heavy : {true, false}) {
            SCOPED_TRACE(testing::Message() << size << (heavy ? " font" : " fontDemi"));
            QFont f = heavy ? Vortan::font(size) : Vortan::fontDemi(size);
            EXPECT_TRUE(f.italic());
            // One theme point is one logical pixel, as measured by the resolved font.
            EXPECT_NEAR(QRawFont::fromFont(f).pixelSize(), size, 0.05);
        }
    }
}

TEST(Vortan, HeavyFaceIsHeavierThanDemi) {
    EXPECT_GT(Vortan::font(12).weight(), Vortan::fontDemi(12).weight());
}

TEST(Vortan, FallbackFamilyFollowsWhatIsInstalled) {
    QString family = QFontInfo(Vortan::font(12)).family();
    switch (Vortan::faceSource()) {
    case Vortan::FaceSource::avenirNextCondensed: EXPECT_EQ(family, "Avenir Next Condensed"); break;
    case Vortan::FaceSource::robotoCondensed: EXPECT_EQ(family, "Roboto Condensed"); break;
    case Vortan::FaceSource::system: EXPECT_FALSE(family.isEmpty()); break;
    }
}

TEST(Vortan, KerningAddsAbsoluteSpacingPerCharacter) {
    QFont plain = Vortan::font(20);
    QFont spaced = Vortan::kerned(plain, 1.5);
    double grow = QFontMetricsF(spaced).horizontalAdvance("FIGHT!") - QFontMetricsF(plain).horizontalAdvance("FIGHT!");
    EXPECT_NEAR(grow, 6 * 1.5, 0.1);
}

} // namespace
} // namespace fray
