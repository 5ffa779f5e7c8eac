#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fray {

// One element of another application's user-interface tree. Attribute names are the
// generic ones ("AXTitle", "AXDescription", "AXValue"; action "AXPress"); each backend
// maps them onto its own. Reads that fail or time out come back empty.
class AccessibleElement {
  public:
    virtual ~AccessibleElement() = default;
    // The attribute's text; absent when it is missing or not text.
    virtual std::optional<std::string> text(const std::string& attribute) = 0;
    virtual std::vector<std::string> actionNames() = 0;
    virtual bool performAction(const std::string& action) = 0;
    virtual std::shared_ptr<AccessibleElement> parent() = 0;
    // Absent when the children cannot be read.
    virtual std::optional<std::vector<std::shared_ptr<AccessibleElement>>> children() = 0;
};

// Trust check and permission prompt for driving other applications' UI, and the way
// into a running application's tree.
class Accessibility {
  public:
    virtual ~Accessibility() = default;
    virtual bool isTrusted() const = 0;
    virtual void requestAccess() = 0;
    // The application element of the running application whose process is one of
    // `pids`; null when there is none. May block briefly; call it where the press runs.
    virtual std::shared_ptr<AccessibleElement> application(const std::vector<int>& pids) = 0;
};

} // namespace fray
