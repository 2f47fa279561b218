// The inventory scan against the fake platform: scan order, the administrator rule, shortcuts,
// registry value kinds, first-run stamping, and the inventory's slots across rescans.

#include "inventory/file_facts_reader.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_folder_scan.h"
#include "inventory/version_string.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace vtrl::inventory {
namespace {

using namespace std::string_literals;
using platform::Hive;
using testing::FakeProfileFacts;
using testing::Utf16Block;

constexpr wchar_t kRunTail[] = L"Microsoft\\Windows\\CurrentVersion\\";

std::vector<std::wstring> RunKeysOf(const ScanSources& sources) {
    std::vector<std::wstring> keys;
    for (const PlaceSite& site : sources.places) {
        if (site.type->Kind() == kKindRegistry) {
            keys.push_back(site.location);
        }
    }
    return keys;
}

class InventoryScan : public ::testing::Test {
protected:
    void SetRun(Hive hive, const std::wstring& keyName, const std::wstring& name,
                const std::wstring& command) {
        SetValue(hive, keyName, name, {platform::kRegSz, services::EncodeRegSz(command)});
    }
    void SetValue(Hive hive, const std::wstring& keyName, const std::wstring& name,
                  const platform::RegistryValue& value) {
        SetValueAt(hive, std::wstring(L"Software\\") + kRunTail + keyName, name, value);
    }
    // A value of the 32-bit view, as a 64-bit process reaches it.
    void SetRun32(const std::wstring& keyName, const std::wstring& name,
                  const std::wstring& command) {
        SetValueAt(Hive::LocalMachine,
                   std::wstring(L"SOFTWARE\\WOW6432Node\\") + kRunTail + keyName, name,
                   {platform::kRegSz, services::EncodeRegSz(command)});
    }
    void SetValueAt(Hive hive, const std::wstring& key, const std::wstring& name,
                    const platform::RegistryValue& value) {
        ASSERT_TRUE(fake.registry.CreateKey(hive, key));
        ASSERT_TRUE(fake.registry.SetValue(hive, key, name, value));
    }
    void AddProgram(const std::wstring& path, std::size_t size = 4) {
        fake.files.AddFile(path, std::string(size, 'x'));
    }
    void AddShortcut(const std::wstring& folder, const std::wstring& name,
                     const std::wstring& target, const std::wstring& arguments) {
        fake.files.AddFile(folder + L"\\" + name, "L");
        fake.links.readable[fakes::FoldCase(folder + L"\\" + name)] = {target, arguments};
    }
    ScanOutcome Scan(bool admin, ScanOptions options = {}) {
        facts.IsAdmin = admin;
        return ScanStartupRecords(fake.Get(), facts, inventory, options);
    }
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> names;
        for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
            names.push_back(inventory.Records[static_cast<std::size_t>(i)].EntryName);
        }
        return names;
    }
    const StartupRecord& At(int index) const {
        return inventory.Records.at(static_cast<std::size_t>(index));
    }
    std::wstring Setting(const std::wstring& section, const std::wstring& key) {
        return services::GetSetting(fake.registry, services::kAppKey, section, key);
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts = FakeProfileFacts();
    StartupInventory inventory;
};

