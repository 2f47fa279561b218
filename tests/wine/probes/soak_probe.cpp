// The soak test: the resident tray agent, loaded through the real window system exactly as the
// "startup" mode loads it, runs PASSES check passes over 100 records in HKCU Run. Each pass is
// asked for the way the agent's own 30-second timer asks: a WM_TIMER for MagicSubTimer posted to
// its window. Between passes a timer of the probe adds restricted records (removed by the next
// pass) and takes away and brings back approved ones. After every pass the restricted records
// must be gone, each with this pass's entry in BackupAndLog.txt, and the approved and undecided
// records still there; after a warm-up the process's handle count, GDI and USER objects and
// private bytes must stay within a margin for one-off growth, and the median slope over all
// samples after the warm-up, which a steady leak tilts however small the margin would let it
// hide, must stay below one small allocation a pass for the bytes in the heaps' blocks in use
// and below one page a pass for the commit charge outside the heaps.
//
//   soak_probe [PASSES]       (default 200)
//
// Prints one sample line every tenth of the run and a summary; exits 0 when everything held.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "monitor/check_cycle.h"
#include "monitor/tray_agent.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/localisation.h"
#include "services/settings_store.h"
#include "services/system_facts.h"
#include "services/text_file.h"

#include <windows.h>

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace vtrl;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr int kApproved = 60;
constexpr int kUndecided = 40; // no decision; reminders are off
constexpr int kRestrictedPool = 20;
constexpr int kRestrictedPerPass = 3;
constexpr int kChurnPerPass = 2; // approved records taken away and brought back
// A pass that has not come within this long means the agent stopped taking its timer.
constexpr ULONGLONG kPassTimeoutMs = 30000;
// Allowed growth after the warm-up. A leak of one object per pass exceeds these well before
// the 100 passes of the short run are over; the memory margin covers heap and registry-cache
// noise, which levels off within the warm-up.
constexpr DWORD kHandleMargin = 16;
constexpr DWORD kGuiMargin = 8;
constexpr SIZE_T kPrivateMargin = 1536 * 1024;
// The trend after the warm-up of the commit charge outside the heaps, in bytes a pass. Memory
// there comes in pages (a view of a program file, a thread's stack), so a leak of one page a
// pass exceeds it; the heaps' own commit, which settles by a few KB a pass for the first
// hundred passes under Wine, is left out of it.
constexpr double kOutsideSlopeLimit = 2048;
// The trend of the bytes in the heaps' blocks in use, which move only by what the program
// allocates and frees: below one small allocation a pass.
constexpr double kHeapSlopeLimit = 16;
// Too few samples after the warm-up make a slope mean little.
constexpr int kSlopeMinimumSamples = 20;

void Say(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stdout, format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        out += c < 128 ? static_cast<char>(c) : '?';
    }
    return out;
}

struct Counters {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    SIZE_T privateBytes = 0;
    SIZE_T heapBytes = 0;    // allocated from every heap of the process, in blocks in use
    SIZE_T outsideHeaps = 0; // the commit charge less what the heaps have committed
};

struct HeapFigures {
    SIZE_T inUse = 0;     // bytes in blocks in use
    SIZE_T committed = 0; // the heaps' committed regions and their large blocks
};

