#pragma once

#include <QColor>
#include <QImage>

#include <functional>
#include <string>
#include <vector>

namespace fray {

// One line of a menu the application builds; the platform turns it into a native menu.
struct MenuEntry {
    enum class Kind { action, header, separator };
    Kind kind = Kind::action;
    std::string title;
    std::function<void()> action;
    std::string shortcut; // a key sequence such as "Ctrl+Q", or empty

    static MenuEntry header(std::string title) { return {Kind::header, std::move(title), {}, {}}; }
    static MenuEntry separator() { return {Kind::separator, {}, {}, {}}; }
};
using MenuBuilder = std::function<std::vector<MenuEntry>()>;

// The status icon in the desktop's tray, with its menu. Without a tray host nothing shows
// and nothing fails; the icon appears when a host starts.
class Tray {
  public:
    virtual ~Tray() = default;
    // Whether a tray host is showing the icon now.
    virtual bool available() const = 0;
    // Shows the icon drawn by `draw` in `ink` at a height in pixels; drawn again whenever
    // the desktop's colours change (light ink on a dark panel, dark on a light one).
    virtual void setIcon(std::function<QImage(const QColor& ink, int pixelHeight)> draw) = 0;
    // The menu is built afresh every time it opens, and at refreshMenu() (some hosts never
    // say that it is about to open).
    virtual void setMenu(MenuBuilder build) = 0;
    virtual void refreshMenu() = 0;
};

} // namespace fray