TEST_F(InventoryScan, ScanOrderForAnAdministrator) {
    AddProgram(L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"RunOnceEx", L"cu-once-ex", L"C:\\Tools\\a.exe");
    SetRun(Hive::LocalMachine, L"RunOnce", L"lm-once", L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"Run", L"cu-run-1", L"C:\\Tools\\a.exe");
    SetRun(Hive::LocalMachine, L"Run", L"lm-run", L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"Run", L"cu-run-2", L"C:\\Tools\\a.exe");
    SetRun(Hive::LocalMachine, L"RunOnceEx", L"lm-once-ex", L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"RunOnce", L"cu-once", L"C:\\Tools\\a.exe");
    SetRun32(L"RunOnceEx", L"wow-once-ex", L"C:\\Tools\\a.exe");
    SetRun32(L"Run", L"wow-run", L"C:\\Tools\\a.exe -32");
    SetRun32(L"RunOnce", L"wow-once", L"C:\\Tools\\a.exe");
    AddShortcut(facts.CommonStartupFolder, L"common.lnk", L"C:\\Tools\\a.exe", L"");
    AddShortcut(facts.StartupFolder, L"user.lnk", L"C:\\Tools\\a.exe", L"");

    ASSERT_EQ(Scan(true), ScanOutcome::Records);
    EXPECT_EQ(Entries(),
              (std::vector<std::wstring>{L"lm-run", L"lm-once", L"lm-once-ex", L"wow-run",
                                         L"wow-once", L"wow-once-ex", L"cu-run-1", L"cu-run-2",
                                         L"cu-once", L"cu-once-ex", L"user.lnk", L"common.lnk"}));
    const std::wstring machine = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\"s + kRunTail;
    const std::wstring machine32 = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\"s + kRunTail;
    const std::wstring user = L"HKEY_CURRENT_USER\\Software\\"s + kRunTail;
    const std::vector<std::wstring> locations = {
        machine + L"Run",    machine + L"RunOnce",   machine + L"RunOnceEx",
        machine32 + L"Run",  machine32 + L"RunOnce", machine32 + L"RunOnceEx",
        user + L"Run",       user + L"Run",          user + L"RunOnce",
        user + L"RunOnceEx", facts.StartupFolder,    facts.CommonStartupFolder};
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        EXPECT_EQ(At(i).Location, locations.at(static_cast<std::size_t>(i))) << i;
        EXPECT_EQ(At(i).Kind, i < 10 ? kKindRegistry : kKindShortcut) << i;
    }
    // The 32-bit view's commands are split and resolved like any other.
    EXPECT_EQ(At(3).ExeFolder, L"C:\\TOOLS");
    EXPECT_EQ(At(3).ExeName, L"a.exe");
    EXPECT_EQ(At(3).Arguments, L"-32");
    EXPECT_EQ(At(3).CommandLine, L"C:\\Tools\\a.exe -32");
}

TEST_F(InventoryScan, SourcesListBothViewsForEveryUser) {
    const std::wstring machine32 = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\"s + kRunTail;
    for (const bool admin : {true, false}) {
        facts.IsAdmin = admin;
        const std::vector<std::wstring> keys = RunKeysOf(DefaultScanSources(facts));
        ASSERT_EQ(keys.size(), 9u);
        EXPECT_EQ(std::vector<std::wstring>(keys.begin() + 3, keys.begin() + 6),
                  (std::vector<std::wstring>{machine32 + L"Run", machine32 + L"RunOnce",
                                             machine32 + L"RunOnceEx"}));
        // The current user's keys are shared between the views and come once.
        EXPECT_EQ(std::count_if(keys.begin(), keys.end(),
                                [](const std::wstring& key) {
                                    return key.starts_with(L"HKEY_CURRENT_USER\\");
                                }),
                  3);
    }
}

TEST_F(InventoryScan, StandardUserSeesMachineEntriesMarkedForAnAdministrator) {
    AddProgram(L"C:\\Tools\\a.exe");
    SetRun(Hive::LocalMachine, L"Run", L"machine", L"C:\\Tools\\a.exe");
    SetRun32(L"Run", L"machine32", L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"Run", L"user", L"C:\\Tools\\a.exe");
    AddShortcut(facts.CommonStartupFolder, L"common.lnk", L"C:\\Tools\\a.exe", L"");
    AddShortcut(facts.StartupFolder, L"mine.lnk", L"C:\\Tools\\a.exe", L"");

    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"machine", L"machine32", L"user", L"mine.lnk",
                                                    L"common.lnk"}));
    const std::vector<bool> marked = {true, true, false, false, true};
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        EXPECT_EQ(At(i).NeedsAdministrator, marked[static_cast<std::size_t>(i)]) << i;
    }
    ASSERT_EQ(Scan(true), ScanOutcome::Records);
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        EXPECT_FALSE(At(i).NeedsAdministrator) << i;
    }
}

TEST_F(InventoryScan, SameCommandInBothHivesGivesTwoRecords) {
    AddProgram(L"C:\\Program Files\\Vendor\\Tool.exe", 1234);
    const std::wstring command = L"\"C:\\Program Files\\Vendor\\Tool.exe\" -min";
    SetRun(Hive::CurrentUser, L"Run", L"Tool", command);
    SetRun(Hive::LocalMachine, L"Run", L"Tool", command);

    ASSERT_EQ(Scan(true), ScanOutcome::Records);
    ASSERT_EQ(inventory.LastRecordIndex, 1);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(At(i).ExeFolder, L"C:\\PROGRAM FILES\\VENDOR");
        EXPECT_EQ(At(i).ExeName, L"tool.exe");
        EXPECT_EQ(At(i).Arguments, L"-min");
        EXPECT_EQ(At(i).CommandLine, command);
        EXPECT_EQ(At(i).FileSize, 1234);
        EXPECT_FALSE(At(i).ViaRundll);
    }
    EXPECT_NE(At(0).Location, At(1).Location);
}

