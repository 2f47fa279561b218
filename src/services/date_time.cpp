#include "services/date_time.h"

namespace vtrl::services {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(int year, int month, int day) {
    const long long y = static_cast<long long>(year) - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long monthIndex = month > 2 ? month - 3 : month + 9;
    const long long dayOfYear = (153 * monthIndex + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

platform::LocalTime CivilFromDays(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const long long dayOfEra = days - era * 146097;
    const long long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long monthIndex = (5 * dayOfYear + 2) / 153;
    platform::LocalTime time;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0));
    return time;
}

long long SecondsOf(const platform::LocalTime& time) {
    return DaysFromCivil(time.year, time.month, time.day) * 86400LL + time.hour * 3600LL +
           time.minute * 60LL + time.second;
}

} // namespace

std::wstring NowText(platform::Clock& clock, platform::Locale& locale) {
    return locale.FormatDateTime(clock.Now());
}

long long SecondsBetween(const platform::LocalTime& earlier, const platform::LocalTime& later) {
    return SecondsOf(later) - SecondsOf(earlier);
}

platform::LocalTime ShiftedTime(const platform::LocalTime& time, long long seconds) {
    constexpr long long kDay = 86400;
    const long long total = SecondsOf(time) + seconds;
    long long days = total / kDay;
    long long rest = total % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    platform::LocalTime shifted = CivilFromDays(days);
    shifted.hour = static_cast<int>(rest / 3600);
    shifted.minute = static_cast<int>(rest / 60 % 60);
    shifted.second = static_cast<int>(rest % 60);
    return shifted;
}

std::optional<long long> SecondsSince(platform::Clock& clock, platform::Locale& locale,
                                      const std::wstring& stored) {
    if (stored.empty()) {
        return std::nullopt;
    }
    const auto then = locale.ParseDateTime(stored);
    if (!then) {
        return std::nullopt;
    }
    return SecondsBetween(*then, clock.Now());
}

} // namespace vtrl::services
