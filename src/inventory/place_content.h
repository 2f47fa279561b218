#pragma once
// What a startup record's place held when the record was removed: a registry value's type and
// raw data, or a file's own bytes and attributes. Which of them, and how a restore reads it, is
// up to the record's place type (startup_place.h).

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vtrl::inventory {

struct PlaceContent {
    std::wstring exactLocation;   // the full location exactly as named (line breaks and all)
    std::uint32_t valueType = 0;  // a registry value's type; 0 for a file
    std::uint32_t attributes = 0; // a file's attribute bits; 0 for a value or unknown
    std::string data;             // the value's raw data, or the file's bytes
    friend bool operator==(const PlaceContent&, const PlaceContent&) = default;
};

// Reads the place as it is now; nullopt when it is gone, cannot be read or is too large to keep.
using PlaceReader = std::function<std::optional<PlaceContent>()>;

// A place holding more than this is logged without a copy (and restored from the log's lines).
inline constexpr std::size_t kMaxRecordCopyBytes = 16 * 1024 * 1024;

} // namespace vtrl::inventory
