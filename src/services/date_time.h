#pragma once
// Stored times: the local date and time as text in the user's general date format, compared as
// whole-second differences.

#include "platform/clock.h"
#include "platform/locale.h"

#include <optional>
#include <string>

namespace vtrl::services {

// The current local date and time as stored text.
std::wstring NowText(platform::Clock& clock, platform::Locale& locale);
// Whole seconds from earlier to later (negative when later is before earlier).
long long SecondsBetween(const platform::LocalTime& earlier, const platform::LocalTime& later);
// The time the given number of seconds later (earlier when negative), across days, months and
// years.
platform::LocalTime ShiftedTime(const platform::LocalTime& time, long long seconds);
// Seconds from a stored time to now; nullopt when the text is empty or unreadable.
std::optional<long long> SecondsSince(platform::Clock& clock, platform::Locale& locale,
                                      const std::wstring& stored);

} // namespace vtrl::services
