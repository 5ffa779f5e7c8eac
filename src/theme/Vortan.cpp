#include "Vortan.h"

#include <QFontDatabase>
#include <QImage>

namespace fray::Vortan {

namespace {

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b));
}

// QFont point sizes are resolved at the default DPI; scale so that 1 theme point = 1 px.
double pointScale() {
    static const double scale = [] {
        QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
        int dpi = probe.logicalDpiY();
        return dpi > 0 ? 72.0 / dpi : 0.75;
    }();
    return scale;
}

// Which family the display faces come from on this machine.
enum class FaceSource { avenirNextCondensed, robotoCondensed, system };

struct Faces {
    FaceSource source = FaceSource::system;
    QString family;
    QString heavyStyle;
    QString demiStyle;
};

// Fonts are not installed while we run, so the choice is made once.
const Faces& faces() {
    static const Faces chosen = [] {
        auto has = [](const QString& family, const QString& style) {
            return QFontDatabase::families().contains(family) &&
                   QFontDatabase::styles(family).contains(style);
        };
        if (has("Avenir Next Condensed", "Heavy Italic") && has("Avenir Next Condensed", "Demi Bold Italic"))
            return Faces{FaceSource::avenirNextCondensed, "Avenir Next Condensed", "Heavy Italic",
                         "Demi Bold Italic"};
        if (has("Roboto Condensed", "Bold Italic") && has("Roboto Condensed", "Medium Italic"))
            return Faces{FaceSource::robotoCondensed, "Roboto Condensed", "Bold Italic", "Medium Italic"};
        return Faces{};
    }();
    return chosen;
}

QFont sized(QFont f, double size) {
    f.setPointSizeF(size * pointScale());
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(true);
    return f;
}

QFont face(double size, bool heavy) {
    const Faces& fs = faces();
    if (fs.source != FaceSource::system)
        return sized(QFontDatabase::font(fs.family, heavy ? fs.heavyStyle : fs.demiStyle, 12), size);
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setWeight(heavy ? QFont::Black : QFont::DemiBold);
    f.setItalic(true);
    return sized(f, size);
}

} // namespace

#define FRAY_COLOR(name, expr)                                                                               \
    const QColor& name() {                                                                                   \
        static const QColor c = expr;                                                                        \
        return c;                                                                                            \
    }

FRAY_COLOR(plateTop, rgb(0.10, 0.11, 0.16))
FRAY_COLOR(plateBottom, rgb(0.035, 0.04, 0.065))
FRAY_COLOR(goldLight, rgb(0.97, 0.85, 0.45))
FRAY_COLOR(gold, rgb(0.83, 0.66, 0.22))
FRAY_COLOR(goldDark, rgb(0.45, 0.34, 0.10))
FRAY_COLOR(barPale, rgb(1.0, 0.98, 0.85))
FRAY_COLOR(barYellow, rgb(1.0, 0.83, 0.25))
FRAY_COLOR(barOrange, rgb(1.0, 0.55, 0.10))
FRAY_COLOR(barBack, rgb(0.13, 0.10, 0.05))
FRAY_COLOR(damageRed, rgb(0.85, 0.12, 0.16))
FRAY_COLOR(rageRed, rgb(1.0, 0.16, 0.16))
FRAY_COLOR(p1Blue, rgb(0.18, 0.62, 1.0))
FRAY_COLOR(p2Red, rgb(1.0, 0.22, 0.33))
FRAY_COLOR(fightCyan, rgb(0.22, 0.84, 1.0))
FRAY_COLOR(dimText, QColor::fromRgbF(1.f, 1.f, 1.f, 0.45f))

#undef FRAY_COLOR

QFont font(double size) {
    return face(size, true);
}

QFont fontDemi(double size) {
    return face(size, false);
}

QFont systemFont(double size, QFont::Weight weight, bool mono) {
    QFont f = QFontDatabase::systemFont(mono ? QFontDatabase::FixedFont : QFontDatabase::GeneralFont);
    // The monospaced face, the first installed of these: Debian's fonts-dejavu-core (a run
    // dependency), then Noto's, then whatever the system calls fixed-pitch.
    if (mono) f.setFamilies({"DejaVu Sans Mono", "Noto Sans Mono", "Noto Mono", f.family()});
    f.setWeight(weight);
    return sized(f, size);
}

QFont kerned(QFont f, double kerning) {
    f.setLetterSpacing(QFont::AbsoluteSpacing, kerning);
    return f;
}

QColor withOpacity(QColor c, double opacity) {
    c.setAlphaF(float(c.alphaF() * opacity));
    return c;
}

} // namespace fray::Vortan
