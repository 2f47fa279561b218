// Restoring a removed record from its backup entry: the value or shortcut written back, the
// program started and approved, and only ever into a startup location the scan looks at.

#include "decision_test_support.h"
#include "decisions/record_restore.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl::decisions {
namespace {

using testing::kDataFolder;

constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kUserStartup[] = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";

class RecordRestoreTest : public ::testing::Test {
protected:
    static BackupEntry Entry(const std::wstring& kind, const std::wstring& location) {
        return {L"t",        L"d",     L"h",
                kind,        location, L"c:\\p",
                L"tool.exe", L"-x",    L"\"c:\\p\\tool.exe\" -x"};
    }
    RestoreOutcome Restore(const BackupEntry& entry) {
        return RestoreRemovedRecord(fixture.Get(), facts, decisions, entry);
    }

    testing::DecisionFixture fixture;
    // A standard user: restoring still reaches every scanned place, as the scan's rule is
    // about what it lists, not where a restore may write.
    services::SystemFacts facts = inventory::testing::FakeProfileFacts(false);
    Decisions decisions;
};

TEST_F(RecordRestoreTest, RegistryRecordWritesTextValueStartsAndApproves) {
    const BackupEntry entry =
        Entry(L"REGISTRY", L"HKEY_CURRENT_USER\\" + std::wstring(kUserRun) + L"\\Tool");
    const RestoreOutcome outcome = Restore(entry);
    EXPECT_FALSE(outcome.refused);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.approved);
    const auto value =
        fixture.fake.registry.QueryValue(platform::Hive::CurrentUser, kUserRun, L"Tool");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, platform::kRegSz);
    EXPECT_EQ(services::DecodeRegSz(value->data), entry.CommandLine);
    EXPECT_EQ(fixture.fake.launcher.started, std::vector<std::wstring>{entry.CommandLine});
    EXPECT_EQ(fixture.fake.files.Content(DecisionFilePath(kDataFolder)),
              "\r\nc:\\p\r\ntool.exe\r\n-x\r\nN\r\nN\r\n1\r\n\r\n\r\n\r\n\r\n");
}

TEST_F(RecordRestoreTest, ValueNamesWithBackslashesAndTheDefaultValueStayUnderTheKey) {
    const std::wstring run = kUserRun;
    EXPECT_TRUE(
        Restore(Entry(L"REGISTRY", L"HKEY_CURRENT_USER\\" + run + L"\\Vtrl\\Bad")).recordWritten);
    EXPECT_TRUE(fixture.fake.registry.QueryValue(platform::Hive::CurrentUser, run, L"Vtrl\\Bad"));
    EXPECT_FALSE(fixture.fake.registry.KeyExists(platform::Hive::CurrentUser, run + L"\\Vtrl"));

    const std::wstring machineRunOnce =
        L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    fixture.fake.registry.CreateKey(platform::Hive::LocalMachine, machineRunOnce);
    fixture.fake.registry.SetValue(platform::Hive::LocalMachine, machineRunOnce, L"other",
                                   {platform::kRegSz, services::EncodeRegSz(L"keep")});
    EXPECT_TRUE(Restore(Entry(L"REGISTRY", L"HKEY_LOCAL_MACHINE\\" + machineRunOnce + L"\\"))
                    .recordWritten);
    EXPECT_EQ(fixture.fake.registry.ListValueNames(platform::Hive::LocalMachine, machineRunOnce),
              (std::vector<std::wstring>{L"other", L""}));
}

TEST_F(RecordRestoreTest, ShortcutRecreatedAndStillApprovedWhenItFails) {
    BackupEntry entry = Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"\\Tool.lnk");
    entry.Arguments = L"/tray";
    EXPECT_TRUE(Restore(entry).recordWritten);
    ASSERT_EQ(fixture.fake.links.created.size(), 1u);
    const auto& link = fixture.fake.links.created[0];
    EXPECT_EQ(link.linkPath, entry.FullLocation);
    EXPECT_EQ(link.targetPath, L"c:\\p\\tool.exe");
    EXPECT_EQ(link.arguments, L"/tray");
    EXPECT_EQ(link.workingDirectory, L"c:\\p");
    EXPECT_EQ(link.description, L"");
    EXPECT_EQ(link.iconLocation, L"");

    fixture.fake.links.fail = true;
    entry.Arguments = L"/other";
    entry.FullLocation = L"C:\\ProgramData\\Start Menu\\Programs\\Startup\\Tool.LNK";
    const RestoreOutcome failed = Restore(entry);
    EXPECT_FALSE(failed.refused);
    EXPECT_FALSE(failed.recordWritten);
    EXPECT_TRUE(failed.started);
    EXPECT_TRUE(failed.approved);
    EXPECT_EQ(decisions.DecisionLastIndex, 1);
    EXPECT_EQ(fixture.fake.launcher.started.size(), 2u);
}

// A log entry edited by another process must not make an elevated restore write anywhere else:
// nothing is written, started or approved.
TEST_F(RecordRestoreTest, PlacesTheScanNeverLooksAtAreRefused) {
    const std::wstring runKey =
        L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::vector<BackupEntry> refused = {
        Entry(L"REGISTRY", L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows "
                           L"NT\\CurrentVersion\\Winlogon\\Shell"),
        Entry(L"REGISTRY",
              L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil\\Microsoft\\Windows\\CurrentVersion\\Run\\x"),
        Entry(L"REGISTRY", runKey + L"Services\\x"),
        Entry(L"REGISTRY", runKey),
        Entry(L"SHORTCUT", runKey + L"\\x"),
        Entry(L"SHORTCUT", L"C:\\Windows\\System32\\x.lnk"),
        Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"\\..\\..\\x.lnk"),
        Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"\\sub\\x.lnk"),
        Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"\\x.lnk:stream"),
        Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"\\x.exe"),
        Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"Evil\\x.lnk"),
        Entry(L"REG", L"HKEY_CURRENT_USER\\" + std::wstring(kUserRun) + L"\\x"),
    };
    for (const BackupEntry& entry : refused) {
        SCOPED_TRACE(entry.FullLocation);
        EXPECT_FALSE(ScannedRestoreTarget(fixture.Get().locale, facts, entry).has_value());
        EXPECT_TRUE(Restore(entry).refused);
    }
    EXPECT_TRUE(fixture.fake.links.created.empty());
    EXPECT_TRUE(fixture.fake.launcher.started.empty());
    EXPECT_FALSE(fixture.fake.registry.KeyExists(
        platform::Hive::LocalMachine,
        L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"));
    EXPECT_FALSE(fixture.fake.files.FileExists(DecisionFilePath(kDataFolder)));
}

TEST_F(RecordRestoreTest, QuestionShowsTheLocationAndTheCommand) {
    const BackupEntry entry = Entry(L"SHORTCUT", std::wstring(kUserStartup) + L"\\Tool.lnk");
    EXPECT_EQ(RestoreQuestion(L"Sure?", entry),
              L"Sure?\r\n\r\n" + entry.FullLocation + L"\r\n\"c:\\p\\tool.exe\" -x");
}

} // namespace
} // namespace vtrl::decisions
