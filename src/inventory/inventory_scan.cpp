#include "inventory/inventory_scan.h"

#include "inventory/command_resolution.h"
#include "inventory/running_programs.h"
#include "inventory/signature_cache.h"
#include "inventory/windows_switch.h"
#include "services/date_time.h"
#include "services/error_log.h"
#include "services/icon_bitmap.h"
#include "services/settings_keys.h"
#include "services/settings_store.h"

#include <algorithm>

namespace vtrl::inventory {

namespace {

constexpr wchar_t kFirstRunDone[] = L"WAS";

void StampFirstRun(platform::Platform& platform, const StartupInventory& inventory) {
    if (!services::GetSetting(platform.registry, services::kAppKey, services::kDataSection,
                              services::kFirstRunKey)
             .empty()) {
        return;
    }
    services::SaveSetting(platform.registry, services::kAppKey, services::kDataSection,
                          services::kFirstRunKey, kFirstRunDone);
    const std::wstring now = services::NowText(platform.clock, platform.locale);
    for (int index = 0; index <= inventory.LastRecordIndex; ++index) {
        services::SaveSetting(platform.registry, services::kAppKey, services::kRemindSection,
                              inventory.Records[static_cast<std::size_t>(index)].ExeName, now);
    }
}

// The icon cache the manager window shows its rows from, under the lower-case name.
void SaveRecordIcon(ScanContext& context, const StartupRecord& record) {
    const bool traced = !context.options.readOnly;
    if (traced) {
        services::TraceStep(context.platform.files, context.platform.locale, context.facts,
                            services::kStepExtractFileIcon);
    }
    services::SaveIconBitmap(
        context.platform.files, context.platform.icons, context.facts.DataFolder,
        record.ProgramPath.empty() ? record.ExeFolder + L"\\" + record.ExeName : record.ProgramPath,
        services::kIconBitmapSize, record.ExeName);
    if (traced) {
        services::TraceStep(context.platform.files, context.platform.locale, context.facts, L"");
    }
}

} // namespace

void AddResolvedRecord(ScanContext& context, StartupRecord record,
                       const ResolvedCommand& resolved) {
    platform::Locale& locale = context.platform.locale;
    record.Found = resolved.Found;
    record.ViaRundll = resolved.ViaRundll;
    record.HijackRisk = resolved.HijackRisk;
    record.Launcher = resolved.Launcher;
    record.Arguments = resolved.Arguments;
    if (resolved.Found) {
        record.ProgramPath = resolved.Program;
        FileFacts file = context.options.withFileFacts
                             ? GatherFileFacts(context.platform, resolved.Program)
                             : NameFileFacts(locale, resolved.Program);
        record.ExeFolder = std::move(file.Folder);
        record.ExeName = std::move(file.FileName);
        record.Company = std::move(file.Company);
        record.Description = std::move(file.Description);
        record.FileSize = file.Size;
    } else {
        record.ExeFolder = locale.ToUpper(ParentFolder(resolved.Program));
        record.ExeName = LastPathComponent(resolved.Program);
    }
    const ProgramKey own{locale.ToLower(record.ExeFolder), locale.ToLower(record.ExeName),
                         record.Arguments};
    if (record.LegacyKey == own) {
        record.LegacyKey = {};
    }
    AddRecord(context, std::move(record));
}

void ClearRecords(StartupInventory& inventory) {
    for (StartupRecord& record : inventory.Records) {
        record.InUse = false;
    }
}

void ExpectRecords(ScanContext& context, std::size_t count) {
    auto& records = context.inventory.Records;
    const std::size_t wanted = context.nextSlot + count;
    if (wanted > records.capacity()) {
        records.reserve(std::max(wanted, records.capacity() * 2));
    }
}

void AddRecord(ScanContext& context, StartupRecord record) {
    auto& records = context.inventory.Records;
    std::size_t slot = context.nextSlot;
    while (slot < records.size() && records[slot].InUse) {
        ++slot;
    }
    if (slot == records.size()) {
        records.emplace_back();
    }
    context.nextSlot = slot + 1;
    record.InUse = true;
    record.NeedsAdministrator =
        context.site != nullptr && context.site->machineWide && !context.facts.IsAdmin;
    if (context.site != nullptr) {
        record.SwitchKey = context.site->switchKey;
    }
    FillWindowsSwitch(context.platform, context.switches, record);
    record.ExeName = context.platform.locale.ToLower(record.ExeName);
    if (!context.running) {
        context.running.emplace(context.platform.locale, context.processes);
    }
    record.IsRunning = context.running->IsRunning(context.platform.locale,
                                                  record.ExeFolder + L"\\" + record.ExeName);
    records[slot] = std::move(record);
    if (context.options.withIcons && records[slot].Found) {
        SaveRecordIcon(context, records[slot]);
    }
}

int ComputeLastRecordIndex(const StartupInventory& inventory) {
    int last = -1;
    for (std::size_t index = 0; index < inventory.Records.size(); ++index) {
        if (inventory.Records[index].InUse) {
            last = static_cast<int>(index);
        }
    }
    return last;
}

ScanOutcome ScanStartupRecords(platform::Platform& platform, const services::SystemFacts& facts,
                               StartupInventory& inventory, const ScanOptions& options) {
    return ScanStartupRecords(platform, facts, inventory, options, DefaultScanSources(facts));
}

ScanOutcome ScanStartupRecords(platform::Platform& platform, const services::SystemFacts& facts,
                               StartupInventory& inventory, const ScanOptions& options,
                               const ScanSources& sources) {
    ClearRecords(inventory);
    ScanContext context{platform,
                        facts,
                        inventory,
                        options,
                        ListRunningProcesses(platform.processes),
                        CommandResolver(platform, facts.SystemFolder, facts.WindowsFolder)};
    for (const PlaceSite& site : sources.places) {
        context.site = &site;
        site.type->List(context, site);
    }
    inventory.LastRecordIndex = ComputeLastRecordIndex(inventory);
    inventory.Processes = std::move(context.processes);
    CheckSignatures(platform, facts.DataFolder, inventory, !options.readOnly);
    if (inventory.LastRecordIndex < 0) {
        return ScanOutcome::NoRecords;
    }
    if (!options.readOnly) {
        StampFirstRun(platform, inventory);
    }
    return ScanOutcome::Records;
}

} // namespace vtrl::inventory