// A value name may hold a backslash; read as a path it would name another key's value (or
// nothing), which would hide the record or show another command under its name.
TEST_F(InventoryScan, ValueNameWithABackslashIsReadByItsOwnName) {
    AddProgram(L"C:\\Tools\\a.exe");
    AddProgram(L"C:\\Tools\\decoy.exe");
    SetRun(Hive::CurrentUser, L"Run", L"Vtrl\\Bad", L"C:\\Tools\\a.exe -own");
    SetRun(Hive::CurrentUser, L"Run\\Vtrl", L"Bad", L"C:\\Tools\\decoy.exe");
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"Vtrl\\Bad"});
    EXPECT_EQ(At(0).ExeName, L"a.exe");
    EXPECT_EQ(At(0).Arguments, L"-own");
}

TEST_F(InventoryScan, RegistryValueKinds) {
    AddProgram(L"C:\\Tools\\a.exe");
    AddProgram(L"C:\\windows\\system32\\shell32.dll");
    AddProgram(L"C:\\windows\\system32\\rundll32.exe");
    SetRun(Hive::CurrentUser, L"Run", L"", L"C:\\Tools\\a.exe /default");
    SetValue(Hive::CurrentUser, L"Run", L"flags", {platform::kRegDword, {1, 0, 0, 0}});
    SetValue(Hive::CurrentUser, L"Run", L"bytes", {platform::kRegBinary, {0x43, 0, 0x3a, 0}});
    SetRun(Hive::CurrentUser, L"Run", L"missing", L"C:\\Tools\\gone.exe");
    SetRun(Hive::CurrentUser, L"Run", L"batch", L"C:\\Tools\\start.bat now");
    SetRun(Hive::CurrentUser, L"Run", L"panel",
           L"%SystemRoot%\\System32\\RUNDLL32.EXE shell32.dll,Control_RunDLL Desk.cpl");
    SetValue(Hive::CurrentUser, L"RunOnceEx", L"expand",
             {platform::kRegExpandSz, services::EncodeRegSz(L"%SystemDrive%\\Tools\\A.EXE -Q")});
    SetValue(Hive::CurrentUser, L"RunOnceEx", L"list",
             {platform::kRegMultiSz, services::EncodeRegSz(L"C:\\Tools\\a.exe")});

    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    // Every text is listed, found or not; numbers and bytes are no commands.
    EXPECT_EQ(Entries(),
              (std::vector<std::wstring>{L"", L"missing", L"batch", L"panel", L"expand", L"list"}));
    EXPECT_EQ(At(0).Arguments, L"/default");
    EXPECT_TRUE(At(0).Found);
    EXPECT_EQ(At(0).ValueType, L"REG_SZ");
    EXPECT_FALSE(At(1).Found);
    EXPECT_EQ(At(1).ExeFolder, L"C:\\TOOLS");
    EXPECT_EQ(At(1).ExeName, L"gone.exe");
    EXPECT_EQ(At(1).CommandLine, L"C:\\Tools\\gone.exe");
    EXPECT_FALSE(At(2).Found);
    EXPECT_EQ(At(2).ExeName, L"start.bat");
    EXPECT_EQ(At(2).Arguments, L"now");
    EXPECT_EQ(At(3).ExeFolder, L"C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(At(3).ExeName, L"shell32.dll");
    EXPECT_TRUE(At(3).ViaRundll);
    EXPECT_EQ(At(3).Launcher, L"C:\\windows\\System32\\RUNDLL32.EXE");
    // The text as stored, its case and its variables kept; the arguments as written.
    EXPECT_EQ(At(3).Arguments, L"Control_RunDLL Desk.cpl");
    EXPECT_EQ(At(3).CommandLine,
              L"%SystemRoot%\\System32\\RUNDLL32.EXE shell32.dll,Control_RunDLL Desk.cpl");
    // Earlier scans lower-cased a command holding a folder token: its decision stays found.
    EXPECT_EQ(At(3).LegacyKey,
              (ProgramKey{L"c:\\windows\\system32", L"shell32.dll", L"control_rundll desk.cpl"}));
    EXPECT_EQ(At(4).CommandLine, L"%SystemDrive%\\Tools\\A.EXE -Q");
    EXPECT_EQ(At(4).ExeFolder, L"C:\\TOOLS");
    EXPECT_EQ(At(4).Arguments, L"-Q");
    EXPECT_EQ(At(4).ValueType, L"REG_EXPAND_SZ");
    EXPECT_EQ(At(4).LegacyKey.Arguments, L"-q");
    EXPECT_EQ(At(5).ValueType, L"REG_MULTI_SZ");
    // A key that equals the record's own is not kept twice.
    EXPECT_EQ(At(0).LegacyKey, ProgramKey{});
}

TEST_F(InventoryScan, UnreadableKeyIsSkipped) {
    AddProgram(L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"Run", L"hidden", L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"RunOnce", L"seen", L"C:\\Tools\\a.exe");
    fake.registry.DenyAccess(Hive::CurrentUser, std::wstring(L"Software\\") + kRunTail + L"Run");
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"seen"});
}

