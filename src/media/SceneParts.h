#pragma once

#include "DemoScript.h"

#include <QPainter>
#include <QRectF>

#include <string>
#include <vector>

// The pieces of the fake desktop the demo story plays on, each drawn only from its inputs.
namespace fray {

namespace Wallpaper {
void paint(QPainter& p, const QRectF& canvas);
}

namespace FakeMenuBar {
inline constexpr double height = 26;
void paint(QPainter& p, double width);
} // namespace FakeMenuBar

// A drawn mouse arrow.
namespace PointerGlyph {
inline constexpr double width = 14, height = 21;
// The arrow with its shadow, centred on `centre`.
void paint(QPainter& p, QPointF centre);
} // namespace PointerGlyph

struct TerminalWindow {
    std::string title;
    std::vector<TermLine> lines;

    static constexpr double width = 880, height = 392;
    static constexpr double titleBarHeight = 34;
    static constexpr double cornerRadius = 11;

    // Shadow, title bar, body and rim: everything but the lines.
    void paintChrome(QPainter& p, const QRectF& frame) const;
    void paintLines(QPainter& p, const QRectF& frame) const;
    // Where the i-th line's text box sits.
    static QRectF lineBox(const QRectF& frame, int i);
};

struct CaptionPlate {
    std::string text;
    double opacity = 1;

    QSizeF size() const;
    // The plate with its bottom edge centred on `bottomCentre`.
    void paint(QPainter& p, QPointF bottomCentre) const;
};

namespace WordmarkView {
QSizeF size();
void paint(QPainter& p, QPointF topLeft);
} // namespace WordmarkView

// The film's last seconds: the desktop dimmed and the product's name over it.
namespace ClosingTitle {
// The line of small print under the title.
inline constexpr const char* smallPrint =
    "Reads what your agents write · Never touches their settings · No network needed";
void paint(QPainter& p, const QRectF& canvas, double outro);
} // namespace ClosingTitle

} // namespace fray
