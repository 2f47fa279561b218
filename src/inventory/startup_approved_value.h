#pragma once
// The 12-byte value Windows keeps beside a startup entry under "Explorer\StartupApproved" (since
// Windows 8 Task Manager and Settings switch a program off there without deleting its entry): a
// first byte that says on or off, three zero bytes, then the time it was switched off as a
// FILETIME (100-nanosecond ticks since 1601-01-01, UTC, little-endian).

#include "platform/clock.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vtrl::inventory {

inline constexpr std::size_t kApprovedValueSize = 12;

struct ApprovedState {
    bool enabled = true;
    // The FILETIME of the switch-off; 0 when on, or when the value holds no time.
    std::uint64_t disabledSince = 0;
    friend bool operator==(const ApprovedState&, const ApprovedState&) = default;
};

// Off only for a 12-byte value whose first byte is 03 or 07 (the 02 and 06 of a switched-on
// entry with their lowest bit set); every other value, of any length, reads as on, as Windows
// reads it.
ApprovedState ParseApprovedValue(std::span<const std::uint8_t> data);

// What Task Manager writes: 03 00 00 00 and the FILETIME of the switch-off ...
std::vector<std::uint8_t> SwitchedOffValue(std::uint64_t fileTime);
// ... and 02 with eleven zero bytes when it switches the entry on again.
std::vector<std::uint8_t> SwitchedOnValue();

// A UTC wall time as a FILETIME and back, in whole seconds; times before 1601 give 0.
std::uint64_t FileTimeOfUtc(const platform::LocalTime& utc);
platform::LocalTime UtcOfFileTime(std::uint64_t fileTime);

} // namespace vtrl::inventory
