#pragma once

#include "session/Instant.h"

#include <QImage>
#include <QPainter>
#include <QSizeF>

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace fray {

// Draws a fixed gallery of island states into PNG files without starting the app
// (`fraymark --render-previews DIR`). Every entry goes through the live views.
namespace PreviewRenderer {

struct Entry {
    std::string name;                                   // file stem after "island-"
    QSizeF size;                                        // the view, in points
    std::function<void(QPainter&, Instant frame)> draw; // paints at (0, 0)
};

// The gallery in its published order, for views drawn at `frame`.
std::vector<Entry> gallery(Instant frame);

inline constexpr double margin = 26;
inline constexpr double scale = 2;

// The entry on the opaque backdrop with a 26-point margin, at two pixels per point;
// a null image when it cannot be rendered.
QImage render(const Entry& entry, Instant frame, double pixelScale = scale);

// The fixed frame time of every render: a pulse at its peak, so the previews are
// reproducible and show the animations at full strength.
Instant frameTime();

// Renders every entry into `dir` (which must exist) as "island-<name>.png", printing
// "wrote <path>" or "render FAILED: <name>" per entry on `out`. A file that cannot be
// written is reported on `err`. Returns 0 when every file was written, 1 otherwise.
int renderAll(const std::string& dir, std::ostream& out, std::ostream& err);
int renderAll(const std::string& dir);

} // namespace PreviewRenderer
} // namespace fray
