#pragma once

#include "island/IslandModel.h"

#include <QColor>
#include <QPointF>
#include <QUuid>

#include <optional>
#include <string>
#include <vector>

namespace fray {

// One line of the fake terminal.
struct TermLine {
    enum class Kind { path, user, bullet, tool, dim, ok, ask, choice, cursor };

    QUuid id = QUuid::createUuid();
    std::string text;
    Kind kind = Kind::dim;

    static QColor colour(Kind kind);
    static bool bold(Kind kind);
};

// The 46-second story of one coding session, as a pure function of the time t in seconds
// since the film's start. Instants in it are relative to a reference `now`.
namespace DemoScript {

inline constexpr double tPrompt = 3.6; // the instruction is sent
inline constexpr double tWorking = 7;
inline constexpr double tSecond = 11; // a second session joins
inline constexpr double tNeeds = 16;  // permission prompt
inline constexpr double tApprove = 23;
inline constexpr double tKO = 28.5;
inline constexpr double tRoster = 33;
inline constexpr double tCollapse = 39.5;
inline constexpr double tOutro = 43;
inline constexpr double duration = 46;

// How long a caption takes to fade in or out.
inline constexpr double captionFade = 0.45;

struct Beat {
    IslandModel model;
    bool collapsed = false;
    std::string caption;
    double captionOpacity = 0;
    std::vector<TermLine> terminal;
    std::optional<QPointF> cursor; // the fake mouse pointer, in scene points
    double outro = 0;              // progress of the closing title
};

struct Caption {
    std::string text;
    double opacity = 0;
};

Caption caption(double t);
// The main session's stamina; nothing before the instruction is sent.
std::optional<double> mainStamina(double t);
// Seconds since the main session's last prompt; nothing before the first one.
std::optional<double> promptAge(double t);
// The sessions of the story, player 1 first.
SessionList sessions(double t, Instant now);
// The pointer while the roster is shown, eased in over 1.1 s.
std::optional<QPointF> pointer(double t);
double outro(double t);
std::vector<TermLine> terminalLines(double t);

Beat beat(double t, Instant now);

} // namespace DemoScript
} // namespace fray
