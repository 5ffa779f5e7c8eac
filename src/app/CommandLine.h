#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fray {

class AXFocus;
class Settings;
struct Platform;

// The program's entry: diagnostic and render modes end after their work; otherwise the
// resident application runs until quit.
class CommandLine {
  public:
    explicit CommandLine(std::vector<std::string> args);

    int run(int& argc, char** argv);

    static std::string usage();

    bool has(const std::string& option) const;
    // The element after the first occurrence of `option`, if any.
    const std::string* valueAfter(const std::string& option) const;

  private:
    int axStatus(AXFocus& ax);
    int axClick(AXFocus& ax);
    int displays(Platform& platform, const Settings& settings);
    int previews(const std::string& dir, int& argc, char** argv);
    int demoMedia(const std::string& dir, int& argc, char** argv,
                  const std::function<int(const std::string&)>& render);
    int resident(int& argc, char** argv);

    std::vector<std::string> args_;
};

} // namespace fray
