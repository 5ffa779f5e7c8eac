#pragma once

#include <string>

namespace fray {

class Workspace {
  public:
    enum class Opened { yes, missing, noHandler };

    virtual ~Workspace() = default;
    // Opens a folder in the user's file browser.
    virtual Opened openFolder(const std::string& path) = 0;
    virtual bool openUrl(const std::string& url) = 0;
};

} // namespace fray
