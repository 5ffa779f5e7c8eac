#pragma once

#include <string_view>

namespace fray {

// The application's identifier: autostart file stem, launch-agent label, error domain.
inline constexpr std::string_view appId = "io.fraymark.Fraymark";

} // namespace fray
