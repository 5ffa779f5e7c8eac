#include "DemoScene.h"

#include "SceneParts.h"

#include "island/CollapsedViews.h"
#include "model/IslandLayout.h"
#include "theme/Effects.h"

#include <cmath>
#include <deque>

namespace fray {

namespace {

void drawBackdrop(QPainter& p, const std::string& title) {
    Wallpaper::paint(p, QRectF(0, 0, DemoScene::W, DemoScene::H));
    FakeMenuBar::paint(p, DemoScene::W);
    TerminalWindow{title, {}}.paintChrome(p, DemoScene::terminalFrame());
}

struct Backdrop {
    double scale;
    std::string title;
    QImage image; // opaque, the whole canvas in device pixels
};

const QImage& backdrop(double scale, const std::string& title) {
    thread_local std::deque<Backdrop> cache;
    for (const Backdrop& b : cache)
        if (b.scale == scale && b.title == title) return b.image;
    if (cache.size() >= 3) cache.pop_back();
    QImage img(int(std::ceil(DemoScene::W * scale)), int(std::ceil(DemoScene::H * scale)),
               QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                         QPainter::TextAntialiasing);
        p.scale(scale, scale);
        drawBackdrop(p, title);
    }
    cache.push_front({scale, title, std::move(img)});
    return cache.front().image;
}

// Whether `t` only scales by `s` and moves by whole device pixels: then a prepared
// image lands exactly where drawing would.
bool pixelAligned(const QTransform& t, double s) {
    auto whole = [](double v) { return std::abs(v - std::round(v)) < 1e-6; };
    return t.type() <= QTransform::TxScale && std::abs(t.m11() - s) < 1e-9 && std::abs(t.m22() - s) < 1e-9 &&
           whole(t.dx()) && whole(t.dy());
}

} // namespace

DemoScene DemoScene::from(DemoScript::Beat beat, std::string terminalTitle) {
    return DemoScene{std::move(beat.model),
                     beat.collapsed,
                     std::move(beat.caption),
                     beat.captionOpacity,
                     std::move(beat.terminal),
                     beat.cursor,
                     beat.outro,
                     std::move(terminalTitle)};
}

QRectF DemoScene::terminalFrame() {
    const double top = FakeMenuBar::height + 26;
    return QRectF((W - TerminalWindow::width) / 2, top, TerminalWindow::width, TerminalWindow::height);
}

QPointF DemoScene::islandTopLeft() const {
    const double w = collapsed ? CollapsedIsland::width : IslandLayout::islandWidth;
    return QPointF((W - w) / 2, 0);
}

QPointF DemoScene::captionAnchor() {
    return QPointF(W / 2, H - 44);
}

void DemoScene::paintBackdrop(QPainter& p) const {
    const double scale = Effects::deviceScale(p);
    const QTransform dt = p.deviceTransform();
    if (!pixelAligned(dt, scale)) {
        drawBackdrop(p, terminalTitle);
        return;
    }
    Effects::drawDevice(p, backdrop(scale, terminalTitle), dt.map(QPointF(0, 0)));
}

void DemoScene::paintLive(QPainter& p, IslandViewState& state, Instant t) const {
    p.save();
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    TerminalWindow{terminalTitle, terminal}.paintLines(p, terminalFrame());
    if (collapsed) {
        CollapsedIsland::paint(p, islandTopLeft(), model, t);
    } else {
        state.ramp.update(model.p1Stamina, t);
        IslandView::paint(p, islandTopLeft(), model, std::nullopt, state, t);
    }
    if (cursor) PointerGlyph::paint(p, *cursor);
    CaptionPlate{caption, captionOpacity}.paint(p, captionAnchor());
    ClosingTitle::paint(p, QRectF(0, 0, W, H), outro);
    p.restore();
}

void DemoScene::paint(QPainter& p, IslandViewState& state, Instant t) const {
    paintBackdrop(p);
    paintLive(p, state, t);
}

} // namespace fray
