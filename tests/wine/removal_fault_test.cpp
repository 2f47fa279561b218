// A check pass killed while it removes restricted records: a child process (removal_probe) runs
// the pass over a Run key and a Startup folder of the test's own and is ended with
// TerminateProcess, first exactly before and after each backup write and each deletion, then at
// random moments. After every kill the log must parse into complete entries only, keep every
// entry it ever held, and hold this round's backup entry for every record that is gone. Then two
// probes remove records of the same programs from two places at once, sharing the data folder:
// every removal of both must be in the log. A logged entry always has its exact copy.

#include "kept_setting.h"
#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_copy.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/settings_store.h"
#include "services/system_facts.h"
#include "services/text_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace vtrl {
namespace {

using testing_support::KeptSetting; // the probe's first scan stamps "Remind"

constexpr wchar_t kTestRoot[] = L"Software\\VantorelTests";
constexpr int kRegistryRecords = 6;
constexpr int kShortcutRecords = 2;
constexpr int kRecords = kRegistryRecords + kShortcutRecords;
// Each removal is two steps (backup, deletion) with a point before and after each.
constexpr long kPoints = 4 * kRecords;
constexpr int kRandomKills = 120;
// The random kills stop early rather than run much past this.
constexpr ULONGLONG kBudgetMs = 25000;

// What one kill left behind, counted over this round's records.
struct Observed {
    int gone = 0;     // records no longer in the key or folder
    int backedUp = 0; // records with this round's backup entry
};

class RemovalFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(r);
        const std::wstring tag = std::to_wstring(GetCurrentProcessId());
        keyPath = std::wstring(kTestRoot) + L"\\fault-" + tag + L"\\Run";
        runKey = L"HKEY_CURRENT_USER\\" + keyPath;
        base = facts.TempFolder + L"\\vtrl-fault-" + tag;
        data = base + L"\\data";
        programs = base + L"\\Programs";
        startup = base + L"\\Startup";
        for (const auto& folder : {base, data, programs, startup}) {
            CreateDirectoryW(folder.c_str(), nullptr);
            ASSERT_TRUE(r.files.FolderExists(folder));
        }
        decisions::Decisions table;
        for (int i = 0; i < kRecords; ++i) {
            ASSERT_TRUE(CopyFileW((facts.ProgramFolder + L"\\version_none.exe").c_str(),
                                  Exe(i).c_str(), FALSE));
            kept.push_back(std::make_unique<KeptSetting>(r.registry, L"Remind", ExeName(i)));
            ASSERT_TRUE(decisions::SaveDecision(r, data, table, programs, ExeName(i), Arguments(i),
                                                false, true, decisions::kStatusRestricted));
        }
        kept.push_back(std::make_unique<KeptSetting>(r.registry, L"Data", L"FirstRun"));
        event = L"vtrl-fault-" + tag;
        ready.reset(CreateEventW(nullptr, FALSE, FALSE, event.c_str()));
        halted.reset(CreateEventW(nullptr, FALSE, FALSE, (event + L"-halted").c_str()));
        ASSERT_TRUE(ready && halted);
        probe = facts.ProgramFolder + L"\\removal_probe.exe";
        ASSERT_TRUE(r.files.FileExists(probe));
    }
    void TearDown() override {
        kept.clear();
        RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(kTestRoot) + L"\\fault-" +
                                           std::to_wstring(GetCurrentProcessId()))
                                              .c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
        for (const auto& folder : {data, programs, startup}) {
            for (const auto& entry : r.files.ListFolder(folder, L"*")) {
                DeleteFileW((folder + L"\\" + entry.name).c_str());
            }
            RemoveDirectoryW(folder.c_str());
        }
        RemoveDirectoryW(base.c_str());
    }

    static bool IsShortcut(int i) { return i >= kRegistryRecords; }
    static std::wstring ExeName(int i) { return L"fault_" + std::to_wstring(i) + L".exe"; }
    static std::wstring Arguments(int i) { return L"--fault " + std::to_wstring(i); }
    std::wstring Exe(int i) const { return programs + L"\\" + ExeName(i); }
    // Each round names its records anew, so an entry left by an earlier round never passes for
    // this round's backup.
    std::wstring EntryName(int i) const {
        return L"Fault " + std::to_wstring(i) + L" round " + std::to_wstring(round) +
               (IsShortcut(i) ? L".lnk" : L"");
    }
    std::wstring FullLocation(int i) const {
        return (IsShortcut(i) ? startup : runKey) + L"\\" + EntryName(i);
    }
    std::wstring CommandLine(int i) const { return L"\"" + Exe(i) + L"\" " + Arguments(i); }

    // This round's records, and nothing left of the last one.
    void PlantRecords() {
        ++round;
        RegDeleteTreeW(HKEY_CURRENT_USER, keyPath.c_str());
        win32::unique_hkey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, key.put(), nullptr),
                  ERROR_SUCCESS)
            << "the Run key cannot be made";
        for (const auto& entry : r.files.ListFolder(startup, L"*")) {
            ASSERT_TRUE(DeleteFileW((startup + L"\\" + entry.name).c_str()))
                << "last round's " << testing::PrintToString(entry.name)
                << " cannot be deleted: error " << GetLastError();
        }
        for (int i = 0; i < kRecords; ++i) {
            if (IsShortcut(i)) {
                ASSERT_TRUE(
                    r.links.CreateLink({FullLocation(i), Exe(i), L"", programs, Arguments(i), L""}))
                    << "shortcut " << i << " cannot be made";
                continue;
            }
            const std::wstring value = CommandLine(i);
            ASSERT_EQ(RegSetValueExW(key.get(), EntryName(i).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                      ERROR_SUCCESS)
                << "value " << i << " cannot be written";
        }
    }

    bool Present(int i) const {
        if (IsShortcut(i)) {
            return GetFileAttributesW(FullLocation(i).c_str()) != INVALID_FILE_ATTRIBUTES;
        }
        return RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), EntryName(i).c_str(), RRF_RT_ANY,
                            nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    struct Child {
        win32::unique_kernel_handle process, thread;
    };
    // Starts the probe over the key and folder, signalling the event as its pass begins.
    void Launch(const std::wstring& key, const std::wstring& folder, const std::wstring& events,
                long haltAt, Child& child) {
        std::wstring commandLine = L"\"" + probe + L"\" \"" + data + L"\" \"" + key + L"\" \"" +
                                   folder + L"\" " + events + L" " + std::to_wstring(haltAt);
        STARTUPINFOW info{};
        info.cb = sizeof(info);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(probe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, &info, &process))
            << "error " << GetLastError();
        child.process.reset(process.hProcess);
        child.thread.reset(process.hThread);
    }
    // Starts the probe and waits until its pass begins.
    void StartProbe(long haltAt, Child& child) {
        ASSERT_NO_FATAL_FAILURE(Launch(runKey, startup, event, haltAt, child));
        const HANDLE waits[] = {ready.get(), child.process.get()};
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, 20000);
        DWORD exitCode = 0;
        GetExitCodeProcess(child.process.get(), &exitCode);
        ASSERT_EQ(woken, WAIT_OBJECT_0)
            << "the probe ended (exit code " << exitCode << ") or never got going";
    }
    void Kill(Child& child) {
        // The probe may have finished already; then there is nothing to end.
        TerminateProcess(child.process.get(), 9);
        ASSERT_EQ(WaitForSingleObject(child.process.get(), 10000), WAIT_OBJECT_0)
            << "the probe did not end within 10 s of being killed";
    }

    // The log after a kill: complete entries only, none lost, one per place, and this round's
    // entry for every record that is gone.
    Observed Inspect() {
        Observed seen;
        const std::wstring logPath = decisions::BackupLogPath(data);
        if (!r.files.FileExists(logPath)) {
            EXPECT_TRUE(everLogged.empty()) << "the log is gone";
            for (int i = 0; i < kRecords; ++i) {
                EXPECT_TRUE(Present(i)) << "record " << i << " removed without any log";
                seen.gone += !Present(i);
            }
            return seen;
        }
        const auto lines = services::ReadTextLines(r.files, r.locale, logPath);
        EXPECT_TRUE(lines.has_value()) << "the log cannot be read";
        if (!lines) {
            return seen;
        }
        const auto entries = decisions::ParseBackupLines(*lines);
        EXPECT_EQ(lines->size(), entries.size() * decisions::kBackupEntryLines)
            << "the log holds lines outside complete entries";
        const std::wstring folder = r.locale.ToLower(programs);
        std::set<std::wstring> places;
        std::vector<const decisions::BackupEntry*> byRecord(kRecords, nullptr);
        for (const auto& entry : entries) {
            EXPECT_TRUE(places.insert(entry.Kind + L"|" + entry.FullLocation).second)
                << "two entries for one place";
            int found = -1;
            for (int i = 0; i < kRecords; ++i) {
                if (entry.ExeFolder == folder && entry.ExeName == ExeName(i) &&
                    entry.Arguments == Arguments(i)) {
                    found = i;
                }
            }
            EXPECT_GE(found, 0) << "a foreign entry: " << testing::PrintToString(entry.ExeName);
            if (found >= 0 && entry.FullLocation == FullLocation(found)) {
                byRecord[found] = &entry;
            }
        }
        for (const std::wstring& place : everLogged) {
            EXPECT_EQ(places.count(place), 1u) << "an entry was lost";
        }
        everLogged.insert(places.begin(), places.end());
        for (int i = 0; i < kRecords; ++i) {
            const decisions::BackupEntry* entry = byRecord[i];
            const bool thisRound = entry != nullptr;
            if (thisRound) {
                ++seen.backedUp;
                EXPECT_EQ(entry->Kind, IsShortcut(i) ? L"SHORTCUT" : L"REGISTRY");
                if (!IsShortcut(i)) {
                    EXPECT_EQ(entry->CommandLine, CommandLine(i));
                }
                // The exact copy is written before its entry, so an entry never lacks it.
                EXPECT_TRUE(decisions::FindRecordCopy(r.files, r.locale, data, *entry).has_value())
                    << "record " << i << " (round " << round << ") is logged without its copy";
            }
            if (!Present(i)) {
                ++seen.gone;
                EXPECT_TRUE(thisRound) << "record " << i << " (round " << round
                                       << ") was removed without its backup entry";
            }
        }
        return seen;
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& r = real.Get();
    services::SystemFacts facts;
    std::wstring keyPath, runKey, base, data, programs, startup, probe, event;
    win32::unique_kernel_handle ready, halted;
    std::vector<std::unique_ptr<KeptSetting>> kept;
    std::set<std::wstring> everLogged; // kind | full location of every entry seen
    int round = 0;
};

