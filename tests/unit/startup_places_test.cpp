// The registry places beyond the Run keys: the list rules of values such as "Userinit",
// "BootExecute" and "Load", the RunOnceEx entry syntax, and each place type listed, removed with
// its backup and restored byte for byte against the fake registry.

#include "decision_test_support.h"
#include "decisions/backup_log.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "inventory/inventory_scan.h"
#include "inventory/run_once_ex_entry.h"
#include "inventory/value_list.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace vtrl::inventory {
namespace {

using namespace std::string_literals;
using platform::Hive;

std::vector<std::wstring> Texts(const std::wstring& text, ListSyntax syntax) {
    std::vector<std::wstring> texts;
    for (const ListItem& item : ListItems(text, syntax)) {
        texts.push_back(item.text);
    }
    return texts;
}

TEST(ValueList, ItemsOfEachSyntax) {
    EXPECT_EQ(
        Texts(L"C:\\Windows\\system32\\userinit.exe, C:\\x\\evil.exe,", ListSyntax::Commas),
        (std::vector<std::wstring>{L"C:\\Windows\\system32\\userinit.exe", L"C:\\x\\evil.exe"}));
    // A quoted path with blanks is one item of a "Load" list; blanks and commas both separate.
    EXPECT_EQ(Texts(L"a.exe  \"C:\\Program Files\\b.exe\",c.exe", ListSyntax::BlanksOrCommas),
              (std::vector<std::wstring>{L"a.exe", L"\"C:\\Program Files\\b.exe\"", L"c.exe"}));
    // A REG_MULTI_SZ list ends at its first empty string.
    EXPECT_EQ(Texts(L"autocheck autochk *\0tool x\0\0ignored\0"s, ListSyntax::Strings),
              (std::vector<std::wstring>{L"autocheck autochk *", L"tool x"}));
    EXPECT_TRUE(ListItems(L" , ,", ListSyntax::Commas).empty());
}

TEST(ValueList, TakingAnItemOutLeavesEveryOtherCharacter) {
    struct Case {
        std::wstring text;
        ListSyntax syntax;
        std::wstring item;
        std::wstring expected;
    };
    const std::vector<Case> cases = {
        // Windows' own form with its closing comma keeps it.
        {L"C:\\W\\userinit.exe,C:\\evil.exe,", ListSyntax::Commas, L"C:\\evil.exe",
         L"C:\\W\\userinit.exe,"},
        {L"explorer.exe, evil.exe", ListSyntax::Commas, L"EVIL.EXE", L"explorer.exe"},
        {L"evil.exe,explorer.exe", ListSyntax::Commas, L"evil.exe", L"explorer.exe"},
        {L"a.exe,evil.exe,b.exe", ListSyntax::Commas, L"evil.exe", L"a.exe,b.exe"},
        // Every copy goes: the record stands for all of them.
        {L"evil.exe,a.exe,evil.exe", ListSyntax::Commas, L"evil.exe", L"a.exe"},
        {L"evil.exe", ListSyntax::Commas, L"evil.exe", L""},
        {L"a.exe \"C:\\P F\\b.exe\" c.exe", ListSyntax::BlanksOrCommas, L"\"C:\\P F\\b.exe\"",
         L"a.exe c.exe"},
        {L"autocheck autochk *\0tool x\0\0"s, ListSyntax::Strings, L"tool x",
         L"autocheck autochk *\0\0"s},
        // Nothing of the kind: nothing changes.
        {L"a.exe,b.exe", ListSyntax::Commas, L"c.exe", L"a.exe,b.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WithoutItem(c.text, c.syntax, c.item), c.expected) << c.text;
    }
}

TEST(ValueList, PuttingAnItemBackAppendsItOnce) {
    EXPECT_EQ(WithItem(L"C:\\W\\userinit.exe,", ListSyntax::Commas, L"C:\\evil.exe"),
              L"C:\\W\\userinit.exe,C:\\evil.exe,");
    EXPECT_EQ(WithItem(L"explorer.exe", ListSyntax::Commas, L"evil.exe"), L"explorer.exe,evil.exe");
    EXPECT_EQ(WithItem(L"explorer.exe,Evil.exe", ListSyntax::Commas, L"evil.exe"),
              L"explorer.exe,Evil.exe");
    EXPECT_EQ(WithItem(L"", ListSyntax::BlanksOrCommas, L"a.exe"), L"a.exe");
    EXPECT_EQ(WithItem(L"a.exe", ListSyntax::BlanksOrCommas, L"b.exe"), L"a.exe b.exe");
    EXPECT_EQ(WithItem(L"autocheck autochk *\0\0"s, ListSyntax::Strings, L"tool x"),
              L"autocheck autochk *\0tool x\0\0"s);
    EXPECT_EQ(WithItem(L"", ListSyntax::Strings, L"tool x"), L"tool x\0\0"s);
    EXPECT_TRUE(IsOwnItem(L" Autocheck  autochk * ", {L"autocheck autochk *"}));
    EXPECT_FALSE(IsOwnItem(L"autocheck autochk /x *", {L"autocheck autochk *"}));
}

TEST(ValueList, AMultiStringGetsItsEndAndWindowsOwnCommandAnyArguments) {
    EXPECT_EQ(WithStringsEnd(L"a\0b"s), L"a\0b\0\0"s);
    EXPECT_EQ(WithStringsEnd(L"a\0"s), L"a\0\0"s);
    EXPECT_EQ(WithStringsEnd(L""s), L"\0"s);
    EXPECT_EQ(WithStringsEnd(L"a\0\0"s), L"a\0\0"s);
    EXPECT_EQ(WithStringsEnd(L"a\0\0after\0"s), L"a\0\0after\0"s);
    // chkntfs names the volumes it leaves out between the program and "*".
    EXPECT_TRUE(IsOwnCommand(L"autocheck autochk /k:C /k:D *", L"autocheck autochk"));
    EXPECT_TRUE(IsOwnCommand(L" Autocheck  AUTOCHK *", L"autocheck autochk"));
    EXPECT_FALSE(IsOwnCommand(L"autocheck autochkx *", L"autocheck autochk"));
    EXPECT_FALSE(IsOwnCommand(L"autocheck evil *", L"autocheck autochk"));
}

TEST(RunOnceExEntries, DllCallsProgramsAndPlainCommands) {
    const RunOnceExEntry program = ParseRunOnceExEntry(L"||\"C:\\T\\setup.exe\" /q");
    EXPECT_FALSE(program.dllCall);
    EXPECT_EQ(program.commandLine, L"\"C:\\T\\setup.exe\" /q");
    const RunOnceExEntry call = ParseRunOnceExEntry(L"C:\\T\\x.dll|DllRegisterServer|a|b");
    EXPECT_TRUE(call.dllCall);
    EXPECT_EQ(call.dll, L"C:\\T\\x.dll");
    EXPECT_EQ(call.arguments, L"DllRegisterServer|a|b");
    EXPECT_EQ(ParseRunOnceExEntry(L"C:\\T\\app.exe -x").commandLine, L"C:\\T\\app.exe -x");
}

// Every registry place planted at once, listed, removed and restored through the real removal
// and restore paths.
class RegistryPlaces : public ::testing::Test {
protected:
    struct Planted {
        Hive hive;
        std::wstring key;
        std::wstring name;
        platform::RegistryValue value;
    };

    void SetUp() override {
        fixture.fake.files.AddFile(L"C:\\Tools\\evil.exe", "x");
        fixture.fake.files.AddFile(L"C:\\Tools\\evil.dll", "x");
        fixture.fake.environment.Set(L"SystemRoot", L"C:\\windows");
        const std::wstring nt = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
        const std::wstring cv = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
        Plant(Hive::LocalMachine, cv + L"RunOnceEx\\0001", L"", Sz(L"Section title"));
        Plant(Hive::LocalMachine, cv + L"RunOnceEx\\0001", L"Entry1",
              Sz(L"||C:\\Tools\\evil.exe /once"));
        Plant(Hive::LocalMachine, cv + L"RunOnceEx\\0001\\Depend", L"1",
              Sz(L"C:\\Tools\\evil.dll"));
        Plant(Hive::CurrentUser, L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\0002",
              L"Call", Sz(L"C:\\Tools\\evil.dll|Start|x"));
        Plant(Hive::LocalMachine,
              L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", L"Pol",
              {platform::kRegExpandSz, services::EncodeRegSz(L"C:\\Tools\\evil.exe -p")});
        Plant(Hive::CurrentUser, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
              L"Load", Sz(L"C:\\Tools\\evil.exe"));
        Plant(Hive::LocalMachine, nt + L"Winlogon", L"Userinit",
              Sz(L"C:\\Tools\\evil.exe,C:\\windows\\system32\\userinit.exe,"));
        Plant(Hive::LocalMachine, nt + L"Winlogon", L"Shell", Sz(L"explorer.exe"));
        Plant(Hive::CurrentUser, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
              L"Shell", Sz(L"C:\\Tools\\evil.exe"));
        const std::wstring control = L"SYSTEM\\CurrentControlSet\\Control\\";
        Plant(Hive::LocalMachine, control + L"Session Manager", L"BootExecute",
              {platform::kRegMultiSz,
               testing::Utf16Block(L"autocheck autochk *\0C:\\Tools\\evil.exe\0\0"s)});
        Plant(Hive::LocalMachine, control + L"Terminal Server\\Wds\\rdpwd", L"StartupPrograms",
              Sz(L"rdpclip,C:\\Tools\\evil.exe"));
        Plant(Hive::LocalMachine, control + L"BootVerificationProgram", L"ImagePath",
              Sz(L"C:\\Tools\\evil.exe"));
        Plant(Hive::LocalMachine,
              L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{VTRL-1}", L"StubPath",
              Sz(L"C:\\Tools\\evil.exe /stub"));
        Plant(Hive::LocalMachine,
              L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{VTRL-1}", L"Version",
              Sz(L"1,0"));
    }
    static platform::RegistryValue Sz(const std::wstring& text) {
        return {platform::kRegSz, services::EncodeRegSz(text)};
    }
    void Plant(Hive hive, const std::wstring& key, const std::wstring& name,
               const platform::RegistryValue& value) {
        fixture.fake.registry.CreateKey(hive, key);
        fixture.fake.registry.SetValue(hive, key, name, value);
        planted.push_back({hive, key, name, value});
    }
    std::optional<platform::RegistryValue> Now(const Planted& place) {
        return fixture.fake.registry.QueryValue(place.hive, place.key, place.name);
    }
    std::wstring Text(Hive hive, const std::wstring& key, const std::wstring& name) {
        const auto value = fixture.fake.registry.QueryValue(hive, key, name);
        return value ? services::FormatRegistryValue(*value) : L"(missing)";
    }
    std::map<std::wstring, std::vector<std::wstring>> Scan() {
        ScanStartupRecords(fixture.Get(), facts, inventory, {});
        std::map<std::wstring, std::vector<std::wstring>> byKind;
        for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
            const StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
            byKind[record.Kind].push_back(record.EntryName + L"=" + record.CommandLine);
        }
        return byKind;
    }

    decisions::testing::DecisionFixture fixture;
    services::SystemFacts facts = testing::FakeProfileFacts(true);
    StartupInventory inventory;
    std::vector<Planted> planted;
};

TEST_F(RegistryPlaces, EachPlaceListsItsRecordsUnderItsKindAndNotWindowsOwnItems) {
    const auto byKind = Scan();
    using Entries = std::vector<std::wstring>;
    EXPECT_EQ(byKind.at(kKindRunOnceEx),
              (Entries{L"Entry1=||C:\\Tools\\evil.exe /once", L"1=C:\\Tools\\evil.dll",
                       L"Call=C:\\Tools\\evil.dll|Start|x"}));
    EXPECT_EQ(byKind.at(kKindPolicyRun), (Entries{L"Pol=C:\\Tools\\evil.exe -p"}));
    EXPECT_EQ(byKind.at(kKindWindowsLoad), (Entries{L"Load=C:\\Tools\\evil.exe"}));
    EXPECT_EQ(byKind.at(kKindWinlogon),
              (Entries{L"Userinit=C:\\Tools\\evil.exe", L"Shell=C:\\Tools\\evil.exe"}));
    EXPECT_EQ(byKind.at(kKindBootExecute), (Entries{L"BootExecute=C:\\Tools\\evil.exe"}));
    EXPECT_EQ(byKind.at(kKindRdpStartup), (Entries{L"StartupPrograms=C:\\Tools\\evil.exe"}));
    EXPECT_EQ(byKind.at(kKindBootVerify), (Entries{L"ImagePath=C:\\Tools\\evil.exe"}));
    EXPECT_EQ(byKind.at(kKindActiveSetup), (Entries{L"StubPath=C:\\Tools\\evil.exe /stub"}));
    EXPECT_EQ(byKind.count(kKindRegistry), 0u) << "a section is no Run value";
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        const StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
        EXPECT_TRUE(record.Found) << record.CommandLine;
        EXPECT_EQ(record.ExeFolder, L"C:\\TOOLS") << record.CommandLine;
    }
}

