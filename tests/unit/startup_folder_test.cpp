// Every file Windows starts from a Startup folder, and a redirected Startup folder: which files
// count and what opens them, when a redirection is one, and how removal and restore move the file
// or the folder's value out and back exactly.

#include "decision_test_support.h"
#include "decisions/backup_log.h"
#include "decisions/record_copy.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_folder_items.h"
#include "inventory/startup_folder_redirection.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl {
namespace {

using decisions::testing::kDataFolder;
using platform::Hive;

constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

TEST(StartupItems, EveryFileButFoldersAndTheFolderSettingsWithTheirMarks) {
    fakes::FakeLocale locale;
    const std::vector<platform::FolderEntry> listing = {
        {L"run.bat", platform::kAttributeArchive, 3},
        {L"Sub", platform::kAttributeDirectory, 0},
        {L"DESKTOP.ini", platform::kAttributeHidden | platform::kAttributeSystem, 9},
        {L"desktop.ini.bat", platform::kAttributeHidden, 1},
        {L"tool.exe", platform::kAttributeHidden | platform::kAttributeReadOnly, 2},
        {L"core.dll", platform::kAttributeSystem, 2},
    };
    const auto items = inventory::StartupItems(locale, listing);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, L"run.bat");
    EXPECT_FALSE(items[0].hidden || items[0].system);
    EXPECT_EQ(items[1].name, L"desktop.ini.bat");
    EXPECT_TRUE(items[1].hidden);
    EXPECT_TRUE(items[2].hidden);
    EXPECT_FALSE(items[2].system);
    EXPECT_TRUE(items[3].system);
    EXPECT_FALSE(items[3].hidden);
}

