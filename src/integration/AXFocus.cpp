#include "AXFocus.h"

#include "session/UnicodeText.h"

#include <QString>

#include <algorithm>
#include <thread>

namespace fray {

namespace {

bool matches(const std::string& label, const std::string& needle) {
    // More than seven user-perceived characters.
    if (UnicodeText::firstCharacters(label, AXFocus::minLabelLength - 1).size() == label.size()) return false;
    return label.find(needle) != std::string::npos || needle.find(label) != std::string::npos;
}

bool canPress(AccessibleElement& e) {
    const auto names = e.actionNames();
    return std::find(names.begin(), names.end(), AXFocus::pressAction) != names.end();
}

} // namespace

AXFocus::AXFocus(Accessibility& access, Finder findApp, Wait wait, std::chrono::milliseconds giveUp)
    : access_(access), findApp_(std::move(findApp)),
      wait_(wait ? std::move(wait)
                 : Wait([](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); })),
      giveUp_(giveUp) {}

std::chrono::milliseconds AXFocus::retryWait(int attempt) {
    return std::chrono::milliseconds(120 + 40 * (attempt - 1));
}

std::string AXFocus::normalize(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .toLower()
        .simplified()
        .toStdString();
}

std::string AXFocus::labelText(AccessibleElement& e) {
    std::string out;
    bool first = true;
    for (const char* attribute : labelAttributes)
        if (auto t = e.text(attribute)) {
            if (!first) out += ' ';
            out += *t;
            first = false;
        }
    return out;
}

bool AXFocus::searchAndPress(AccessibleElement& e, const std::string& needle, int depth, int& budget,
                             const Cancelled& stop) {
    if (depth > maxDepth || budget < 1 || (stop && stop())) return false;
    --budget;
    if (depth >= 1 && matches(normalize(labelText(e)), needle)) {
        // The row itself, or one of its five nearest ancestors, takes the press.
        std::shared_ptr<AccessibleElement> holder;
        AccessibleElement* at = &e;
        for (int climbed = 0; at; ++climbed) {
            if (canPress(*at)) {
                if (at->performAction(pressAction)) return true;
                break;
            }
            if (climbed == ancestorClimb) break;
            holder = at->parent();
            at = holder.get();
        }
    }
    auto kids = e.children();
    if (!kids) return false;
    for (const auto& child : *kids)
        if (child && searchAndPress(*child, needle, depth + 1, budget, stop)) return true;
    return false;
}

bool AXFocus::clickSession(const std::string& title, const Cancelled& cancelled) {
    const auto deadline = std::chrono::steady_clock::now() + giveUp_;
    if (!access_.isTrusted() || title.empty()) return false;
    const std::string needle = normalize(title);
    // A title of blanks alone would be found in every label: the first row is not the session.
    if (needle.empty()) return false;
    auto app = findApp_ ? findApp_() : nullptr;
    if (!app) return false;
    const Cancelled stop = [&] {
        return (cancelled && cancelled()) || std::chrono::steady_clock::now() >= deadline;
    };
    for (int attempt = 1; attempt <= attempts && !stop(); ++attempt) {
        int budget = visitBudget;
        if (searchAndPress(*app, needle, 0, budget, stop)) return true;
        if (stop()) break;
        wait_(retryWait(attempt));
    }
    return false;
}

} // namespace fray
