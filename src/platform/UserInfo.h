#pragma once

#include <string>

namespace fray {

class UserInfo {
  public:
    virtual ~UserInfo() = default;
    virtual std::string fullName() const = 0;  // may be empty
    virtual std::string loginName() const = 0; // may be empty
};

} // namespace fray
