#include "LinuxDisplays.h"

#include "Edid.h"
#include "X11Struts.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

#include <cmath>

namespace fray {

GRect LinuxDisplays::toGlobal(const QRect& r, const QRect& primary) {
    const double primaryBottom = primary.y() + primary.height();
    return {double(r.x() - primary.x()), primaryBottom - (r.y() + r.height()), double(r.width()),
            double(r.height())};
}

LinuxDisplays::LinuxDisplays() {
    if (!qGuiApp) return;
    for (QScreen* s : QGuiApplication::screens())
        watch(s);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, &context_, [this](QScreen* s) {
        watch(s);
        notifyChanged();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, &context_, [this] { notifyChanged(); });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, &context_, [this] { notifyChanged(); });
}

void LinuxDisplays::watch(QScreen* screen) {
    QObject::connect(screen, &QScreen::geometryChanged, &context_, [this] { notifyChanged(); });
    QObject::connect(screen, &QScreen::availableGeometryChanged, &context_, [this] { notifyChanged(); });
}

QRect LinuxDisplays::toQt(const GRect& r, const QRect& primary) {
    const double primaryBottom = primary.y() + primary.height();
    return QRect(int(std::lround(r.x + primary.x())), int(std::lround(primaryBottom - r.top())),
                 int(std::lround(r.width)), int(std::lround(r.height)));
}

namespace {
QRect primaryGeometry() {
    QScreen* primary = qGuiApp ? QGuiApplication::primaryScreen() : nullptr;
    return primary ? primary->geometry() : QRect();
}
} // namespace

GRect LinuxDisplays::toGlobal(const QRect& r) {
    return toGlobal(r, primaryGeometry());
}

QRect LinuxDisplays::toQt(const GRect& r) {
    return toQt(r, primaryGeometry());
}

bool LinuxDisplays::isBuiltInConnector(const std::string& name) {
    for (const char* prefix : {"eDP", "LVDS", "DSI"})
        if (name.rfind(prefix, 0) == 0) return true;
    return false;
}

std::vector<ScreenInfo> LinuxDisplays::screens() const {
    std::vector<ScreenInfo> out;
    if (!qGuiApp) return out;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return out;
    QList<QScreen*> list = QGuiApplication::screens();
    list.removeOne(primary);
    list.prepend(primary); // the system's first display is the primary one
    const QRect p = primary->geometry();
    // Qt knows the work area only while there is one screen; with more, the panels' own
    // reservations say where each screen's top band ends.
    const auto struts = list.size() > 1 ? topStruts() : std::vector<TopStrut>{};
    const double dpr = qGuiApp->devicePixelRatio();
    int index = 0;
    for (QScreen* s : list) {
        ++index;
        ScreenInfo info;
        info.name = s->name().toStdString();
        // Some platforms (offscreen, a few virtual ones) leave screens unnamed.
        if (info.name.empty()) info.name = "Screen " + std::to_string(index);
        info.id = info.name;
        info.frame = toGlobal(s->geometry(), p);
        QRect available = s->availableGeometry();
        const QRect g = s->geometry();
        for (const TopStrut& t : struts) {
            const int bottom = int(t.height / dpr), left = int(t.left / dpr), right = int(t.right / dpr);
            if (bottom > g.top() && bottom <= g.bottom() && left <= g.right() && right >= g.left() &&
                bottom > available.top())
                available.setTop(bottom);
        }
        info.visibleFrame = toGlobal(available, p);
        info.builtIn = isBuiltInConnector(info.name);
        if (auto ids = edidForConnector(info.name)) {
            info.vendor = ids->vendor;
            info.model = ids->model;
            info.serial = ids->serial;
        }
        out.push_back(std::move(info));
    }
    return out;
}

} // namespace fray
