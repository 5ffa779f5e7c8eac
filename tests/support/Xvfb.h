#pragma once

#include <string>

namespace fray::test {

// A private X server for one test: Xvfb picks a free display number itself.
class Xvfb {
  public:
    explicit Xvfb(const std::string& screen = "1600x900x24");
    ~Xvfb();
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    bool ok() const { return !display_.empty(); }
    const std::string& display() const { return display_; } // ":N"

  private:
    int pid_ = -1;
    std::string display_;
};

} // namespace fray::test
