#include "services/settings_store.h"

#include "fakes/fake_registry.h"
#include "services/registry_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using fakes::FakeRegistry;
using platform::Hive;
using ::testing::ElementsAre;

class SettingsStoreTest : public ::testing::Test {
protected:
    FakeRegistry registry;
};

TEST_F(SettingsStoreTest, RoundTripsTextExactly) {
    SaveSetting(registry, kAppKey, L"Options", L"Sound", L"YES");
    SaveSetting(registry, kAppKey, L"Options", L"Folder", L"C:\\Daten \u00fcber \u20ac");
    SaveSetting(registry, kAppKey, L"Options", L"Empty", L"");
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Sound", L"NO"), L"YES");
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Folder"), L"C:\\Daten \u00fcber \u20ac");
    // An empty value is a value: it does not fall back to the default.
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Empty", L"fallback"), L"");
}

TEST_F(SettingsStoreTest, MissingValuesReadAsTheDefault) {
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Sound", L"NO"), L"NO");
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Sound"), L"");
    SaveSetting(registry, kAppKey, L"Options", L"Other", L"1");
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Sound", L"NO"), L"NO");
    EXPECT_EQ(GetSetting(registry, kMakerKey, L"Options", L"Other", L"none"), L"none");
}

TEST_F(SettingsStoreTest, EachApplicationKeyLandsAtItsOwnPath) {
    SaveSetting(registry, kAppKey, L"Options", L"Lang", L"English");
    SaveSetting(registry, kMakerKey, L"VTRL", L"Reload-Month", L"7");

    auto own = registry.QueryValue(
        Hive::CurrentUser, L"Software\\VB and VBA Program Settings\\VTRL\\Options", L"Lang");
    ASSERT_TRUE(own);
    EXPECT_EQ(own->type, platform::kRegSz);
    EXPECT_EQ(own->data, EncodeRegSz(L"English"));

    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\Software\\VB and VBA Program "
                                     L"Settings\\KV\\VTRL\\Reload-Month"),
              L"7");
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, L"Software\\VB and VBA Program Settings"));
}

TEST_F(SettingsStoreTest, SavingAgainOverwritesInPlace) {
    SaveSetting(registry, kAppKey, L"Options", L"Sound", L"YES");
    SaveSetting(registry, kAppKey, L"Options", L"Sound", L"NO");
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Sound"), L"NO");
    EXPECT_THAT(
        RegListValues(registry, L"HKEY_CURRENT_USER\\" + SettingsKeyPath(kAppKey, L"Options")),
        ElementsAre(L"Sound"));
}

TEST_F(SettingsStoreTest, ValuesOfOtherTypesAndUnreadableKeysReadAsTheDefault) {
    const std::wstring path = SettingsKeyPath(kAppKey, L"Options");
    ASSERT_TRUE(registry.CreateKey(Hive::CurrentUser, path));
    ASSERT_TRUE(
        registry.SetValue(Hive::CurrentUser, path, L"Count", {platform::kRegDword, {1, 0, 0, 0}}));
    ASSERT_TRUE(registry.SetValue(Hive::CurrentUser, path, L"Dir",
                                  {platform::kRegExpandSz, EncodeRegSz(L"%TEMP%")}));
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Count", L"d"), L"d");
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Dir", L"d"), L"d");

    SaveSetting(registry, kAppKey, L"Options", L"Sound", L"YES");
    registry.DenyAccess(Hive::CurrentUser, path);
    EXPECT_EQ(GetSetting(registry, kAppKey, L"Options", L"Sound", L"NO"), L"NO");
}

} // namespace
} // namespace vtrl::services
