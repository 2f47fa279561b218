// Removing and restoring startup records against the real registry and real shell links, with
// the decision and backup files in a data folder of the test's own.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace vtrl {
namespace {

std::wstring Fixture(const std::wstring& name) {
    const std::wstring own = win32::OwnExecutablePath();
    return own.substr(0, own.find_last_of(L'\\')) + L"\\" + name;
}

class DecisionsWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name(info->name(), info->name() + std::strlen(info->name()));
        const std::wstring tag = std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        // A restore writes only to a scanned Run key, so the test's values live in the user's
        // own, under names of the test's own.
        suffix = L"-" + tag;
        testing_support::ScratchFolders folders;
        ASSERT_TRUE(testing_support::CreateScratchFolders(
            facts.TempFolder + L"\\vtrl-decisions-" + tag, folders));
        base = folders.base;
        facts.DataFolder = dataFolder = folders.data;
        facts.StartupFolder = startupFolder = folders.startup;
    }
    void TearDown() override {
        win32::unique_hkey handle;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, handle.put()) ==
            ERROR_SUCCESS) {
            for (const std::wstring& name : written) {
                RegDeleteValueW(handle.get(), name.empty() ? nullptr : name.c_str());
            }
        }
        testing_support::RemoveFolderTree(base);
    }

    // The test's own value name for `name`; the default value stays the default value.
    std::wstring Name(const std::wstring& name) const {
        return name.empty() ? name : name + suffix;
    }
    void WriteValue(const std::wstring& name, const std::wstring& data) {
        written.push_back(name);
        win32::unique_hkey handle;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, handle.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(handle.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    // The value's type and text, or type 0 when it is missing.
    std::pair<DWORD, std::wstring> ReadValue(const std::wstring& name) {
        wchar_t data[1024] = {};
        DWORD bytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.empty() ? nullptr : name.c_str(),
                         RRF_RT_ANY | RRF_NOEXPAND, &type, data, &bytes) != ERROR_SUCCESS) {
            return {0, {}};
        }
        return {type, data};
    }
    bool KeyExists() {
        win32::unique_hkey handle;
        return RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put()) ==
               ERROR_SUCCESS;
    }

    inventory::StartupRecord Record(const std::wstring& kind, const std::wstring& location,
                                    const std::wstring& entryName, const std::wstring& arguments) {
        const std::wstring program = Fixture(L"version_none.exe");
        inventory::StartupRecord record;
        record.InUse = true;
        record.Kind = kind;
        record.Location = location;
        record.EntryName = entryName;
        record.ExeFolder = program.substr(0, program.rfind(L'\\'));
        record.ExeName = L"version_none.exe";
        record.Arguments = arguments;
        record.CommandLine = L"\"" + program + L"\" " + arguments;
        return record;
    }
    std::wstring Location() const { return L"HKEY_CURRENT_USER\\" + key; }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(real.Get().files, real.Get().locale,
                                                   decisions::BackupLogPath(dataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }
    void ExpectApproved(const inventory::StartupRecord& record) {
        decisions::Decisions stored;
        decisions::LoadDecisions(real.Get().files, real.Get().locale, dataFolder, stored);
        inventory::StartupRecord lookedUp = record;
        EXPECT_EQ(decisions::LookupDecision(real.Get().locale, stored, lookedUp).Status, L"1");
        EXPECT_EQ(stored.DecisionLastIndex, 0);
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    std::wstring suffix, base, dataFolder, startupFolder;
    std::vector<std::wstring> written; // value names to delete again
};

TEST_F(DecisionsWineTest, RegistryRecordRemovedAndRestored) {
    const auto record = Record(L"REGISTRY", Location(), Name(L"Helper"), L"-min");
    WriteValue(Name(L"Helper"), record.CommandLine);
    WriteValue(Name(L"Neighbour"), L"c:\\other.exe");

    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), dataFolder, record));
    EXPECT_EQ(ReadValue(Name(L"Helper")).first, 0u);
    EXPECT_EQ(ReadValue(Name(L"Neighbour")).second, L"c:\\other.exe");
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].FullLocation, Location() + L"\\" + Name(L"Helper"));
    // The rewrites went through temporary files that are gone again: the log, and the folder
    // of exact copies with the one copy.
    const auto files = real.Get().files.ListFolder(dataFolder, L"*");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(std::set<std::wstring>({files[0].name, files[1].name}),
              std::set<std::wstring>({L"BackupAndLog.txt", L"Backups"}));
    const auto copies = real.Get().files.ListFolder(dataFolder + L"\\Backups", L"*");
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].name.size(), 20u) << "16 hex digits and .bin";

    decisions::Decisions table;
    const auto outcome = decisions::RestoreRemovedRecord(real.Get(), facts, table, logged[0]);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started);
    EXPECT_TRUE(outcome.approved);
    EXPECT_EQ(ReadValue(Name(L"Helper")),
              (std::pair<DWORD, std::wstring>{REG_SZ, record.CommandLine}));
    ExpectApproved(record);
    EXPECT_EQ(Logged().size(), 1u); // the entry stays after a restore
}

TEST_F(DecisionsWineTest, DefaultValueRemovalLeavesTheKeyAndOtherValues) {
    const auto record = Record(L"REGISTRY", Location(), L"", L"");
    WriteValue(L"", record.CommandLine);
    WriteValue(Name(L"Neighbour"), L"c:\\other.exe");

    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), dataFolder, record));
    EXPECT_TRUE(KeyExists());
    EXPECT_EQ(ReadValue(L"").first, 0u);
    EXPECT_EQ(ReadValue(Name(L"Neighbour")).second, L"c:\\other.exe");

    decisions::Decisions table;
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(decisions::RestoreRemovedRecord(real.Get(), facts, table, logged[0]).recordWritten);
    EXPECT_EQ(ReadValue(L""), (std::pair<DWORD, std::wstring>{REG_SZ, record.CommandLine}));
    EXPECT_EQ(ReadValue(Name(L"Neighbour")).second, L"c:\\other.exe");
}

TEST_F(DecisionsWineTest, ShortcutRecordRemovedAndRestored) {
    const auto record = Record(L"SHORTCUT", startupFolder, L"Helper.lnk", L"/tray now");
    const std::wstring linkPath = startupFolder + L"\\Helper.lnk";
    ASSERT_TRUE(real.Get().links.CreateLink({linkPath, record.ExeFolder + L"\\" + record.ExeName,
                                             L"", record.ExeFolder, record.Arguments, L""}));
    ASSERT_TRUE(real.Get().files.FileExists(linkPath));

    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), dataFolder, record));
    EXPECT_FALSE(real.Get().files.FileExists(linkPath));

    decisions::Decisions table;
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].Kind, L"SHORTCUT");
    const auto outcome = decisions::RestoreRemovedRecord(real.Get(), facts, table, logged[0]);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started);
    const auto link = real.Get().links.ReadLink(linkPath);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(real.Get().locale.ToLower(link->targetPath),
              real.Get().locale.ToLower(Fixture(L"version_none.exe")));
    EXPECT_EQ(link->arguments, L"/tray now");
    ExpectApproved(record);
}

} // namespace
} // namespace vtrl
