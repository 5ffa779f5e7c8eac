#include "X11WindowSystem.h"

#include "LinuxDisplays.h"

#include <QCursor>
#include <QGuiApplication>
#include <QRegion>
#include <QWidget>

#include <xcb/shape.h>
#include <xcb/xcb.h>
#include <xcb/xcb_ewmh.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace fray {

struct X11WindowSystem::X {
    xcb_connection_t* connection = nullptr;
    xcb_window_t root = XCB_NONE;
    xcb_ewmh_connection_t ewmh{};
    xcb_atom_t compositorSelection = XCB_NONE;

    ~X() {
        if (connection) xcb_ewmh_connection_wipe(&ewmh);
    }

    xcb_atom_t atom(const char* name) const {
        auto reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        if (!reply) return XCB_NONE;
        const xcb_atom_t a = reply->atom;
        std::free(reply);
        return a;
    }
};

namespace {

double ratio() {
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

// Device-pixel rectangles of a region, as SHAPE wants them.
std::vector<xcb_rectangle_t> rectangles(const QRegion& region, double dpr) {
    std::vector<xcb_rectangle_t> out;
    for (const QRect& r : region) {
        const QRectF d(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr);
        const QRect p = d.toAlignedRect();
        out.push_back({int16_t(p.x()), int16_t(p.y()), uint16_t(p.width()), uint16_t(p.height())});
    }
    return out;
}

} // namespace

X11WindowSystem::X11WindowSystem() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection()) return;
    x_ = std::make_unique<X>();
    x_->connection = x11->connection();
    x_->root = xcb_setup_roots_iterator(xcb_get_setup(x_->connection)).data->root;
    if (!xcb_ewmh_init_atoms_replies(&x_->ewmh, xcb_ewmh_init_atoms(x_->connection, &x_->ewmh), nullptr)) {
        x_->connection = nullptr;
        x_.reset();
        return;
    }
    x_->compositorSelection = x_->atom("_NET_WM_CM_S0");

    // Root property changes tell of desktop switches, focus and stacking; Qt shares this
    // connection, so its own event mask on the root is kept.
    auto attrs = xcb_get_window_attributes_reply(
        x_->connection, xcb_get_window_attributes(x_->connection, x_->root), nullptr);
    const uint32_t mask = (attrs ? attrs->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(attrs);
    xcb_change_window_attributes(x_->connection, x_->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x_->connection);
    qGuiApp->installNativeEventFilter(this);

    windowsTimer_.setSingleShot(true);
    windowsTimer_.setInterval(windowsCoalesceMs);
    QObject::connect(&windowsTimer_, &QTimer::timeout, &context_, [this] { notify(Change::windows); });
    compositing_ = compositing();
    compositorTimer_.setInterval(compositorPollMs);
    QObject::connect(&compositorTimer_, &QTimer::timeout, &context_, [this] { checkCompositor(); });
    compositorTimer_.start();
}

X11WindowSystem::~X11WindowSystem() {
    if (x_ && qGuiApp) qGuiApp->removeNativeEventFilter(this);
}

bool X11WindowSystem::canPlaceWindows() const {
    return x_ != nullptr;
}

void X11WindowSystem::makeOverlay(QWidget& window) {
    // All at once, before the native window exists: changing these later recreates it.
    window.setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::X11BypassWindowManagerHint | Qt::WindowDoesNotAcceptFocus |
                          Qt::NoDropShadowWindowHint);
    window.setAttribute(Qt::WA_TranslucentBackground);
    window.setAttribute(Qt::WA_ShowWithoutActivating);
    window.setAttribute(Qt::WA_X11DoNotAcceptFocus);
}

void X11WindowSystem::setFrame(QWidget& window, const GRect& frame) {
    const QRect r = LinuxDisplays::toQt(frame);
    if (window.geometry() != r) window.setGeometry(r);
}

void X11WindowSystem::setInputRegion(QWidget& window, const QRectF& region) {
    if (!x_) return;
    auto rects = rectangles(QRegion(region.toAlignedRect()), window.devicePixelRatioF());
    xcb_shape_rectangles(x_->connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window.winId()), 0, 0, uint32_t(rects.size()), rects.data());
    xcb_flush(x_->connection);
}

void X11WindowSystem::setVisibleShape(QWidget& window, const std::optional<QPainterPath>& shape) {
    if (!x_) return;
    const auto id = xcb_window_t(window.winId());
    if (!shape) {
        xcb_shape_mask(x_->connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, id, 0, 0, XCB_NONE);
    } else {
        auto rects = rectangles(QRegion(shape->toFillPolygon().toPolygon()), window.devicePixelRatioF());
        xcb_shape_rectangles(x_->connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                             XCB_CLIP_ORDERING_UNSORTED, id, 0, 0, uint32_t(rects.size()), rects.data());
    }
    xcb_flush(x_->connection);
}