TEST_F(InventoryScan, FileFactsComeFromTheVersionBlock) {
    AddProgram(L"C:\\Tools\\Versioned.exe", 77);
    fake.version.blocks[fakes::FoldCase(L"C:\\Tools\\Versioned.exe")] = Utf16Block(
        L"\x01\x02\x03"s + L"CompanyName\0\0Acme\0\0"s + L"FileDescription\0Acme Tool\0"s);
    SetRun(Hive::CurrentUser, L"Run", L"v", L"C:\\Tools\\Versioned.exe");
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(At(0).Company, L"Acme");
    EXPECT_EQ(At(0).Description, L"Acme Tool");
    EXPECT_EQ(At(0).FileSize, 77);
    EXPECT_EQ(At(0).ExeName, L"versioned.exe");
}

TEST_F(InventoryScan, FileFactsCanComeAfterTheScan) {
    AddProgram(L"C:\\Tools\\Versioned.exe", 77);
    fake.version.blocks[fakes::FoldCase(L"C:\\Tools\\Versioned.exe")] = Utf16Block(
        L"\x01\x02\x03"s + L"CompanyName\0\0Acme\0\0"s + L"FileDescription\0Acme Tool\0"s);
    SetRun(Hive::CurrentUser, L"Run", L"v", L"C:\\Tools\\Versioned.exe -x");
    SetRun(Hive::CurrentUser, L"Run", L"gone", L"C:\\Tools\\Gone.exe");
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    const std::vector<StartupRecord> full(inventory.Records.begin(), inventory.Records.begin() + 2);

    ASSERT_EQ(Scan(false, {.withFileFacts = false}), ScanOutcome::Records);
    ASSERT_EQ(inventory.LastRecordIndex, 1);
    EXPECT_TRUE(At(0).Found);
    EXPECT_EQ(At(0).Company, L"");
    EXPECT_EQ(At(0).Description, L"");
    EXPECT_EQ(At(0).FileSize, 0);
    FileFactsReader reader;
    for (int i = 0; i < 2; ++i) {
        StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
        EXPECT_EQ(record.ExeFolder, full[static_cast<std::size_t>(i)].ExeFolder);
        EXPECT_EQ(record.ExeName, full[static_cast<std::size_t>(i)].ExeName);
        EXPECT_EQ(record.Arguments, full[static_cast<std::size_t>(i)].Arguments);
        reader.Fill(fake.Get(), record);
        EXPECT_EQ(record.Company, full[static_cast<std::size_t>(i)].Company);
        EXPECT_EQ(record.Description, full[static_cast<std::size_t>(i)].Description);
        EXPECT_EQ(record.FileSize, full[static_cast<std::size_t>(i)].FileSize);
    }
    EXPECT_EQ(At(0).Description, L"Acme Tool");
    EXPECT_FALSE(At(1).Found);
}