TEST(StartupItems, OpenerIsTheProgramTheShellRuns) {
    fakes::FakeLocale locale;
    fakes::FakeLauncher launcher;
    const std::wstring system = L"C:\\windows\\system32";
    const std::wstring folder = L"C:\\S";
    launcher.associations[L".vbs"] = L"C:\\windows\\system32\\wscript.exe";
    launcher.associations[L".pif"] = L"\"%1\" %*";
    // An association cannot steer a batch script away from the command processor.
    launcher.associations[L".cmd"] = L"C:\\Other\\editor.exe";
    const auto opener = [&](const std::wstring& name) {
        return inventory::OpenerOf(locale, launcher, system, folder + L"\\" + name);
    };
    EXPECT_EQ(opener(L"a.EXE"), L"C:\\S\\a.EXE");
    EXPECT_EQ(opener(L"a.scr"), L"C:\\S\\a.scr");
    EXPECT_EQ(opener(L"a.com"), L"C:\\S\\a.com");
    EXPECT_EQ(opener(L"a.Bat"), L"C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(opener(L"a.cmd"), L"C:\\windows\\system32\\cmd.exe");
    EXPECT_EQ(opener(L"a.VBS"), L"C:\\windows\\system32\\wscript.exe");
    EXPECT_EQ(opener(L"a.pif"), L"C:\\S\\a.pif") << "an association naming the file itself";
    EXPECT_EQ(opener(L"a.xyz"), L"") << "nothing registered";
    EXPECT_EQ(opener(L"noextension"), L"");
    EXPECT_EQ(inventory::OpenerOf(locale, launcher, system, L"C:\\dir.vbs\\plain"), L"");
}

class StartupFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.fake.files.AddFolder(facts.StartupFolder);
        fixture.fake.registry.CreateKey(Hive::CurrentUser, kShellFolders);
        fixture.fake.registry.CreateKey(Hive::LocalMachine, kShellFolders);
    }
    void SetShellFolder(Hive hive, const std::wstring& name, std::uint32_t type,
                        const std::wstring& text) {
        fixture.fake.registry.SetValue(hive, kShellFolders, name,
                                       {type, services::EncodeRegSz(text)});
    }
    std::optional<platform::RegistryValue> ShellFolder(Hive hive, const std::wstring& name) {
        return fixture.fake.registry.QueryValue(hive, kShellFolders, name);
    }
    void Scan() { inventory::ScanStartupRecords(fixture.Get(), facts, inventory, {false, true}); }
    std::vector<inventory::StartupRecord> Live() const {
        return {inventory.Records.begin(),
                inventory.Records.begin() + inventory.LastRecordIndex + 1};
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(fixture.Get().files, fixture.Get().locale,
                                                   decisions::BackupLogPath(kDataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }
    decisions::RestoreOutcome Restore(const decisions::BackupEntry& entry) {
        return decisions::RestoreRemovedRecord(fixture.Get(), facts, choices, entry);
    }

    decisions::testing::DecisionFixture fixture;
    services::SystemFacts facts = inventory::testing::FakeProfileFacts(true);
    inventory::StartupInventory inventory;
    decisions::Decisions choices;
};

// Wine finds a name in another letter case only by reading the whole folder: with thousands of
// files there, each check through the record's upper-case folder cost milliseconds.
TEST_F(StartupFolderTest, FilesAreCheckedThroughThePathAsFound) {
    const std::wstring script = facts.StartupFolder + L"\\Nightly Job.CMD";
    fixture.fake.files.AddFile(script, "@exit\r\n");
    Scan();
    ASSERT_EQ(inventory.LastRecordIndex, 0);
    EXPECT_EQ(inventory.Records[0].ExeName, L"nightly job.cmd");
    EXPECT_EQ(inventory.Records[0].ProgramPath, script);
    ASSERT_FALSE(fixture.fake.signatures.askedPaths.empty());
    for (const std::wstring& asked : fixture.fake.signatures.askedPaths) {
        EXPECT_EQ(asked, script);
    }
}

TEST_F(StartupFolderTest, RedirectionIsARecordOnlyAwayFromTheDefault) {
    const auto user = inventory::UserStartupSetting();
    // Wine spells the default "StartUp", and a trailing backslash names the same folder.
    SetShellFolder(Hive::CurrentUser, L"Startup", platform::kRegExpandSz,
                   L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs"
                   L"\\StartUp\\");
    SetShellFolder(Hive::LocalMachine, L"Common Startup", platform::kRegSz,
                   L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Startup");
    EXPECT_FALSE(inventory::FindRedirection(fixture.Get(), user));
    fixture.fake.environment.Set(L"ProgramData", L"C:\\ProgramData");
    EXPECT_FALSE(inventory::FindRedirection(fixture.Get(), inventory::CommonStartupSetting()));
    fixture.fake.registry.SetValue(Hive::CurrentUser, kShellFolders, L"Startup",
                                   {platform::kRegDword, {1, 0, 0, 0}});
    EXPECT_FALSE(inventory::FindRedirection(fixture.Get(), user)) << "not text";

    SetShellFolder(Hive::CurrentUser, L"Startup", platform::kRegExpandSz, L"%TEMP%\\Auto\\");
    fixture.fake.files.AddFolder(L"C:\\users\\tester\\Temp\\Auto");
    const auto redirection = inventory::FindRedirection(fixture.Get(), user);
    ASSERT_TRUE(redirection);
    EXPECT_EQ(redirection->folder, L"C:\\users\\tester\\Temp\\Auto");
    EXPECT_EQ(redirection->stored, L"%TEMP%\\Auto\\");

    Scan();
    const auto records = Live();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Kind, inventory::kKindFolderRedirection);
    EXPECT_EQ(records[0].Location, L"HKEY_CURRENT_USER\\" + std::wstring(kShellFolders));
    EXPECT_EQ(records[0].EntryName, L"Startup");
    EXPECT_EQ(records[0].CommandLine, L"%TEMP%\\Auto\\");
    EXPECT_EQ(records[0].ValueType, inventory::kValueTypeExpandSz);
    EXPECT_EQ(records[0].ExeFolder, L"C:\\USERS\\TESTER\\TEMP");
    EXPECT_EQ(records[0].ExeName, L"auto");
    EXPECT_TRUE(records[0].Found);
}

TEST_F(StartupFolderTest, FileMovesIntoTheBackupAndBackWithBytesAndAttributes) {
    const std::wstring path = facts.StartupFolder + L"\\tool.exe";
    const std::string bytes("MZ\0\x90\xff", 5);
    constexpr std::uint32_t kHiddenSystem =
        platform::kAttributeHidden | platform::kAttributeSystem | platform::kAttributeReadOnly;
    fixture.fake.files.AddFile(path, bytes);
    fixture.fake.files.SetAttributes(path, kHiddenSystem);
    Scan();
    ASSERT_EQ(Live().size(), 1u);
    const inventory::StartupRecord record = Live()[0];
    EXPECT_EQ(record.Kind, inventory::kKindStartupFile);
    EXPECT_TRUE(record.HiddenFile && record.SystemFile);

    EXPECT_TRUE(decisions::RemoveStartupRecord(fixture.Get(), kDataFolder, record));
    EXPECT_FALSE(fixture.fake.files.FileExists(path)) << "read-only, hidden and system: gone";
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].Kind, L"STARTUPFILE");
    EXPECT_EQ(logged[0].FullLocation, path);

    const decisions::RestoreOutcome outcome = Restore(logged[0]);
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(fixture.fake.files.Content(path), bytes);
    EXPECT_EQ(fixture.fake.files.FileAttributes(path), kHiddenSystem);
    // Opened as Windows opens it at logon, not run as a command line.
    EXPECT_EQ(fixture.fake.launcher.opened, std::vector<std::wstring>{path});
    EXPECT_TRUE(fixture.fake.launcher.started.empty());
}

