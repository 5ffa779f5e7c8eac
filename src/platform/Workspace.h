#pragma once

#include <string>

namespace fray {

class Workspace {
  public:
    virtual ~Workspace() = default;
    // Opens a folder in the user's file browser; false when nothing could handle it.
    virtual bool openFolder(const std::string& path) = 0;
    virtual bool openUrl(const std::string& url) = 0;
};

} // namespace fray
