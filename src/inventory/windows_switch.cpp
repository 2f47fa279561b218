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

ApprovedState WindowsSwitchReader::Read(platform::Platform& platform, const StartupRecord& record) {
    if (!CanSwitchInWindows(record)) {
        return {};
    }
    auto key = keys_.find(record.SwitchKey);
    if (key == keys_.end()) {
        std::map<std::wstring, std::vector<std::uint8_t>> values;
        const auto location = services::ParseRegistryLocation(record.SwitchKey);
        if (location) {
            for (auto& [name, value] :
                 platform.registry.ListValues(location->hive, location->keyPath)
                     .value_or(std::vector<platform::NamedRegistryValue>{})) {
                // Value names ignore case, as Windows compares them.
                values.emplace(platform.locale.ToUpper(name), std::move(value.data));
            }
        }
        key = keys_.emplace(record.SwitchKey, std::move(values)).first;
    }
    const auto value = key->second.find(platform.locale.ToUpper(record.EntryName));
    return value != key->second.end() ? ParseApprovedValue(value->second) : ApprovedState{};
}

namespace {

void ShowWindowsSwitch(platform::Platform& platform, const ApprovedState& state,
                       StartupRecord& record) {
    record.EnabledInWindows = state.enabled;
    record.DisabledSince = state.disabledSince;
    record.DisabledSinceText.clear();
    if (state.disabledSince != 0) {
        if (const auto local = platform.clock.LocalOfUtc(UtcOfFileTime(state.disabledSince))) {
            record.DisabledSinceText = platform.locale.FormatDateTime(*local);
        }
    }
}

} // namespace

void FillWindowsSwitch(platform::Platform& platform, StartupRecord& record) {
    ShowWindowsSwitch(platform, ReadWindowsSwitch(platform.registry, record), record);
}

void FillWindowsSwitch(platform::Platform& platform, WindowsSwitchReader& reader,
                       StartupRecord& record) {
    ShowWindowsSwitch(platform, reader.Read(platform, record), record);
}

bool SetWindowsSwitch(platform::Platform& platform, const StartupRecord& record, bool on) {
    if (!CanSwitchInWindows(record)) {
        return false;
    }
    const auto data =
        on ? SwitchedOnValue() : SwitchedOffValue(FileTimeOfUtc(platform.clock.UtcNow()));
    return WriteNamedValue(platform.registry, record.SwitchKey, record.EntryName,
                           {platform::kRegBinary, data});
}

} // namespace vtrl::inventory