TEST_F(StartupFolderTest, FileWithoutAnExactCopyIsNeitherDeletedNorMadeUp) {
    const std::wstring big = facts.StartupFolder + L"\\big.exe";
    fixture.fake.files.AddFile(big, "MZ");
    fixture.files.reportedSizes[fakes::FoldCase(big)] = decisions::kMaxRecordCopyBytes + 1;
    const std::wstring locked = facts.StartupFolder + L"\\locked.vbs";
    fixture.fake.files.AddFile(locked, "WScript.Echo 1");
    Scan();
    ASSERT_EQ(Live().size(), 2u);
    EXPECT_EQ(decisions::RemoveStartupRecord(fixture.Get(), kDataFolder, Live()[0]).outcome,
              decisions::StoreOutcome::Failed);
    EXPECT_TRUE(fixture.fake.files.FileExists(big));
    EXPECT_TRUE(Logged().empty());
    fixture.MakeUnreadable(locked);
    EXPECT_EQ(decisions::RemoveStartupRecord(fixture.Get(), kDataFolder, Live()[1]).outcome,
              decisions::StoreOutcome::Failed);
    EXPECT_TRUE(fixture.fake.files.FileExists(locked));
    EXPECT_TRUE(Logged().empty());

    // An entry of a file without its copy (edited by hand, its copy lost) writes nothing back:
    // no shortcut in its place.
    fixture.fake.files.Remove(locked);
    const decisions::RestoreOutcome outcome =
        Restore({L"t", L"d", L"h", L"STARTUPFILE", locked, L"", L"locked.vbs", L"",
                 L"\"" + locked + L"\""});
    EXPECT_FALSE(outcome.refused);
    EXPECT_FALSE(outcome.recordWritten);
    EXPECT_FALSE(outcome.started);
    EXPECT_FALSE(fixture.fake.files.FileExists(locked));
    EXPECT_TRUE(fixture.fake.links.created.empty());
    EXPECT_TRUE(outcome.approved);
}

TEST_F(StartupFolderTest, RedirectionRemovalRestoresTheDefaultAndRestorePutsItBack) {
    SetShellFolder(Hive::CurrentUser, L"Startup", platform::kRegSz, L"D:\\Elsewhere");
    const auto before = ShellFolder(Hive::CurrentUser, L"Startup");
    Scan();
    ASSERT_EQ(Live().size(), 1u);
    EXPECT_TRUE(decisions::RemoveStartupRecord(fixture.Get(), kDataFolder, Live()[0]));
    const auto removed = ShellFolder(Hive::CurrentUser, L"Startup");
    ASSERT_TRUE(removed);
    EXPECT_EQ(removed->type, platform::kRegExpandSz);
    EXPECT_EQ(
        services::DecodeRegSz(removed->data),
        L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup");
    Scan();
    EXPECT_TRUE(Live().empty()) << "the default is no record";

    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].Kind, L"REDIRECTION");
    const decisions::RestoreOutcome outcome = Restore(logged[0]);
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_FALSE(outcome.started) << "a folder starts nothing";
    const auto after = ShellFolder(Hive::CurrentUser, L"Startup");
    ASSERT_TRUE(after && before);
    EXPECT_EQ(after->type, before->type);
    EXPECT_EQ(after->data, before->data);
    EXPECT_TRUE(fixture.fake.launcher.started.empty());
    EXPECT_TRUE(fixture.fake.launcher.opened.empty());
}

TEST_F(StartupFolderTest, RestoreWritesOnlyIntoTheStartupFoldersAndTheirSettings) {
    const auto entry = [](const std::wstring& kind, const std::wstring& location) {
        return decisions::BackupEntry{L"t", L"d", L"h", kind, location, L"", L"", L"", L"x"};
    };
    const std::wstring folder = facts.StartupFolder;
    const std::wstring userKey = L"HKEY_CURRENT_USER\\" + std::wstring(kShellFolders);
    for (const auto& refused : {
             entry(L"STARTUPFILE", L"C:\\Elsewhere\\run.bat"),
             entry(L"STARTUPFILE", folder + L"\\desktop.INI"),
             entry(L"STARTUPFILE", folder + L"\\run.bat:stream"),
             entry(L"STARTUPFILE", folder + L"\\sub\\run.bat"),
             entry(L"STARTUPFILE", folder + L"\\run.bat."),
             entry(L"REDIRECTION", userKey + L"\\Desktop"),
             entry(L"REDIRECTION", userKey + L"\\Startup\\x"),
             entry(L"REDIRECTION", L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\"
                                   L"CurrentVersion\\Run\\Startup"),
         }) {
        EXPECT_FALSE(decisions::ScannedRestoreTarget(fixture.Get().locale, facts, refused))
            << refused.FullLocation;
    }
    const auto file = decisions::ScannedRestoreTarget(fixture.Get().locale, facts,
                                                      entry(L"STARTUPFILE", folder + L"\\run.bat"));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->site.type->Kind(), L"STARTUPFILE");
    EXPECT_EQ(file->site.location + L"\\" + file->entry, folder + L"\\run.bat");
    const auto common = decisions::ScannedRestoreTarget(
        fixture.Get().locale, facts,
        entry(L"REDIRECTION", L"hkey_local_machine\\software\\microsoft\\windows\\currentversion"
                              L"\\explorer\\user shell folders\\common startup"));
    ASSERT_TRUE(common);
    EXPECT_EQ(common->entry, L"Common Startup");
}

} // namespace
} // namespace vtrl
