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

// The stills (`fraymark --render-shots DIR`) and the real-time demo film
// (`fraymark --render-film DIR`), drawn from the demo story through the live views.
namespace DemoMedia {

inline constexpr double shotScale = 2;
inline constexpr double wordmarkScale = 3;
inline constexpr double filmScale = 1.5;
inline constexpr int filmQuality = 92;
// Frames come no closer than this: faster capture only fills the disk, and gaps under the
// list's 8 ms floor would stretch the film past its running time.
inline constexpr double filmMaxFrameRate = 60;
inline constexpr const char* terminalTitle = "orbit-api — claude — 118×34";

// What a still draws: its size in points, painted at (0, 0) for a frame time.
struct View {
    QSizeF size;
    std::function<void(QPainter&, Instant)> draw;
};

struct Shot {
    std::string name;   // file stem
    bool flash = false; // wait for a pulse's peak first, so the glow shows at its brightest
    std::function<View(Instant now)> make;
};

// The sixteen shots in their published order.
std::vector<Shot> shots();
View wordmark();

// `view` at `scale` pixels per point: on black when `opaque`, else on transparency.
// A null image when it cannot be rendered.
QImage render(const View& view, double scale, bool opaque, Instant t);

// Whether the pulses are near their peak at `t`.
bool isFlashPeak(Instant t);
// The first instant from `from` on, in 2 ms steps and at most 1.5 s ahead, at which the
// pulses peak; `from` + 1.5 s when there is none.
Instant nextFlashPeak(Instant from);
// Sleeps until the next flash peak and returns it: the instant to draw the shot for.
// (The pulses are a known function of time: polling the clock instead would sleep past
// the narrow peaks whenever the machine is busy.)
Instant waitForFlashPeak(const Clock& clock = wallNow, const std::function<void(Instant)>& sleepUntil = {});

// Creates `dir`, then writes "wordmark.png" and one PNG per shot, printing "wrote NAME"
// per file or "FAILED NAME" per shot that renders to nothing on `out`; files that cannot
// be written are reported on `err`. Returns 0 when everything was written, else 1.
int renderShots(const std::string& dir, std::ostream& out, std::ostream& err);
int renderShots(const std::string& dir);

struct FilmOptions {
    double scale = filmScale;
    std::function<void()> afterFrame; // runs after each frame is captured (tests slow capture with it)
};

// Captures the 46-second story in real time into `dir` as "f00000.jpg"… with the
// ffconcat list "frames.txt" that replays them at the pace they were captured. Returns 0
// when the film and its list were written, else 1 (the reason on `err`).
int renderFilm(const std::string& dir, std::ostream& out, std::ostream& err, const FilmOptions& options = {});
int renderFilm(const std::string& dir);

} // namespace DemoMedia
} // namespace fray