TEST_F(InventoryScan, ShortcutRules) {
    const std::wstring folder = facts.StartupFolder;
    AddProgram(L"C:\\Tools\\a.exe");
    AddProgram(L"C:\\windows\\system32\\shell32.dll");
    AddShortcut(folder, L"Vantorel.lnk", L"C:\\Tools\\a.exe", L"startup");
    AddShortcut(folder, L"vantorel.lnk.lnk", L"C:\\Tools\\a.exe", L"");
    AddShortcut(folder, L"VANTOREL.lnk", L"C:\\Tools\\a.exe", L"startup");
    AddShortcut(folder, L"args.lnk", L"C:\\Tools\\a.exe", L"-x -y");
    AddShortcut(folder, L"noargs.lnk", L"C:\\Tools\\a.exe", L"");
    AddProgram(L"C:\\windows\\system32\\rundll32.exe");
    AddShortcut(folder, L"panel.lnk", L"C:\\windows\\system32\\rundll32.exe",
                L"shell32.dll,Control_RunDLL desk.cpl");
    AddShortcut(folder, L"caret.lnk", L"C:\\Tools\\a.exe^junk", L"one^two");
    AddShortcut(folder, L"hidden.lnk", L"C:\\Tools\\a.exe", L"");
    fake.files.SetAttributes(folder + L"\\hidden.lnk", platform::kAttributeHidden);
    AddShortcut(folder, L"system.lnk", L"C:\\Tools\\a.exe", L"");
    fake.files.SetAttributes(folder + L"\\system.lnk",
                             platform::kAttributeSystem | platform::kAttributeArchive);
    AddShortcut(folder, L"readonly.lnk", L"C:\\Tools\\a.exe", L"");
    fake.files.SetAttributes(folder + L"\\readonly.lnk", platform::kAttributeReadOnly);
    fake.files.AddFile(folder + L"\\broken.lnk", "not a link");
    fake.files.AddFile(folder + L"\\site.url", "[InternetShortcut]");
    fake.files.AddFile(folder + L"\\direct.exe", "MZ");
    fake.files.AddFile(folder + L"\\Desktop.INI", "[.ShellClassInfo]");
    fake.launcher.associations[L".url"] = L"C:\\windows\\system32\\rundll32.exe";

    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    // The fake lists in name order, the shortcuts first: every file but the folder's settings,
    // hidden and system ones too; only the product's own shortcut in its exact spelling is left
    // out.
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{
                             L"args.lnk", L"broken.lnk", L"caret.lnk", L"hidden.lnk", L"noargs.lnk",
                             L"panel.lnk", L"readonly.lnk", L"system.lnk", L"VANTOREL.lnk",
                             L"vantorel.lnk.lnk", L"direct.exe", L"site.url"}));
    const auto named = [&](const std::wstring& name) -> const StartupRecord& {
        for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
            if (At(i).EntryName == name) {
                return At(i);
            }
        }
        throw std::runtime_error("no record");
    };
    EXPECT_EQ(named(L"args.lnk").CommandLine, L"\"C:\\Tools\\a.exe\" -x -y");
    EXPECT_EQ(named(L"args.lnk").Arguments, L"-x -y");
    EXPECT_EQ(named(L"args.lnk").Opener, L"C:\\Tools\\a.exe");
    EXPECT_EQ(named(L"noargs.lnk").CommandLine, L"\"C:\\Tools\\a.exe\" ");
    EXPECT_EQ(named(L"noargs.lnk").Arguments, L"");
    // The target ends at the first "^", the arguments at the second.
    EXPECT_EQ(named(L"caret.lnk").CommandLine, L"\"C:\\Tools\\a.exe\" junk");
    EXPECT_EQ(named(L"caret.lnk").Arguments, L"junk");
    // A rundll32 shortcut names the DLL but shows the command as the shortcut holds it.
    const StartupRecord& panel = named(L"panel.lnk");
    EXPECT_TRUE(panel.ViaRundll);
    EXPECT_EQ(panel.ExeName, L"shell32.dll");
    EXPECT_EQ(panel.Arguments, L"Control_RunDLL desk.cpl");
    EXPECT_EQ(panel.CommandLine,
              L"\"C:\\windows\\system32\\rundll32.exe\" shell32.dll,Control_RunDLL desk.cpl");
    // Hidden and system files are marked; a shortcut stays a shortcut.
    EXPECT_EQ(named(L"hidden.lnk").Kind, kKindShortcut);
    EXPECT_TRUE(named(L"hidden.lnk").HiddenFile);
    EXPECT_FALSE(named(L"hidden.lnk").SystemFile);
    EXPECT_TRUE(named(L"system.lnk").SystemFile);
    EXPECT_FALSE(named(L"readonly.lnk").HiddenFile);
    // Other files, and a shortcut that cannot be read, name themselves and their opener.
    const std::wstring upperFolder = fake.locale.ToUpper(folder);
    for (const wchar_t* name : {L"broken.lnk", L"direct.exe", L"site.url"}) {
        const StartupRecord& file = named(name);
        EXPECT_EQ(file.Kind, kKindStartupFile) << name;
        EXPECT_EQ(file.ExeFolder, upperFolder) << name;
        EXPECT_EQ(file.ExeName, fake.locale.ToLower(name)) << name;
        EXPECT_EQ(file.CommandLine, L"\"" + folder + L"\\" + name + L"\"") << name;
        EXPECT_TRUE(file.Found) << name;
    }
    EXPECT_EQ(named(L"direct.exe").Opener, folder + L"\\direct.exe");
    EXPECT_EQ(named(L"site.url").Opener, L"C:\\windows\\system32\\rundll32.exe");
    EXPECT_EQ(named(L"broken.lnk").Opener, L"") << "no association for .lnk in the fake";
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        EXPECT_EQ(At(i).Location, folder);
    }
}