// What the process's heaps hold. The bytes in use do not move when a heap takes or gives back
// pages, so a pass that leaks shows up as a step of its own size; what the heaps have committed
// settles by itself over the first hundred passes under Wine and is not a leak.
HeapFigures WalkHeaps() {
    std::vector<HANDLE> heaps(64);
    DWORD count = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (count > heaps.size()) {
        heaps.resize(count);
        count = GetProcessHeaps(count, heaps.data());
    }
    heaps.resize(std::min<std::size_t>(count, heaps.size()));
    HeapFigures figures;
    for (HANDLE heap : heaps) {
        if (!HeapLock(heap)) {
            continue;
        }
        // A block outside every region is a large block with pages of its own.
        std::vector<std::pair<ULONG_PTR, ULONG_PTR>> regions;
        std::vector<std::pair<ULONG_PTR, SIZE_T>> blocks;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heap, &entry)) {
            const auto start = reinterpret_cast<ULONG_PTR>(entry.lpData);
            if ((entry.wFlags & PROCESS_HEAP_REGION) != 0) {
                figures.committed += entry.Region.dwCommittedSize;
                regions.emplace_back(start, reinterpret_cast<ULONG_PTR>(entry.Region.lpLastBlock));
            } else if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                figures.inUse += entry.cbData;
                blocks.emplace_back(start, entry.cbData);
            }
        }
        HeapUnlock(heap);
        for (const auto& [start, size] : blocks) {
            const bool inRegion = std::any_of(regions.begin(), regions.end(), [&](const auto& r) {
                return start >= r.first && start < r.second;
            });
            figures.committed += inRegion ? 0 : size;
        }
    }
    return figures;
}

// Wine reports no handle count (GetProcessHandleCount succeeds with 0); there the kernel
// handles are counted one by one. Wine hands out the lowest free handle value, so the table is
// dense and a long run of invalid values marks its end.
DWORD CountHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) {
        return count;
    }
    DWORD misses = 0;
    for (ULONG_PTR value = 4; misses < 4096 && value < (1u << 24); value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return count;
}

Counters Measure() {
    Counters counters;
    counters.handles = CountHandles();
    counters.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counters.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
        // Both are the commit charge; Wine fills only the older field.
        counters.privateBytes =
            memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    }
    const HeapFigures heaps = WalkHeaps();
    counters.heapBytes = heaps.inUse;
    counters.outsideHeaps =
        counters.privateBytes > heaps.committed ? counters.privateBytes - heaps.committed : 0;
    return counters;
}

class Soak {
public:
    Soak(platform::Platform& platform, const services::SystemFacts& facts, int passes)
        : platform_(platform), facts_(facts), passes_(passes), warmUp_(std::max(20, passes / 10)),
          folder_(facts.TempFolder + L"\\vtrl-soak") {}

