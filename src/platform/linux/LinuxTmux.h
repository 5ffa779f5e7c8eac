#pragma once

#include "platform/Tmux.h"

#include <optional>

namespace fray {

// The tmux command-line client. An empty socket means the default server, used only
// when its socket exists, so no call ever creates tmux's socket folder.
class LinuxTmux : public Tmux {
  public:
    std::vector<TmuxPane> panes(const std::string& socket) override;
    std::vector<TmuxClient> clients(const std::string& socket) override;
    bool selectPane(const std::string& socket, const std::string& paneId) override;
    bool switchClient(const std::string& socket, const std::string& clientTty,
                      const std::string& paneId) override;

  private:
    // tmux's output, or absent when it failed or did not answer in time.
    std::optional<std::string> run(const std::string& socket, const std::vector<std::string>& args);
};

} // namespace fray
