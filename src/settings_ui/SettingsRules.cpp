#include "SettingsRules.h"

#include <algorithm>
#include <cmath>

namespace fray::SettingsRules {

std::string delayText(double seconds) {
    if (!std::isfinite(seconds)) return "—S";
    return std::to_string(static_cast<long long>(std::trunc(seconds))) + "S";
}

std::string positionLabel(const std::optional<GPoint>& customSpot) {
    return customSpot ? "POSITION (DRAGGED)" : "POSITION";
}

std::string positionChipText(IslandPosition p) {
    std::string s(rawValue(p));
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

bool positionChipSelected(IslandPosition chip, IslandPosition current,
                          const std::optional<GPoint>& customSpot) {
    return !customSpot && chip == current;
}

std::vector<MonitorChip> monitorChips(const std::vector<Displays::Choice>& monitors,
                                      const std::optional<std::string>& displayKey,
                                      const std::optional<std::string>& displayName, bool namesOverridden) {
    std::vector<MonitorChip> chips;
    chips.push_back({std::nullopt, autoChipName, !displayKey, false});
    bool attached = false;
    for (const auto& m : monitors) {
        bool sel = displayKey && *displayKey == m.key;
        attached = attached || sel;
        chips.push_back({m.key, m.name, sel, false});
    }
    if (displayKey && !attached && !namesOverridden)
        chips.push_back({displayKey, displayName.value_or(rememberedDisplayName), true, true});
    return chips;
}

std::optional<std::string> displayNameFor(const std::optional<std::string>& key,
                                          const std::vector<Displays::Choice>& monitors) {
    if (!key) return std::nullopt;
    for (const auto& m : monitors)
        if (m.key == *key) return m.name;
    return std::nullopt;
}

std::string loginStatusText(bool loginItem, const std::optional<std::string>& registeredPath,
                            bool registeredHere) {
    if (!loginItem) return "OFF BY DEFAULT. THE APP NEVER ADDS ITSELF — SWITCH THIS ON IF YOU WANT IT.";
    if (!registeredPath || registeredHere)
        return "ON — TAKES EFFECT AT YOUR NEXT LOGIN. TURN IT OFF HERE TO REMOVE IT.";
    return "ON, BUT POINTING AT A DIFFERENT COPY: " + *registeredPath + ". TOGGLE OFF AND ON TO RE-AIM IT.";
}

std::string loginErrorText(const std::string& description) {
    return "Couldn't update login item: " + description;
}

StatusText preciseFocusText(bool preciseFocus, bool accessGranted) {
    if (!preciseFocus)
        return {
            "OFF BY DEFAULT. ON, A ROW CLICK OPENS THAT EXACT SESSION BY DRIVING CLAUDE’S OWN WINDOW — NEEDS "
            "THE ACCESSIBILITY PERMISSION, ASKED FOR ONLY WHEN YOU SWITCH THIS ON.",
            false};
    if (accessGranted)
        return {"ON — ACCESS GRANTED. CLICKING A FIGHTER JUMPS TO ITS SESSION IN CLAUDE.", false};
    return {"ON, BUT WAITING FOR ACCESS: ENABLE ASSISTIVE TECHNOLOGIES IN YOUR DESKTOP’S ACCESSIBILITY "
            "SETTINGS, THEN RESTART CLAUDE.",
            true};
}

std::string sessionsFolder(const std::string& home) {
    return home + "/.claude/projects";
}

} // namespace fray::SettingsRules
