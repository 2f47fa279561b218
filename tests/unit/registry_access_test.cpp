#include "services/registry_access.h"

#include "fakes/fake_registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using fakes::FakeRegistry;
using platform::Hive;
using platform::RegistryValue;
using ::testing::ElementsAre;

std::vector<std::uint8_t> Utf16(std::wstring_view text) {
    std::vector<std::uint8_t> bytes;
    for (wchar_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((c >> 8) & 0xFF));
    }
    return bytes;
}

std::vector<std::uint8_t> Utf16z(std::wstring_view text) {
    auto bytes = Utf16(text);
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

std::wstring Format(std::uint32_t type, std::vector<std::uint8_t> data) {
    return FormatRegistryValue(RegistryValue{type, std::move(data)});
}

// --- Hive recognition and value paths ---------------------------------------------------------

TEST(RegistryLocationTest, RecognisesBothHivesAndCutsAfterTheHiveName) {
    auto machine = ParseRegistryLocation(L"HKEY_LOCAL_MACHINE\\Software\\Run");
    ASSERT_TRUE(machine);
    EXPECT_EQ(machine->hive, Hive::LocalMachine);
    EXPECT_EQ(machine->keyPath, L"Software\\Run");

    auto user = ParseRegistryLocation(L"HKEY_CURRENT_USER\\Software\\Run");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->hive, Hive::CurrentUser);
    EXPECT_EQ(user->keyPath, L"Software\\Run");
}

TEST(RegistryLocationTest, CurrentUserWinsAndTheCutStaysAtItsOwnLength) {
    // 18 characters are cut for HKEY_CURRENT_USER even though the text starts with the longer name.
    auto both = ParseRegistryLocation(L"HKEY_LOCAL_MACHINE\\Software\\HKEY_CURRENT_USER");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->hive, Hive::CurrentUser);
    EXPECT_EQ(both->keyPath, L"\\Software\\HKEY_CURRENT_USER");
}

TEST(RegistryLocationTest, OtherHivesAndOtherCaseAreNotRecognised) {
    EXPECT_FALSE(ParseRegistryLocation(L"HKEY_CLASSES_ROOT\\exefile"));
    EXPECT_FALSE(ParseRegistryLocation(L"HKEY_USERS\\.DEFAULT\\Software"));
    EXPECT_FALSE(ParseRegistryLocation(L"hkey_current_user\\Software"));
    EXPECT_FALSE(ParseRegistryLocation(L"HKCU\\Software"));
    EXPECT_FALSE(ParseRegistryLocation(L""));
}

TEST(RegistryLocationTest, TextsNoLongerThanTheCutGiveAnEmptyKeyPath) {
    for (const wchar_t* text : {L"HKEY_CURRENT_USER", L"HKEY_CURRENT_USER\\", L"HKEY_LOCAL_MACHINE",
                                L"HKEY_LOCAL_MACHINE\\"}) {
        auto location = ParseRegistryLocation(text);
        ASSERT_TRUE(location) << text;
        EXPECT_EQ(location->keyPath, L"") << text;
    }
}

TEST(ValuePathTest, SplitsAtTheLastBackslash) {
    auto path = SplitValuePath(L"Software\\Run\\Tool");
    EXPECT_EQ(path.subkey, L"Software\\Run\\");
    EXPECT_EQ(path.valueName, L"Tool");

    // A name with a backslash in it cannot be addressed: its front becomes part of the key.
    path = SplitValuePath(L"Run\\a\\b");
    EXPECT_EQ(path.subkey, L"Run\\a\\");
    EXPECT_EQ(path.valueName, L"b");

    path = SplitValuePath(L"Software\\Run\\");
    EXPECT_EQ(path.subkey, L"Software\\Run\\");
    EXPECT_EQ(path.valueName, L"");

    path = SplitValuePath(L"Tool");
    EXPECT_EQ(path.subkey, L"");
    EXPECT_EQ(path.valueName, L"Tool");
}

// --- Formatting by type -----------------------------------------------------------------------

TEST(RegistryFormatTest, StringsStopAtTheirNulAndAreNotExpanded) {
    EXPECT_EQ(Format(platform::kRegSz, Utf16z(L"C:\\Tools\\a.exe /s")), L"C:\\Tools\\a.exe /s");
    EXPECT_EQ(Format(platform::kRegExpandSz, Utf16z(L"%SystemRoot%\\x.exe")),
              L"%SystemRoot%\\x.exe");
    auto withTail = Utf16z(L"ab");
    auto tail = Utf16z(L"cd");
    withTail.insert(withTail.end(), tail.begin(), tail.end());
    EXPECT_EQ(Format(platform::kRegSz, withTail), L"ab");
    EXPECT_EQ(Format(platform::kRegSz, {}), L"");
    EXPECT_EQ(Format(platform::kRegSz, Utf16z(L"\u00dcber\u20ac")), L"\u00dcber\u20ac");
}

