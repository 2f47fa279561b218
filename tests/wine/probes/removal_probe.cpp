// The fault test's child: one check pass over the given Run key and Startup folder, on the real
// registry and files, to be killed at any moment. Every backup write and every deletion is a
// step; each step has a point just before and one just after it (step n: points 2n-1 and 2n).
// With HALT_AT the probe stops at that point for good (after signalling EVENT-halted), so the
// test can kill it exactly there. It signals EVENT-ready as the pass begins. Removal popups are
// never started: the launcher refuses them, and the pass then removes their hand-off files.
//
//   removal_probe DATA_FOLDER RUN_KEY STARTUP_FOLDER EVENT [HALT_AT]
//
// Exits 0 after the pass, 2 on a usage error. It ends by itself after a while when halted, so
// that a test that dies first leaves no probe behind.

#include "decisions/backup_log.h"
#include "monitor/check_cycle.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

using namespace vtrl;

// Counts the steps of the removals and halts at the chosen point.
class Steps {
public:
    Steps(long haltAt, HANDLE halted) : haltAt_(haltAt), halted_(halted) {}

    template <typename Call> auto Step(Call&& call) {
        ++steps_;
        Point(2 * steps_ - 1);
        auto result = call();
        Point(2 * steps_);
        return result;
    }

private:
    void Point(long point) {
        if (point != haltAt_) {
            return;
        }
        SetEvent(halted_);
        // Killed here; the timeout only keeps an orphan from staying for ever.
        Sleep(60000);
        ExitProcess(3);
    }

    long haltAt_;
    HANDLE halted_;
    long steps_ = 0;
};

class SteppingRegistry final : public platform::Registry {
public:
    SteppingRegistry(platform::Registry& real, Steps& steps) : real_(real), steps_(steps) {}
    std::optional<std::vector<std::wstring>> ListValueNames(platform::Hive hive,
                                                            const std::wstring& key) override {
        return real_.ListValueNames(hive, key);
    }
    std::optional<std::vector<std::wstring>> ListSubkeyNames(platform::Hive hive,
                                                             const std::wstring& key) override {
        return real_.ListSubkeyNames(hive, key);
    }
    std::optional<platform::RegistryValue> QueryValue(platform::Hive hive, const std::wstring& key,
                                                      const std::wstring& name) override {
        return real_.QueryValue(hive, key, name);
    }
    bool CreateKey(platform::Hive hive, const std::wstring& key) override {
        return real_.CreateKey(hive, key);
    }
    bool SetValue(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                  const platform::RegistryValue& value) override {
        return real_.SetValue(hive, key, name, value);
    }
    // The pass deletes values only to remove startup records.
    bool DeleteValue(platform::Hive hive, const std::wstring& key,
                     const std::wstring& name) override {
        return steps_.Step([&] { return real_.DeleteValue(hive, key, name); });
    }
    bool DeleteKey(platform::Hive hive, const std::wstring& key) override {
        return real_.DeleteKey(hive, key);
    }

private:
    platform::Registry& real_;
    Steps& steps_;
};

class SteppingFiles final : public platform::FileSystem {
public:
    SteppingFiles(platform::FileSystem& real, Steps& steps, std::wstring logPath,
                  std::wstring startupFolder)
        : real_(real), steps_(steps), logPath_(std::move(logPath)),
          startupFolder_(std::move(startupFolder) + L"\\") {}
    bool FileExists(const std::wstring& path) override { return real_.FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return real_.FolderExists(path); }
    bool CreateFolder(const std::wstring& path) override { return real_.CreateFolder(path); }
    std::optional<std::string> ReadAll(const std::wstring& path) override {
        return real_.ReadAll(path);
    }
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override {
        if (path != logPath_) {
            return real_.ReplaceAll(path, bytes);
        }
        return steps_.Step([&] { return real_.ReplaceAll(path, bytes); });
    }
    bool CreateNewEmpty(const std::wstring& path) override { return real_.CreateNewEmpty(path); }
    bool Remove(const std::wstring& path) override {
        // Shortcuts in the watched folder are startup records; other files (hand-off files) are
        // not steps.
        if (!path.starts_with(startupFolder_)) {
            return real_.Remove(path);
        }
        return steps_.Step([&] { return real_.Remove(path); });
    }
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
        return real_.FileSize(path);
    }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override {
        return real_.ListFolder(folder, pattern);
    }
    std::optional<std::uint32_t> FileAttributes(const std::wstring& path) override {
        return real_.FileAttributes(path);
    }
    bool ChangeAttributes(const std::wstring& path, std::uint32_t attributes) override {
        return real_.ChangeAttributes(path, attributes);
    }

private:
    platform::FileSystem& real_;
    Steps& steps_;
    std::wstring logPath_, startupFolder_;
};

class RefusingLauncher final : public platform::Launcher {
public:
    bool ShellOpen(const std::wstring&) override { return false; }
    bool StartProgram(const std::wstring&) override { return false; }
    bool StartProgramHidden(const std::wstring&) override { return false; }
    std::wstring WebBrowserCommand() override { return L""; }
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 5) {
        std::fputs("usage: removal_probe DATA_FOLDER RUN_KEY STARTUP_FOLDER EVENT [HALT_AT]\n",
                   stderr);
        return 2;
    }
    const std::wstring dataFolder = argv[1];
    const std::wstring runKey = argv[2];
    const std::wstring startupFolder = argv[3];
    const std::wstring event = argv[4];
    const long haltAt = argc > 5 ? std::wcstol(argv[5], nullptr, 10) : 0;

    win32::unique_kernel_handle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, event.c_str()));
    win32::unique_kernel_handle halted(
        OpenEventW(EVENT_MODIFY_STATE, FALSE, (event + L"-halted").c_str()));
    if (!ready || !halted) {
        std::fputs("removal_probe: the test's events are missing\n", stderr);
        return 2;
    }

    // As the program's entry does: the scan reads shortcuts through the shell.
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& r = real.Get();
    services::SystemFacts facts = services::FrameworkStartup(r);
    facts.DataFolder = dataFolder;

    Steps steps(haltAt, halted.get());
    SteppingRegistry registry(r.registry, steps);
    SteppingFiles files(r.files, steps, decisions::BackupLogPath(dataFolder), startupFolder);
    RefusingLauncher launcher;
    platform::Platform stepping{registry,  files,   r.folders,     r.links,      r.locale,
                                r.version, r.clock, r.processes,   r.ini,        r.messages,
                                launcher,  r.http,  r.icons,       r.sound,      r.desktop,
                                r.changes, r.locks, r.environment, r.signatures, r.clipboard};

    inventory::ScanSources sources;
    sources.places = {inventory::RunKeySite(runKey), inventory::StartupFolderSite(startupFolder)};
    inventory::StartupInventory inventory;
    decisions::Decisions table;
    SetEvent(ready.get());
    monitor::RunCheckCycle(stepping, facts, inventory, table, sources);
    return 0;
}
