#include "SessionFocus.h"

#include "DesktopApp.h"
#include "ResumeScript.h"
#include "RunningSessions.h"
#include "platform/AtomicFile.h"

namespace fray {

SessionFocus::SessionFocus(Platform& platform, std::function<bool()> preciseFocus,
                           std::shared_ptr<FileAccess> files)
    : platform_(platform), preciseFocus_(std::move(preciseFocus)), files_(std::move(files)),
      ax_(
          *platform.accessibility, [&platform] { return desktopAppElement(platform); },
          [this](std::chrono::milliseconds ms) {
              // A wait the destructor can cut short.
              std::unique_lock lock(mutex_);
              wake_.wait_for(lock, ms, [this] { return stopping_; });
          }) {}

SessionFocus::~SessionFocus() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
}

std::shared_ptr<AccessibleElement> SessionFocus::desktopAppElement(Platform& platform) {
    auto app = platform.applications->find(DesktopApp::desktopIds());
    if (!app) return nullptr;
    auto pids = DesktopApp::processes(*app, platform.processes->snapshot(), platform.clientWindows->list());
    if (pids.empty()) return nullptr;
    return platform.accessibility->application(pids);
}

std::string SessionFocus::scriptPath() const {
    return platform_.paths.cacheHome + "/fraymark/resume.sh";
}

void SessionFocus::fail() {
    platform_.sounds->playSystemSound("Basso");
}

std::optional<DesktopSessions::Match> SessionFocus::desktopSession(const SessionInfo& session) {
    return DesktopSessions::find(*files_, DesktopSessions::directory(platform_.paths.configHome),
                                 DesktopSessions::cliSessionId(session));
}

void SessionFocus::focusSession(const SessionInfo& session) {
    const auto app = platform_.applications->find(DesktopApp::desktopIds());
    // A session the desktop app runs opens there.
    if (app && session.agent == Agent::claude)
        if (auto desktop = desktopSession(session)) {
            DesktopApp::bringForward(*app, *platform_.processes, *platform_.clientWindows,
                                     *platform_.applications);
            openInDesktop(*desktop);
            return;
        }

    // A session still running somewhere comes forward there: a second agent resuming the
    // same session beside the first would interleave two conversations in one transcript.
    std::string id = session.agent == Agent::codex ? ResumeScript::codexSessionId(session.id).value_or("")
                                                   : DesktopSessions::cliSessionId(session);
    switch (RunningSessions::bringForward(session, id, *platform_.processes, *platform_.clientWindows,
                                          *platform_.tmux)) {
    case RunningSessions::Outcome::broughtForward:
        return;
    case RunningSessions::Outcome::noWindow:
        fail();
        return;
    case RunningSessions::Outcome::notRunning:
        break;
    }

    if (app) {
        DesktopApp::bringForward(*app, *platform_.processes, *platform_.clientWindows,
                                 *platform_.applications);
        return;
    }
    resumeInTerminal(session, id);
}

void SessionFocus::openInDesktop(const DesktopSessions::Match& desktop) {
    if (preciseFocus_ && preciseFocus_() && ax_.isTrusted() && desktop.title && !desktop.title->empty()) {
        pressInBackground(*desktop.title);
        return;
    }
    if (!desktop.bridge) return;
    if (auto link = DesktopSessions::deepLink(*desktop.bridge)) platform_.workspace->openUrl(*link);
}

void SessionFocus::resumeInTerminal(const SessionInfo& session, const std::string& sessionId) {
    // Only the two command-line agents can be resumed, and only ids that are safe to
    // write into a script: anything else could run code on click.
    if (!session.cwd || session.cwd->empty() || session.cwd->front() != '/' ||
        !files_->exists(*session.cwd) || !ResumeScript::isSafeId(sessionId) ||
        (session.agent != Agent::claude && session.agent != Agent::codex)) {
        fail();
        return;
    }
    const ResumeScript::Command command = session.agent == Agent::codex
                                              ? ResumeScript::Command{"codex", "resume", sessionId}
                                              : ResumeScript::Command{"claude", "--resume", sessionId};
    const auto shell = files_->exists("/bin/zsh") ? ResumeScript::Shell::zsh : ResumeScript::Shell::bash;
    const std::string path = scriptPath();
    makeDirectories(path.substr(0, path.rfind('/')), 0700); // a failure shows in the write
    if (writeFileAtomically(path, ResumeScript::text(shell, command, *session.cwd), 0755) != 0 ||
        !platform_.terminal->runScript(path))
        fail();
}

void SessionFocus::pressInBackground(const std::string& title) {
    std::lock_guard lock(mutex_);
    pending_ = title;
    if (!worker_.joinable()) {
        worker_ = std::thread([this] {
            std::unique_lock lock(mutex_);
            for (;;) {
                wake_.wait(lock, [this] { return stopping_ || pending_; });
                if (stopping_) return;
                const std::string next = std::move(*pending_);
                pending_.reset();
                busy_ = true;
                lock.unlock();
                ax_.clickSession(next, [this] {
                    std::lock_guard guard(mutex_);
                    return stopping_;
                });
                lock.lock();
                busy_ = false;
                wake_.notify_all();
            }
        });
    }
    wake_.notify_all();
}

void SessionFocus::waitForPress() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [this] { return stopping_ || (!pending_ && !busy_); });
}

} // namespace fray