    // The programs, their decisions and the 100 standing records.
    bool Prepare() {
        // Reserved up front, so that the probe's own bookkeeping never grows the heap it measures.
        outsideSamples_.reserve(static_cast<std::size_t>(passes_) + 1);
        heapSamples_.reserve(static_cast<std::size_t>(passes_) + 1);
        CreateDirectoryW(folder_.c_str(), nullptr);
        const std::wstring fixture = facts_.ProgramFolder + L"\\version_full.exe";
        decisions::Decisions table;
        decisions::LoadDecisions(platform_.files, platform_.locale, facts_.DataFolder, table);
        for (int i = 0; i < kApproved + kUndecided + kRestrictedPool; ++i) {
            if (!CopyFileW(fixture.c_str(), Exe(i).c_str(), FALSE)) {
                return Fail("cannot copy the fixture to %s", Narrow(Exe(i)).c_str());
            }
        }
        for (int i = 0; i < kApproved; ++i) {
            if (!decisions::SaveDecision(platform_, facts_.DataFolder, table, folder_, ExeName(i),
                                         L"", false, false, decisions::kStatusApproved)) {
                return Fail("cannot save a decision");
            }
        }
        for (int j = 0; j < kRestrictedPool; ++j) {
            if (!decisions::SaveDecision(platform_, facts_.DataFolder, table, folder_,
                                         ExeName(Restricted(j)), Arguments(j), j % 2 == 0, true,
                                         decisions::kStatusRestricted)) {
                return Fail("cannot save a decision");
            }
        }
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr, run_.put(),
                            nullptr) != ERROR_SUCCESS) {
            return Fail("cannot open HKCU Run");
        }
        for (int i = 0; i < kApproved + kUndecided; ++i) {
            if (!SetRunValue(StandingName(i), L"\"" + Exe(i) + L"\"")) {
                return Fail("cannot write a Run value");
            }
        }
        standing_ = kApproved + kUndecided;
        return true;
    }

    void Attach(monitor::TrayAgent& agent, HWND window, UINT_PTR timerId) {
        agent_ = &agent;
        window_ = window;
        timerId_ = timerId;
    }

    // One step of the driver, from a timer of the probe: checks the pass that came since the
    // last step, changes the records and asks for the next pass.
    void Tick() {
        if (done_) {
            return;
        }
        if (awaiting_) {
            if (agent_->PassCount() == passCountBefore_) {
                if (GetTickCount64() - askedAt_ > kPassTimeoutMs) {
                    Fail("pass %d did not come within %llu ms", driven_ + 1, kPassTimeoutMs);
                    Finish();
                }
                return;
            }
            awaiting_ = false;
            ++driven_;
            waitedMs_ += GetTickCount64() - askedAt_;
            if (!Verify() || !Sample()) {
                Finish();
                return;
            }
        }
        if (driven_ == passes_) {
            Finish();
            return;
        }
        if (!Change()) {
            Finish();
            return;
        }
        passCountBefore_ = agent_->PassCount();
        askedAt_ = GetTickCount64();
        awaiting_ = true;
        if (!PostMessageW(window_, WM_TIMER, timerId_, 0)) {
            Fail("cannot post to the agent's window (error %lu)", GetLastError());
            Finish();
        }
    }

    bool Done() const { return done_; }
    bool Failed() const { return failed_; }

    void Summary(ULONGLONG elapsedMs) const {
        Say("soak: %d passes asked for, %d run by the agent, %d removals logged, %llu ms "
            "(%llu ms a pass)\n",
            driven_, agent_ != nullptr ? finalPassCount_ : 0, removals_, elapsedMs,
            driven_ > 0 ? elapsedMs / static_cast<ULONGLONG>(driven_) : 0);
        Say("soak: %llu ms waiting for the agent's passes, %llu ms in the probe\n", waitedMs_,
            elapsedMs - waitedMs_);
        Say("soak: after warm-up (pass %d): handles %lu, GDI %lu, USER %lu, private %zu KB, "
            "heap %zu bytes\n",
            warmUp_, baseline_.handles, baseline_.gdi, baseline_.user,
            baseline_.privateBytes / 1024, baseline_.heapBytes);
        Say("soak: highest since: handles %lu, GDI %lu, USER %lu, private %zu KB; at the end: "
            "handles %lu, GDI %lu, USER %lu, private %zu KB\n",
            highest_.handles, highest_.gdi, highest_.user, highest_.privateBytes / 1024,
            last_.handles, last_.gdi, last_.user, last_.privateBytes / 1024);
        if (baseline_.gdi == 0 && baseline_.user == 0 && highest_.gdi == 0 && highest_.user == 0) {
            Say("soak: this system reports no GDI or USER objects (GetGuiResources gives 0): "
                "those two were not measured\n");
        }
        Say("soak: %s\n", failed_ ? "FAILED" : "passed");
    }

