#pragma once

#include "platform/UserInfo.h"

namespace fray {

// The passwd entry: the full name is the gecos field up to its first comma.
class LinuxUser : public UserInfo {
  public:
    std::string fullName() const override;
    std::string loginName() const override;
};

} // namespace fray
