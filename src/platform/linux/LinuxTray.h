#pragma once

#include "platform/Tray.h"

#include <QObject>

#include <memory>

class QMenu;
class QSystemTrayIcon;

namespace fray {

// A QSystemTrayIcon: StatusNotifierItem where a watcher runs, XEmbed otherwise. Setting
// FRAYMARK_TRACE_MENUS prints each menu as it is built on standard error.
class LinuxTray : public Tray, private QObject {
  public:
    LinuxTray();
    ~LinuxTray() override;

    bool available() const override;
    void setIcon(std::function<QImage(const QColor& ink, int pixelHeight)> draw) override;
    void setMenu(MenuBuilder build) override;
    void refreshMenu() override;

    // The ink for a panel of this background: light on dark, dark on light.
    static QColor inkFor(const QColor& background);

  private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void redraw();
    void rebuild();

    std::unique_ptr<QSystemTrayIcon> icon_;
    std::unique_ptr<QMenu> menu_;
    std::function<QImage(const QColor&, int)> draw_;
    MenuBuilder build_;
    bool trace_ = false;
};

} // namespace fray
