#pragma once

#include "platform/DisplayProvider.h"

#include <QObject>

class QRect;
class QScreen;

namespace fray {

// Qt's screens, converted to global y-up coordinates with the origin at the bottom-left
// of the primary display.
class LinuxDisplays : public DisplayProvider {
  public:
    // Follows Qt's screen notifications when the application object exists.
    LinuxDisplays();

    std::vector<ScreenInfo> screens() const override;

    // Qt (y-down, virtual desktop) rectangle → global y-up, relative to the primary's frame,
    // and back: the one place where the two coordinate systems meet.
    static GRect toGlobal(const QRect& r, const QRect& primary);
    static QRect toQt(const GRect& r, const QRect& primary);
    // Against Qt's primary screen now (an empty frame without one).
    static GRect toGlobal(const QRect& r);
    static QRect toQt(const GRect& r);
    static bool isBuiltInConnector(const std::string& name);

  private:
    void watch(QScreen* screen);

    QObject context_; // owns the connections to Qt's signals
};

} // namespace fray
