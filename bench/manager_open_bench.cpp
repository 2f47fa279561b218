// Times the manager window's opening: from the CreateProcess call that starts this program to the
// first paint of its main window ("Vantorel 1.0", the list page), and to the moment no paint is
// pending any more (all its controls drawn). The program starts exactly as vantorel.exe does
// (the real platform, then the shared start-up, dispatch and message loop) and watches its own
// windows from inside. Beside each start, a start whose command line matches no mode: the same
// process start-up and framework start-up without any window, so the difference is what the
// window costs. Run it in the bench prefix after inventory_bench seeded the 100 records; it then
// adds 900 Run values of its own and measures again at 1,000 records.

#include "alternate.h"
#include "inventory/inventory_scan.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/registry_access.h"
#include "services/system_facts.h"
#include "shell/entry.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace vtrl;

constexpr int kDefaultRounds = 7;
constexpr DWORD kChildTimeoutMs = 30000;
constexpr wchar_t kWindowMode[] = L"--child-window";
constexpr wchar_t kNoWindowMode[] = L"--child-none";
constexpr wchar_t kProcProperty[] = L"vtrl.bench.proc";
// Added to the 100 records inventory_bench seeded, for the second measure.
constexpr int kMoreRecords = 900;
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

long long Now() {
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return counter.QuadPart;
}

// --- the started program ------------------------------------------------------------------

// Hook procedures get no context of their own; the watch is per process and single-threaded.
struct PaintWatch {
    bool created = false;
    bool painted = false;
    HWND main = nullptr;
};
PaintWatch watch;

void Emit(const char* what) {
    std::printf("%s %lld\n", what, Now());
    std::fflush(stdout);
}

// A timer message is only made when nothing else, paint included, is pending for the thread:
// its first arrival after the first paint marks the window as fully drawn.
void CALLBACK Settled(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    Emit("settled");
    PostMessageW(watch.main, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK WatchedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto original = reinterpret_cast<WNDPROC>(GetPropW(window, kProcProperty));
    const LRESULT result = CallWindowProcW(original, window, message, wParam, lParam);
    if (message == WM_PAINT && !watch.painted && IsWindowVisible(window)) {
        wchar_t title[64]{};
        GetWindowTextW(window, title, 64);
        if (services::ProductTitle() == title) {
            watch.painted = true;
            watch.main = window;
            Emit("paint");
            SetTimer(nullptr, 0, USER_TIMER_MINIMUM, &Settled);
        }
    } else if (message == WM_NCDESTROY) {
        RemovePropW(window, kProcProperty);
    }
    return result;
}

// Every top-level window is watched from its creation on, before its own procedure sees a
// message, so that no paint goes by unseen (the first comes synchronously from the show).
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
        if ((create->lpcs->style & WS_CHILD) == 0) {
            if (!watch.created) {
                watch.created = true;
                Emit("created");
            }
            const LONG_PTR original = GetWindowLongPtrW(window, GWLP_WNDPROC);
            SetPropW(window, kProcProperty, reinterpret_cast<HANDLE>(original));
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchedProc));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// As the program's own entry does, with the watch added.
int RunChild(bool openWindow) {
    const HHOOK hook = SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, GetCurrentThreadId());
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    {
        win32::ComApartment com;
        win32::Win32Platform platform;
        shell::RunEntry(platform.Get(), platform.Windows(), openWindow ? L"" : L"no-such-mode");
    }
    if (!openWindow) {
        Emit("ready");
    }
    UnhookWindowsHookEx(hook);
    return openWindow && !watch.painted ? 1 : 0;
}

// --- the measuring side -------------------------------------------------------------------

struct Start {
    bool ok = false;
    double createdMs = 0; // the first top-level window made (window starts only)
    double firstMs = 0;   // first paint, or the return of a start without a window
    double settleMs = 0;  // all drawn (window starts only)
    double exitMs = 0;    // the process has ended
};