TEST(RegistryFormatTest, UnterminatedStringsKeepTheirLastCharacter) {
    EXPECT_EQ(Format(platform::kRegSz, Utf16(L"abc")), L"abc");
    auto odd = Utf16(L"abc");
    odd.push_back(0x41);
    EXPECT_EQ(Format(platform::kRegExpandSz, odd), L"abc");
    EXPECT_EQ(Format(platform::kRegSz, {0x41}), L"");
}

TEST(RegistryFormatTest, BinaryAndDwordAreUpperCaseHexPairsEachFollowedByABlank) {
    EXPECT_EQ(Format(platform::kRegDword, {96, 0, 0, 0}), L"60 00 00 00 ");
    EXPECT_EQ(Format(platform::kRegDword, {1, 0, 0, 0}), L"01 00 00 00 ");
    EXPECT_EQ(Format(platform::kRegBinary, {0xDE, 0xAD, 0x0F}), L"DE AD 0F ");
    EXPECT_EQ(Format(platform::kRegBinary, {}), L"");
}

TEST(RegistryFormatTest, BigEndianDwordGivesOneCharacterPerByte) {
    EXPECT_EQ(Format(platform::kRegDwordBigEndian, {0x00, 0x41, 0x7F, 0xFF}),
              (std::wstring{L'\0', L'A', L'\x7F', L'\xFF'}));
}

TEST(RegistryFormatTest, MultiStringsAreJoinedWithNothingBetween) {
    auto data = Utf16z(L"a");
    auto second = Utf16z(L"b");
    data.insert(data.end(), second.begin(), second.end());
    data.insert(data.end(), {0, 0});
    EXPECT_EQ(Format(platform::kRegMultiSz, data), L"ab");

    // The empty string ends the list; bytes after it are not part of it.
    auto ended = Utf16z(L"a");
    ended.insert(ended.end(), {0, 0});
    auto junk = Utf16z(L"zz");
    ended.insert(ended.end(), junk.begin(), junk.end());
    EXPECT_EQ(Format(platform::kRegMultiSz, ended), L"a");
}

TEST(RegistryFormatTest, OtherTypesShowNothing) {
    EXPECT_EQ(Format(0, Utf16z(L"none")), L"");
    EXPECT_EQ(Format(6, Utf16z(L"link")), L"");
    EXPECT_EQ(Format(11, {1, 0, 0, 0, 0, 0, 0, 0}), L"");
}

// --- Reading, listing, writing and deleting through the registry -------------------------------

class RegistryAccessTest : public ::testing::Test {
protected:
    void Put(Hive hive, const std::wstring& key, const std::wstring& name, RegistryValue value) {
        ASSERT_TRUE(registry.CreateKey(hive, key));
        ASSERT_TRUE(registry.SetValue(hive, key, name, value));
    }

    FakeRegistry registry;
};

TEST_F(RegistryAccessTest, ReadsValuesOfBothHivesIncludingTheDefaultValue) {
    Put(Hive::CurrentUser, L"Software\\Vt", L"Tool", {platform::kRegSz, Utf16z(L"user")});
    Put(Hive::LocalMachine, L"Software\\Vt", L"Tool", {platform::kRegDword, {96, 0, 0, 0}});
    Put(Hive::CurrentUser, L"Software\\Vt", L"", {platform::kRegSz, Utf16z(L"default")});

    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\Tool"), L"user");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\software\\vt\\TOOL"), L"user");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_LOCAL_MACHINE\\Software\\Vt\\Tool"), L"60 00 00 00 ");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\"), L"default");
}

