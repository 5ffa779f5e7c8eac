#include "FileState.h"

#include "session/PathText.h"
#include "session/SessionRules.h"
#include "session/Tuning.h"
#include "session/UnicodeText.h"

#include <algorithm>
#include <cmath>

namespace fray {

bool isGenericDir(std::string_view lowerName) {
    return std::find(genericDirs.begin(), genericDirs.end(), lowerName) != genericDirs.end();
}

std::optional<SessionStatus> FileState::derive(Instant now, double needsActionDelay) {
    const double idle = secondsBetween(lastActivity, now);
    const double age = secondsBetween(created, now);
    // Busy as far as the transcript tells: working, then stale once idle for long.
    auto busy = [&]() -> std::optional<SessionStatus> {
        if (!seenAssistant && age < Tuning::startedWindow) return SessionStatus::started;
        return statusForAge(Activity::busy, idle, needsActionDelay);
    };
    std::optional<SessionStatus> result;
    if (idle <= Tuning::candidateWindow) {
        switch (lastKind) {
        case LineKind::none:
            if (age < Tuning::startedWindow) result = SessionStatus::started;
            break;
        case LineKind::userText:
        case LineKind::toolResult:
        case LineKind::assistantThinking:
        case LineKind::injected:
            result = busy();
            break;
        case LineKind::assistantToolUse:
            // Only a call that can put a question to the user needs action: a question or
            // a plan waits at once; sub-agents and a mode that never asks just run.
            if (callsAskUser)
                result = SessionStatus::needsAction;
            else if (callsInBackground || neverAsks)
                result = busy();
            else
                result = statusForAge(Activity::toolPending, idle, needsActionDelay);
            break;
        case LineKind::assistantText:
            // Text may be followed by a tool call of the same reply: the turn is over when
            // the transcript says so, or once nothing has followed for the delay.
            if (!turnEnded && idle <= needsActionDelay)
                result = SessionStatus::working;
            else
                result = statusForAge(Activity::finished, idle, needsActionDelay);
            break;
        case LineKind::interrupted:
            result = statusForAge(Activity::finished, idle, needsActionDelay);
            break;
        }
    }
    if (!result) {
        lastStatus.reset();
        return std::nullopt;
    }
    if (lastStatus != result) {
        lastStatus = result;
        stateSince = now;
    }
    return result;
}

void FileState::notePrompt(Instant at) {
    if (!promptTimes.empty() && std::abs(secondsBetween(promptTimes.back(), at)) < 3.0) return;
    promptTimes.push_back(at);
    std::sort(promptTimes.begin(), promptTimes.end());
    if (promptTimes.size() > maxPromptTimes)
        promptTimes.erase(promptTimes.begin(),
                          promptTimes.begin() +
                              static_cast<std::ptrdiff_t>(promptTimes.size() - maxPromptTimes));
    if (!bootstrapping) powerUpAt = at;
}

void FileState::softReset() {
    size = 0;
    leftover.clear();
    leftover.shrink_to_fit();
    initialized = false;
    lastKind = LineKind::none;
    seenAssistant = false;
    combo = 0;
    lastPromptHash.reset();
    promptTimes.clear();
    neverAsks = false;
    callsAskUser = false;
    callsInBackground = false;
    turnEnded = false;
    turnPromptHash.reset();
}

namespace {

std::string toLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

} // namespace

std::string FileState::projectLabel(std::string_view fallbackPath, FileAccess& files) const {
    if (!cwd || cwd->empty() || *cwd == "/") {
        std::string_view dirName = PathText::lastComponent(PathText::parent(fallbackPath));
        auto first = dirName.find_first_not_of('-');
        if (first == std::string_view::npos) return {};
        auto last = dirName.find_last_not_of('-');
        return std::string(UnicodeText::lastCharacters(dirName.substr(first, last - first + 1), 28));
    }

    std::string_view p = *cwd;
    for (int i = 0; i < 12; ++i) {
        if (p.empty() || p == "/") break;
        if (files.exists(PathText::join(p, ".git"))) { // a worktree has a .git file, a broken link counts
            std::string_view name = PathText::lastComponent(p);
            if (!name.empty()) return std::string(name);
            break;
        }
        p = PathText::parent(p);
    }

    p = *cwd;
    for (int i = 0; i < 4; ++i) {
        std::string_view name = PathText::lastComponent(p);
        if (name.empty() || name == "/") break;
        if (!isGenericDir(toLower(name))) return std::string(name);
        p = PathText::parent(p);
    }
    return std::string(PathText::lastComponent(*cwd));
}

} // namespace fray
