// A Run value whose name and data hold line breaks, removed and restricted against the real
// registry and real files: the backup entry and every decision survive the rewrite.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_removal.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl {
namespace {

constexpr wchar_t kKey[] = L"Software\\VantorelTests\\line-breaks\\Run";
constexpr wchar_t kValueName[] = L"two\r\nlines";
constexpr wchar_t kArguments[] = L"-a\r\nN\r\nN\r\n1";

class StoredLineBreaksWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        key = std::wstring(kKey) + tag;
        dataFolder = facts.TempFolder + L"\\vtrl-line-breaks-" + tag;
        CreateDirectoryW(dataFolder.c_str(), nullptr);
        ASSERT_TRUE(real.Get().files.FolderExists(dataFolder));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VantorelTests\\line-breaks");
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VantorelTests");
        testing_support::RemoveFolderTree(dataFolder);
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(real.Get().files, real.Get().locale,
                                                   decisions::BackupLogPath(dataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    std::wstring key, dataFolder;
};

TEST_F(StoredLineBreaksWineTest, RemovalAndDecisionKeepTheirLines) {
    const std::wstring command = L"c:\\windows\\notepad.exe " + std::wstring(kArguments);
    win32::unique_hkey handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              handle.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(handle.get(), kValueName, 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(command.c_str()),
                             static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);

    inventory::StartupRecord record;
    record.InUse = true;
    record.Kind = inventory::kKindRegistry;
    record.Location = L"HKEY_CURRENT_USER\\" + key;
    record.EntryName = kValueName;
    record.ExeFolder = L"c:\\windows";
    record.ExeName = L"notepad.exe";
    record.Arguments = kArguments;
    record.CommandLine = command;
    ASSERT_TRUE(decisions::BackupAndLogRemoval(real.Get(), dataFolder, L"SHORTCUT",
                                               L"C:\\s\\first.lnk", L"c:\\a", L"first.exe", L"",
                                               L"c:\\a\\first.exe"));
    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), dataFolder, record));
    wchar_t data[256] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    EXPECT_NE(
        RegGetValueW(HKEY_CURRENT_USER, key.c_str(), kValueName, RRF_RT_ANY, nullptr, data, &bytes),
        ERROR_SUCCESS);

    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].ExeName, L"first.exe");
    EXPECT_EQ(logged[1].FullLocation, record.Location + L"\\two  lines");
    EXPECT_EQ(logged[1].Arguments, L"-a  N  N  1");
    EXPECT_EQ(logged[1].CommandLine, L"c:\\windows\\notepad.exe -a  N  N  1");

    decisions::Decisions table;
    decisions::LoadDecisions(real.Get().files, real.Get().locale, dataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(real.Get(), dataFolder, table, record.ExeFolder,
                                        record.ExeName, record.Arguments, true, true,
                                        decisions::kStatusRestricted));
    ASSERT_TRUE(decisions::SaveDecision(real.Get(), dataFolder, table, L"c:\\a", L"first.exe", L"",
                                        false, false, decisions::kStatusApproved));
    decisions::Decisions reloaded;
    decisions::LoadDecisions(real.Get().files, real.Get().locale, dataFolder, reloaded);
    ASSERT_EQ(reloaded.DecisionLastIndex, 1);
    EXPECT_EQ(reloaded.DecisionTable[0], table.DecisionTable[0]);
    EXPECT_EQ(reloaded.DecisionTable[1], table.DecisionTable[1]);
    EXPECT_EQ(decisions::LookupDecision(real.Get().locale, reloaded, record).Status,
              decisions::kStatusRestricted);
}

} // namespace
} // namespace vtrl
