#pragma once

// The application id: lock file, desktop entry, autostart label and error domain.
namespace fray {
inline constexpr const char* appId = "io.fraymark.Fraymark";
}
