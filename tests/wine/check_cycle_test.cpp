// One check-cycle pass against the real registry, files and processes: a restricted record in a
// Run key of the test's own is deleted with its backup entry, the removal popup is asked for
// (recorded, not started), the running program is ended by its process id while a namesake in
// another folder keeps running, a value whose name holds a NUL is neither removed nor mistaken
// for its prefix sibling, and the notification sound plays a real wave file.

#include "kept_setting.h"
#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "monitor/check_cycle.h"
#include "monitor/hand_off.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/settings_store.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>
#include <winternl.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl {
namespace {

using testing_support::KeptSetting;

constexpr wchar_t kTestRoot[] = L"Software\\VantorelTests";

// Records every start; hidden starts really run, popups never do.
class RecordingLauncher final : public platform::Launcher {
public:
    explicit RecordingLauncher(platform::Launcher& real) : real_(real) {}
    bool ShellOpen(const std::wstring& target) override {
        opened.push_back(target);
        return true;
    }
    bool StartProgram(const std::wstring& commandLine) override {
        started.push_back(commandLine);
        return true;
    }
    bool StartProgramHidden(const std::wstring& commandLine) override {
        startedHidden.push_back(commandLine);
        return real_.StartProgramHidden(commandLine);
    }
    std::wstring WebBrowserCommand() override { return real_.WebBrowserCommand(); }
    std::vector<std::wstring> opened, started, startedHidden;

private:
    platform::Launcher& real_;
};

class RecordingSound final : public platform::Sound {
public:
    explicit RecordingSound(platform::Sound& real) : real_(real) {}
    bool PlayFileAsync(const std::wstring& path) override {
        played.push_back(path);
        results.push_back(real_.PlayFileAsync(path));
        return results.back();
    }
    std::vector<std::wstring> played;
    std::vector<bool> results;

private:
    platform::Sound& real_;
};

class CheckCycleWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        key = std::wstring(kTestRoot) + L"\\cycle-" + tag + L"\\Run";
        base = facts.TempFolder + L"\\vtrl-cycle-" + tag;
        facts.DataFolder = base + L"\\data";
        for (const auto& folder : {base, facts.DataFolder}) {
            CreateDirectoryW(folder.c_str(), nullptr);
            ASSERT_TRUE(real.Get().files.FolderExists(folder));
        }
        // A copy of a fixture program under a name no other test runs.
        target = base + L"\\cycle_target.exe";
        ASSERT_TRUE(CopyFileW((facts.ProgramFolder + L"\\version_none.exe").c_str(), target.c_str(),
                              FALSE));
    }
    void TearDown() override {
        if (process) {
            TerminateProcess(process.get(), 0);
            WaitForSingleObject(process.get(), 5000);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kTestRoot) + L"\\cycle-" +
                                           std::to_wstring(GetCurrentProcessId()))
                                              .c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
        testing_support::RemoveFolderTree(facts.DataFolder);
        DeleteFileW(target.c_str());
        RemoveDirectoryW(base.c_str());
    }

    void WriteRunValue(const std::wstring& name, const std::wstring& data) {
        win32::unique_hkey handle;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, handle.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(handle.get(), name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(data.c_str()),
                                 static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    bool RunValueExists(const std::wstring& name) {
        return RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS;
    }
    static win32::unique_kernel_handle Start(const std::wstring& program) {
        std::wstring commandLine = L"\"" + program + L"\" wait";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            return {};
        }
        win32::unique_kernel_handle thread(info.hThread);
        return win32::unique_kernel_handle(info.hProcess);
    }
    void StartTarget() {
        process = Start(target);
        ASSERT_TRUE(process);
    }
    // A value name holding a NUL, as only the native API can write one.
    bool WriteNativeRunValue(const std::wstring& name, const std::wstring& data) {
        using SetValueKey = LONG(WINAPI*)(HANDLE, UNICODE_STRING*, ULONG, ULONG, void*, ULONG);
        const auto setValueKey = reinterpret_cast<SetValueKey>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetValueKey")));
        win32::unique_hkey handle;
        if (!setValueKey || RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE,
                                          handle.put()) != ERROR_SUCCESS) {
            return false;
        }
        std::wstring buffer = name;
        UNICODE_STRING text{static_cast<USHORT>(buffer.size() * sizeof(wchar_t)),
                            static_cast<USHORT>(buffer.size() * sizeof(wchar_t)), buffer.data()};
        std::wstring bytes = data;
        return setValueKey(handle.get(), &text, 0, REG_SZ, bytes.data(),
                           static_cast<ULONG>((bytes.size() + 1) * sizeof(wchar_t))) == 0;
    }

    win32::Win32Platform real;
    RecordingLauncher launcher{real.Get().launcher};
    RecordingSound sound{real.Get().sound};
    platform::Platform& r = real.Get();
    platform::Platform recorded{r.registry, r.files, r.folders,     r.links,      r.locale,
                                r.version,  r.clock, r.processes,   r.ini,        r.messages,
                                launcher,   r.http,  r.icons,       sound,        r.desktop,
                                r.changes,  r.locks, r.environment, r.signatures, r.clipboard};
    services::SystemFacts facts;
    std::wstring key, base, target;
    win32::unique_kernel_handle process;
};