TEST_F(RegistryAccessTest, ReadFailuresGiveEmptyText) {
    Put(Hive::CurrentUser, L"Software\\Vt", L"Tool", {platform::kRegSz, Utf16z(L"user")});
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\Missing"), L"");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\Software\\Nowhere\\Tool"), L"");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CLASSES_ROOT\\Software\\Vt\\Tool"), L"");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER"), L"");
    registry.DenyAccess(Hive::CurrentUser, L"Software\\Vt");
    EXPECT_EQ(RegReadValue(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\Tool"), L"");
}

TEST_F(RegistryAccessTest, ListsNamesInCreationOrder) {
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    Put(Hive::LocalMachine, key, L"Zeta", {platform::kRegSz, Utf16z(L"z")});
    Put(Hive::LocalMachine, key, L"alpha", {platform::kRegSz, Utf16z(L"a")});
    Put(Hive::LocalMachine, key, L"Mid", {platform::kRegSz, Utf16z(L"m")});
    // Overwriting keeps the place and the first spelling.
    Put(Hive::LocalMachine, key, L"ZETA", {platform::kRegDword, {1, 0, 0, 0}});

    EXPECT_THAT(RegListValues(registry, L"HKEY_LOCAL_MACHINE\\" + key),
                ElementsAre(L"Zeta", L"alpha", L"Mid"));
}

TEST_F(RegistryAccessTest, NoNamesGiveTheMarker) {
    ASSERT_TRUE(registry.CreateKey(Hive::CurrentUser, L"Software\\Empty"));
    Put(Hive::CurrentUser, L"Software\\Locked", L"Tool", {platform::kRegSz, Utf16z(L"x")});
    registry.DenyAccess(Hive::CurrentUser, L"Software\\Locked");

    for (const wchar_t* path :
         {L"HKEY_CURRENT_USER\\Software\\Empty", L"HKEY_CURRENT_USER\\Software\\Missing",
          L"HKEY_CURRENT_USER\\Software\\Locked", L"HKEY_USERS\\Software\\Empty"}) {
        EXPECT_THAT(RegListValues(registry, path), ElementsAre(kNoItemsMarker)) << path;
    }
}

TEST_F(RegistryAccessTest, WritesStringsIntoNewKeysWithTheirNul) {
    RegWriteValue(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\Deep\\Key", L"Tool", L"C:\\a.exe",
                  platform::kRegSz);
    auto value = registry.QueryValue(Hive::CurrentUser, L"Software\\Vt\\Deep\\Key", L"Tool");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, platform::kRegSz);
    EXPECT_EQ(value->data, Utf16z(L"C:\\a.exe"));
}

TEST_F(RegistryAccessTest, WritesDwordsFromDecimalText) {
    const std::wstring key = L"HKEY_LOCAL_MACHINE\\Software\\Vt";
    RegWriteValue(registry, key, L"Count", L" 96 ", platform::kRegDword);
    RegWriteValue(registry, key, L"Minus", L"-1", platform::kRegDword);
    auto count = registry.QueryValue(Hive::LocalMachine, L"Software\\Vt", L"Count");
    ASSERT_TRUE(count);
    EXPECT_EQ(count->type, platform::kRegDword);
    EXPECT_EQ(count->data, (std::vector<std::uint8_t>{96, 0, 0, 0}));
    EXPECT_EQ(RegReadValue(registry, key + L"\\Minus"), L"FF FF FF FF ");
}

TEST_F(RegistryAccessTest, WritesNothingForTextThatIsNoNumberOrForOtherTypes) {
    const std::wstring key = L"HKEY_CURRENT_USER\\Software\\Vt";
    RegWriteValue(registry, key, L"Count", L"12", platform::kRegDword);
    RegWriteValue(registry, key, L"Count", L"twelve", platform::kRegDword);
    EXPECT_EQ(RegReadValue(registry, key + L"\\Count"), L"0C 00 00 00 ");

    RegWriteValue(registry, key, L"Blob", L"00", platform::kRegBinary);
    RegWriteValue(registry, key, L"Path", L"%TEMP%", platform::kRegExpandSz);
    EXPECT_FALSE(registry.QueryValue(Hive::CurrentUser, L"Software\\Vt", L"Blob"));
    EXPECT_FALSE(registry.QueryValue(Hive::CurrentUser, L"Software\\Vt", L"Path"));
}

TEST_F(RegistryAccessTest, UnrecognisedHivesTouchNothing) {
    RegWriteValue(registry, L"HKEY_CLASSES_ROOT\\Software\\Vt", L"Tool", L"x", platform::kRegSz);
    RegDeletePath(registry, L"HKEY_USERS\\Software\\Vt\\");
    RegDeletePath(registry, L"hkey_current_user\\Software\\Vt\\Tool");
    EXPECT_EQ(registry.MutatingCalls(), 0u);
}

TEST_F(RegistryAccessTest, DeletesAValueAndLeavesItsKey) {
    Put(Hive::CurrentUser, L"Software\\Vt", L"Tool", {platform::kRegSz, Utf16z(L"x")});
    Put(Hive::CurrentUser, L"Software\\Vt", L"Keep", {platform::kRegSz, Utf16z(L"y")});
    RegDeletePath(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\tool");
    EXPECT_THAT(RegListValues(registry, L"HKEY_CURRENT_USER\\Software\\Vt"), ElementsAre(L"Keep"));
}

TEST_F(RegistryAccessTest, ATrailingBackslashDeletesTheKeyNotItsDefaultValue) {
    Put(Hive::CurrentUser, L"Software\\Vt\\Gone", L"", {platform::kRegSz, Utf16z(L"default")});
    Put(Hive::CurrentUser, L"Software\\Vt\\Gone", L"Tool", {platform::kRegSz, Utf16z(L"x")});
    RegDeletePath(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\Gone\\");
    EXPECT_FALSE(registry.KeyExists(Hive::CurrentUser, L"Software\\Vt\\Gone"));
    EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, L"Software\\Vt"));
}