TEST_F(InventoryScan, ShortcutKeepsItsTextAndItsOldDecisionKey) {
    AddProgram(L"C:\\users\\tester\\AppData\\Roaming\\Sync\\sync.exe");
    AddShortcut(facts.StartupFolder, L"sync.lnk", L"%APPDATA%\\Sync\\Sync.exe", L"/Quiet");
    AddShortcut(facts.StartupFolder, L"gone.lnk", L"D:\\Gone\\Gone.exe", L"-x");
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(Entries(), (std::vector<std::wstring>{L"gone.lnk", L"sync.lnk"}));
    EXPECT_EQ(At(1).CommandLine, L"\"%APPDATA%\\Sync\\Sync.exe\" /Quiet");
    EXPECT_EQ(At(1).Arguments, L"/Quiet");
    EXPECT_EQ(At(1).ExeFolder, L"C:\\USERS\\TESTER\\APPDATA\\ROAMING\\SYNC");
    EXPECT_EQ(At(1).ValueType, L"");
    EXPECT_EQ(At(1).LegacyKey.Arguments, L"/quiet");
    // A shortcut whose target is missing is listed with its target as the program.
    EXPECT_FALSE(At(0).Found);
    EXPECT_EQ(At(0).ExeFolder, L"D:\\GONE");
    EXPECT_EQ(At(0).ExeName, L"gone.exe");
    EXPECT_EQ(At(0).Arguments, L"-x");
}

TEST_F(InventoryScan, MissingCommonStartupFolderListsNothingTwice) {
    AddProgram(L"C:\\Tools\\a.exe");
    AddShortcut(facts.StartupFolder, L"mine.lnk", L"C:\\Tools\\a.exe", L"");
    facts.CommonStartupFolder = services::kFolderMissingText;
    ASSERT_EQ(Scan(true), ScanOutcome::Records);
    EXPECT_EQ(Entries(), std::vector<std::wstring>{L"mine.lnk"});
}

TEST_F(InventoryScan, RunningStateFromOneProcessListPerScan) {
    AddProgram(L"C:\\Tools\\Agent.exe");
    AddProgram(L"C:\\Tools\\my.tool.exe");
    AddProgram(L"C:\\Tools\\idle.exe");
    SetRun(Hive::CurrentUser, L"Run", L"agent", L"C:\\Tools\\Agent.exe");
    SetRun(Hive::CurrentUser, L"Run", L"dotted", L"C:\\Tools\\my.tool.exe");
    SetRun(Hive::CurrentUser, L"Run", L"idle", L"C:\\Tools\\idle.exe");
    fake.processes.Start(L"C:\\TOOLS\\AGENT.EXE");
    fake.processes.Start(L"C:\\Tools\\my.tool.exe");
    fake.processes.Start(L"D:\\Elsewhere\\idle.exe");

    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(fake.processes.snapshots, 1u);
    EXPECT_TRUE(At(0).IsRunning);
    EXPECT_TRUE(At(1).IsRunning);
    EXPECT_FALSE(At(2).IsRunning) << "a namesake in another folder";
}

TEST_F(InventoryScan, NothingFoundIsReportedAndNothingStamped) {
    SetValue(Hive::CurrentUser, L"Run", L"flags", {platform::kRegDword, {1, 0, 0, 0}});
    EXPECT_EQ(Scan(false), ScanOutcome::NoRecords);
    EXPECT_EQ(inventory.LastRecordIndex, -1);
    EXPECT_EQ(Setting(L"Data", L"FirstRun"), L"");
}

