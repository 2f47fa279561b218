// One check-cycle pass against the real registry, files and processes: a restricted record in a
// Run key of the test's own is deleted with its backup entry, the removal popup is asked for
// (recorded, not started), the running program is ended by a real hidden taskkill, and the
// notification sound plays a real wave file.

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

#include <windows.h>

#include <mmsystem.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl {
namespace {

using testing_support::KeptSetting;

constexpr wchar_t kTestRoot[] = L"Software\\VantorelTests";

// Records every start; hidden starts (taskkill) really run, popups never do.
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
        for (const auto& entry : real.Get().files.ListFolder(facts.DataFolder, L"*")) {
            DeleteFileW((facts.DataFolder + L"\\" + entry.name).c_str());
        }
        RemoveDirectoryW(facts.DataFolder.c_str());
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
    void StartTarget() {
        std::wstring commandLine = L"\"" + target + L"\" wait";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(CreateProcessW(target.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &startup, &info));
        process.reset(info.hProcess);
        win32::unique_kernel_handle thread(info.hThread);
    }

    win32::Win32Platform real;
    RecordingLauncher launcher{real.Get().launcher};
    RecordingSound sound{real.Get().sound};
    platform::Platform& r = real.Get();
    platform::Platform recorded{r.registry, r.files,   r.folders,   r.links, r.locale,
                                r.version,  r.clock,   r.processes, r.ini,   r.messages,
                                launcher,   r.http,    r.icons,     sound,   r.desktop,
                                r.windows,  r.changes, r.locks};
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
    decisions::LoadDecisions(r, facts.DataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, base, L"cycle_target.exe",
                                        L"wait", true, true, decisions::kStatusRestricted));
    StartTarget();
    Sleep(200); // let the process show up in the process list

    inventory::StartupInventory inventory;
    inventory::ScanSources sources;
    sources.runKeys = {L"HKEY_CURRENT_USER\\" + key};
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
    const std::wstring prefix = monitor::OwnCommandLine(facts, monitor::kRemovalWord, L"");
    ASSERT_TRUE(launcher.started[0].starts_with(prefix)) << launcher.started[0];
    const std::wstring name = launcher.started[0].substr(prefix.size());
    const auto handOff = monitor::TakeHandOffFile(r, facts.DataFolder, name);
    ASSERT_TRUE(handOff) << name;
    EXPECT_EQ(handOff->folder, r.locale.ToLower(base));
    EXPECT_EQ(handOff->exeName, L"cycle_target.exe");
    EXPECT_FALSE(r.files.FileExists(facts.DataFolder + L"\\" + name));

    EXPECT_EQ(launcher.startedHidden,
              std::vector<std::wstring>{L"taskkill /f /im \"cycle_target.exe\""});
    EXPECT_EQ(WaitForSingleObject(process.get(), 10000), WAIT_OBJECT_0)
        << "taskkill should have ended the program";
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
