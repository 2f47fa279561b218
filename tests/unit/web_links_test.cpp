#include "fakes/fake_platform.h"
#include "services/settings_store.h"
#include "services/web_links.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using platform::LocalTime;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

class WebLinksTest : public ::testing::Test {
protected:
    WebLinksTest() : facts(FrameworkStartup(fake.Get())) {
        fake.files.AddFile(L"C:\\Program Files\\Vantorel\\Languages\\English.ini",
                           "[UPDATES]\r\nRECENTUPDATECHECKWAS=Your last check for updates was\r\n"
                           "DAYSAGO=days ago.\r\nCHECKUPDATESNOW=Check now?\r\n");
        language.LanguageFolder = L"C:\\Program Files\\Vantorel\\Languages";
        language.LanguageName = L"English";
    }

    std::wstring RecentUpdate() {
        return GetSetting(fake.registry, kAppKey, L"Settings", L"Recent Update");
    }
    void SetRecentUpdate(const LocalTime& time) {
        SaveSetting(fake.registry, kAppKey, L"Settings", L"Recent Update",
                    fake.locale.FormatDateTime(time));
    }
    std::int16_t DaysFrom(const LocalTime& stored, const LocalTime& now) {
        SetRecentUpdate(stored);
        fake.clock.now = now;
        return DaysSinceUpdateCheck(fake.Get());
    }

    fakes::FakePlatform fake;
    SystemFacts facts;
    Language language;
};

TEST_F(WebLinksTest, LinkForTheDocumentedExample) {
    facts.VersionText = L"3.51";
    facts.MachineId = L"0123456789ABCDEF";
    EXPECT_EQ(WebLink(facts, language, L"United States", L"site", L""),
              std::wstring(kVendorWebEndpoint) +
                  L"?scn=VTRL&to=site&version=3.51&country=United%20States"
                  L"&pcid=0123456789ABCDEF&language=English");
}

TEST_F(WebLinksTest, OpenWebLinkReturnsOrOpens) {
    const std::wstring link = OpenWebLink(fake.Get(), facts, language, kTopicHelp, L"", true);
    EXPECT_EQ(link, WebLink(facts, language, L"United States", L"help", L""));
    EXPECT_TRUE(fake.launcher.opened.empty());

    EXPECT_EQ(OpenWebLink(fake.Get(), facts, language, kTopicHelp, L"", false), L"");
    EXPECT_EQ(fake.launcher.opened, std::vector<std::wstring>{link});
}

TEST_F(WebLinksTest, OpenInBrowserFallsBackToInternetExplorerThenWarns) {
    const std::wstring url = L"https://www.vantorel.example/check.php?to=site";

    // A registered browser and a working shell: only the shell is asked.
    OpenInBrowser(fake.Get(), url);
    EXPECT_EQ(fake.launcher.opened, std::vector<std::wstring>{url});
    EXPECT_TRUE(fake.launcher.started.empty());

    // The shell fails: Internet Explorer, when it is there, gets the URL in quotes.
    fake.launcher.opened.clear();
    fake.launcher.shellOpenSucceeds = false;
    fake.files.AddFile(kInternetExplorerPath, "MZ");
    OpenInBrowser(fake.Get(), url);
    EXPECT_EQ(fake.launcher.opened.size(), 1u);
    EXPECT_EQ(fake.launcher.started,
              std::vector<std::wstring>{
                  L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"" + url + L"\""});

    // A command of nothing but quotes counts as none: the shell is not even asked.
    fake.launcher.opened.clear();
    fake.launcher.started.clear();
    fake.launcher.shellOpenSucceeds = true;
    fake.launcher.browserCommand = L"\"\"";
    OpenInBrowser(fake.Get(), url);
    EXPECT_TRUE(fake.launcher.opened.empty());
    EXPECT_EQ(fake.launcher.started.size(), 1u);
    EXPECT_TRUE(fake.messages.shown.empty());

    // No browser at all: the warning names the URL on its own line.
    fake.launcher.started.clear();
    fake.launcher.browserCommand.clear();
    fake.files.Remove(kInternetExplorerPath);
    OpenInBrowser(fake.Get(), url);
    EXPECT_TRUE(fake.launcher.started.empty());
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text,
              L"ERROR! Can't find browser to open the following URL:\r\n" + url);
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(fake.messages.shown[0].caption, L"Vantorel");
}

TEST_F(WebLinksTest, FirstDayCountStoresNow) {
    fake.clock.now = {2026, 3, 14, 15, 9, 26};
    EXPECT_EQ(RecentUpdate(), L"");
    EXPECT_EQ(DaysSinceUpdateCheck(fake.Get()), 0);
    EXPECT_EQ(RecentUpdate(), L"3/14/2026 3:09:26 PM");
}

