// Registry access and the settings store against the real registry API.
#include <windows.h>

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_registry.h"
#include "services/registry_access.h"
#include "services/settings_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vtrl {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using win32::unique_hkey;

constexpr wchar_t kTestRoot[] = L"Software\\VantorelTests";

// A key of its own for each test, so parallel runs and leftovers of a crashed run never meet.
std::wstring UniqueTestKey() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::wstring name(info->name(), info->name() + std::char_traits<char>::length(info->name()));
    return std::wstring(kTestRoot) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
}

unique_hkey CreateRawKey(HKEY root, const std::wstring& path) {
    unique_hkey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        key.release();
    }
    return key;
}

bool RawKeyExists(HKEY root, const std::wstring& path) {
    unique_hkey key;
    const bool exists =
        RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS;
    if (!exists) {
        key.release();
    }
    return exists;
}

std::vector<BYTE> Utf16Bytes(std::wstring_view text) {
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return {bytes, bytes + text.size() * sizeof(wchar_t)};
}

// As REG_SZ stores a text: with its terminating NUL.
std::vector<BYTE> SzBytes(std::wstring_view text) {
    auto bytes = Utf16Bytes(text);
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

class RegistryWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        keyPath_ = UniqueTestKey();
        RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
        key_ = CreateRawKey(HKEY_CURRENT_USER, keyPath_);
        ASSERT_TRUE(key_) << "cannot create the test key";
    }
    void TearDown() override {
        key_.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, keyPath_.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot); // only goes when no other test key is left
        EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, keyPath_));
    }

    std::wstring Full(const std::wstring& rest = L"") const {
        return L"HKEY_CURRENT_USER\\" + keyPath_ + (rest.empty() ? L"" : L"\\" + rest);
    }
    void RawSet(const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
        ASSERT_EQ(RegSetValueExW(key_.get(), name.c_str(), 0, type, data.data(),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS)
            << "raw write of " << testing::PrintToString(name);
    }
    std::vector<std::wstring> RawNames() const {
        std::vector<std::wstring> names;
        std::vector<wchar_t> buffer(16'384);
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(buffer.size());
            if (RegEnumValueW(key_.get(), index, buffer.data(), &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                return names;
            }
            names.emplace_back(buffer.data(), length);
        }
    }

    win32::Win32Registry registry;
    std::wstring keyPath_;
    unique_hkey key_;
};

TEST_F(RegistryWineTest, ReadsEveryValueTypeAsDisplayText) {
    RawSet(L"Sz", REG_SZ, SzBytes(L"C:\\Tools\\a.exe /s"));
    RawSet(L"Expand", REG_EXPAND_SZ, SzBytes(L"%SystemRoot%\\x.exe"));
    RawSet(L"Unterminated", REG_SZ, Utf16Bytes(L"abc"));
    RawSet(L"Binary", REG_BINARY, {0xDE, 0xAD, 0x0F});
    DWORD ninetySix = 96;
    RawSet(L"Dword", REG_DWORD,
           {reinterpret_cast<BYTE*>(&ninetySix),
            reinterpret_cast<BYTE*>(&ninetySix) + sizeof ninetySix});
    RawSet(L"BigEndian", REG_DWORD_BIG_ENDIAN, {0x00, 0x00, 0x01, 0x41});
    RawSet(L"Multi", REG_MULTI_SZ, Utf16Bytes(std::wstring_view(L"a\0b\0\0", 5)));
    RawSet(L"Qword", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
    RawSet(L"", REG_SZ, SzBytes(L"default"));

    EXPECT_EQ(services::RegReadValue(registry, Full(L"Sz")), L"C:\\Tools\\a.exe /s");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"EXPAND")), L"%SystemRoot%\\x.exe");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Unterminated")), L"abc");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Binary")), L"DE AD 0F ");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Dword")), L"60 00 00 00 ");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"BigEndian")),
              (std::wstring{L'\0', L'\0', L'\x01', L'A'}));
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Multi")), L"ab");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Qword")), L"");
    EXPECT_EQ(services::RegReadValue(registry, Full() + L"\\"), L"default");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Missing")), L"");
    EXPECT_EQ(services::RegReadValue(registry, Full(L"NoKey\\Sz")), L"");
}

TEST_F(RegistryWineTest, ReadsLargeValuesWhole) {
    std::vector<BYTE> blob(100'000);
    for (std::size_t i = 0; i < blob.size(); ++i) {
        blob[i] = static_cast<BYTE>(i * 7);
    }
    RawSet(L"Blob", REG_BINARY, blob);
    const auto value = registry.QueryValue(platform::Hive::CurrentUser, keyPath_, L"Blob");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, platform::kRegBinary);
    EXPECT_EQ(value->data, blob);
    EXPECT_EQ(services::RegReadValue(registry, Full(L"Blob")).size(), blob.size() * 3);
}

TEST_F(RegistryWineTest, KeysWithoutValuesAndMissingKeysListTheMarker) {
    EXPECT_THAT(services::RegListValues(registry, Full()), ElementsAre(services::kNoItemsMarker));
    EXPECT_THAT(services::RegListValues(registry, Full(L"Missing")),
                ElementsAre(services::kNoItemsMarker));
}

