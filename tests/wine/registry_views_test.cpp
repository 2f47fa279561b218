// The machine's Run keys of both registry views on a 64-bit system: values written through the
// 32-bit view are found under WOW6432Node, removed and restored there, and never mixed up with
// the 64-bit view's values of the same name.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "inventory/inventory_scan.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vtrl {
namespace {

using inventory::StartupRecord;

constexpr wchar_t kRunParent[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr wchar_t kMachine64[] =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
constexpr wchar_t kMachine32[] =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\";
constexpr const wchar_t* kRunKeys[] = {L"Run", L"RunOnce", L"RunOnceEx"};

std::wstring FixturePath(const std::wstring& name) {
    const std::wstring own = win32::OwnExecutablePath();
    return own.substr(0, own.find_last_of(L'\\')) + L"\\" + name;
}

class RegistryViewsWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        // The machine's keys are scanned for administrators only; that is the case under test.
        facts.IsAdmin = true;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name(info->name(), info->name() + std::strlen(info->name()));
        tag = L"VtrlViews-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        dataFolder = facts.TempFolder + L"\\vtrl-views-" + std::to_wstring(GetCurrentProcessId()) +
                     L"-" + name;
        facts.DataFolder = dataFolder;
        CreateDirectoryW(dataFolder.c_str(), nullptr);
        ASSERT_TRUE(real.Get().files.FolderExists(dataFolder));
    }
    void TearDown() override {
        for (const auto& [view, key, valueName] : written) {
            win32::unique_hkey handle;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kRunParent + key).c_str(), 0,
                              KEY_SET_VALUE | view, handle.put()) == ERROR_SUCCESS) {
                RegDeleteValueW(handle.get(), valueName.c_str());
            } else {
                handle.release();
            }
        }
        // Keys this test brought into being go again (they are empty by now).
        for (const auto& [view, key] : createdKeys) {
            RegDeleteKeyExW(HKEY_LOCAL_MACHINE, (kRunParent + key).c_str(), view, 0);
        }
        testing_support::RemoveFolderTree(dataFolder);
    }

    // Writes a REG_SZ value under HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\KEY through
    // one view (KEY_WOW64_32KEY or KEY_WOW64_64KEY), as a 32-bit or 64-bit installer would.
    void Write(REGSAM view, const std::wstring& key, const std::wstring& valueName,
               const std::wstring& data) {
        win32::unique_hkey handle;
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kRunParent + key).c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE | view, nullptr, handle.put(), &disposition),
                  ERROR_SUCCESS);
        if (disposition == REG_CREATED_NEW_KEY) {
            createdKeys.emplace_back(view, key);
        }
        written.push_back({view, key, valueName});
        ASSERT_EQ(RegSetValueExW(handle.get(), valueName.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    // The value's type and text as read through one view, or nullopt when it is missing.
    std::optional<std::pair<DWORD, std::wstring>> Read(REGSAM view, const std::wstring& key,
                                                       const std::wstring& valueName) {
        wchar_t data[1024] = {};
        DWORD bytes = sizeof(data) - sizeof(wchar_t);
        DWORD type = 0;
        win32::unique_hkey handle;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, (kRunParent + key).c_str(), 0, KEY_QUERY_VALUE | view,
                          handle.put()) != ERROR_SUCCESS) {
            handle.release();
            return std::nullopt;
        }
        if (RegQueryValueExW(handle.get(), valueName.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::pair<DWORD, std::wstring>{type, data};
    }

    // The whole machine's inventory, as the program scans it, leaving no trace.
    void Scan() {
        ASSERT_EQ(inventory::ScanStartupRecords(real.Get(), facts, records, {.readOnly = true}),
                  inventory::ScanOutcome::Records);
    }
    std::vector<StartupRecord> Found(const std::wstring& entryName) const {
        std::vector<StartupRecord> found;
        for (int i = 0; i <= records.LastRecordIndex; ++i) {
            const StartupRecord& record = records.Records[static_cast<std::size_t>(i)];
            if (record.InUse && record.EntryName == entryName) {
                found.push_back(record);
            }
        }
        return found;
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(real.Get().files, real.Get().locale,
                                                   decisions::BackupLogPath(dataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }

    struct WrittenValue {
        REGSAM view;
        std::wstring key;
        std::wstring valueName;
    };

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    inventory::StartupInventory records;
    std::wstring tag;
    std::wstring dataFolder;
    std::vector<WrittenValue> written;
    std::vector<std::pair<REGSAM, std::wstring>> createdKeys;
};

TEST_F(RegistryViewsWineTest, EachViewsValuesAreListedOnceUnderTheirOwnKey) {
    const std::wstring program = FixturePath(L"version_none.exe");
    for (const wchar_t* key : kRunKeys) {
        Write(KEY_WOW64_32KEY, key, tag + L"-32-" + key, L"\"" + program + L"\" -from32");
    }
    Write(KEY_WOW64_64KEY, L"Run", tag + L"-64", L"\"" + program + L"\" -from64");
    // The views are separate keys: neither value shows through the other view.
    ASSERT_FALSE(Read(KEY_WOW64_64KEY, L"Run", tag + L"-32-Run").has_value());
    ASSERT_FALSE(Read(KEY_WOW64_32KEY, L"Run", tag + L"-64").has_value());

    Scan();
    for (const wchar_t* key : kRunKeys) {
        const auto found = Found(tag + L"-32-" + key);
        ASSERT_EQ(found.size(), 1u) << key;
        EXPECT_EQ(found[0].Location, kMachine32 + std::wstring(key));
        EXPECT_EQ(found[0].Kind, inventory::kKindRegistry);
        EXPECT_EQ(found[0].ExeName, L"version_none.exe");
        EXPECT_EQ(found[0].Arguments, L"-from32");
        EXPECT_EQ(real.Get().locale.ToLower(found[0].ExeFolder + L"\\" + found[0].ExeName),
                  real.Get().locale.ToLower(program));
    }
    const auto native = Found(tag + L"-64");
    ASSERT_EQ(native.size(), 1u);
    EXPECT_EQ(native[0].Location, kMachine64 + std::wstring(L"Run"));
    EXPECT_EQ(native[0].Arguments, L"-from64");
}

TEST_F(RegistryViewsWineTest, RemovalAndRestoreStayInTheThirtyTwoBitView) {
    const std::wstring program = FixturePath(L"version_none.exe");
    const std::wstring command32 = L"\"" + program + L"\" -from32";
    const std::wstring command64 = L"\"" + program + L"\" -from64";
    // The same name in both views, and a neighbour in the 32-bit key.
    Write(KEY_WOW64_32KEY, L"Run", tag, command32);
    Write(KEY_WOW64_32KEY, L"Run", tag + L"-neighbour", command32);
    Write(KEY_WOW64_64KEY, L"Run", tag, command64);

    Scan();
    const auto found = Found(tag);
    ASSERT_EQ(found.size(), 2u);
    const StartupRecord& record =
        found[0].Location == kMachine64 + std::wstring(L"Run") ? found[1] : found[0];
    ASSERT_EQ(record.Location, kMachine32 + std::wstring(L"Run"));
    ASSERT_EQ(record.Arguments, L"-from32");

    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), dataFolder, record));
    EXPECT_FALSE(Read(KEY_WOW64_32KEY, L"Run", tag).has_value());
    EXPECT_EQ(Read(KEY_WOW64_32KEY, L"Run", tag + L"-neighbour"),
              (std::pair<DWORD, std::wstring>{REG_SZ, command32}));
    EXPECT_EQ(Read(KEY_WOW64_64KEY, L"Run", tag),
              (std::pair<DWORD, std::wstring>{REG_SZ, command64}));

    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].Kind, L"REGISTRY");
    EXPECT_EQ(logged[0].FullLocation, kMachine32 + std::wstring(L"Run\\") + tag);
    EXPECT_EQ(logged[0].CommandLine, command32);
    EXPECT_EQ(logged[0].Arguments, L"-from32");

    decisions::Decisions table;
    const auto outcome = decisions::RestoreRemovedRecord(real.Get(), facts, table, logged[0]);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_EQ(Read(KEY_WOW64_32KEY, L"Run", tag),
              (std::pair<DWORD, std::wstring>{REG_SZ, command32}));
    // The 64-bit value of the same name was neither overwritten nor duplicated.
    EXPECT_EQ(Read(KEY_WOW64_64KEY, L"Run", tag),
              (std::pair<DWORD, std::wstring>{REG_SZ, command64}));

    Scan();
    const auto again = Found(tag);
    ASSERT_EQ(again.size(), 2u);
    EXPECT_NE(again[0].Location, again[1].Location);
}

} // namespace
} // namespace vtrl
