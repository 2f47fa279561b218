// Times the inventory scan against the least work that gives the same records: a loop making
// only the registry, shortcut, version and file calls for the same entries. Both run in one
// process on the same 100 entries (80 Run values, 20 Startup shortcuts), alternately, so the
// ratio says what the scan's own logic costs. Run it in a throw-away prefix (bench/run.sh).

#include "inventory/inventory_scan.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/registry_access.h"
#include "services/system_facts.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace vtrl;
using Clock = std::chrono::steady_clock;

constexpr int kRunValues = 80;
constexpr int kShortcuts = 20;
constexpr int kRounds = 15;
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Numbered(const wchar_t* stem, int n) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%ls%03d", stem, n);
    return text;
}

bool Seed(platform::Platform& platform, const services::SystemFacts& facts) {
    const std::wstring program = facts.SystemFolder + L"\\notepad.exe";
    bool ok = platform.registry.CreateKey(platform::Hive::CurrentUser, kRunKey);
    for (int n = 0; n < kRunValues; ++n) {
        const std::wstring command = L"\"" + program + L"\" /n " + std::to_wstring(n);
        ok =
            platform.registry.SetValue(platform::Hive::CurrentUser, kRunKey, Numbered(L"Bench ", n),
                                       {platform::kRegSz, services::EncodeRegSz(command)}) &&
            ok;
    }
    for (int n = 0; n < kShortcuts; ++n) {
        ok = platform.links.CreateLink(
                 {facts.StartupFolder + L"\\" + Numbered(L"Bench ", n) + L".lnk", program, L"",
                  facts.SystemFolder, L"/s " + std::to_wstring(n), L""}) &&
             ok;
    }
    return ok;
}

// The calls the records need and nothing else: each source listed, each value or shortcut
// read, and each program's existence, version block and size.
std::size_t MinimalLoop(platform::Platform& platform, const inventory::ScanSources& sources) {
    std::size_t found = 0;
    const auto fileCalls = [&](const std::wstring& path) {
        if (platform.files.FileExists(path)) {
            platform.version.ReadVersionBlock(path);
            platform.files.FileSize(path);
            ++found;
        }
    };
    for (const std::wstring& key : sources.runKeys) {
        const auto location = services::ParseRegistryLocation(key);
        if (!location) {
            continue;
        }
        const auto names = platform.registry.ListValueNames(location->hive, location->keyPath);
        for (const std::wstring& name : names.value_or(std::vector<std::wstring>())) {
            const auto value =
                platform.registry.QueryValue(location->hive, location->keyPath, name);
            if (value && value->type == platform::kRegSz) {
                const std::wstring text = services::DecodeRegSz(value->data);
                const std::size_t end = text.find(L'"', 1);
                fileCalls(text.substr(1, end == std::wstring::npos ? end : end - 1));
            }
        }
    }
    for (const std::wstring& folder : sources.startupFolders) {
        for (const auto& entry : platform.files.ListFolder(folder, L"*.lnk")) {
            if (const auto link = platform.links.ReadLink(folder + L"\\" + entry.name)) {
                fileCalls(link->targetPath);
            }
        }
    }
    return found;
}

double Median(std::vector<double> samples) {
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int wmain() {
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts =
        services::FrameworkStartup(platform, {.createDataFolder = false});
    if (!Seed(platform, facts)) {
        std::fputs("could not seed the bench entries\n", stderr);
        return 1;
    }
    const inventory::ScanSources sources = inventory::DefaultScanSources(facts);

    std::vector<double> scanTimes;
    std::vector<double> loopTimes;
    int records = 0;
    std::size_t found = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto scanStart = Clock::now();
        inventory::StartupInventory inventory;
        inventory::ScanStartupRecords(platform, facts, inventory, {.readOnly = true}, sources);
        const auto scanEnd = Clock::now();
        found = MinimalLoop(platform, sources);
        const auto loopEnd = Clock::now();
        records = inventory.LastRecordIndex + 1;
        scanTimes.push_back(std::chrono::duration<double, std::milli>(scanEnd - scanStart).count());
        loopTimes.push_back(std::chrono::duration<double, std::milli>(loopEnd - scanEnd).count());
    }
    const double scan = Median(scanTimes);
    const double loop = Median(loopTimes);
    std::printf("records: scan %d, minimal loop %zu\n", records, found);
    std::printf("median of %d rounds: scan %.2f ms, minimal loop %.2f ms\n", kRounds, scan, loop);
    std::printf("ratio: %.2f\n", scan / loop);
    return records == kRunValues + kShortcuts ? 0 : 1;
}
