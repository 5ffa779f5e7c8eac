#pragma once

#include "platform/DisplayProvider.h"

#include <functional>
#include <memory>
#include <optional>

namespace fray {

class Settings;
class SettingsView;
struct Platform;

// The options window: the settings view as a frameless window that takes the keyboard,
// moved by dragging its background, created on first use and reused after that.
class SettingsWindow {
  public:
    using TargetScreen = std::function<std::optional<ScreenInfo>()>;
    SettingsWindow(Settings& settings, Platform& platform, TargetScreen targetScreen);
    ~SettingsWindow();

    // Shows the window 40 points above the middle of the island's display (its visible
    // part) and gives it the keyboard; stays hidden without a display.
    void open();
    // Null until first opened.
    SettingsView* view() { return view_.get(); }

  private:
    Settings& settings_;
    Platform& platform_;
    TargetScreen targetScreen_;
    std::unique_ptr<SettingsView> view_;
};

} // namespace fray