TEST_F(RegistryPlaces, RemovalTakesOnlyTheRecordAndRestoreGivesBackTheSameBytes) {
    const std::vector<Planted> before = planted;
    Scan();
    const int count = inventory.LastRecordIndex + 1;
    ASSERT_EQ(count, 11);
    for (int i = 0; i < count; ++i) {
        const StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
        EXPECT_EQ(decisions::RemoveStartupRecord(fixture.Get(), facts.DataFolder, record).outcome,
                  decisions::StoreOutcome::Stored)
            << record.Kind << L" " << record.CommandLine;
    }
    const std::wstring nt = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\";
    const std::wstring control = L"SYSTEM\\CurrentControlSet\\Control\\";
    // Windows' own items stay, and Winlogon's values are never left empty.
    EXPECT_EQ(Text(Hive::LocalMachine, nt + L"Winlogon", L"Userinit"),
              L"C:\\windows\\system32\\userinit.exe,");
    EXPECT_EQ(Text(Hive::LocalMachine, nt + L"Winlogon", L"Shell"), L"explorer.exe");
    EXPECT_EQ(Text(Hive::CurrentUser, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon",
                   L"Shell"),
              L"explorer.exe");
    EXPECT_EQ(Text(Hive::LocalMachine, control + L"Session Manager", L"BootExecute"),
              services::FormatRegistryValue(
                  {platform::kRegMultiSz, testing::Utf16Block(L"autocheck autochk *\0\0"s)}));
    EXPECT_EQ(
        Text(Hive::LocalMachine, control + L"Terminal Server\\Wds\\rdpwd", L"StartupPrograms"),
        L"rdpclip");
    EXPECT_EQ(Text(Hive::CurrentUser, L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                   L"Load"),
              L"");
    // A section keeps its title and an Active Setup component its other values.
    EXPECT_EQ(Text(Hive::LocalMachine,
                   L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\0001", L""),
              L"Section title");
    EXPECT_EQ(Text(Hive::LocalMachine,
                   L"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{VTRL-1}",
                   L"Version"),
              L"1,0");
    EXPECT_EQ(Text(Hive::LocalMachine, control + L"BootVerificationProgram", L"ImagePath"),
              L"(missing)");

    Scan();
    EXPECT_EQ(inventory.LastRecordIndex, -1) << "nothing of the planted records is left";

    const decisions::BackupListing listing =
        decisions::ListBackupEntries(fixture.Get(), facts.DataFolder, false);
    ASSERT_EQ(listing.displayLines.size(), static_cast<std::size_t>(count));
    decisions::Decisions table;
    for (std::size_t i = 0; i < listing.displayLines.size(); ++i) {
        const auto entry = decisions::ListedEntry(listing, i);
        ASSERT_TRUE(entry);
        const auto outcome = decisions::RestoreRemovedRecord(fixture.Get(), facts, table, *entry);
        EXPECT_TRUE(outcome.exactCopy) << entry->FullLocation;
        EXPECT_TRUE(outcome.recordWritten) << entry->FullLocation;
    }
    for (const Planted& place : before) {
        const auto value = Now(place);
        ASSERT_TRUE(value) << place.key << L"\\" << place.name;
        EXPECT_EQ(value->type, place.value.type) << place.key << L"\\" << place.name;
        EXPECT_EQ(value->data, place.value.data) << place.key << L"\\" << place.name;
    }
}

// Windows' own boot-time lists after a removal: a value Windows can read, with its own item.
class BootLists : public RegistryPlaces {
protected:
    const std::wstring control = L"SYSTEM\\CurrentControlSet\\Control\\";
    static platform::RegistryValue Multi(const std::wstring& text) {
        return {platform::kRegMultiSz, testing::Utf16Block(text)};
    }
    // Plants the value, removes its one record and checks what is left, then restores it.
    void RemoveAndRestore(const std::wstring& key, const std::wstring& name,
                          const platform::RegistryValue& plantedValue,
                          const platform::RegistryValue& left) {
        fixture.fake.registry.SetValue(Hive::LocalMachine, key, name, plantedValue);
        Scan();
        int removed = 0;
        for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
            const StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
            if (record.Location == L"HKEY_LOCAL_MACHINE\\" + key && record.EntryName == name) {
                EXPECT_EQ(record.CommandLine, L"C:\\Tools\\evil.exe");
                EXPECT_TRUE(
                    decisions::RemoveStartupRecord(fixture.Get(), facts.DataFolder, record));
                ++removed;
            }
        }
        EXPECT_EQ(removed, 1);
        EXPECT_EQ(Text(Hive::LocalMachine, key, name), services::FormatRegistryValue(left));
        const auto entry = decisions::ListedEntry(
            decisions::ListBackupEntries(fixture.Get(), facts.DataFolder, false), 0);
        ASSERT_TRUE(entry);
        decisions::Decisions table;
        EXPECT_TRUE(decisions::RestoreRemovedRecord(fixture.Get(), facts, table, *entry).exactCopy);
        const auto back = fixture.fake.registry.QueryValue(Hive::LocalMachine, key, name);
        ASSERT_TRUE(back);
        EXPECT_EQ(back->data, plantedValue.data) << "restored byte for byte";
    }
};

