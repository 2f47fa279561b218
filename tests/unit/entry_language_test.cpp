#include "fakes/fake_platform.h"
#include "services/settings_store.h"
#include "services/web_links.h"
#include "shell/entry.h"

#include <gtest/gtest.h>

namespace vtrl::shell {
namespace {

using services::kAppKey;

constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";

class EntryLanguageTest : public ::testing::Test {
protected:
    EntryLanguageTest() {
        fake.files.AddFile(
            std::wstring(kLanguages) + L"\\English.ini",
            "[INTERFACE]\r\nOK=OK\r\n[UPDATES]\r\nRECENTUPDATECHECKWAS=Last check:\r\n"
            "DAYSAGO=days ago.\r\nCHECKUPDATESNOW=Check now?\r\n");
    }
    std::wstring Setting(const std::wstring& key) {
        return services::GetSetting(fake.registry, kAppKey, L"Settings", key);
    }
    fakes::FakePlatform fake;
};

TEST_F(EntryLanguageTest, EveryStartChoosesTheLanguageFirst) {
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"no such mode"), DispatchOutcome::NoMatch);
    EXPECT_EQ(Setting(L"Language"), L"English");
    // The first start also starts the update count, without asking.
    EXPECT_EQ(Setting(L"Recent Update"), L"12/8/2026 9:30:00 AM");
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(EntryLanguageTest, MissingLanguagesEndTheProcessBeforeAnyMode) {
    fake.files.Remove(std::wstring(kLanguages) + L"\\English.ini");
    fake.folders.programFolder = L"C:\\Moved";
    fake.files.AddFolder(L"C:\\Moved");
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"updates"), DispatchOutcome::EndProcess);
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Languages not found! Reinstall program!");
    EXPECT_EQ(Setting(L"Recent Update"), L""); // neither the reminder nor the mode ran
    EXPECT_TRUE(fake.launcher.opened.empty());
}

TEST_F(EntryLanguageTest, ReminderRunsBeforeTheDispatch) {
    services::SaveSetting(fake.registry, kAppKey, L"Settings", L"Recent Update",
                          L"1/1/2026 9:30:00 AM");
    fake.messages.answers = {platform::MessageAnswer::No};
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"no such mode"), DispatchOutcome::NoMatch);
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Last check: 341 days ago.\r\n\r\nCheck now?");
}

TEST_F(EntryLanguageTest, UpdatesModeStoresNowAndOpensTheUpdatesPage) {
    services::SaveSetting(fake.registry, kAppKey, L"Settings", L"Recent Update",
                          L"11/30/2026 9:30:00 AM");
    fake.clock.now = {2026, 12, 8, 10, 0, 0};
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"updates"), DispatchOutcome::EndProcess);
    EXPECT_EQ(Setting(L"Recent Update"), L"12/8/2026 10:00:00 AM");
    ASSERT_EQ(fake.launcher.opened.size(), 1u);
    EXPECT_TRUE(fake.launcher.opened[0].starts_with(std::wstring(services::kVendorWebEndpoint) +
                                                    L"?scn=VTRL&to=updates&version=1.00&"));
    EXPECT_TRUE(fake.launcher.opened[0].ends_with(L"&language=English"));
    // Exact words only.
    fake.launcher.opened.clear();
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"updates "), DispatchOutcome::NoMatch);
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"Updates"), DispatchOutcome::NoMatch);
    EXPECT_TRUE(fake.launcher.opened.empty());
}

TEST_F(EntryLanguageTest, VexoModeReportsTheTranslations) {
    fake.files.AddFile(std::wstring(kLanguages) + L"\\Test.ini", "[INTERFACE]\r\n");
    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, L"vexo"), DispatchOutcome::EndProcess);
    EXPECT_EQ(fake.files.Content(L"C:\\users\\tester\\AppData\\Roaming\\VTRL1\\temp.txt"),
              "================= TEST =================\r\nOK=OK\r\n\r\n\r\n");
}

} // namespace
} // namespace vtrl::shell