private:
    static std::wstring ExeName(int i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"soak_%03d.exe", i);
        return name;
    }
    static int Restricted(int j) { return kApproved + kUndecided + j; }
    // Arguments are part of the executable's key, so they must match the decision.
    static std::wstring Arguments(int j) { return L"--soak " + std::to_wstring(j); }
    std::wstring Exe(int i) const { return folder_ + L"\\" + ExeName(i); }
    static std::wstring StandingName(int i) {
        return (i < kApproved ? L"Soak approved " : L"Soak undecided ") + std::to_wstring(i);
    }
    // The same place for a slot in every pass, as an installer that writes its value back would
    // do: the log keeps one entry per place, so it stays at one entry per slot, and this pass's
    // removal must have moved that entry among the newest.
    static std::wstring RestrictedName(int slot) {
        return L"Soak restricted " + std::to_wstring(slot);
    }

    bool SetRunValue(const std::wstring& name, const std::wstring& data) {
        return RegSetValueExW(
                   run_.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    bool HasRunValue(const std::wstring& name) {
        return RegQueryValueExW(run_.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    }

    // Restricted records for the next pass; two approved ones taken away, last pass's back.
    bool Change() {
        for (int i : churned_) {
            if (!SetRunValue(StandingName(i), L"\"" + Exe(i) + L"\"")) {
                return Fail("cannot bring back a Run value");
            }
            ++standing_;
        }
        churned_.clear();
        for (int k = 0; k < kChurnPerPass; ++k) {
            const int i = (driven_ * kChurnPerPass + k) % kApproved;
            if (RegDeleteValueW(run_.get(), StandingName(i).c_str()) != ERROR_SUCCESS) {
                return Fail("cannot take away a Run value");
            }
            churned_.push_back(i);
            --standing_;
        }
        added_.clear();
        for (int k = 0; k < kRestrictedPerPass; ++k) {
            const int j = (driven_ * kRestrictedPerPass + k) % kRestrictedPool;
            const std::wstring name = RestrictedName(j);
            const std::wstring data = L"\"" + Exe(Restricted(j)) + L"\" " + Arguments(j);
            if (!SetRunValue(name, data)) {
                return Fail("cannot write a restricted Run value");
            }
            added_.push_back({j, name, data});
        }
        return true;
    }

    bool Verify() {
        const int pass = driven_;
        for (const Added& added : added_) {
            if (HasRunValue(added.name)) {
                return Fail("pass %d: restricted record %s is still there", pass,
                            Narrow(added.name).c_str());
            }
        }
        DWORD values = 0;
        if (RegQueryInfoKeyW(run_.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            values != static_cast<DWORD>(standing_)) {
            return Fail("pass %d: %lu Run values, expected the %d approved and undecided ones",
                        pass, values, standing_);
        }
        const auto lines = services::ReadTextLines(platform_.files, platform_.locale,
                                                   decisions::BackupLogPath(facts_.DataFolder));
        if (!lines) {
            return Fail("pass %d: BackupAndLog.txt cannot be read", pass);
        }
        const auto entries = decisions::ParseBackupLines(*lines);
        if (lines->size() != entries.size() * decisions::kBackupEntryLines ||
            entries.size() > static_cast<std::size_t>(kRestrictedPool)) {
            return Fail("pass %d: the log has %zu lines for %zu entries", pass, lines->size(),
                        entries.size());
        }
        // This pass's removals are the newest entries, in the order the scan met them, which is
        // the registry's enumeration order (by name under Wine, not by creation).
        if (entries.size() < added_.size()) {
            return Fail("pass %d: the log holds only %zu entries", pass, entries.size());
        }
        const std::wstring folder = platform_.locale.ToLower(folder_);
        const std::size_t first = entries.size() - added_.size();
        for (const Added& added : added_) {
            const std::wstring location =
                L"HKEY_CURRENT_USER\\" + std::wstring(kRunKey) + L"\\" + added.name;
            const auto newest = entries.begin() + static_cast<std::ptrdiff_t>(first);
            const auto entry =
                std::find_if(newest, entries.end(), [&](const decisions::BackupEntry& candidate) {
                    return candidate.FullLocation == location;
                });
            const auto places =
                std::count_if(entries.begin(), entries.end(), [&](const auto& candidate) {
                    return candidate.FullLocation == location;
                });
            if (entry == entries.end() || places != 1 || entry->Kind != L"REGISTRY" ||
                entry->ExeFolder != folder || entry->ExeName != ExeName(Restricted(added.slot)) ||
                entry->Arguments != Arguments(added.slot) || entry->CommandLine != added.data) {
                return Fail("pass %d: the removal of %s is not among the log's newest entries",
                            pass, Narrow(added.name).c_str());
            }
            ++removals_;
        }
        return true;
    }

    bool Sample() {
        last_ = Measure();
        if (driven_ > warmUp_) {
            outsideSamples_.push_back(
                {static_cast<double>(driven_), static_cast<double>(last_.outsideHeaps)});
            heapSamples_.push_back(
                {static_cast<double>(driven_), static_cast<double>(last_.heapBytes)});
        }
        if (driven_ == warmUp_) {
            baseline_ = highest_ = last_;
        } else if (driven_ > warmUp_) {
            highest_.handles = std::max(highest_.handles, last_.handles);
            highest_.gdi = std::max(highest_.gdi, last_.gdi);
            highest_.user = std::max(highest_.user, last_.user);
            highest_.privateBytes = std::max(highest_.privateBytes, last_.privateBytes);
        }
        if (driven_ % std::max(1, passes_ / 10) == 0 || driven_ == 1) {
            Say("pass %5d (agent %5d): handles %4lu  GDI %3lu  USER %3lu  private %7zu KB "
                "(%7zu KB outside the heaps)  heap %9zu bytes in use\n",
                driven_, agent_->PassCount(), last_.handles, last_.gdi, last_.user,
                last_.privateBytes / 1024, last_.outsideHeaps / 1024, last_.heapBytes);
        }
        if (driven_ <= warmUp_) {
            return true;
        }
        if (last_.handles > baseline_.handles + kHandleMargin) {
            return Fail("pass %d: %lu handles, %lu after the warm-up", driven_, last_.handles,
                        baseline_.handles);
        }
        // Wine reports no GDI or USER objects at all (GetGuiResources gives 0); Windows does.
        if (last_.gdi > baseline_.gdi + kGuiMargin || last_.user > baseline_.user + kGuiMargin) {
            return Fail("pass %d: GDI %lu and USER %lu objects, %lu and %lu after the warm-up",
                        driven_, last_.gdi, last_.user, baseline_.gdi, baseline_.user);
        }
        if (last_.privateBytes > baseline_.privateBytes + kPrivateMargin) {
            return Fail("pass %d: %zu KB private, %zu KB after the warm-up", driven_,
                        last_.privateBytes / 1024, baseline_.privateBytes / 1024);
        }
        return true;
    }

    // The trend of a measure over the passes after the warm-up: the median of the slopes
    // between every two samples (Theil-Sen), checked once the run is over. A steady leak tilts
    // every pair alike; one-off steps, which the margin is for, tilt only the pairs that
    // straddle them, and so barely move the median.
    bool CheckTrend(const std::vector<std::pair<double, double>>& samples, const char* what,
                    double limit) {
        const std::size_t count = samples.size();
        if (count < static_cast<std::size_t>(kSlopeMinimumSamples)) {
            return Fail("only %zu samples after the warm-up: too few for a trend", count);
        }
        std::vector<double> slopes;
        slopes.reserve(count * (count - 1) / 2);
        for (std::size_t i = 0; i < count; ++i) {
            for (std::size_t j = i + 1; j < count; ++j) {
                const auto& [x1, y1] = samples[i];
                const auto& [x2, y2] = samples[j];
                slopes.push_back((y2 - y1) / (x2 - x1));
            }
        }
        const auto middle = slopes.begin() + static_cast<std::ptrdiff_t>(slopes.size() / 2);
        std::nth_element(slopes.begin(), middle, slopes.end());
        const double slope = *middle;
        Say("soak: %s trend %.1f bytes a pass over %zu passes (limit %.0f)\n", what, slope, count,
            limit);
        if (slope > limit) {
            return Fail("%s grow %.1f bytes a pass after the warm-up", what, slope);
        }
        return true;
    }

    void Finish() {
        if (!failed_ && driven_ == passes_) {
            CheckTrend(outsideSamples_, "commit outside the heaps", kOutsideSlopeLimit) &&
                CheckTrend(heapSamples_, "heap bytes in use", kHeapSlopeLimit);
        }
        done_ = true;
        finalPassCount_ = agent_->PassCount();
        // The agent ends as a click on its icon or a close by caption would end it.
        agent_->Unload();
    }

    bool Fail(const char* format, ...) {
        std::fputs("soak: ", stdout);
        va_list arguments;
        va_start(arguments, format);
        std::vfprintf(stdout, format, arguments);
        va_end(arguments);
        std::fputs("\n", stdout);
        std::fflush(stdout);
        failed_ = true;
        return false;
    }

    struct Added {
        int slot;
        std::wstring name, data;
    };

    platform::Platform& platform_;
    const services::SystemFacts& facts_;
    const int passes_;
    const int warmUp_;
    const std::wstring folder_;
    win32::unique_hkey run_;
    monitor::TrayAgent* agent_ = nullptr;
    HWND window_ = nullptr;
    UINT_PTR timerId_ = 0;
    int standing_ = 0;
    std::vector<int> churned_;
    std::vector<Added> added_;
    int driven_ = 0;
    int passCountBefore_ = 0;
    int finalPassCount_ = 0;
    ULONGLONG askedAt_ = 0;
    bool awaiting_ = false;
    bool done_ = false;
    bool failed_ = false;
    int removals_ = 0;
    ULONGLONG waitedMs_ = 0; // from asking for a pass to seeing it done
    Counters baseline_, highest_, last_;
    std::vector<std::pair<double, double>> outsideSamples_; // (pass, commit outside the heaps)
    std::vector<std::pair<double, double>> heapSamples_;    // (pass, heap bytes in use)
};

// A thread timer has no window of its own to carry a pointer.
Soak* gSoak = nullptr;

void CALLBACK DriverTick(HWND, UINT, UINT_PTR, DWORD) {
    if (gSoak != nullptr) {
        gSoak->Tick();
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const int passes = argc > 1 ? static_cast<int>(std::wcstol(argv[1], nullptr, 10)) : 200;
    if (passes <= 0) {
        std::fputs("usage: soak_probe [PASSES]\n", stderr);
        return 2;
    }
    // As the program's entry prepares itself.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts = services::FrameworkStartup(platform);
    services::Language language;
    language.LanguageFolder = facts.ProgramFolder + L"\\Languages";
    language.LanguageName = L"English";

    // Removals start no popup processes, and no sound either: Wine's asynchronous PlaySound
    // keeps two 24-byte blocks a call in its winmm and runs a thread whose stack, alive or gone
    // when a sample is taken, moves the commit charge by a megabyte. That is Wine's, and it
    // would hide a leak of the agent's own. No reminders.
    auto& registry = platform.registry;
    services::SaveSetting(registry, services::kAppKey, services::kSettingsSection,
                          services::kNotifiWinKey, L"NO");
    services::SaveSetting(registry, services::kAppKey, services::kSettingsSection,
                          services::kSoundKey, L"NO");
    services::SaveSetting(registry, services::kAppKey, services::kSettingsSection,
                          services::kUnknownKey, L"NO");

    Soak soak(platform, facts, passes);
    if (!soak.Prepare()) {
        return 1;
    }
    auto& agent =
        static_cast<monitor::TrayAgent&>(real.Windows().Load(std::make_unique<monitor::TrayAgent>(
            platform, facts, language, services::StartMode::Resident)));
    HWND window = FindWindowW(nullptr, services::kTrayAgentCaption);
    DWORD owner = 0;
    if (window != nullptr) {
        GetWindowThreadProcessId(window, &owner);
    }
    if (window == nullptr || owner != GetCurrentProcessId()) {
        std::fputs("soak: the agent's window is not there\n", stdout);
        return 1;
    }
    // The window system numbers a form's timers from 1 in the order the form added them.
    const auto& timers = agent.Timers();
    const auto found = std::find(timers.begin(), timers.end(), &agent.MagicSubTimer);
    if (found == timers.end() || !agent.MagicSubTimer.Enabled()) {
        std::fputs("soak: the agent's pass timer is not running\n", stdout);
        return 1;
    }
    soak.Attach(agent, window, static_cast<UINT_PTR>(found - timers.begin()) + 1);

    gSoak = &soak;
    const UINT_PTR driver = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, DriverTick);
    const ULONGLONG started = GetTickCount64();
    real.Windows().RunMessageLoop();
    KillTimer(nullptr, driver);
    gSoak = nullptr;
    if (!soak.Done()) {
        std::fputs("soak: the agent ended before the run was over\n", stdout);
        return 1;
    }
    soak.Summary(GetTickCount64() - started);
    return soak.Failed() ? 1 : 0;
}
