// Removing one startup record: backup first, then exactly the value or shortcut, with the result
// telling whether the record is gone.

#include "decision_test_support.h"
#include "decisions/backup_log.h"
#include "decisions/record_removal.h"
#include "services/registry_access.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

#include <utility>

namespace vtrl::decisions {
namespace {

using platform::Hive;
using testing::kDataFolder;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RecordRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.fake.registry.CreateKey(Hive::CurrentUser, kRunKey);
        Set(L"tool", L"c:\\p\\tool.exe -a");
        Set(L"other", L"c:\\p\\other.exe");
    }
    void Set(const std::wstring& name, const std::wstring& data) {
        fixture.fake.registry.SetValue(Hive::CurrentUser, kRunKey, name,
                                       {platform::kRegSz, services::EncodeRegSz(data)});
    }
    static inventory::StartupRecord Registry(const std::wstring& name) {
        inventory::StartupRecord record;
        record.InUse = true;
        record.Kind = L"REGISTRY";
        record.Location = std::wstring(L"HKEY_CURRENT_USER\\") + kRunKey;
        record.EntryName = name;
        record.CommandLine = L"c:\\p\\tool.exe -a";
        record.ExeFolder = L"c:\\p";
        record.ExeName = L"tool.exe";
        record.Arguments = L"-a";
        return record;
    }
    std::vector<BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(fixture.Get().files, fixture.Get().locale,
                                                   BackupLogPath(kDataFolder));
        return lines ? ParseBackupLines(*lines) : std::vector<BackupEntry>{};
    }
    std::vector<std::wstring> Names() {
        return fixture.fake.registry.ListValueNames(Hive::CurrentUser, kRunKey)
            .value_or(std::vector<std::wstring>{L"<no key>"});
    }

    testing::DecisionFixture fixture;
};

TEST_F(RecordRemovalTest, RegistryValueRemovedAndLogged) {
    EXPECT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")));
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"other"});
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].FullLocation, std::wstring(L"HKEY_CURRENT_USER\\") + kRunKey + L"\\tool");
    EXPECT_EQ(logged[0].CommandLine, L"c:\\p\\tool.exe -a");
    EXPECT_EQ(logged[0].Kind, L"REGISTRY");
}

TEST_F(RecordRemovalTest, DefaultValueRemovalKeepsTheKeyAndItsOtherValues) {
    Set(L"", L"c:\\p\\tool.exe -a");
    EXPECT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"")));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"tool", L"other"}));
    EXPECT_EQ(Logged().at(0).FullLocation, std::wstring(L"HKEY_CURRENT_USER\\") + kRunKey + L"\\");
}

TEST_F(RecordRemovalTest, AlreadyGoneCountsAsGoneAndIsStillLogged) {
    EXPECT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"missing")));
    EXPECT_EQ(Logged().size(), 1u);
}

TEST_F(RecordRemovalTest, FailedDeletionIsReportedAsFailure) {
    fixture.fake.registry.DenyAccess(Hive::CurrentUser, kRunKey);
    EXPECT_FALSE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")));
    // Logged all the same: the backup is what makes a later retry or undo safe.
    EXPECT_EQ(Logged().size(), 1u);
}

TEST_F(RecordRemovalTest, NothingDeletedWhenTheBackupCannotBeWritten) {
    fixture.fake.files.MakeReadOnly(kDataFolder);
    EXPECT_FALSE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")));
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"tool", L"other"}));

    inventory::StartupRecord link = Registry(L"Tool.lnk");
    link.Kind = L"SHORTCUT";
    link.Location = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";
    fixture.fake.files.AddFile(FullLocationOf(link), "lnk");
    EXPECT_FALSE(RemoveStartupRecord(fixture.Get(), kDataFolder, link));
    EXPECT_TRUE(fixture.fake.files.FileExists(FullLocationOf(link)));
}

// The delete call takes a name up to its first NUL: a record whose value name holds one is
// refused before its backup, so neither the sibling named by the prefix nor the log changes.
TEST_F(RecordRemovalTest, AValueNameWithANulIsRefusedBeforeItsBackup) {
    const std::wstring odd(L"tool\0x", 6);
    fixture.fake.registry.PlantValue(Hive::CurrentUser, kRunKey, odd,
                                     {platform::kRegSz, services::EncodeRegSz(L"c:\\p\\x.exe")});
    const StoreResult result = RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(odd));
    EXPECT_EQ(result.outcome, StoreOutcome::NotRemovable);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"tool", L"other", odd}));
    EXPECT_EQ(Logged().size(), 0u);
}

