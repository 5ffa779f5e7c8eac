#pragma once

#include <string>
#include <vector>

namespace fray {

struct TmuxPane {
    int pid = 0;    // the pane's first process
    std::string id; // "%3"
    std::string session;
    bool operator==(const TmuxPane&) const = default;
};

struct TmuxClient {
    int pid = 0;
    std::string tty;
    std::string session; // the session it shows
    bool operator==(const TmuxClient&) const = default;
};

// A tmux server, addressed by its socket path (empty: the default server). Every call
// gives up quickly when the server does not answer.
class Tmux {
  public:
    virtual ~Tmux() = default;
    virtual std::vector<TmuxPane> panes(const std::string& socket) = 0;
    virtual std::vector<TmuxClient> clients(const std::string& socket) = 0;
    // Makes the pane the current one of its window and the window the current one of its session.
    virtual bool selectPane(const std::string& socket, const std::string& paneId) = 0;
    // Shows the pane's session in the client on `clientTty`.
    virtual bool switchClient(const std::string& socket, const std::string& clientTty,
                              const std::string& paneId) = 0;
};

} // namespace fray
