#pragma once
// What a startup record's place held when the record was removed: a registry value's type and
// raw data, or a shortcut file's own bytes and attributes.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vtrl::decisions {

struct PlaceContent {
    std::wstring exactLocation;   // the full location exactly as named (line breaks and all)
    std::uint32_t valueType = 0;  // a registry value's type; 0 for a shortcut
    std::uint32_t attributes = 0; // a shortcut file's attribute bits; 0 for a value or unknown
    std::string data;             // the value's raw data, or the shortcut file's bytes
    friend bool operator==(const PlaceContent&, const PlaceContent&) = default;
};

// Reads the place as it is now; nullopt when it is gone, cannot be read or is too large to keep.
using PlaceReader = std::function<std::optional<PlaceContent>()>;

} // namespace vtrl::decisions
