// The data files against the real API: the writer lock between threads and after a holder that
// ended, a damaged decision file kept aside, a read-only shortcut removed and restored, one
// program removed from two places and both restored, and a restore refused outside the scanned
// places.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_data_lock.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/registry_access.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>

#include <aclapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace vtrl {
namespace {

constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Whether another thread gets the folder's turn within the wait.
bool OtherThreadGets(platform::DataLocks& locks, const std::wstring& folder, DWORD waitMs) {
    return std::async(std::launch::async, [&] { return locks.Acquire(folder, waitMs) != nullptr; })
        .get();
}

TEST(DataLockWineTest, OneHolderPerFolderAcrossSpellingsOthersFree) {
    win32::Win32DataLocks locks;
    const std::wstring folder =
        L"C:\\users\\Public\\vtrl-lock-" + std::to_wstring(GetCurrentProcessId());
    auto held = locks.Acquire(folder, 0);
    ASSERT_NE(held, nullptr);
    const ULONGLONG before = GetTickCount64();
    EXPECT_FALSE(OtherThreadGets(locks, folder, 300));
    EXPECT_GE(GetTickCount64() - before, 250u) << "the wait is the one asked for";
    EXPECT_FALSE(OtherThreadGets(locks, folder + L"\\", 0));
    EXPECT_FALSE(OtherThreadGets(
        locks, L"c:\\USERS\\public\\.\\vtrl-lock-" + std::to_wstring(GetCurrentProcessId()), 0));
    EXPECT_TRUE(OtherThreadGets(locks, folder + L"-other", 0));
    EXPECT_EQ(win32::DataLockName(folder), win32::DataLockName(folder + L"\\"));
    EXPECT_NE(win32::DataLockName(folder), win32::DataLockName(folder + L"-other"));
    EXPECT_EQ(win32::DataLockName(folder).rfind(L"Local\\", 0), 0u);
    held.reset();
    EXPECT_TRUE(OtherThreadGets(locks, folder, 0));
}

// The mutex carries its own security, so that a standard agent can wait on and release a lock
// an elevated manager made first: the user's SID is granted exactly wait and release.
TEST(DataLockWineTest, TheUsersOwnProcessesMayWaitAndRelease) {
    win32::Win32DataLocks locks;
    const std::wstring folder = L"C:\\vtrl-shared-" + std::to_wstring(GetCurrentProcessId());
    const auto held = locks.Acquire(folder, 0);
    ASSERT_NE(held, nullptr);
    const win32::unique_kernel_handle mutex(
        OpenMutexW(READ_CONTROL, FALSE, win32::DataLockName(folder).c_str()));
    ASSERT_TRUE(mutex);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(mutex.get(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &dacl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    win32::unique_kernel_handle token;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()));
    std::vector<std::byte> user(512);
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token.get(), TokenUser, user.data(),
                                    static_cast<DWORD>(user.size()), &size));
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    ACCESS_MASK granted = 0;
    bool found = false;
    for (DWORD index = 0; dacl != nullptr && index < dacl->AceCount; ++index) {
        void* ace = nullptr;
        if (GetAce(dacl, index, &ace) &&
            static_cast<ACE_HEADER*>(ace)->AceType == ACCESS_ALLOWED_ACE_TYPE) {
            auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
            if (EqualSid(reinterpret_cast<PSID>(&allowed->SidStart), sid)) {
                found = true;
                granted = allowed->Mask;
            }
        }
    }
    LocalFree(descriptor);
    ASSERT_TRUE(found) << "no entry for the user in the mutex's access list";
    EXPECT_EQ(granted, static_cast<ACCESS_MASK>(SYNCHRONIZE | MUTEX_MODIFY_STATE));
}

// A holder that ended without letting go (a killed agent) leaves the mutex abandoned: the next
// writer takes it over at once instead of waiting for ever.
TEST(DataLockWineTest, AHolderThatEndedIsTakenOver) {
    win32::Win32DataLocks locks;
    const std::wstring folder = L"C:\\vtrl-abandoned-" + std::to_wstring(GetCurrentProcessId());
    std::thread([&] {
        // Never released: the thread ends holding it.
        static_cast<void>(locks.Acquire(folder, 0).release());
    }).join();
    EXPECT_NE(locks.Acquire(folder, 2000), nullptr);
}

class DataStoreWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(r);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        tag = std::to_wstring(GetCurrentProcessId()) + L"-" +
              std::wstring(info->name(), info->name() + std::strlen(info->name()));
        base = facts.TempFolder + L"\\vtrl-store-" + tag;
        facts.DataFolder = base + L"\\data";
        facts.StartupFolder = base + L"\\Startup";
        for (const auto& folder : {base, facts.DataFolder, facts.StartupFolder}) {
            ASSERT_TRUE(r.files.CreateFolder(folder));
        }
        program = facts.ProgramFolder + L"\\version_none.exe";
    }
    void TearDown() override {
        win32::unique_hkey run;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kUserRun, 0, KEY_SET_VALUE, run.put()) ==
            ERROR_SUCCESS) {
            RegDeleteValueW(run.get(), ValueName().c_str());
        }
        testing_support::RemoveFolderTree(base);
    }

    std::wstring ValueName() const { return L"VtrlStore-" + tag; }
    inventory::StartupRecord Record(const std::wstring& kind, const std::wstring& location,
                                    const std::wstring& entryName) const {
        inventory::StartupRecord record;
        record.InUse = true;
        record.Kind = kind;
        record.Location = location;
        record.EntryName = entryName;
        record.ExeFolder = r.locale.ToLower(facts.ProgramFolder);
        record.ExeName = L"version_none.exe";
        record.Arguments = L"--store";
        record.CommandLine = L"\"" + program + L"\" --store";
        return record;
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines =
            services::ReadTextLines(r.files, r.locale, decisions::BackupLogPath(facts.DataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }
    bool ValuePresent() {
        return RegGetValueW(HKEY_CURRENT_USER, kUserRun, ValueName().c_str(), RRF_RT_ANY, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& r = real.Get();
    services::SystemFacts facts;
    std::wstring tag, base, program;
};

TEST_F(DataStoreWineTest, DamagedDecisionFileIsKeptAsideByteForByte) {
    const std::wstring path = decisions::DecisionFilePath(facts.DataFolder);
    const std::string damaged = std::string("\xff\xfe\r\0c\0:\0\r\0", 10) + "stray\r\n";
    ASSERT_TRUE(r.files.ReplaceAll(path, damaged));
    decisions::Decisions table;
    decisions::LoadDecisions(r.files, r.locale, facts.DataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, L"C:\\Tools", L"tool.exe", L"",
                                        false, false, decisions::kStatusApproved));
    EXPECT_EQ(testing_support::ReadFileBytes(facts.DataFolder + L"\\ActionsDB.unreadable.txt"),
              damaged);
    EXPECT_EQ(testing_support::ReadFileBytes(path),
              "\r\nc:\\tools\r\ntool.exe\r\n\r\nN\r\nN\r\n1\r\n\r\n\r\n\r\n\r\n");
    // A clean file is rewritten with no further copy.
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, L"C:\\Tools", L"tool.exe", L"",
                                        false, false, decisions::kStatusRestricted));
    EXPECT_EQ(r.files.ListFolder(facts.DataFolder, L"ActionsDB.unreadable*").size(), 1u);
}

TEST_F(DataStoreWineTest, ReadOnlyShortcutRemovedAfterItsBackupAndRestored) {
    const auto record = Record(L"SHORTCUT", facts.StartupFolder, L"Store.lnk");
    const std::wstring link = facts.StartupFolder + L"\\Store.lnk";
    ASSERT_TRUE(r.links.CreateLink({link, program, L"", facts.ProgramFolder, L"--store", L""}));
    ASSERT_TRUE(SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_FALSE(DeleteFileW(link.c_str())) << "read-only files resist a plain delete";

    ASSERT_TRUE(decisions::RemoveStartupRecord(r, facts.DataFolder, record));
    EXPECT_FALSE(r.files.FileExists(link));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    decisions::Decisions table;
    const auto outcome = decisions::RestoreRemovedRecord(r, facts, table, logged[0]);
    EXPECT_FALSE(outcome.refused);
    EXPECT_TRUE(outcome.recordWritten);
    const auto target = r.links.ReadLink(link);
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(r.locale.ToLower(target->targetPath), r.locale.ToLower(program));
    EXPECT_EQ(target->arguments, L"--store");
}

// The same command in the user's Run key and in the Startup folder: removing both keeps two
// entries, and each restores its own place.
TEST_F(DataStoreWineTest, OneCommandFromTwoPlacesBothRestorable) {
    const auto value =
        Record(L"REGISTRY", L"HKEY_CURRENT_USER\\" + std::wstring(kUserRun), ValueName());
    const auto shortcut = Record(L"SHORTCUT", facts.StartupFolder, L"Store.lnk");
    const std::wstring link = facts.StartupFolder + L"\\Store.lnk";
    ASSERT_TRUE(r.links.CreateLink({link, program, L"", facts.ProgramFolder, L"--store", L""}));
    services::RegWriteValue(r.registry, value.Location, ValueName(), value.CommandLine,
                            platform::kRegSz);
    ASSERT_TRUE(ValuePresent());

    ASSERT_TRUE(decisions::RemoveStartupRecord(r, facts.DataFolder, value));
    ASSERT_TRUE(decisions::RemoveStartupRecord(r, facts.DataFolder, shortcut));
    EXPECT_FALSE(ValuePresent());
    EXPECT_FALSE(r.files.FileExists(link));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 2u);
    decisions::Decisions table;
    for (const auto& entry : logged) {
        EXPECT_TRUE(decisions::RestoreRemovedRecord(r, facts, table, entry).recordWritten);
    }
    EXPECT_TRUE(ValuePresent());
    EXPECT_TRUE(r.files.FileExists(link));
}

// Entries edited to write elsewhere write nothing at all.
TEST_F(DataStoreWineTest, RestoreOutsideTheScannedPlacesWritesNothing) {
    const std::wstring winlogon = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    auto entry = decisions::BackupEntry{L"t",
                                        L"d",
                                        L"h",
                                        L"REGISTRY",
                                        L"HKEY_CURRENT_USER\\" + winlogon + L"\\" + ValueName(),
                                        facts.ProgramFolder,
                                        L"version_none.exe",
                                        L"",
                                        L"\"" + program + L"\""};
    decisions::Decisions table;
    EXPECT_TRUE(decisions::RestoreRemovedRecord(r, facts, table, entry).refused);
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, winlogon.c_str(), ValueName().c_str(), RRF_RT_ANY,
                           nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    entry.Kind = L"SHORTCUT";
    entry.FullLocation = facts.SystemFolder + L"\\vtrl-" + tag + L".lnk";
    EXPECT_TRUE(decisions::RestoreRemovedRecord(r, facts, table, entry).refused);
    EXPECT_FALSE(r.files.FileExists(entry.FullLocation));
    EXPECT_FALSE(r.files.FileExists(decisions::DecisionFilePath(facts.DataFolder)));
}

} // namespace
} // namespace vtrl