Start StartChild(const std::wstring& self, const wchar_t* mode, double ticksPerMs) {
    Start start;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 1 << 16)) {
        return start;
    }
    win32::unique_kernel_handle reader(readEnd);
    win32::unique_kernel_handle writer(writeEnd);
    SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer.get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    std::wstring commandLine = L"\"" + self + L"\" " + mode;
    PROCESS_INFORMATION process{};
    const long long t0 = Now();
    if (!CreateProcessW(self.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return start;
    }
    win32::unique_kernel_handle child(process.hProcess);
    win32::unique_kernel_handle thread(process.hThread);
    writer.reset();
    const bool ended = WaitForSingleObject(child.get(), kChildTimeoutMs) == WAIT_OBJECT_0;
    start.exitMs = static_cast<double>(Now() - t0) / ticksPerMs;
    if (!ended) {
        std::fputs("a started program did not end in time\n", stderr);
        TerminateProcess(child.get(), 1);
        return start;
    }
    // Only what is there: a process the child started could still hold the pipe open.
    std::string output;
    DWORD available = 0;
    if (PeekNamedPipe(reader.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
        output.resize(available);
        DWORD read = 0;
        ReadFile(reader.get(), output.data(), available, &read, nullptr);
        output.resize(read);
    }
    long long mark = 0;
    const auto at = [&](const char* word) {
        const std::size_t found = output.find(word);
        return found != std::string::npos &&
               std::sscanf(output.c_str() + found + std::strlen(word), " %lld", &mark) == 1;
    };
    const bool window = std::wstring(mode) == kWindowMode;
    if (at(window ? "paint" : "ready")) {
        start.firstMs = static_cast<double>(mark - t0) / ticksPerMs;
        start.ok = true;
    }
    if (window) {
        start.ok = start.ok && at("created");
        start.createdMs = static_cast<double>(mark - t0) / ticksPerMs;
        start.ok = start.ok && at("settled");
        start.settleMs = static_cast<double>(mark - t0) / ticksPerMs;
    }
    return start;
}

// Run values of the same program with other arguments: each is a record of its own. Removed
// again afterwards (add false), so that the benches after this one see the 100 records.
bool SeedMoreRecords(bool add) {
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts = services::FrameworkStartup(platform);
    const std::wstring program = facts.SystemFolder + L"\\notepad.exe";
    bool ok = platform.registry.CreateKey(platform::Hive::CurrentUser, kRunKey);
    for (int n = 0; n < kMoreRecords; ++n) {
        const std::wstring name = L"Bench more " + std::to_wstring(n);
        const std::wstring command = L"\"" + program + L"\" /more " + std::to_wstring(n);
        ok = (add ? platform.registry.SetValue(platform::Hive::CurrentUser, kRunKey, name,
                                               {platform::kRegSz, services::EncodeRegSz(command)})
                  : platform.registry.DeleteValue(platform::Hive::CurrentUser, kRunKey, name)) &&
             ok;
    }
    return ok;
}

// The scan the window makes before its first paint (without the programs' version strings and
// size), alone in this process, read-only: the share of the first paint that is the scan's.
double ScanMs(int rounds) {
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts = services::FrameworkStartup(platform);
    const auto timings = bench::Alternate(rounds, {[&] {
                                              inventory::StartupInventory inventory;
                                              inventory::ScanStartupRecords(
                                                  platform, facts, inventory,
                                                  {.readOnly = true, .withFileFacts = false});
                                          }});
    return timings.Median(0);
}

int Measure(int rounds, int records) {
    wchar_t self[MAX_PATH]{};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    const double ticksPerMs = static_cast<double>(frequency.QuadPart) / 1000.0;

    StartChild(self, kWindowMode, ticksPerMs); // warm-up: the icon bitmaps are written once
    std::vector<double> created, paint, settle, windowExit, ready, plainExit, paintRatio,
        settleRatio;
    for (int round = 0; round < rounds; ++round) {
        const Start window = StartChild(self, kWindowMode, ticksPerMs);
        const Start plain = StartChild(self, kNoWindowMode, ticksPerMs);
        if (!window.ok || !plain.ok) {
            std::fputs("a start gave no time\n", stderr);
            return 1;
        }
        created.push_back(window.createdMs);
        paint.push_back(window.firstMs);
        settle.push_back(window.settleMs);
        windowExit.push_back(window.exitMs);
        ready.push_back(plain.firstMs);
        plainExit.push_back(plain.exitMs);
        // The two starts of a round ran back to back: their ratio is the fair one.
        paintRatio.push_back(window.firstMs / plain.firstMs);
        settleRatio.push_back(window.settleMs / plain.firstMs);
    }
    const double firstPaint = bench::MedianOf(paint);
    const double noWindow = bench::MedianOf(ready);
    std::printf("median of %d starts each, from CreateProcess:\n", rounds);
    std::printf("  manager window, %d records: window made %.1f ms (its loading follows: the "
                "scan, the rows in view, the list page)\n",
                records, bench::MedianOf(created));
    std::printf("  manager window, %d records: first paint %.1f ms, all drawn %.1f ms, "
                "process ended after closing %.1f ms\n",
                records, firstPaint, bench::MedianOf(settle), bench::MedianOf(windowExit));
    std::printf("  start without a window: dispatch returned %.1f ms, process ended %.1f ms\n",
                noWindow, bench::MedianOf(plainExit));
    std::printf("  the window's own cost to first paint: %.1f ms (ratio %.2f), of which the "
                "scan alone takes %.1f ms\n",
                firstPaint - noWindow, bench::MedianOf(paintRatio), ScanMs(rounds));
    std::printf("SUMMARY|manager first paint vs start, no window, %d records|%.1f ms|%.1f ms|"
                "%.2f\n",
                records, firstPaint, noWindow, bench::MedianOf(paintRatio));
    std::printf("SUMMARY|manager all drawn vs start, no window, %d records|%.1f ms|%.1f ms|"
                "%.2f\n",
                records, bench::MedianOf(settle), noWindow, bench::MedianOf(settleRatio));
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == kWindowMode || mode == kNoWindowMode) {
        return RunChild(mode == kWindowMode);
    }
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : kDefaultRounds;
    if (Measure(rounds, 100) != 0) {
        return 1;
    }
    if (!SeedMoreRecords(true)) {
        std::fputs("could not seed the further records\n", stderr);
        return 1;
    }
    const int result = Measure(rounds, 100 + kMoreRecords);
    SeedMoreRecords(false);
    return result;
}
