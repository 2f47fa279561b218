#include "inventory/windows_switch.h"

#include "inventory/registry_value_edit.h"
#include "services/registry_access.h"

namespace vtrl::inventory {

bool CanSwitchInWindows(const StartupRecord& record) {
    return !record.SwitchKey.empty() && !record.EntryName.empty() &&
           record.EntryName.find(L'\0') == std::wstring::npos;
}

ApprovedState ReadWindowsSwitch(platform::Registry& registry, const StartupRecord& record) {
    if (!CanSwitchInWindows(record)) {
        return {};
    }
    const auto location = services::ParseRegistryLocation(record.SwitchKey);
    if (!location) {
        return {};
    }
    const auto value = registry.QueryValue(location->hive, location->keyPath, record.EntryName);
    return value ? ParseApprovedValue(value->data) : ApprovedState{};
}

void FillWindowsSwitch(platform::Platform& platform, StartupRecord& record) {
    const ApprovedState state = ReadWindowsSwitch(platform.registry, record);
    record.EnabledInWindows = state.enabled;
    record.DisabledSince = state.disabledSince;
    record.DisabledSinceText.clear();
    if (state.disabledSince != 0) {
        if (const auto local = platform.clock.LocalOfUtc(UtcOfFileTime(state.disabledSince))) {
            record.DisabledSinceText = platform.locale.FormatDateTime(*local);
        }
    }
}

bool SetWindowsSwitch(platform::Platform& platform, const StartupRecord& record, bool on) {
    if (!CanSwitchInWindows(record)) {
        return false;
    }
    const auto data =
        on ? SwitchedOnValue() : SwitchedOffValue(FileTimeOfUtc(platform.clock.UtcNow()));
    return WriteNamedValue(platform, record.SwitchKey, record.EntryName,
                           {platform::kRegBinary, data});
}

} // namespace vtrl::inventory