TEST_F(RegistryWineTest, LongValueNamesDoNotHideTheValuesAfterThem) {
    const std::wstring longName(3'000, L'L');
    const std::wstring longestName = std::wstring(16'382, L'M') + L"!";
    RawSet(L"First", REG_SZ, SzBytes(L"1"));
    RawSet(longName, REG_SZ, SzBytes(L"2"));
    RawSet(longestName, REG_DWORD, {3, 0, 0, 0});
    RawSet(L"Last", REG_SZ, SzBytes(L"4"));

    const auto names = services::RegListValues(registry, Full());
    EXPECT_THAT(names, ElementsAreArray(RawNames()));
    EXPECT_THAT(names, ::testing::UnorderedElementsAre(L"First", longName, longestName, L"Last"));
    EXPECT_EQ(services::RegReadValue(registry, Full(longName)), L"2");
}

// One pass over a key gives what naming each value gives: every name, type and byte, a value
// far larger than the others and a very long name included.
TEST_F(RegistryWineTest, ListingValuesWithTheirDataMatchesAskingForEach) {
    std::vector<BYTE> blob(70'000);
    for (std::size_t i = 0; i < blob.size(); ++i) {
        blob[i] = static_cast<BYTE>(i * 13);
    }
    const std::wstring longName(5'000, L'N');
    RawSet(L"Sz", REG_SZ, SzBytes(L"\"C:\\Tools\\a.exe\" /x"));
    RawSet(L"Empty", REG_SZ, {});
    RawSet(L"Blob", REG_BINARY, blob);
    RawSet(longName, REG_EXPAND_SZ, SzBytes(L"%WINDIR%\\b.exe"));
    RawSet(L"Multi", REG_MULTI_SZ, {L'a', 0, 0, 0, L'b', 0, 0, 0, 0, 0});
    RawSet(L"Number", REG_DWORD, {7, 0, 0, 0});

    const auto values = registry.ListValues(platform::Hive::CurrentUser, keyPath_);
    ASSERT_TRUE(values);
    std::vector<std::wstring> names;
    for (const auto& [name, value] : *values) {
        names.push_back(name);
        const auto asked = registry.QueryValue(platform::Hive::CurrentUser, keyPath_, name);
        ASSERT_TRUE(asked) << testing::PrintToString(name.substr(0, 20));
        EXPECT_EQ(value.type, asked->type) << testing::PrintToString(name.substr(0, 20));
        EXPECT_EQ(value.data, asked->data) << testing::PrintToString(name.substr(0, 20));
    }
    EXPECT_THAT(names, ElementsAreArray(RawNames()));
    EXPECT_EQ(names.size(), 6u);

    EXPECT_FALSE(registry.ListValues(platform::Hive::CurrentUser, keyPath_ + L"\\Missing"));
    ASSERT_TRUE(CreateRawKey(HKEY_CURRENT_USER, keyPath_ + L"\\Bare"));
    const auto bare = registry.ListValues(platform::Hive::CurrentUser, keyPath_ + L"\\Bare");
    ASSERT_TRUE(bare);
    EXPECT_TRUE(bare->empty());
}

TEST_F(RegistryWineTest, WriteValueCreatesMissingKeysAndStoresTheRightTypes) {
    const std::wstring deep = Full(L"A\\B");
    services::RegWriteValue(registry, deep, L"Tool", L"C:\\x.exe", platform::kRegSz);
    services::RegWriteValue(registry, deep, L"Count", L" 96 ", platform::kRegDword);
    services::RegWriteValue(registry, deep, L"Blob", L"00", platform::kRegBinary);
    services::RegWriteValue(registry, deep, L"Bad", L"many", platform::kRegDword);

    const std::wstring subkey = keyPath_ + L"\\A\\B";
    DWORD type = 0;
    wchar_t text[32] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), L"Tool", RRF_RT_ANY, &type, text, &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, sizeof(L"C:\\x.exe")); // stored with its NUL
    EXPECT_STREQ(text, L"C:\\x.exe");

    DWORD number = 0;
    size = sizeof number;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), L"Count", RRF_RT_ANY, &type, &number,
                           &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(number, 96u);

    for (const wchar_t* absent : {L"Blob", L"Bad"}) {
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, subkey.c_str(), absent, RRF_RT_ANY, nullptr,
                               nullptr, nullptr),
                  ERROR_FILE_NOT_FOUND)
            << absent;
    }
}