TEST_F(CheckCycleWineTest, RestrictedRecordIsDeletedLoggedAnnouncedAndEnded) {
    KeptSetting firstRun(r.registry, L"Data", L"FirstRun");
    KeptSetting remind(r.registry, L"Remind", L"cycle_target.exe");
    KeptSetting notifiWin(r.registry, L"Settings", L"NotifiWin");
    services::SaveSetting(r.registry, services::kAppKey, L"Settings", L"NotifiWin", L"");
    WriteRunValue(L"CycleTarget", L"\"" + target + L"\" wait");
    decisions::Decisions table;
    decisions::LoadDecisions(r.files, r.locale, facts.DataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, base, L"cycle_target.exe",
                                        L"wait", true, true, decisions::kStatusRestricted));
    StartTarget();
    Sleep(200); // let the process show up in the process list

    inventory::StartupInventory inventory;
    inventory::ScanSources sources;
    sources.places = {inventory::RunKeySite(L"HKEY_CURRENT_USER\\" + key)};
    monitor::RunCheckCycle(recorded, facts, inventory, table, sources);

    EXPECT_FALSE(RunValueExists(L"CycleTarget"));
    const auto lines =
        services::ReadTextLines(r.files, r.locale, decisions::BackupLogPath(facts.DataFolder));
    ASSERT_TRUE(lines);
    const auto logged = decisions::ParseBackupLines(*lines);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].FullLocation, L"HKEY_CURRENT_USER\\" + key + L"\\CycleTarget");
    EXPECT_EQ(logged[0].ExeName, L"cycle_target.exe");

    ASSERT_EQ(launcher.started.size(), 1u);
    const std::wstring prefix = services::OwnCommandLine(facts, services::kRemovalWord, L"");
    ASSERT_TRUE(launcher.started[0].starts_with(prefix)) << launcher.started[0];
    const std::wstring name = launcher.started[0].substr(prefix.size());
    const auto handOff = monitor::TakeHandOffFile(r.files, r.locale, facts.DataFolder, name);
    ASSERT_TRUE(handOff) << name;
    EXPECT_EQ(handOff->folder, r.locale.ToLower(base));
    EXPECT_EQ(handOff->exeName, L"cycle_target.exe");
    EXPECT_FALSE(r.files.FileExists(facts.DataFolder + L"\\" + name));

    EXPECT_EQ(launcher.startedHidden, std::vector<std::wstring>{}) << "no taskkill by name";
    EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0)
        << "the pass should have ended the program";
}