TEST_F(BootLists, ChkntfsFormOfTheDiskCheckStaysAndTheListKeepsItsEnd) {
    RemoveAndRestore(control + L"Session Manager", L"BootExecute",
                     Multi(L"autocheck autochk /k:D *\0C:\\Tools\\evil.exe"s),
                     Multi(L"autocheck autochk /k:D *\0\0"s));
}

TEST_F(BootLists, ADiskCheckReplacedByAProgramComesBack) {
    RemoveAndRestore(control + L"Session Manager", L"BootExecute",
                     Multi(L"C:\\Tools\\evil.exe\0\0"s), Multi(L"autocheck autochk *\0\0"s));
}

TEST_F(BootLists, RemoteSessionsKeepTheirClipboardProgram) {
    RemoveAndRestore(control + L"Terminal Server\\Wds\\rdpwd", L"StartupPrograms",
                     Sz(L"C:\\Tools\\evil.exe"), Sz(L"rdpclip"));
}

TEST_F(RegistryPlaces, AnItemPutBackJoinsAListThatChangedMeanwhile) {
    Scan();
    const std::wstring winlogon = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        const StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
        if (record.Kind == kKindWinlogon && record.EntryName == L"Userinit") {
            ASSERT_TRUE(decisions::RemoveStartupRecord(fixture.Get(), facts.DataFolder, record));
        }
    }
    fixture.fake.registry.SetValue(Hive::LocalMachine, winlogon, L"Userinit",
                                   Sz(L"C:\\windows\\system32\\userinit.exe,C:\\Other\\new.exe,"));
    const auto entry = decisions::ListedEntry(
        decisions::ListBackupEntries(fixture.Get(), facts.DataFolder, false), 0);
    ASSERT_TRUE(entry);
    decisions::Decisions table;
    EXPECT_TRUE(decisions::RestoreRemovedRecord(fixture.Get(), facts, table, *entry).recordWritten);
    EXPECT_EQ(Text(Hive::LocalMachine, winlogon, L"Userinit"),
              L"C:\\windows\\system32\\userinit.exe,C:\\Other\\new.exe,C:\\Tools\\evil.exe,");
}

