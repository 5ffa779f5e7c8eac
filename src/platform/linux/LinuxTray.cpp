#include "LinuxTray.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>

#include <cstdio>
#include <cstdlib>

namespace fray {

LinuxTray::LinuxTray() : trace_(std::getenv("FRAYMARK_TRACE_MENUS") != nullptr) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return; // menus are widgets
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) return; // no desktop
    icon_ = std::make_unique<QSystemTrayIcon>();
    icon_->setToolTip(QStringLiteral("Fraymark"));
    menu_ = std::make_unique<QMenu>();
    icon_->setContextMenu(menu_.get());
    QObject::connect(menu_.get(), &QMenu::aboutToShow, this, [this] { rebuild(); });
    // A plain click opens the menu too, as a status item does.
    QObject::connect(icon_.get(), &QSystemTrayIcon::activated, this,
                     [this](QSystemTrayIcon::ActivationReason r) {
                         if (r != QSystemTrayIcon::Trigger) return;
                         rebuild();
                         menu_->popup(QCursor::pos());
                     });
    qGuiApp->installEventFilter(this);
}

LinuxTray::~LinuxTray() {
    if (qGuiApp) qGuiApp->removeEventFilter(this);
}

bool LinuxTray::available() const {
    return icon_ && QSystemTrayIcon::isSystemTrayAvailable();
}

QColor LinuxTray::inkFor(const QColor& background) {
    return background.lightnessF() < 0.5 ? QColor(0xf2, 0xf2, 0xf2) : QColor(0x1e, 0x1e, 0x1e);
}

void LinuxTray::setIcon(std::function<QImage(const QColor&, int)> draw) {
    draw_ = std::move(draw);
    redraw();
}

void LinuxTray::redraw() {
    if (!icon_ || !draw_) return;
    const QColor ink = inkFor(QGuiApplication::palette().color(QPalette::Window));
    QIcon icon;
    for (int h : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(draw_(ink, h)));
    icon_->setIcon(icon);
    if (!icon_->isVisible()) icon_->show();
}

void LinuxTray::setMenu(MenuBuilder build) {
    build_ = std::move(build);
    rebuild();
}

void LinuxTray::refreshMenu() {
    rebuild();
}

void LinuxTray::rebuild() {
    if (!menu_ || !build_) return;
    menu_->clear();
    std::string traced;
    for (const MenuEntry& e : build_()) {
        if (trace_)
            traced += (traced.empty() ? "" : " | ") + (e.kind == MenuEntry::Kind::separator ? "-" : e.title);
        switch (e.kind) {
        case MenuEntry::Kind::separator:
            menu_->addSeparator();
            break;
        case MenuEntry::Kind::header:
            menu_->addAction(QString::fromStdString(e.title))->setEnabled(false);
            break;
        case MenuEntry::Kind::action: {
            QAction* a = menu_->addAction(QString::fromStdString(e.title));
            if (!e.shortcut.empty()) a->setShortcut(QKeySequence(QString::fromStdString(e.shortcut)));
            auto fn = e.action;
            QObject::connect(a, &QAction::triggered, menu_.get(), [fn] {
                if (fn) fn();
            });
            break;
        }
        }
    }
    if (trace_) std::fprintf(stderr, "fraymark: tray menu: %s\n", traced.c_str());
}

bool LinuxTray::eventFilter(QObject* watched, QEvent* event) {
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange) redraw();
    return false;
}

} // namespace fray
