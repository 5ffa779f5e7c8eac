#include "theme/Text.h"
#include "theme/Vortan.h"

#include <gtest/gtest.h>

namespace fray {
namespace {

// Project and branch names of any length must fit their box.
TEST(Text, ElisionCutsToTheWidthWithAnEllipsis) {
    const QFont f = Vortan::fontDemi(10);
    EXPECT_EQ(Text::elided("PIXEL-FORGE", f, 132), "PIXEL-FORGE");
    EXPECT_EQ(Text::elided("", f, 132), "");
    for (const QString& longLabel :
         {QStringLiteral("A-VERY-LONG-PROJECT-NAME  ·  feature/with-a-long-branch"),
          QStringLiteral("ОЧЕНЬ-ДЛИННЫЙ-ПРОЕКТ  ·  ветка/с-длинным-именем")}) {
        const QString out = Text::elided(longLabel, f, 132);
        EXPECT_TRUE(out.endsWith(QStringLiteral("…"))) << out.toStdString();
        EXPECT_TRUE(longLabel.startsWith(out.chopped(1)));
        EXPECT_LE(Text::width(out, f), 132);
    }
}

} // namespace
} // namespace fray