TEST_F(RegistryAccessTest, KeysWithSubkeysAndMissingTargetsStay) {
    ASSERT_TRUE(registry.CreateKey(Hive::CurrentUser, L"Software\\Vt\\Child"));
    RegDeletePath(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\");
    EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, L"Software\\Vt\\Child"));

    RegDeletePath(registry, L"HKEY_CURRENT_USER\\Software\\Vt\\Missing");
    RegDeletePath(registry, L"HKEY_CURRENT_USER\\Software\\Nowhere\\");
    RegDeletePath(registry, L"HKEY_CURRENT_USER\\Software\\Nowhere\\Tool");
    EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, L"Software\\Vt"));
}

TEST_F(RegistryAccessTest, NeverDeletesAHiveRoot) {
    RegDeletePath(registry, L"HKEY_CURRENT_USER\\");
    RegDeletePath(registry, L"HKEY_LOCAL_MACHINE\\\\");
    EXPECT_EQ(registry.MutatingCalls(), 0u);
}

// --- The fake keeps the rules the Wine tests check on the real registry -------------------------

TEST(FakeRegistryTest, KeyPathsFollowWindowsRules) {
    FakeRegistry registry;
    ASSERT_TRUE(registry.CreateKey(Hive::CurrentUser, L"Software\\Vt\\Case\\"));
    EXPECT_EQ(registry.KeySpelling(Hive::CurrentUser, L"SOFTWARE\\vt\\case"),
              L"Software\\Vt\\Case");
    EXPECT_TRUE(registry.KeyExists(Hive::CurrentUser, L"Software\\\\Vt"));
    EXPECT_FALSE(registry.KeyExists(Hive::LocalMachine, L"Software\\Vt"));
    EXPECT_TRUE(registry.SetValue(Hive::CurrentUser, L"software\\VT\\case", L"Name",
                                  {platform::kRegBinary, {7}}));
    EXPECT_TRUE(registry.QueryValue(Hive::CurrentUser, L"Software\\Vt\\Case\\", L"NAME"));

    EXPECT_FALSE(registry.CreateKey(Hive::CurrentUser, L"\\Software\\Vt"));
    EXPECT_FALSE(registry.SetValue(Hive::CurrentUser, L"Software\\Vt\\Nope", L"Name",
                                   {platform::kRegBinary, {7}}));
    EXPECT_FALSE(registry.DeleteKey(Hive::CurrentUser, L"Software\\Vt"));
    EXPECT_FALSE(registry.DeleteKey(Hive::CurrentUser, L""));
    EXPECT_TRUE(registry.DeleteKey(Hive::CurrentUser, L"Software\\Vt\\Case"));
    EXPECT_TRUE(registry.DeleteKey(Hive::CurrentUser, L"Software\\Vt"));
}

// --- Numbers the way CLng reads them ------------------------------------------------------------

TEST(ParseLongValueTest, AcceptsBlanksSignsAndRoundsFractionsHalfToEven) {
    EXPECT_EQ(ParseLongValue(L"0"), 0);
    EXPECT_EQ(ParseLongValue(L"  42\t"), 42);
    EXPECT_EQ(ParseLongValue(L"+7"), 7);
    EXPECT_EQ(ParseLongValue(L"-7"), -7);
    EXPECT_EQ(ParseLongValue(L"007"), 7);
    EXPECT_EQ(ParseLongValue(L"2.5"), 2);
    EXPECT_EQ(ParseLongValue(L"3.5"), 4);
    EXPECT_EQ(ParseLongValue(L"2.51"), 3);
    EXPECT_EQ(ParseLongValue(L"-2.5"), -2);
    EXPECT_EQ(ParseLongValue(L".5"), 0);
    EXPECT_EQ(ParseLongValue(L"2147483647"), 2147483647);
    EXPECT_EQ(ParseLongValue(L"-2147483648"), -2147483647 - 1);
}

TEST(ParseLongValueTest, RejectsTextThatIsNoNumberOrOutOfRange) {
    for (const wchar_t* text :
         {L"", L"  ", L"-", L".", L"abc", L"12abc", L"1 2", L"0x10", L"2147483648", L"-2147483649",
          L"2147483647.5", L"99999999999999999999999"}) {
        EXPECT_FALSE(ParseLongValue(text)) << text;
    }
}

} // namespace
} // namespace vtrl::services