TEST_F(CheckCycleWineTest, ANamesakeInAnotherFolderKeepsRunningWhileTheDottedOneEnds) {
    KeptSetting firstRun(r.registry, L"Data", L"FirstRun");
    KeptSetting remind(r.registry, L"Remind", L"my.tool.exe");
    const std::wstring other = base + L"\\other";
    ASSERT_TRUE(CreateDirectoryW(other.c_str(), nullptr));
    const std::wstring restricted = base + L"\\my.tool.exe";
    const std::wstring namesake = other + L"\\my.tool.exe";
    for (const std::wstring& copy : {restricted, namesake}) {
        ASSERT_TRUE(CopyFileW(target.c_str(), copy.c_str(), FALSE));
    }
    WriteRunValue(L"Dotted", L"\"" + restricted + L"\" wait");
    decisions::Decisions table;
    decisions::LoadDecisions(r.files, r.locale, facts.DataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, base, L"my.tool.exe", L"wait",
                                        true, false, decisions::kStatusRestricted));
    win32::unique_kernel_handle ended = Start(restricted);
    win32::unique_kernel_handle kept = Start(namesake);
    ASSERT_TRUE(ended && kept);
    Sleep(200);

    inventory::StartupInventory inventory;
    inventory::ScanSources sources;
    sources.places = {inventory::RunKeySite(L"HKEY_CURRENT_USER\\" + key)};
    monitor::RunCheckCycle(recorded, facts, inventory, table, sources);

    EXPECT_TRUE(inventory.Records[0].IsRunning);
    EXPECT_EQ(WaitForSingleObject(ended.get(), 10000), WAIT_OBJECT_0) << "my.tool.exe not ended";
    EXPECT_EQ(WaitForSingleObject(kept.get(), 1000), WAIT_TIMEOUT) << "the namesake was ended";
    EXPECT_TRUE(RunValueExists(L"Dotted"));
    TerminateProcess(kept.get(), 0);
    WaitForSingleObject(kept.get(), 5000);
    kept.reset();
    ended.reset();
    for (const std::wstring& copy : {restricted, namesake}) {
        DeleteFileW(copy.c_str());
    }
    RemoveDirectoryW(other.c_str());
}

TEST_F(CheckCycleWineTest, AValueNameWithANulLeavesItsPrefixSiblingAlone) {
    KeptSetting firstRun(r.registry, L"Data", L"FirstRun");
    KeptSetting remind(r.registry, L"Remind", L"cycle_target.exe");
    const std::wstring sibling = facts.ProgramFolder + L"\\version_full.exe";
    WriteRunValue(L"Tool", L"\"" + sibling + L"\"");
    const std::wstring odd(L"Tool\0hidden", 11);
    ASSERT_TRUE(WriteNativeRunValue(odd, L"\"" + target + L"\" wait"));
    decisions::Decisions table;
    decisions::LoadDecisions(r.files, r.locale, facts.DataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, base, L"cycle_target.exe",
                                        L"wait", false, true, decisions::kStatusRestricted));

    inventory::StartupInventory inventory;
    inventory::ScanSources sources;
    sources.places = {inventory::RunKeySite(L"HKEY_CURRENT_USER\\" + key)};
    monitor::RunCheckCycle(recorded, facts, inventory, table, sources);

    ASSERT_EQ(inventory.LastRecordIndex, 1);
    EXPECT_EQ(inventory.Records[1].EntryName, odd);
    EXPECT_EQ(inventory.Records[1].ExeName, L"cycle_target.exe") << "read by its whole name";
    EXPECT_TRUE(RunValueExists(L"Tool")) << "the prefix sibling was deleted";
    EXPECT_FALSE(r.registry.DeleteValue(platform::Hive::CurrentUser, key, odd));
    EXPECT_TRUE(RunValueExists(L"Tool"));
    EXPECT_FALSE(r.files.FileExists(decisions::BackupLogPath(facts.DataFolder)))
        << "a backup entry for a record left in place";
    EXPECT_EQ(launcher.started, std::vector<std::wstring>{});
}

TEST_F(CheckCycleWineTest, NotificationSoundPlaysTheWaveBesideTheProgram) {
    const std::wstring wave = facts.ProgramFolder + L"\\" + monitor::kSoundFileName;
    ASSERT_TRUE(r.files.FileExists(wave)) << "the build copies resources/sound.wav";
    KeptSetting soundSetting(r.registry, L"Settings", L"Sound");
    services::SaveSetting(r.registry, services::kAppKey, L"Settings", L"Sound", L"");
    monitor::PlayNotificationSound(recorded, facts);
    ASSERT_EQ(sound.played, std::vector<std::wstring>{wave});
    EXPECT_TRUE(sound.results[0]);
    // Nothing waits for the chime; stop it so that it does not outlive the test.
    PlaySoundW(nullptr, nullptr, 0);
}

} // namespace
} // namespace vtrl