TEST_F(InventoryScan, FirstRunStampsEachExecutableOnce) {
    AddProgram(L"C:\\Tools\\A.exe");
    AddProgram(L"C:\\Other\\b.exe");
    SetRun(Hive::CurrentUser, L"Run", L"a1", L"C:\\Tools\\A.exe");
    SetRun(Hive::CurrentUser, L"Run", L"b", L"C:\\Other\\b.exe");
    SetRun(Hive::CurrentUser, L"RunOnce", L"a2", L"C:\\Tools\\a.exe -again");

    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(Setting(L"Data", L"FirstRun"), L"WAS");
    EXPECT_EQ(Setting(L"Remind", L"a.exe"), L"12/8/2026 9:30:00 AM");
    EXPECT_EQ(Setting(L"Remind", L"b.exe"), L"12/8/2026 9:30:00 AM");
    // The step marker is gone after the scan.
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\fileerror.txt"));

    // Later scans stamp nothing, not even a new executable.
    AddProgram(L"C:\\Tools\\new.exe");
    SetRun(Hive::CurrentUser, L"Run", L"new", L"C:\\Tools\\new.exe");
    fake.clock.now.hour = 11;
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(Setting(L"Remind", L"a.exe"), L"12/8/2026 9:30:00 AM");
    EXPECT_EQ(Setting(L"Remind", L"new.exe"), L"");
}

TEST_F(InventoryScan, ReadOnlyScanChangesNothing) {
    AddProgram(L"C:\\Tools\\a.exe");
    SetRun(Hive::CurrentUser, L"Run", L"a", L"C:\\Tools\\a.exe");
    fake.files.AddFolder(facts.DataFolder);
    const std::size_t writes = fake.registry.MutatingCalls();
    const std::size_t files = fake.files.FileCount();

    ASSERT_EQ(Scan(false, {.withIcons = false, .readOnly = true}), ScanOutcome::Records);
    EXPECT_EQ(fake.registry.MutatingCalls(), writes);
    EXPECT_EQ(fake.files.FileCount(), files);
    EXPECT_EQ(Setting(L"Data", L"FirstRun"), L"");
}

TEST_F(InventoryScan, SmallerRescanFreesTheSlotsAbove) {
    for (int i = 0; i < 9; ++i) {
        const std::wstring path = L"C:\\Tools\\t" + std::to_wstring(i) + L".exe";
        AddProgram(path);
        SetRun(Hive::CurrentUser, L"Run", L"t" + std::to_wstring(i), path);
    }
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    ASSERT_EQ(inventory.LastRecordIndex, 8);

    for (int i = 5; i < 9; ++i) {
        fake.registry.DeleteValue(Hive::CurrentUser,
                                  std::wstring(L"Software\\") + kRunTail + L"Run",
                                  L"t" + std::to_wstring(i));
    }
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(inventory.LastRecordIndex, 4);
    for (int i = 0; i <= 4; ++i) {
        EXPECT_TRUE(At(i).InUse);
    }
    for (int i = 5; i <= 8; ++i) {
        EXPECT_FALSE(At(i).InUse);
        // Free slots keep what the earlier scan put there.
        EXPECT_EQ(At(i).EntryName, L"t" + std::to_wstring(i));
    }
}

TEST_F(InventoryScan, GrowsPastTheInitialSlots) {
    constexpr int kEntries = 150;
    AddProgram(L"C:\\Tools\\many.exe");
    for (int i = 0; i < kEntries; ++i) {
        SetRun(Hive::CurrentUser, L"Run", L"entry" + std::to_wstring(i), L"C:\\Tools\\many.exe");
    }
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    ASSERT_EQ(inventory.LastRecordIndex, kEntries - 1);
    for (int i = 0; i < kEntries; ++i) {
        EXPECT_TRUE(At(i).InUse);
        EXPECT_EQ(At(i).EntryName, L"entry" + std::to_wstring(i));
    }

    for (int i = 3; i < kEntries; ++i) {
        fake.registry.DeleteValue(Hive::CurrentUser,
                                  std::wstring(L"Software\\") + kRunTail + L"Run",
                                  L"entry" + std::to_wstring(i));
    }
    ASSERT_EQ(Scan(false), ScanOutcome::Records);
    EXPECT_EQ(inventory.LastRecordIndex, 2);
    EXPECT_EQ(ComputeLastRecordIndex(inventory), 2);
}

} // namespace
} // namespace vtrl::inventory
