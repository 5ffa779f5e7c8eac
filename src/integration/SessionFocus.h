#pragma once

#include "AXFocus.h"
#include "DesktopSessions.h"
#include "io/FileAccess.h"
#include "platform/Platform.h"
#include "session/SessionInfo.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace fray {

// What a click on a session does: bring the session forward in the best way this
// machine allows. The desktop app's session opens in the app; a session whose agent
// still runs comes forward in its terminal; an ended one resumes in a new terminal.
// Main thread, except the row press, which runs on a worker of its own.
class SessionFocus {
  public:
    SessionFocus(Platform& platform, std::function<bool()> preciseFocus,
                 std::shared_ptr<FileAccess> files = posixFileAccess());
    ~SessionFocus(); // abandons a press in progress and waits for its worker

    void focusSession(const SessionInfo& session);
    std::optional<DesktopSessions::Match> desktopSession(const SessionInfo& session);
    // Writes the resume script and opens it in a terminal; plays the error sound instead
    // when that cannot be done (no folder, an unsafe id, nothing to resume with).
    void resumeInTerminal(const SessionInfo& session, const std::string& sessionId);

    // The script's place: the only file a click writes.
    std::string scriptPath() const;
    AXFocus& ax() { return ax_; }
    // Blocks until no press is pending or running; for tests.
    void waitForPress();

    // The desktop app's application element, found through its running processes.
    static std::shared_ptr<AccessibleElement> desktopAppElement(Platform& platform);

  private:
    void openInDesktop(const DesktopSessions::Match& desktop);
    void pressInBackground(const std::string& title);
    void fail();

    Platform& platform_;
    std::function<bool()> preciseFocus_;
    std::shared_ptr<FileAccess> files_;
    AXFocus ax_;

    // The press worker: one title at a time; a newer click replaces a press not yet started.
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<std::string> pending_;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

} // namespace fray