TEST_F(RemovalFaultTest, KilledPassNeverLeavesARemovedRecordWithoutItsBackup) {
    LARGE_INTEGER frequency{}, begun{}, ended{};
    QueryPerformanceFrequency(&frequency);

    // A whole pass first: every record goes, each with its entry; it also times a pass.
    PlantRecords();
    Child whole;
    ASSERT_NO_FATAL_FAILURE(StartProbe(0, whole));
    QueryPerformanceCounter(&begun);
    ASSERT_EQ(WaitForSingleObject(whole.process.get(), 20000), WAIT_OBJECT_0);
    QueryPerformanceCounter(&ended);
    DWORD exitCode = 1;
    ASSERT_TRUE(GetExitCodeProcess(whole.process.get(), &exitCode));
    ASSERT_EQ(exitCode, 0u);
    const LONGLONG passTicks = ended.QuadPart - begun.QuadPart;
    const Observed all = Inspect();
    ASSERT_FALSE(HasFailure());
    ASSERT_EQ(all.gone, kRecords);
    ASSERT_EQ(all.backedUp, kRecords);

    // Halted at each point in turn: after d steps, ceil(d/2) backups and floor(d/2) deletions.
    // From the start of the pass to its first backup, and to the end of its last deletion.
    LONGLONG scanTicks = 0, lastStepTicks = 0;
    for (long point = 1; point <= kPoints; ++point) {
        SCOPED_TRACE("halted at point " + std::to_string(point));
        ASSERT_NO_FATAL_FAILURE(PlantRecords());
        Child child;
        ASSERT_NO_FATAL_FAILURE(StartProbe(point, child));
        QueryPerformanceCounter(&begun);
        const HANDLE waits[] = {halted.get(), child.process.get()};
        ASSERT_EQ(WaitForMultipleObjects(2, waits, FALSE, 20000), WAIT_OBJECT_0)
            << "the probe never reached the point";
        QueryPerformanceCounter(&ended);
        if (point == 1) {
            scanTicks = ended.QuadPart - begun.QuadPart;
        } else if (point == kPoints) {
            lastStepTicks = ended.QuadPart - begun.QuadPart;
        }
        ASSERT_NO_FATAL_FAILURE(Kill(child));
        const Observed seen = Inspect();
        ASSERT_FALSE(HasFailure());
        const int steps = static_cast<int>(point / 2);
        EXPECT_EQ(seen.backedUp, (steps + 1) / 2);
        EXPECT_EQ(seen.gone, steps / 2);
    }

    // Random moments from shortly before the first backup to shortly after the last deletion,
    // so that kills also land inside the steps.
    std::mt19937 random(std::random_device{}());
    int kills = 0, none = 0, partial = 0, complete = 0, backupAhead = 0;
    const ULONGLONG started = GetTickCount64();
    for (; kills < kRandomKills && GetTickCount64() - started < kBudgetMs; ++kills) {
        SCOPED_TRACE("random kill " + std::to_string(kills));
        ASSERT_NO_FATAL_FAILURE(PlantRecords());
        Child child;
        ASSERT_NO_FATAL_FAILURE(StartProbe(0, child));
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        const LONGLONG earliest = scanTicks * 9 / 10;
        const LONGLONG span = std::max(lastStepTicks * 11 / 10 - earliest, 1LL);
        const LONGLONG until =
            now.QuadPart + earliest + static_cast<LONGLONG>(random() % 1000) * span / 1000;
        while (now.QuadPart < until) {
            QueryPerformanceCounter(&now);
        }
        ASSERT_NO_FATAL_FAILURE(Kill(child));
        const Observed seen = Inspect();
        ASSERT_FALSE(HasFailure());
        none += seen.backedUp == 0;
        complete += seen.gone == kRecords;
        partial += seen.backedUp > 0 && seen.gone < kRecords;
        backupAhead += seen.backedUp > seen.gone;
    }
    std::size_t leftovers = 0;
    for (const auto& entry : r.files.ListFolder(data, L"*")) {
        leftovers += entry.name != decisions::kDecisionFileName &&
                     entry.name != decisions::kBackupLogFileName;
    }
    std::printf("[          ] pass %lld ms (first backup at %lld ms, last deletion at %lld ms); "
                "%ld halts, %d random kills in %llu ms: "
                "%d before any "
                "removal, %d partway (%d with a backup ahead of its deletion), %d after all; "
                "%zu files left by cut-short writes\n",
                passTicks * 1000 / frequency.QuadPart, scanTicks * 1000 / frequency.QuadPart,
                lastStepTicks * 1000 / frequency.QuadPart, kPoints, kills,
                GetTickCount64() - started, none, partial, backupAhead, complete, leftovers);
    EXPECT_GE(kills, 50) << "too few random kills to mean much";
    EXPECT_GT(partial, 0) << "no random kill landed among the removals";
}

