#pragma once
// The wall clock: local time, and the UTC that Windows stamps some of its own records with.

#include <optional>

namespace vtrl::platform {

struct LocalTime {
    int year = 0;
    int month = 0; // 1..12
    int day = 0;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
    // The current time in UTC.
    virtual LocalTime UtcNow() = 0;
    // A UTC time as the local time of the user's time zone on that date; nullopt when it cannot
    // be converted.
    virtual std::optional<LocalTime> LocalOfUtc(const LocalTime& utc) = 0;
};

} // namespace vtrl::platform
