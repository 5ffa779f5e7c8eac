#pragma once

#include "platform/DisplayProvider.h"

class QRect;

namespace fray {

// Qt's screens, converted to global y-up coordinates with the origin at the bottom-left
// of the primary display.
class LinuxDisplays : public DisplayProvider {
  public:
    std::vector<ScreenInfo> screens() const override;

    // Qt (y-down, virtual desktop) rectangle → global y-up, relative to the primary's frame.
    static GRect toGlobal(const QRect& r, const QRect& primary);
    static bool isBuiltInConnector(const std::string& name);
};

} // namespace fray
