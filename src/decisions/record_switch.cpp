#include "decisions/record_switch.h"

#include "decisions/backup_log.h"
#include "inventory/windows_switch.h"
#include "inventory/windows_switch_place.h"

namespace vtrl::decisions {

StoreResult SwitchOffStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                   const inventory::StartupRecord& record) {
    if (!inventory::CanSwitchInWindows(record)) {
        return {StoreOutcome::NotRemovable};
    }
    const inventory::StartupPlace& switches = inventory::WindowsSwitches();
    const StoreResult logged = BackupAndLogRemoval(
        platform, dataFolder, inventory::kKindWindowsSwitch, switches.FullLocation(record),
        record.ExeFolder, record.ExeName, record.Arguments, record.CommandLine,
        [&] { return switches.Read(platform, record); });
    if (!logged) {
        return logged;
    }
    return {inventory::SetWindowsSwitch(platform, record, false) ? StoreOutcome::Stored
                                                                 : StoreOutcome::Failed};
}

StoreResult SwitchOnStartupRecord(platform::Platform& platform,
                                  const inventory::StartupRecord& record) {
    if (!inventory::CanSwitchInWindows(record)) {
        return {StoreOutcome::NotRemovable};
    }
    return {inventory::SetWindowsSwitch(platform, record, true) ? StoreOutcome::Stored
                                                                : StoreOutcome::Failed};
}

} // namespace vtrl::decisions
