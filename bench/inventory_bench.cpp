// Times the inventory scan against the least work that gives the same records: a loop making
// only the registry, shortcut, version and file calls for the same entries. Both run in one
// process on the same 100 entries (80 Run values, 20 Startup shortcuts), alternately, so the
// ratio says what the scan's own logic costs. Then the same for a whole check pass with every
// record approved (so it removes and starts nothing): against that loop plus one process list
// and one read of the decision file. The scan is timed twice: with the signature checks
// remembered in the data folder (every scan but the first after a program changes), and as a
// first scan that verifies and hashes each program, beside the loop plus those raw calls.
// Run it in a throw-away prefix (bench/run.sh).

#include "decisions/decision_database.h"
#include "inventory/inventory_scan.h"
#include "inventory/signature_cache.h"
#include "monitor/check_cycle.h"
#include "alternate.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "services/system_facts.h"

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace vtrl;

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

// The calls the records need and nothing else: each source listed (a key's subkeys too where the
// place lives in them), each value or shortcut read, and each program's (or Startup-folder
// file's) existence, version block and size.
std::size_t MinimalLoop(platform::Platform& platform, const inventory::ScanSources& sources) {
    std::size_t found = 0;
    const auto fileCalls = [&](const std::wstring& path) {
        if (platform.files.FileExists(path)) {
            platform.version.ReadVersionBlock(path);
            platform.files.FileSize(path);
            ++found;
        }
    };
    const auto valueCalls = [&](platform::Hive hive, const std::wstring& key,
                                const std::vector<std::wstring>& only) {
        const std::vector<std::wstring> names =
            only.empty()
                ? platform.registry.ListValueNames(hive, key).value_or(std::vector<std::wstring>())
                : only;
        for (const std::wstring& name : names) {
            const auto value = platform.registry.QueryValue(hive, key, name);
            if (value && value->type == platform::kRegSz) {
                const std::wstring text = services::DecodeRegSz(value->data);
                const std::size_t end = text.find(L'"', 1);
                fileCalls(text.substr(1, end == std::wstring::npos ? end : end - 1));
            }
        }
    };
    for (const inventory::PlaceSite& site : sources.places) {
        if (site.type->Kind() == inventory::kKindStartupFile) {
            // The folder's other files are programs themselves.
            for (const auto& entry : platform.files.ListFolder(site.location, L"*")) {
                if (!entry.name.ends_with(L".lnk")) {
                    fileCalls(site.location + L"\\" + entry.name);
                }
            }
            continue;
        }
        if (site.type->Watch() == inventory::WatchScope::Folder) {
            for (const auto& entry : platform.files.ListFolder(site.location, L"*.lnk")) {
                if (const auto link = platform.links.ReadLink(site.location + L"\\" + entry.name)) {
                    fileCalls(link->targetPath);
                }
            }
            continue;
        }
        const auto location = services::ParseRegistryLocation(site.location);
        if (!location) {
            continue;
        }
        if (site.type->Watch() == inventory::WatchScope::KeyValues) {
            valueCalls(location->hive, location->keyPath, site.values);
            continue;
        }
        for (const std::wstring& subkey :
             platform.registry.ListSubkeyNames(location->hive, location->keyPath)
                 .value_or(std::vector<std::wstring>())) {
            const std::wstring key = location->keyPath + L"\\" + subkey;
            valueCalls(location->hive, key, site.values);
            platform.registry.ListSubkeyNames(location->hive, key);
        }
    }
    return found;
}

void Report(const char* what, const char* besideName, const bench::Timings& timings) {
    const double measured = timings.Median(0);
    const double beside = timings.Median(1);
    const double ratio = timings.Ratio(0, 1);
    std::printf("median of %d rounds: %s %.2f ms, %s %.2f ms\n", kRounds, what, measured,
                besideName, beside);
    std::printf("ratio (median of the rounds' ratios): %.2f\n", ratio);
    std::printf("SUMMARY|%s vs %s, 100 records|%.2f ms|%.2f ms|%.2f\n", what, besideName, measured,
                beside, ratio);
}

// Approves every record of a scan in the decision file, so that a pass acts on none of them.
bool ApproveAll(platform::Platform& platform, const services::SystemFacts& facts,
                const inventory::ScanSources& sources) {
    inventory::StartupInventory inventory;
    inventory::ScanStartupRecords(platform, facts, inventory, {.readOnly = true}, sources);
    decisions::Decisions decisions;
    decisions::LoadDecisions(platform.files, platform.locale, facts.DataFolder, decisions);
    bool ok = inventory.LastRecordIndex >= 0;
    for (int index = 0; index <= inventory.LastRecordIndex; ++index) {
        const auto& record = inventory.Records[static_cast<std::size_t>(index)];
        ok = decisions::SaveDecision(platform, facts.DataFolder, decisions, record.ExeFolder,
                                     record.ExeName, record.Arguments, false, false,
                                     decisions::kStatusApproved) &&
             ok;
    }
    return ok;
}

