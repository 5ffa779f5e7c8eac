#pragma once

#include "platform/Accessibility.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace fray {

// Precise focus: presses the Claude desktop app's sidebar row that shows a session's
// title, as a user would, through the accessibility interface. Blocking and slow by
// nature; run it off the UI thread.
class AXFocus {
  public:
    using Finder = std::function<std::shared_ptr<AccessibleElement>()>;
    using Wait = std::function<void(std::chrono::milliseconds)>;
    using Cancelled = std::function<bool()>;

    static constexpr std::array<const char*, 3> labelAttributes{"AXTitle", "AXDescription", "AXValue"};
    static constexpr const char* pressAction = "AXPress";
    static constexpr int maxDepth = 45;
    static constexpr int visitBudget = 6000;
    static constexpr std::size_t minLabelLength = 8;
    static constexpr int ancestorClimb = 5;
    static constexpr int attempts = 10;
    // Ten walks and about three seconds of waiting: past this, a tree that answers slowly
    // or not at all is abandoned.
    static constexpr std::chrono::seconds giveUpAfter{12};

    // `findApp` gives the running desktop app's application element, or null.
    AXFocus(Accessibility& access, Finder findApp, Wait wait = {},
            std::chrono::milliseconds giveUp = giveUpAfter);

    bool isTrusted() const { return access_.isTrusted(); }
    void requestAccess() { access_.requestAccess(); }

    // True when a matching row was pressed. `cancelled` is asked between steps.
    bool clickSession(const std::string& title, const Cancelled& cancelled = {});

    // Pause after failed attempt n (1-based): 120 ms, 160 ms, … 480 ms.
    static std::chrono::milliseconds retryWait(int attempt);
    // Lower case, white space runs to one blank, none at the ends.
    static std::string normalize(std::string_view text);
    // The label attributes that are text, joined with blanks.
    static std::string labelText(AccessibleElement& e);
    // Depth-first search that presses the first match; `budget` is shared by the whole walk.
    static bool searchAndPress(AccessibleElement& e, const std::string& needle, int depth, int& budget,
                               const Cancelled& stop);

  private:
    Accessibility& access_;
    Finder findApp_;
    Wait wait_;
    std::chrono::milliseconds giveUp_;
};

} // namespace fray