TEST_F(RegistryPlaces, RestoreWritesOnlyWhereAPlaceOfTheEntrysKindLooks) {
    const auto target = [&](const std::wstring& kind, const std::wstring& location) {
        decisions::BackupEntry entry;
        entry.Kind = kind;
        entry.FullLocation = location;
        return decisions::ScannedRestoreTarget(fixture.Get().locale, facts, entry).has_value();
    };
    const std::wstring userWinlogon =
        L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\";
    EXPECT_TRUE(target(kKindWinlogon, userWinlogon + L"Shell\\evil.exe"));
    // The user's Winlogon key has no "Userinit" Windows reads.
    EXPECT_FALSE(target(kKindWinlogon, userWinlogon + L"Userinit\\evil.exe"));
    EXPECT_FALSE(target(kKindWinlogon, userWinlogon + L"Shell"));
    EXPECT_FALSE(target(kKindRegistry, userWinlogon + L"Shell\\evil.exe"));
    const std::wstring components =
        L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\";
    EXPECT_TRUE(target(kKindActiveSetup, components + L"{X}\\StubPath"));
    EXPECT_FALSE(target(kKindActiveSetup, components + L"{X}\\Version"));
    EXPECT_FALSE(target(kKindActiveSetup, components + L"StubPath"));
    const std::wstring runOnceEx =
        L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\";
    EXPECT_TRUE(target(kKindRunOnceEx, runOnceEx + L"0001\\Entry"));
    EXPECT_TRUE(target(kKindRunOnceEx, runOnceEx + L"0001\\Depend\\1"));
    EXPECT_FALSE(target(kKindRunOnceEx, runOnceEx + L"Entry"));
    EXPECT_FALSE(target(L"UNKNOWN", runOnceEx + L"0001\\Entry"));
}

} // namespace
} // namespace vtrl::inventory
