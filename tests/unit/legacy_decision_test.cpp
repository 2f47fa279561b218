// Decisions stored by scans before the exact resolution still apply to the same records: the
// file below is what those scans wrote (tokens lower-cased the whole command, a launcher was the
// program with all its arguments, a quoted command's arguments ended at the next quote).

#include "decisions/decision_database.h"
#include "inventory/inventory_scan.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

#include <map>

namespace vtrl::inventory {
namespace {

using platform::Hive;

std::string Entry(const std::string& folder, const std::string& name, const std::string& arguments,
                  const std::string& status) {
    return "\r\n" + folder + "\r\n" + name + "\r\n" + arguments + "\r\nN\r\nY\r\n" + status +
           "\r\n\r\n\r\n\r\n\r\n";
}

class LegacyDecisions : public ::testing::Test {
protected:
    void SetRun(const std::wstring& name, const std::wstring& command) {
        const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        ASSERT_TRUE(fake.registry.CreateKey(Hive::CurrentUser, key));
        ASSERT_TRUE(fake.registry.SetValue(Hive::CurrentUser, key, name,
                                           {platform::kRegSz, services::EncodeRegSz(command)}));
    }
    // The status each scanned record finds, by entry name.
    std::map<std::wstring, std::wstring> Statuses(const std::string& file) {
        fake.files.AddFile(facts.DataFolder + L"\\ActionsDB.txt", file);
        decisions::Decisions decisions;
        decisions::LoadDecisions(fake.Get().files, fake.Get().locale, facts.DataFolder, decisions);
        StartupInventory inventory;
        ScanStartupRecords(fake.Get(), facts, inventory, {});
        std::map<std::wstring, std::wstring> statuses;
        for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
            auto& record = inventory.Records[static_cast<std::size_t>(i)];
            statuses[record.EntryName] =
                decisions::LookupDecision(fake.locale, decisions, record).Status;
        }
        return statuses;
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts = testing::FakeProfileFacts();
};

TEST_F(LegacyDecisions, OldKeysStillApplyAndTheRecordsOwnKeyComesFirst) {
    for (const wchar_t* file :
         {L"C:\\windows\\system32\\Tool.exe", L"C:\\windows\\system32\\wscript.exe",
          L"C:\\Scripts\\login.vbs", L"C:\\Tools\\a.exe", L"C:\\Tools\\b.exe",
          L"C:\\windows\\system32\\rundll32.exe", L"C:\\windows\\system32\\shell32.dll"}) {
        fake.files.AddFile(file, "MZ");
    }
    SetRun(L"token", L"%SystemRoot%\\System32\\Tool.exe /Quiet");
    SetRun(L"script", L"wscript.exe \"C:\\Scripts\\login.vbs\" /x");
    SetRun(L"quoted", L"\"C:\\Tools\\a.exe\" \"one two\"");
    SetRun(L"panel", L"rundll32.exe shell32.dll,Control_RunDLL");
    SetRun(L"both", L"%SystemDrive%\\Tools\\b.exe -Min");
    SetRun(L"other", L"C:\\Tools\\a.exe -other");

    const auto statuses = Statuses(
        Entry("c:\\windows\\system32", "tool.exe", "/quiet", "2") +
        Entry("c:\\windows\\system32", "wscript.exe", "\"C:\\Scripts\\login.vbs\" /x", "1") +
        Entry("c:\\tools", "a.exe", " ", "2") +
        Entry("c:\\windows\\system32", "shell32.dll", "Control_RunDLL", "1") +
        // The record's own key, stored after the change, wins over the old one.
        Entry("c:\\tools", "b.exe", "-min", "2") + Entry("c:\\tools", "b.exe", "-Min", "1"));

    EXPECT_EQ(statuses.at(L"token"), L"2");
    EXPECT_EQ(statuses.at(L"script"), L"1");
    EXPECT_EQ(statuses.at(L"quoted"), L"2");
    EXPECT_EQ(statuses.at(L"panel"), L"1");
    EXPECT_EQ(statuses.at(L"both"), L"1");
    // No key of its own and no old key: no decision, not another record's.
    EXPECT_EQ(statuses.at(L"other"), L"0");
}

} // namespace
} // namespace vtrl::inventory
