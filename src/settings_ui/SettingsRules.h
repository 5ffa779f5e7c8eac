#pragma once

#include "model/Displays.h"
#include "model/IslandLayout.h"
#include "platform/Geometry.h"

#include <optional>
#include <string>
#include <vector>

// What the settings window shows and what its choices write, apart from any drawing.
namespace fray::SettingsRules {

inline constexpr double delayLower = 10;
inline constexpr double delayUpper = 90;

// The delay in whole seconds, fractions dropped, followed by "S": 12.9 gives "12S".
std::string delayText(double seconds);

std::string positionLabel(const std::optional<GPoint>& customSpot);
std::string positionChipText(IslandPosition p);
bool positionChipSelected(IslandPosition chip, IslandPosition current,
                          const std::optional<GPoint>& customSpot);

struct MonitorChip {
    std::optional<std::string> key; // absent for the automatic chip
    std::string name;
    bool selected = false;
    bool notConnected = false;
    bool operator==(const MonitorChip&) const = default;
};

inline constexpr const char* autoChipName = "AUTO — PRIMARY";
inline constexpr const char* rememberedDisplayName = "remembered display";

// The automatic chip, one per attached display and, when the pinned display is away
// (and names are not overridden), a chip for it marked not connected.
std::vector<MonitorChip> monitorChips(const std::vector<Displays::Choice>& monitors,
                                      const std::optional<std::string>& displayKey,
                                      const std::optional<std::string>& displayName, bool namesOverridden);

// The display name stored for a chosen key: the attached display's name, else absent.
std::optional<std::string> displayNameFor(const std::optional<std::string>& key,
                                          const std::vector<Displays::Choice>& monitors);

// `registeredHere`: the entry starts this executable (or a link to it), not another copy.
std::string loginStatusText(bool loginItem, const std::optional<std::string>& registeredPath,
                            bool registeredHere);
std::string loginErrorText(const std::string& description);

struct StatusText {
    std::string text;
    bool alarm = false; // drawn in rage red rather than dim text
    bool operator==(const StatusText&) const = default;
};
StatusText preciseFocusText(bool preciseFocus, bool accessGranted);

inline constexpr const char* helpText = "HOW LONG A SILENT TOOL CALL WAITS BEFORE THE ISLAND CALLS YOU IN. "
                                        "RAISE IT IF LONG BUILDS TRIGGER FALSE “YOUR MOVE!”";
inline constexpr const char* footerLine = "V1.8 · TAILS ~/.CLAUDE/PROJECTS · NO CLAUDE CONFIG TOUCHED";

// The folder "SESSIONS FOLDER" opens.
std::string sessionsFolder(const std::string& home);

} // namespace fray::SettingsRules
