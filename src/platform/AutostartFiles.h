#pragma once

#include "Autostart.h"

#include <optional>
#include <string>
#include <string_view>

// The file operations both autostart backends share, each reporting failures as an error
// value with the system's reason.
namespace fray::AutostartFiles {

AutostartError missingExecutable();
// An empty or relative base folder would put the entry somewhere unrelated to the user.
std::optional<AutostartError> checkBaseFolder(const std::string& dir);

// Creates the folder with any missing parents.
std::optional<AutostartError> makeFolder(const std::string& dir);
// Writes through a temporary file in the same folder, then renames it over `path`, so a
// reader never sees a half-written entry and a failure leaves the earlier file intact.
std::optional<AutostartError> writeAtomically(const std::string& path, std::string_view bytes);
// Removes whatever is at `path` (a dangling link included); nothing there is success.
std::optional<AutostartError> removeIfPresent(const std::string& path);
// True when an item exists at `path`, following links.
bool exists(const std::string& path);
// The same file, also when one path reaches it through a link.
bool samePath(const std::string& a, const std::string& b);
// The whole file, or absent when it cannot be read.
std::optional<std::string> read(const std::string& path);

} // namespace fray::AutostartFiles