// Two passes at once, as two agents (or an agent and a manager window) would run them: each
// removes 30 records from a Run key of its own, the same 30 programs in both, with one data
// folder. Every removal must be in the log: one entry per place, 60 in all.
TEST_F(RemovalFaultTest, TwoConcurrentPassesLoseNoBackupEntry) {
    constexpr int kPrograms = 30;
    decisions::Decisions table;
    for (int i = kRecords; i < kPrograms; ++i) {
        ASSERT_TRUE(CopyFileW((facts.ProgramFolder + L"\\version_none.exe").c_str(), Exe(i).c_str(),
                              FALSE));
        kept.push_back(std::make_unique<KeptSetting>(r.registry, L"Remind", ExeName(i)));
        ASSERT_TRUE(decisions::SaveDecision(r, data, table, programs, ExeName(i), Arguments(i),
                                            false, true, decisions::kStatusRestricted));
    }
    struct Pass {
        std::wstring keyPath, folder, event;
        win32::unique_kernel_handle ready, halted;
        Child child;
    };
    Pass passes[2];
    for (int p = 0; p < 2; ++p) {
        Pass& pass = passes[p];
        const std::wstring name = L"pass" + std::to_wstring(p);
        pass.keyPath = std::wstring(kTestRoot) + L"\\fault-" +
                       std::to_wstring(GetCurrentProcessId()) + L"\\" + name + L"\\Run";
        pass.folder = base + L"\\" + name;
        ASSERT_TRUE(r.files.CreateFolder(pass.folder));
        pass.event = event + L"-" + name;
        pass.ready.reset(CreateEventW(nullptr, TRUE, FALSE, pass.event.c_str()));
        pass.halted.reset(CreateEventW(nullptr, TRUE, FALSE, (pass.event + L"-halted").c_str()));
        win32::unique_hkey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, pass.keyPath.c_str(), 0, nullptr, 0,
                                  KEY_SET_VALUE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        for (int i = 0; i < kPrograms; ++i) {
            const std::wstring value = CommandLine(i);
            ASSERT_EQ(RegSetValueExW(key.get(), (L"Both " + std::to_wstring(i)).c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                      ERROR_SUCCESS);
        }
    }
    // Both started before either is waited for, so that their removals overlap.
    for (Pass& pass : passes) {
        ASSERT_NO_FATAL_FAILURE(
            Launch(L"HKEY_CURRENT_USER\\" + pass.keyPath, pass.folder, pass.event, 0, pass.child));
    }
    for (Pass& pass : passes) {
        ASSERT_EQ(WaitForSingleObject(pass.child.process.get(), 60000), WAIT_OBJECT_0);
        DWORD exitCode = 1;
        ASSERT_TRUE(GetExitCodeProcess(pass.child.process.get(), &exitCode));
        EXPECT_EQ(exitCode, 0u);
        EXPECT_EQ(WaitForSingleObject(pass.ready.get(), 0), WAIT_OBJECT_0) << "never began";
    }

    const auto lines = services::ReadTextLines(r.files, r.locale, decisions::BackupLogPath(data));
    ASSERT_TRUE(lines.has_value());
    std::set<std::wstring> places;
    for (const auto& entry : decisions::ParseBackupLines(*lines)) {
        places.insert(entry.FullLocation);
    }
    int missing = 0;
    for (const Pass& pass : passes) {
        for (int i = 0; i < kPrograms; ++i) {
            const std::wstring name = L"Both " + std::to_wstring(i);
            const bool present =
                RegGetValueW(HKEY_CURRENT_USER, pass.keyPath.c_str(), name.c_str(), RRF_RT_ANY,
                             nullptr, nullptr, nullptr) == ERROR_SUCCESS;
            EXPECT_FALSE(present) << testing::PrintToString(name) << " still there";
            const bool logged =
                places.count(L"HKEY_CURRENT_USER\\" + pass.keyPath + L"\\" + name) != 0;
            missing += !logged;
        }
    }
    EXPECT_EQ(missing, 0) << "removals missing from the log";
    EXPECT_EQ(places.size(), 2u * kPrograms);
    for (Pass& pass : passes) {
        RemoveDirectoryW(pass.folder.c_str());
    }
}

} // namespace
} // namespace vtrl