bool X11WindowSystem::compositing() const {
    if (!x_ || x_->compositorSelection == XCB_NONE) return false;
    auto reply = xcb_get_selection_owner_reply(
        x_->connection, xcb_get_selection_owner(x_->connection, x_->compositorSelection), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

void X11WindowSystem::checkCompositor() {
    const bool now = compositing();
    if (now == compositing_) return;
    compositing_ = now;
    notify(Change::compositor);
}

std::optional<std::vector<WindowInfo>> X11WindowSystem::windows() const {
    if (!x_) return std::nullopt;
    xcb_ewmh_connection_t* ewmh = &x_->ewmh;
    xcb_ewmh_get_windows_reply_t list;
    if (!xcb_ewmh_get_client_list_stacking_reply(ewmh, xcb_ewmh_get_client_list_stacking(ewmh, 0), &list,
                                                 nullptr))
        return std::nullopt;
    uint32_t current = 0;
    const bool knowsDesktop =
        xcb_ewmh_get_current_desktop_reply(ewmh, xcb_ewmh_get_current_desktop(ewmh, 0), &current, nullptr);

    // Every question first, then every answer: one round trip for the whole list.
    struct Asked {
        xcb_window_t id;
        xcb_get_property_cookie_t state, desktop, pid, type;
        xcb_get_geometry_cookie_t geometry;
        xcb_translate_coordinates_cookie_t origin;
    };
    std::vector<Asked> asked;
    for (uint32_t i = 0; i < list.windows_len; ++i) {
        const xcb_window_t w = list.windows[i];
        asked.push_back({w, xcb_ewmh_get_wm_state(ewmh, w), xcb_ewmh_get_wm_desktop(ewmh, w),
                         xcb_ewmh_get_wm_pid(ewmh, w), xcb_ewmh_get_wm_window_type(ewmh, w),
                         xcb_get_geometry(x_->connection, w),
                         xcb_translate_coordinates(x_->connection, w, x_->root, 0, 0)});
    }
    xcb_ewmh_get_windows_reply_wipe(&list);

    const double dpr = ratio();
    const uint32_t ourPid = uint32_t(::getpid());
    std::vector<WindowInfo> out;
    for (const Asked& a : asked) {
        WindowInfo info;
        xcb_ewmh_get_atoms_reply_t atoms;
        bool hidden = false;
        if (xcb_ewmh_get_wm_state_reply(ewmh, a.state, &atoms, nullptr)) {
            for (uint32_t k = 0; k < atoms.atoms_len; ++k) {
                info.fullscreen = info.fullscreen || atoms.atoms[k] == ewmh->_NET_WM_STATE_FULLSCREEN;
                hidden = hidden || atoms.atoms[k] == ewmh->_NET_WM_STATE_HIDDEN;
            }
            xcb_ewmh_get_atoms_reply_wipe(&atoms);
        }
        info.fullscreen = info.fullscreen && !hidden;
        uint32_t desktop = 0;
        if (xcb_ewmh_get_wm_desktop_reply(ewmh, a.desktop, &desktop, nullptr))
            info.onCurrentDesktop = !knowsDesktop || desktop == current || desktop == 0xFFFFFFFF;
        uint32_t pid = 0;
        if (xcb_ewmh_get_wm_pid_reply(ewmh, a.pid, &pid, nullptr)) info.ours = pid == ourPid;
        if (xcb_ewmh_get_wm_window_type_reply(ewmh, a.type, &atoms, nullptr)) {
            for (uint32_t k = 0; k < atoms.atoms_len; ++k) {
                const xcb_atom_t t = atoms.atoms[k];
                if (t == ewmh->_NET_WM_WINDOW_TYPE_DOCK || t == ewmh->_NET_WM_WINDOW_TYPE_DESKTOP)
                    info.ordinary = false;
            }
            xcb_ewmh_get_atoms_reply_wipe(&atoms);
        }
        auto geometry = xcb_get_geometry_reply(x_->connection, a.geometry, nullptr);
        auto origin = xcb_translate_coordinates_reply(x_->connection, a.origin, nullptr);
        if (geometry && origin) {
            const QRectF px(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
            const QRectF logical(px.x() / dpr, px.y() / dpr, px.width() / dpr, px.height() / dpr);
            info.bounds = LinuxDisplays::toGlobal(logical.toRect());
        }
        const bool readable = geometry && origin;
        std::free(geometry);
        std::free(origin);
        if (readable) out.push_back(info); // a window whose bounds cannot be read is left out
    }
    return out;
}

GPoint X11WindowSystem::pointer() const {
    const QPoint p = QCursor::pos();
    const GRect r = LinuxDisplays::toGlobal(QRect(p, QSize(0, 0)));
    return {r.x, r.y};
}

void X11WindowSystem::raise(QWidget& window) {
    window.raise();
}

bool X11WindowSystem::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return false;
    auto* property = reinterpret_cast<xcb_property_notify_event_t*>(event);
    if (property->window != x_->root) return false;
    const xcb_ewmh_connection_t& e = x_->ewmh;
    if (property->atom == e._NET_CURRENT_DESKTOP) {
        notify(Change::desktop);
    } else if (property->atom == e._NET_ACTIVE_WINDOW || property->atom == e._NET_CLIENT_LIST_STACKING ||
               property->atom == e._NET_SUPPORTING_WM_CHECK) {
        if (!windowsTimer_.isActive()) windowsTimer_.start();
        checkCompositor();
    }
    return false; // Qt sees every event too
}

} // namespace fray
