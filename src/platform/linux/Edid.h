#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fray {

struct EdidIds {
    std::uint32_t vendor = 0; // manufacturer id, the packed three-letter code
    std::uint32_t model = 0;  // product code
    std::uint32_t serial = 0; // serial number
    bool operator==(const EdidIds&) const = default;
};

// The identity fields of an EDID block; absent unless the block carries the fixed header.
std::optional<EdidIds> parseEdid(const std::vector<std::uint8_t>& bytes);

// EDID of the X11 output (or RandR monitor) with this name, when running on X11.
std::optional<EdidIds> edidForConnector(const std::string& name);

} // namespace fray
