// Stored dates: any text either reads as a time or as nothing, a time read gives an age that
// leads back to now, and the date arithmetic behind the ages is exact across months and years.

#include "fuzz_support.h"
#include "services/date_time.h"

namespace {

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

bool IsValid(const vtrl::platform::LocalTime& time) {
    return time.month >= 1 && time.month <= 12 && time.day >= 1 &&
           time.day <= DaysIn(time.year, time.month) && time.hour >= 0 && time.hour < 24 &&
           time.minute >= 0 && time.minute < 60 && time.second >= 0 && time.second < 60;
}

// A valid date and time between the years the date conversion accepts (100 to 9999).
vtrl::platform::LocalTime TimeFrom(FuzzedDataProvider& input) {
    vtrl::platform::LocalTime time;
    time.year = input.ConsumeIntegralInRange(100, 9999);
    time.month = input.ConsumeIntegralInRange(1, 12);
    time.day = input.ConsumeIntegralInRange(1, DaysIn(time.year, time.month));
    time.hour = input.ConsumeIntegralInRange(0, 23);
    time.minute = input.ConsumeIntegralInRange(0, 59);
    time.second = input.ConsumeIntegralInRange(0, 59);
    return time;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    fake.clock.now = TimeFrom(input);
    const vtrl::platform::LocalTime time = TimeFrom(input);
    // Up to about 300 years either way.
    const long long shift =
        input.ConsumeIntegralInRange<long long>(-10'000'000'000LL, 10'000'000'000LL);
    const std::wstring stored = vtrl::fuzz::AnsiText(input, 64);

    // The text a removal stores reads back to the same second.
    const std::wstring text = fake.locale.FormatDateTime(time);
    VTRL_FUZZ_CHECK(fake.locale.ParseDateTime(text) == time);
    const auto age = vtrl::services::SecondsSince(fake.Get().clock, fake.Get().locale, text);
    VTRL_FUZZ_CHECK(age.has_value());
    VTRL_FUZZ_CHECK(vtrl::services::ShiftedTime(time, *age) == fake.clock.now);
    VTRL_FUZZ_CHECK(*age == -vtrl::services::SecondsBetween(fake.clock.now, time));

    const vtrl::platform::LocalTime shifted = vtrl::services::ShiftedTime(time, shift);
    VTRL_FUZZ_CHECK(IsValid(shifted));
    VTRL_FUZZ_CHECK(vtrl::services::SecondsBetween(time, shifted) == shift);
    VTRL_FUZZ_CHECK(vtrl::services::ShiftedTime(shifted, -shift) == time);

    // Any other text: unreadable is nothing, readable is a real time.
    const auto parsed = fake.locale.ParseDateTime(stored);
    const auto storedAge =
        vtrl::services::SecondsSince(fake.Get().clock, fake.Get().locale, stored);
    VTRL_FUZZ_CHECK(parsed.has_value() == storedAge.has_value());
    if (parsed) {
        VTRL_FUZZ_CHECK(vtrl::services::ShiftedTime(*parsed, *storedAge) ==
                        vtrl::services::ShiftedTime(fake.clock.now, 0));
    }
    return 0;
}