TEST_F(WebLinksTest, DayCountUsesCalendarDates) {
    // Two seconds apart across midnight is one day; 47 hours within two dates is one day too.
    EXPECT_EQ(DaysFrom({2025, 12, 31, 23, 59, 59}, {2026, 1, 1, 0, 0, 1}), 1);
    EXPECT_EQ(DaysFrom({2026, 1, 31, 0, 0, 1}, {2026, 2, 1, 23, 0, 0}), 1);
    EXPECT_EQ(DaysFrom({2026, 1, 31, 23, 0, 0}, {2026, 3, 1, 1, 0, 0}), 29);
    EXPECT_EQ(DaysFrom({2024, 2, 28, 12, 0, 0}, {2024, 3, 1, 12, 0, 0}), 2); // leap year
    EXPECT_EQ(DaysFrom({2025, 1, 1, 0, 0, 0}, {2026, 1, 1, 0, 0, 0}), 365);
    EXPECT_EQ(DaysFrom({2026, 6, 1, 8, 0, 0}, {2026, 6, 1, 20, 0, 0}), 0);
    // A stored date in the future counts backwards.
    EXPECT_EQ(DaysFrom({2027, 1, 10, 0, 0, 0}, {2026, 12, 31, 23, 0, 0}), -10);
}

TEST_F(WebLinksTest, UnreadableStoredDateCountsAsZero) {
    SaveSetting(fake.registry, kAppKey, L"Settings", L"Recent Update", L"last Tuesday");
    EXPECT_EQ(DaysSinceUpdateCheck(fake.Get()), 0);
    EXPECT_EQ(RecentUpdate(), L"last Tuesday"); // left for the user to replace
}

TEST_F(WebLinksTest, ReminderAsksAfterSixtyDaysOnly) {
    fake.clock.now = {2026, 12, 8, 9, 30, 0};
    SetRecentUpdate({2026, 10, 9, 9, 30, 0}); // 60 days
    UpdateCheckReminder(fake.Get(), facts, language, true);
    EXPECT_TRUE(fake.messages.shown.empty());

    SetRecentUpdate({2026, 10, 8, 23, 59, 0}); // 61 days
    UpdateCheckReminder(fake.Get(), facts, language, false);
    EXPECT_TRUE(fake.messages.shown.empty());

    fake.messages.answers = {MessageAnswer::No};
    UpdateCheckReminder(fake.Get(), facts, language, true);
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text,
              L"Your last check for updates was 61 days ago.\r\n\r\nCheck now?");
    EXPECT_EQ(fake.messages.shown[0].caption, L"Vantorel");
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(fake.messages.shown[0].buttons, MessageButtons::YesNo);
    // No stores nothing, so the question comes again.
    EXPECT_EQ(RecentUpdate(), L"10/8/2026 11:59:00 PM");
    EXPECT_TRUE(fake.launcher.opened.empty());
}

TEST_F(WebLinksTest, ReminderYesOpensTheUpdatesPageAndRestartsTheCount) {
    fake.clock.now = {2026, 12, 8, 9, 30, 0};
    SetRecentUpdate({2026, 1, 2, 9, 30, 0});
    fake.messages.answers = {MessageAnswer::Yes};
    UpdateCheckReminder(fake.Get(), facts, language, true);
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.launcher.opened, std::vector<std::wstring>{WebLink(
                                        facts, language, L"United States", L"updates", L"")});
    EXPECT_EQ(RecentUpdate(), L"12/8/2026 9:30:00 AM");
}

TEST_F(WebLinksTest, HttpGetWantsExactlyTheExpectedLength) {
    const std::wstring url = L"http://127.0.0.1/reply";
    const std::wstring target = facts.DataFolder + L"\\reply.txt";

    fake.http.bodies[url] = std::string(999, 'a');
    EXPECT_FALSE(HttpGet(fake.Get(), url, target, 1000));
    fake.http.bodies[url] = std::string(1001, 'a');
    EXPECT_FALSE(HttpGet(fake.Get(), url, target, 1000));
    EXPECT_FALSE(fake.files.FileExists(target));

    // A longer old file is replaced whole, not overwritten at its start.
    fake.files.AddFile(target, std::string(3000, 'z'));
    fake.http.bodies[url] = std::string(1000, 'b');
    EXPECT_TRUE(HttpGet(fake.Get(), url, target, 1000));
    EXPECT_EQ(fake.files.Content(target), std::string(1000, 'b'));

    // Nothing fetched is a short body too.
    EXPECT_FALSE(HttpGet(fake.Get(), L"http://127.0.0.1/none", target, 1000));
    EXPECT_TRUE(HttpGet(fake.Get(), L"http://127.0.0.1/none", target, 0));
    EXPECT_EQ(fake.files.Content(target), "");
    EXPECT_FALSE(HttpGet(fake.Get(), url, target, -1));
    EXPECT_EQ(fake.http.requests.back(), url);
}

} // namespace
} // namespace vtrl::services