TEST_F(RecordRemovalTest, ShortcutFileRemoved) {
    inventory::StartupRecord link = Registry(L"Tool.lnk");
    link.Kind = L"SHORTCUT";
    link.Location = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";
    fixture.fake.files.AddFile(FullLocationOf(link), "lnk");
    fixture.fake.files.AddFile(link.Location + L"\\Other.lnk", "lnk");
    EXPECT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, link));
    EXPECT_FALSE(fixture.fake.files.FileExists(FullLocationOf(link)));
    EXPECT_TRUE(fixture.fake.files.FileExists(link.Location + L"\\Other.lnk"));
    EXPECT_EQ(Logged().at(0).Kind, L"SHORTCUT");
    EXPECT_EQ(Names().size(), 2u);
}

// A read-only shortcut: its backup is written, the attribute cleared, the file deleted; the
// entry then restores it.
TEST_F(RecordRemovalTest, ReadOnlyShortcutRemovedAfterItsBackup) {
    inventory::StartupRecord link = Registry(L"Tool.lnk");
    link.Kind = L"SHORTCUT";
    link.Location = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";
    fixture.fake.files.AddFile(FullLocationOf(link), "lnk");
    fixture.fake.files.SetAttributes(FullLocationOf(link),
                                     platform::kAttributeReadOnly | platform::kAttributeArchive);
    ASSERT_FALSE(fixture.fake.files.Remove(FullLocationOf(link))) << "the fake deletes as Windows";
    EXPECT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, link));
    EXPECT_FALSE(fixture.fake.files.FileExists(FullLocationOf(link)));
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_EQ(Logged()[0].FullLocation, FullLocationOf(link));
}

// The same program removed from two places: two entries, each restorable to its own place.
TEST_F(RecordRemovalTest, OneProgramFromTwoPlacesKeepsBothBackups) {
    inventory::StartupRecord link = Registry(L"Tool.lnk");
    link.Kind = L"SHORTCUT";
    link.Location = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";
    fixture.fake.files.AddFile(FullLocationOf(link), "lnk");
    ASSERT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")));
    ASSERT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, link));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].Kind, L"REGISTRY");
    EXPECT_EQ(logged[1].Kind, L"SHORTCUT");
    // Removing the first place again replaces only its own entry.
    Set(L"tool", L"c:\\p\\tool.exe -a");
    ASSERT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")));
    ASSERT_EQ(Logged().size(), 2u);
    EXPECT_EQ(Logged()[0].Kind, L"SHORTCUT");
}

// Another writer keeps the log past the wait: no backup, so nothing is deleted, and the caller
// hears why (the agent then leaves the record for its next pass).
TEST_F(RecordRemovalTest, BusyLogDeletesNothing) {
    fixture.fake.locks.heldElsewhere.insert(fakes::FoldCase(kDataFolder));
    EXPECT_EQ(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")).outcome,
              StoreOutcome::Busy);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"tool", L"other"}));
    EXPECT_FALSE(fixture.fake.files.FileExists(BackupLogPath(kDataFolder)));
}

// The log is read once the turn is granted: an entry the previous holder wrote stays, and the
// write happens inside the turn.
TEST_F(RecordRemovalTest, LogIsReadAndWrittenInsideTheWritersTurn) {
    bool written = false;
    fixture.fake.locks.beforeGrant = [&](const std::wstring&) {
        if (!std::exchange(written, true)) {
            ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"SHORTCUT",
                                            L"C:\\s\\x.lnk", L"c:\\x", L"x.exe", L"", L"x.exe"));
        }
    };
    fixture.files.onReplace = [&](const std::wstring&) {
        EXPECT_TRUE(fixture.fake.locks.Held(kDataFolder));
    };
    ASSERT_TRUE(RemoveStartupRecord(fixture.Get(), kDataFolder, Registry(L"tool")));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].ExeName, L"x.exe");
    EXPECT_EQ(logged[1].ExeName, L"tool.exe");
}

} // namespace
} // namespace vtrl::decisions