// How many records of the pass's inventory its decision table approves.
int CountApproved(platform::Platform& platform, inventory::StartupInventory& inventory,
                  const decisions::Decisions& decisions) {
    int approved = 0;
    for (int index = 0; index <= inventory.LastRecordIndex; ++index) {
        auto& record = inventory.Records[static_cast<std::size_t>(index)];
        if (decisions::LookupDecision(platform.locale, decisions, record).Status ==
            decisions::kStatusApproved) {
            ++approved;
        }
    }
    return approved;
}

} // namespace

int wmain() {
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts = services::FrameworkStartup(platform);
    if (!Seed(platform, facts)) {
        std::fputs("could not seed the bench entries\n", stderr);
        return 1;
    }
    const inventory::ScanSources sources = inventory::DefaultScanSources(facts);

    int records = 0;
    std::size_t found = 0;
    const std::wstring cacheFile = inventory::SignatureCachePath(facts.DataFolder);
    // The programs' signatures remembered once, as the agent's first pass leaves them.
    {
        inventory::StartupInventory inventory;
        inventory::ScanStartupRecords(platform, facts, inventory, {}, sources);
    }
    const auto scan =
        bench::Alternate(kRounds, {[&] {
                                       inventory::StartupInventory inventory;
                                       inventory::ScanStartupRecords(platform, facts, inventory,
                                                                     {.readOnly = true}, sources);
                                       records = inventory.LastRecordIndex + 1;
                                   },
                                   [&] { found = MinimalLoop(platform, sources); }});
    std::printf("records: scan %d, minimal loop %zu\n", records, found);
    Report("scan, signatures cached", "minimal loop", scan);
    // Nothing remembered: every distinct program is verified and hashed again.
    const std::wstring program = facts.SystemFolder + L"\\notepad.exe";
    const auto first = bench::Alternate(kRounds, {[&] {
                                                      platform.files.Remove(cacheFile);
                                                      inventory::StartupInventory inventory;
                                                      inventory::ScanStartupRecords(
                                                          platform, facts, inventory, {}, sources);
                                                  },
                                                  [&] {
                                                      platform.files.Remove(cacheFile);
                                                      found = MinimalLoop(platform, sources);
                                                      platform.signatures.CheckTrust(program);
                                                      platform.signatures.Sha256(program);
                                                  }});
    Report("first scan, signatures checked", "minimal loop + trust check and hash", first);
    if (records != kRunValues + kShortcuts) {
        return 1;
    }

    // Should a record miss its approval, the pass must still start no reminder.
    services::SaveSetting(platform.registry, services::kAppKey, services::kSettingsSection,
                          services::kUnknownKey, L"NO");
    if (!ApproveAll(platform, facts, sources)) {
        std::fputs("could not approve the bench records\n", stderr);
        return 1;
    }
    const std::wstring decisionFile = decisions::DecisionFilePath(facts.DataFolder);
    std::size_t processes = 0;
    std::size_t decisionBytes = 0;
    // The agent keeps one inventory and one table across its passes; so does this loop.
    inventory::StartupInventory inventory;
    decisions::Decisions decisions;
    // The first pass ever stamps first-run times; that is no part of a usual pass.
    monitor::RunCheckCycle(platform, facts, inventory, decisions, sources);
    const auto pass = bench::Alternate(
        kRounds,
        {[&] { monitor::RunCheckCycle(platform, facts, inventory, decisions, sources); },
         [&] {
             found = MinimalLoop(platform, sources);
             processes = platform.processes.RunningProcesses()
                             .value_or(std::vector<platform::RunningProcess>())
                             .size();
             decisionBytes = platform.files.ReadAll(decisionFile).value_or(std::string()).size();
         },
         // The pass's own scan, as it runs it (not read-only: it may write the signature cache).
         [&] {
             inventory::StartupInventory scanned;
             inventory::ScanStartupRecords(platform, facts, scanned, {}, sources);
         }});
    const int approved = CountApproved(platform, inventory, decisions);
    std::printf("check pass: %d of %d records approved; minimal loop %zu records, %zu processes, "
                "%zu bytes of decisions\n",
                approved, records, found, processes, decisionBytes);
    Report("check pass", "minimal loop", pass);
    std::printf("of the pass, its own scan: %.2f ms (ratio to the pass %.2f)\n", pass.Median(2),
                pass.Ratio(2, 0));
    std::printf("SUMMARY|  its own scan vs minimal loop|%.2f ms|%.2f ms|%.2f\n", pass.Median(2),
                pass.Median(1), pass.Ratio(2, 1));
    return approved == records ? 0 : 1;
}
