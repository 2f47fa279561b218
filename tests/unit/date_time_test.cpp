#include "fakes/fake_platform.h"
#include "services/date_time.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using platform::LocalTime;

TEST(DateTime, SecondsAcrossMonthYearAndLeapDays) {
    EXPECT_EQ(SecondsBetween({2026, 12, 31, 23, 59, 59}, {2027, 1, 1, 0, 0, 0}), 1);
    EXPECT_EQ(SecondsBetween({2024, 2, 28, 12, 0, 0}, {2024, 3, 1, 12, 0, 0}), 2 * 86400);
    EXPECT_EQ(SecondsBetween({2026, 2, 28, 12, 0, 0}, {2026, 3, 1, 12, 0, 0}), 86400);
    EXPECT_EQ(SecondsBetween({2026, 12, 8, 10, 0, 0}, {2026, 12, 8, 4, 0, 0}), -21600);
    EXPECT_EQ(SecondsBetween({1999, 12, 31, 0, 0, 0}, {2000, 12, 31, 0, 0, 0}), 366 * 86400);
}

TEST(DateTime, StoredTextRoundTripAndUnreadableText) {
    fakes::FakePlatform fake;
    fake.clock.now = {2026, 12, 8, 17, 5, 9};
    const std::wstring stored = NowText(fake.Get().clock, fake.Get().locale);
    EXPECT_EQ(stored, L"12/8/2026 5:05:09 PM");
    EXPECT_EQ(SecondsSince(fake.Get().clock, fake.Get().locale, stored), 0);
    fake.clock.now = {2026, 12, 9, 17, 5, 9};
    EXPECT_EQ(SecondsSince(fake.Get().clock, fake.Get().locale, stored), 86400);
    EXPECT_EQ(SecondsSince(fake.Get().clock, fake.Get().locale, L""), std::nullopt);
    EXPECT_EQ(SecondsSince(fake.Get().clock, fake.Get().locale, L"yesterday"), std::nullopt);
    EXPECT_EQ(SecondsSince(fake.Get().clock, fake.Get().locale, L"13/1/2026 1:00:00 AM"),
              std::nullopt);
}

} // namespace
} // namespace vtrl::services
