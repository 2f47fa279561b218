#include "inventory/windows_switch_place.h"

#include "inventory/registry_value_edit.h"
#include "inventory/startup_approved_value.h"

namespace vtrl::inventory {

void WindowsSwitchPlace::List(ScanContext& /*context*/, const PlaceSite& /*site*/) const {}

std::wstring WindowsSwitchPlace::FullLocation(const StartupRecord& record) const {
    return record.SwitchKey + L"\\" + record.EntryName;
}

bool WindowsSwitchPlace::CanRemove(const StartupRecord& /*record*/) const {
    return false;
}

std::optional<PlaceContent> WindowsSwitchPlace::Read(platform::Platform& platform,
                                                     const StartupRecord& record) const {
    if (record.SwitchKey.empty()) {
        return std::nullopt;
    }
    return ReadValueContent(platform.registry, record.SwitchKey, record.EntryName,
                            FullLocation(record));
}

bool WindowsSwitchPlace::Remove(platform::Platform& /*platform*/,
                                const StartupRecord& /*record*/) const {
    return false;
}

std::optional<std::wstring> WindowsSwitchPlace::EntryAt(platform::Locale& locale,
                                                        const PlaceSite& site,
                                                        const std::wstring& fullLocation) const {
    return RestAfter(locale, fullLocation, site.location);
}

bool WindowsSwitchPlace::WriteBack(platform::Platform& platform, const PlaceSite& site,
                                   const std::wstring& entry, const PlaceContent& content) const {
    return WriteValueContent(platform.registry, site.location, entry, content);
}

bool WindowsSwitchPlace::WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                                      const std::wstring& entry,
                                      const LoggedRecord& /*logged*/) const {
    return WriteNamedValue(platform.registry, site.location, entry,
                           {platform::kRegBinary, SwitchedOnValue()});
}

const StartupPlace& WindowsSwitches() {
    static const WindowsSwitchPlace place;
    return place;
}

} // namespace vtrl::inventory