TEST_F(RegistryWineTest, DeletePathRemovesValuesAndLeafKeysOnly) {
    RawSet(L"Keep", REG_SZ, SzBytes(L"k"));
    RawSet(L"Tool", REG_SZ, SzBytes(L"t"));
    ASSERT_TRUE(CreateRawKey(HKEY_CURRENT_USER, keyPath_ + L"\\Leaf"));
    ASSERT_TRUE(CreateRawKey(HKEY_CURRENT_USER, keyPath_ + L"\\Parent\\Child"));

    services::RegDeletePath(registry, Full(L"Missing"));
    services::RegDeletePath(registry, Full(L"NoKey\\Missing"));
    services::RegDeletePath(registry, Full(L"NoKey") + L"\\");
    EXPECT_EQ(RawNames(), (std::vector<std::wstring>{L"Keep", L"Tool"}));

    services::RegDeletePath(registry, Full(L"tool"));
    EXPECT_EQ(RawNames(), (std::vector<std::wstring>{L"Keep"}));

    services::RegDeletePath(registry, Full(L"Leaf") + L"\\");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, keyPath_ + L"\\Leaf"));
    services::RegDeletePath(registry, Full(L"Parent") + L"\\");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, keyPath_ + L"\\Parent\\Child"));
}

TEST_F(RegistryWineTest, KeyPathsFollowTheFakesRules) {
    // The rules the in-memory registry copies: case-insensitive names, trailing backslashes
    // ignored, a leading backslash refused, SetValue needing an existing key.
    using platform::Hive;
    EXPECT_TRUE(registry.CreateKey(Hive::CurrentUser, keyPath_ + L"\\Case\\"));
    EXPECT_TRUE(registry.SetValue(Hive::CurrentUser, keyPath_ + L"\\CASE", L"Name",
                                  {platform::kRegBinary, {7}}));
    const auto value = registry.QueryValue(Hive::CurrentUser, keyPath_ + L"\\case\\", L"NAME");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{7}));
    EXPECT_FALSE(registry.CreateKey(Hive::CurrentUser, L"\\" + keyPath_));
    EXPECT_FALSE(registry.SetValue(Hive::CurrentUser, keyPath_ + L"\\Nope", L"Name",
                                   {platform::kRegBinary, {7}}));
    EXPECT_FALSE(registry.DeleteKey(Hive::CurrentUser, L""));
    EXPECT_FALSE(registry.DeleteKey(Hive::CurrentUser, keyPath_)); // has the subkey "Case"
}

TEST(RegistryWineMachineTest, WritesReadsAndDeletesUnderLocalMachine) {
    const std::wstring keyPath = UniqueTestKey();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath.c_str());
    if (!CreateRawKey(HKEY_LOCAL_MACHINE, keyPath)) {
        GTEST_SKIP() << "HKEY_LOCAL_MACHINE is not writable here";
    }
    win32::Win32Registry registry;
    const std::wstring full = L"HKEY_LOCAL_MACHINE\\" + keyPath;
    services::RegWriteValue(registry, full + L"\\Run", L"Tool", L"C:\\t.exe", platform::kRegSz);
    EXPECT_EQ(services::RegReadValue(registry, full + L"\\Run\\Tool"), L"C:\\t.exe");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, keyPath + L"\\Run"));

    services::RegDeletePath(registry, full + L"\\Run\\");
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, keyPath + L"\\Run"));

    RegDeleteTreeW(HKEY_LOCAL_MACHINE, keyPath.c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kTestRoot);
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, keyPath));
}

// The real store lives at a fixed place that other tests may share: use a section of our own
// and remove only the keys this test created.
class SettingsWineTest : public ::testing::Test {
protected:
    static constexpr wchar_t kStore[] = L"Software\\VB and VBA Program Settings";

    void SetUp() override {
        appPath_ = std::wstring(kStore) + L"\\" + services::kAppKey;
        storeExisted_ = RawKeyExists(HKEY_CURRENT_USER, kStore);
        appExisted_ = RawKeyExists(HKEY_CURRENT_USER, appPath_);
        section_ = L"VantorelTest-" + std::to_wstring(GetCurrentProcessId());
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, (appPath_ + L"\\" + section_).c_str());
        if (!appExisted_) {
            RegDeleteKeyW(HKEY_CURRENT_USER, appPath_.c_str());
        }
        if (!storeExisted_) {
            RegDeleteKeyW(HKEY_CURRENT_USER, kStore);
        }
    }

    win32::Win32Registry registry;
    std::wstring appPath_;
    std::wstring section_;
    bool storeExisted_ = false;
    bool appExisted_ = false;
};

TEST_F(SettingsWineTest, RoundTripsThroughTheRealStore) {
    EXPECT_EQ(services::GetSetting(registry, services::kAppKey, section_, L"Sound", L"NO"), L"NO");
    services::SaveSetting(registry, services::kAppKey, section_, L"Sound", L"YES");
    services::SaveSetting(registry, services::kAppKey, section_, L"Folder", L"C:\\\u00dcber");
    EXPECT_EQ(services::GetSetting(registry, services::kAppKey, section_, L"Sound", L"NO"), L"YES");
    EXPECT_EQ(services::GetSetting(registry, services::kAppKey, section_, L"Folder"),
              L"C:\\\u00dcber");

    services::SaveSetting(registry, services::kAppKey, section_, L"Sound", L"LATER");
    const std::wstring sectionPath = appPath_ + L"\\" + section_;
    DWORD type = 0;
    wchar_t text[16] = {};
    DWORD size = sizeof text;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, sectionPath.c_str(), L"Sound", RRF_RT_ANY, &type,
                           text, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, L"LATER");
}

} // namespace
} // namespace vtrl
