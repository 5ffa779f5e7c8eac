#include "SettingsWindow.h"

#include "platform/Platform.h"
#include "settings_ui/SettingsView.h"

#include <QCoreApplication>

namespace fray {

SettingsWindow::SettingsWindow(Settings& settings, Platform& platform, TargetScreen targetScreen)
    : settings_(settings), platform_(platform), targetScreen_(std::move(targetScreen)) {}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::open() {
    if (!view_) {
        view_ = std::make_unique<SettingsView>(
            settings_, platform_, [this] { view_->hide(); }, [] { QCoreApplication::quit(); });
        view_->setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        view_->setWindowTitle(QStringLiteral("Fraymark Options"));
    }
    const auto screen = targetScreen_();
    if (!screen) return;
    const QSize size = view_->sizeHint();
    const GRect& v = screen->visibleFrame;
    platform_.windows->setFrame(*view_,
                                GRect{v.midX() - size.width() / 2.0, v.midY() - size.height() / 2.0 + 40,
                                      double(size.width()), double(size.height())});
    view_->show();
    view_->raise();
    view_->activateWindow();
}

} // namespace fray
