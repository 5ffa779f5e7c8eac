#include "SceneParts.h"

#include "theme/Effects.h"
#include "theme/Shapes.h"
#include "theme/Text.h"
#include "theme/Vortan.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QRadialGradient>

#include <algorithm>

namespace fray {

namespace {

QColor rgb(double r, double g, double b, double a = 1) {
    return QColor::fromRgbF(float(r), float(g), float(b), float(a));
}
QColor white(double opacity) {
    return rgb(1, 1, 1, opacity);
}
QColor black(double opacity) {
    return rgb(0, 0, 0, opacity);
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

// The product's name as the titles set it: a gold fill running down the letters.
void goldText(QPainter& p, const Text::Shaped& s, QPointF baseline) {
    QLinearGradient g(0, baseline.y() - s.ascent, 0, baseline.y() + s.descent);
    g.setColorAt(0, Vortan::goldLight());
    g.setColorAt(0.5, Vortan::gold());
    g.setColorAt(1, Vortan::goldDark());
    Text::draw(p, s, baseline, QBrush(g));
}

// `s` centred horizontally on `centreX` with its line box starting at `top`; returns its bottom.
double centredLine(QPainter& p, const Text::Shaped& s, double centreX, double top,
                   const Effects::Shadow& shadow, const std::function<void(QPainter&, QPointF)>& fill) {
    const QPointF baseline(centreX - s.advance / 2, top + s.ascent);
    const QRectF box(baseline.x(), top, s.advance, s.height());
    Effects::drawWithShadow(p, box.adjusted(-4, -4, 4, 4), shadow, [&](QPainter& g) { fill(g, baseline); });
    return top + s.height();
}

void wifiGlyph(QPainter& p, QPointF bottomCentre, const QColor& c) {
    QPen pen(c, 1.6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (double r : {4.0, 7.5, 11.0}) {
        const QRectF box(bottomCentre.x() - r, bottomCentre.y() - r, 2 * r, 2 * r);
        QPainterPath arc;
        arc.arcMoveTo(box, 45);
        arc.arcTo(box, 45, 90);
        p.drawPath(arc);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawEllipse(bottomCentre, 1.3, 1.3);
}

void batteryGlyph(QPainter& p, const QRectF& body, const QColor& c, double charge) {
    p.setPen(QPen(Vortan::withOpacity(c, 0.55), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const QRectF inner = body.adjusted(2, 2, -2, -2);
    p.drawRoundedRect(QRectF(inner.topLeft(), QSizeF(inner.width() * charge, inner.height())), 1.5, 1.5);
    p.setBrush(Vortan::withOpacity(c, 0.55));
    p.drawRoundedRect(QRectF(body.right() + 1, body.center().y() - 2, 1.8, 4), 0.8, 0.8);
}

void searchGlyph(QPainter& p, const QRectF& box, const QColor& c) {
    p.setPen(QPen(c, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const double r = box.width() * 0.34;
    const QPointF centre = box.topLeft() + QPointF(r + 1, r + 1);
    p.drawEllipse(centre, r, r);
    p.drawLine(centre + QPointF(r * 0.72, r * 0.72), box.bottomRight() - QPointF(0.8, 0.8));
}

} // namespace

void Wallpaper::paint(QPainter& p, const QRectF& c) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient base(c.topLeft(), c.bottomRight());
    base.setColorAt(0, rgb(0.07, 0.08, 0.15));
    base.setColorAt(0.5, rgb(0.13, 0.09, 0.2));
    base.setColorAt(1, rgb(0.04, 0.04, 0.07));
    p.fillRect(c, base);

    auto glow = [&](QPointF unit, QColor colour, double opacity, double r0, double r1) {
        const QPointF centre(c.left() + unit.x() * c.width(), c.top() + unit.y() * c.height());
        QRadialGradient g(centre, r1);
        QColor inner = colour, clear = colour;
        inner.setAlphaF(float(opacity));
        clear.setAlphaF(0);
        g.setColorAt(0, inner);
        g.setColorAt(r0 / r1, inner);
        g.setColorAt(1, clear);
        p.fillRect(c, g);
    };
    glow({0.5, -0.05}, rgb(0.35, 0.18, 0.42), 0.55, 20, 620);
    glow({0.05, 1.05}, rgb(0.1, 0.35, 0.55), 0.35, 20, 700);

    p.setPen(QPen(white(0.018), 1));
    const double w = c.width(), h = c.height();
    for (double x = -h; x < w; x += 26)
        p.drawLine(QPointF(c.left() + x, c.top()), QPointF(c.left() + x + h, c.top() + h));
    p.restore();
}

void FakeMenuBar::paint(QPainter& p, double width) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    p.fillRect(QRectF(0, 0, width, height), black(0.35));
    p.fillRect(QRectF(0, height - 0.5, width, 0.5), white(0.06));
    const QColor ink = white(0.92);
    const double mid = height / 2;

    p.fillPath(Diamond{}.path(QRectF(16, mid - 5.5, 11, 11)), ink);
    std::vector<Text::Piece> left{{Text::shape("Terminal", Vortan::systemFont(13, QFont::Bold)), ink, 0}};
    for (const char* menu : {"File", "Edit", "View", "Window", "Help"})
        left.push_back({Text::shape(menu, Vortan::systemFont(13)), ink, 20});
    Text::drawRow(p, left, 40, mid);

    const Text::Shaped clock = Text::shape("Thu 9:41", Vortan::systemFont(12.5));
    double x = width - 16 - clock.advance;
    Text::draw(p, clock, Text::place(clock, QRectF(x, 0, clock.advance, height), Qt::AlignLeft), ink);
    x -= 18 + 13;
    searchGlyph(p, QRectF(x, mid - 6.5, 13, 13), ink);
    x -= 18 + 24;
    batteryGlyph(p, QRectF(x, mid - 5.5, 22, 11), ink, 0.8);
    x -= 18 + 8;
    wifiGlyph(p, QPointF(x, mid + 5), ink);
    p.restore();
}

void PointerGlyph::paint(QPainter& p, QPointF centre) {
    const QRectF box(centre.x() - width / 2, centre.y() - height / 2, width, height);
    Effects::drawCached(p, QStringLiteral("demo-pointer"), box.adjusted(-14, -14, 14, 14), [&](QPainter& q) {
        Effects::drawWithShadow(
            q, box.adjusted(-2, -2, 2, 2), {black(0.55), 4, QPointF(0, 2)}, [&](QPainter& g) {
                const QPointF o = box.topLeft() + QPointF(1, 1);
                QPainterPath arrow;
                arrow.moveTo(o);
                for (QPointF pt : {QPointF(0, 17), QPointF(4, 13.3), QPointF(7, 19.5), QPointF(9.6, 18.4),
                                   QPointF(6.8, 12.2), QPointF(12, 12.2)})
                    arrow.lineTo(o + pt);
                arrow.closeSubpath();
                g.setRenderHint(QPainter::Antialiasing, true);
                g.setPen(QPen(Qt::black, 1.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                g.setBrush(Qt::white);
                g.drawPath(arrow);
            });
    });
}

void TerminalWindow::paintChrome(QPainter& p, const QRectF& frame) const {
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPainterPath shape = continuousRoundedRect(frame, cornerRadius);
    Effects::drawWithShadow(p, frame, {black(0.55), 28, QPointF(0, 16)}, [&](QPainter& g) {
        g.fillPath(shape, rgb(0.055, 0.06, 0.08));
        g.save();
        g.setClipPath(shape);
        g.fillRect(QRectF(frame.left(), frame.top(), frame.width(), titleBarHeight), rgb(0.14, 0.14, 0.17));
        g.restore();
    });

    const double mid = frame.top() + titleBarHeight / 2, pad = 12, circle = 11, gap = 8;
    const QColor lights[] = {rgb(1.0, 0.37, 0.34), rgb(1.0, 0.74, 0.2), rgb(0.31, 0.79, 0.3)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(lights[i]);
        p.drawEllipse(QRectF(frame.left() + pad + i * (circle + gap), mid - circle / 2, circle, circle));
    }
    const double circlesRight = frame.left() + pad + 3 * circle + 2 * gap;
    const QRectF titleBox(circlesRight, frame.top(), frame.right() - pad - 51 - circlesRight, titleBarHeight);
    const QFont titleFont = Vortan::systemFont(12, QFont::Medium);
    const Text::Shaped t = Text::shape(Text::elided(q(title), titleFont, titleBox.width()), titleFont);
    Text::drawCentred(p, t, titleBox, white(0.55));

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(white(0.09), 1));
    p.drawPath(continuousRoundedRect(frame.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5));
    p.restore();
}

QRectF TerminalWindow::lineBox(const QRectF& frame, int i) {
    constexpr double padX = 16, padTop = 12, pitch = 18;
    return QRectF(frame.left() + padX, frame.top() + titleBarHeight + padTop + i * pitch,
                  frame.width() - 2 * padX, pitch);
}

namespace {
// Claude Code hangs tool results under a "⎿", which none of Debian's monospaced faces
// has: a box-drawing corner stands in for it rather than a missing-glyph box.
QString drawable(QString text, const QFont& font) {
    static const std::pair<char16_t, char16_t> standIns[] = {{u'⎿', u'└'}};
    for (const auto& [wanted, standIn] : standIns)
        if (text.contains(QChar(wanted)) && !QFontMetricsF(font).inFont(QChar(wanted)))
            text.replace(QChar(wanted), QChar(standIn));
    return text;
}
} // namespace

void TerminalWindow::paintLines(QPainter& p, const QRectF& frame) const {
    const double bottom = frame.bottom() - 8;
    for (int i = 0; i < int(lines.size()); ++i) {
        const QRectF box = lineBox(frame, i);
        if (box.bottom() > bottom) break;
        const TermLine& l = lines[std::size_t(i)];
        const QFont font =
            Vortan::systemFont(12.5, TermLine::bold(l.kind) ? QFont::DemiBold : QFont::Normal, true);
        const Text::Shaped s = Text::shape(Text::elided(drawable(q(l.text), font), font, box.width()), font);
        Text::draw(p, s, Text::place(s, box, Qt::AlignLeft), TermLine::colour(l.kind));
    }
}

namespace {
constexpr double plateInsetX = 26, plateInsetY = 11;
QFont captionFont() {
    return Vortan::kerned(Vortan::fontDemi(21), 1.1);
}
} // namespace

QSizeF CaptionPlate::size() const {
    const Text::Shaped s = Text::shape(q(text), captionFont());
    return {s.advance + 2 * plateInsetX, s.height() + 2 * plateInsetY};
}

void CaptionPlate::paint(QPainter& p, QPointF bottomCentre) const {
    if (text.empty() || opacity <= 0) return;
    const QSizeF sz = size();
    const QRectF plate(bottomCentre.x() - sz.width() / 2, bottomCentre.y() - sz.height(), sz.width(),
                       sz.height());
    p.save();
    p.setOpacity(p.opacity() * std::min(opacity, 1.0));
    // The plate is the same for every frame of its caption: drawn once, then faded.
    Effects::drawCached(p, "demo-caption:" + q(text), plate.adjusted(-30, -30, 30, 30), [&](QPainter& g) {
        g.setRenderHint(QPainter::Antialiasing, true);
        const double r = plate.height() / 2;
        g.setPen(Qt::NoPen);
        g.setBrush(black(0.45));
        g.drawRoundedRect(plate, r, r);
        const Text::Shaped s = Text::shape(q(text), captionFont());
        const QPointF at = Text::place(s, plate, Qt::AlignHCenter);
        Effects::drawWithShadow(
            g, QRectF(at.x(), at.y() - s.ascent, s.advance, s.height()).adjusted(-2, -2, 2, 2),
            {black(0.8), 8, QPointF(0, 2)}, [&](QPainter& t) { Text::draw(t, s, at, white(0.95)); });
        g.setBrush(Qt::NoBrush);
        g.setPen(QPen(Vortan::withOpacity(Vortan::gold(), 0.45), 1));
        g.drawRoundedRect(plate.adjusted(0.5, 0.5, -0.5, -0.5), r - 0.5, r - 0.5);
    });
    p.restore();
}

namespace {

struct Wordmark {
    Text::Shaped name = Text::shape("FRAYMARK", Vortan::kerned(Vortan::font(46), 2.5));
    Text::Shaped line =
        Text::shape("A FIGHT-GAME HUD FOR YOUR CODING AGENTS", Vortan::kerned(Vortan::fontDemi(13), 3));
    static constexpr double padX = 14, padY = 10, spacing = 5;
};

} // namespace

QSizeF WordmarkView::size() {
    const Wordmark w;
    return {std::max(w.name.advance, w.line.advance) + 2 * Wordmark::padX,
            w.name.height() + Wordmark::spacing + w.line.height() + 2 * Wordmark::padY};
}

void WordmarkView::paint(QPainter& p, QPointF topLeft) {
    const Wordmark w;
    const double cx = topLeft.x() + size().width() / 2;
    double y = centredLine(p, w.name, cx, topLeft.y() + Wordmark::padY, {black(0.75), 6, QPointF(0, 2)},
                           [&](QPainter& g, QPointF at) { goldText(g, w.name, at); });
    centredLine(p, w.line, cx, y + Wordmark::spacing, {black(0.7), 4, QPointF(0, 1)},
                [&](QPainter& g, QPointF at) { Text::draw(g, w.line, at, white(0.8)); });
}

void ClosingTitle::paint(QPainter& p, const QRectF& canvas, double outro) {
    if (outro <= 0) return;
    p.fillRect(canvas, black(0.72 * std::min(outro, 1.0)));
    const Text::Shaped name = Text::shape("FRAYMARK", Vortan::kerned(Vortan::font(64), 3));
    const Text::Shaped line =
        Text::shape("YOUR CODING AGENTS, ON THE MENU BAR", Vortan::kerned(Vortan::fontDemi(19), 3));
    const Text::Shaped print = Text::shape(smallPrint, Vortan::systemFont(13));
    constexpr double spacing = 14, printPad = 6;
    const double h = name.height() + spacing + line.height() + spacing + printPad + print.height();
    const double width = std::max({name.advance, line.advance, print.advance});
    const double cx = canvas.center().x(), top = canvas.center().y() - h / 2;
    const QRectF bounds(cx - width / 2, top, width, h);
    p.save();
    p.setOpacity(p.opacity() * std::min(outro, 1.0));
    Effects::drawCached(
        p, QStringLiteral("demo-closing-title"), bounds.adjusted(-40, -40, 40, 40), [&](QPainter& g) {
            double y = centredLine(g, name, cx, top, {black(0.8), 10, QPointF(0, 3)},
                                   [&](QPainter& q, QPointF at) { goldText(q, name, at); });
            y = centredLine(g, line, cx, y + spacing, {black(0), 0, {}},
                            [&](QPainter& q, QPointF at) { Text::draw(q, line, at, white(0.85)); });
            centredLine(g, print, cx, y + spacing + printPad, {black(0), 0, {}},
                        [&](QPainter& q, QPointF at) { Text::draw(q, print, at, white(0.5)); });
        });
    p.restore();
}

} // namespace fray
