// Writes the application icon, as SVG and as PNG at the hicolor sizes, from the tray
// emblem's own paths: the emblem in gold on the island's dark plate.
//
//   make_icons OUTDIR      -> OUTDIR/scalable/apps/NAME.svg, OUTDIR/<n>x<n>/apps/NAME.png
#include "island/MenuBarIcon.h"
#include "theme/Vortan.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

#include <cstdio>

using namespace fray;

namespace {

const char* const name = "io.fraymark.Fraymark";
constexpr double canvas = 256;
constexpr double corner = 52;
constexpr int sizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The emblem's grid placed in the middle of the canvas.
QTransform emblemPlacement() {
    const double scale = 200.0 / MenuBarIcon::gridW;
    QTransform t;
    t.translate((canvas - MenuBarIcon::gridW * scale) / 2, (canvas - MenuBarIcon::gridH * scale) / 2 + 6);
    t.scale(scale, scale);
    return t;
}

QString svgColor(const QColor& c) {
    return c.name(QColor::HexRgb);
}

QString num(double v) {
    return QString::number(v, 'f', 3);
}

QString svgPathData(const QPainterPath& path) {
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const auto e = path.elementAt(i);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            d += "M" + num(e.x) + " " + num(e.y);
            break;
        case QPainterPath::LineToElement:
            d += "L" + num(e.x) + " " + num(e.y);
            break;
        case QPainterPath::CurveToElement: {
            const auto c2 = path.elementAt(i + 1), end = path.elementAt(i + 2);
            d += "C" + num(e.x) + " " + num(e.y) + " " + num(c2.x) + " " + num(c2.y) + " " + num(end.x) +
                 " " + num(end.y);
            i += 2;
            break;
        }
        case QPainterPath::CurveToDataElement:
            break;
        }
    }
    return d + "Z";
}

QString svg() {
    const QTransform t = emblemPlacement();
    QString out =
        QString(
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" viewBox=\"0 0 %1 %1\">\n")
            .arg(canvas);
    out += QString("  <defs><linearGradient id=\"plate\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
                   "<stop offset=\"0\" stop-color=\"%1\"/><stop offset=\"1\" stop-color=\"%2\"/>"
                   "</linearGradient></defs>\n")
               .arg(svgColor(Vortan::plateTop()), svgColor(Vortan::plateBottom()));
    out +=
        QString(
            "  <rect x=\"8\" y=\"8\" width=\"%1\" height=\"%1\" rx=\"%2\" fill=\"url(#plate)\" stroke=\"%3\" "
            "stroke-width=\"6\"/>\n")
            .arg(num(canvas - 16), num(corner), svgColor(Vortan::goldDark()));
    for (const auto& path : MenuBarIcon::paths(MenuBarIcon::Clash::full)) {
        const char* rule = path.fillRule() == Qt::OddEvenFill ? "evenodd" : "nonzero";
        out += QString("  <path fill=\"%1\" fill-rule=\"%2\" d=\"%3\"/>\n")
                   .arg(svgColor(Vortan::gold()), rule, svgPathData(t.map(path)));
    }
    return out + "</svg>\n";
}

QImage png(int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / canvas, size / canvas);
    QLinearGradient plate(0, 8, 0, canvas - 8);
    plate.setColorAt(0, Vortan::plateTop());
    plate.setColorAt(1, Vortan::plateBottom());
    p.setPen(QPen(Vortan::goldDark(), 6));
    p.setBrush(plate);
    p.drawRoundedRect(QRectF(8, 8, canvas - 16, canvas - 16), corner, corner);
    p.setPen(Qt::NoPen);
    p.setBrush(Vortan::gold());
    p.setTransform(emblemPlacement(), true);
    for (const auto& path : MenuBarIcon::paths(MenuBarIcon::Clash::full))
        p.drawPath(path);
    return img;
}

bool write(const QString& file, const QByteArray& bytes) {
    QFile f(file);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_icons OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString out = QString::fromLocal8Bit(argv[1]);
    bool ok = QDir().mkpath(out + "/scalable/apps") &&
              write(out + "/scalable/apps/" + name + ".svg", svg().toUtf8());
    for (int size : sizes) {
        const QString dir = QString("%1/%2x%2/apps").arg(out).arg(size);
        ok = ok && QDir().mkpath(dir) && png(size).save(dir + "/" + name + ".png");
    }
    if (!ok) std::fprintf(stderr, "make_icons: cannot write into %s\n", argv[1]);
    return ok ? 0 : 1;
}
