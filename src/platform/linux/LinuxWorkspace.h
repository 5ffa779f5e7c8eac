#pragma once

#include "platform/Workspace.h"

namespace fray {

class LinuxWorkspace : public Workspace {
  public:
    Opened openFolder(const std::string& path) override;
    bool openUrl(const std::string& url) override;
};

} // namespace fray
