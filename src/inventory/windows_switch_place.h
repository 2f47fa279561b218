#pragma once
// The place type of Windows' own switches ("WINSWITCH"): the values of the "StartupApproved" keys.
// It lists no records (a switch belongs to the record of another place, read with it, see
// windows_switch.h); it is a place so that a switch-off is logged, kept exactly and undone like a
// removal, and so that the agent watches the keys.

#include "inventory/startup_place.h"

namespace vtrl::inventory {

class WindowsSwitchPlace final : public StartupPlace {
public:
    std::wstring_view Kind() const override { return kKindWindowsSwitch; }
    WatchScope Watch() const override { return WatchScope::KeyValues; }
    void List(ScanContext& context, const PlaceSite& site) const override;
    // The switch value of the record: its switch key, "\", its entry's name.
    std::wstring FullLocation(const StartupRecord& record) const override;
    // Never: a switch is set, not removed (windows_switch.h).
    bool CanRemove(const StartupRecord& record) const override;
    // The record's switch value as it is now.
    std::optional<PlaceContent> Read(platform::Platform& platform,
                                     const StartupRecord& record) const override;
    bool Remove(platform::Platform& platform, const StartupRecord& record) const override;
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    // The value as it was before the switch-off.
    bool WriteBack(platform::Platform& platform, const PlaceSite& site, const std::wstring& entry,
                   const PlaceContent& content) const override;
    // Switched on, as Task Manager writes it.
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;
};

const StartupPlace& WindowsSwitches();

} // namespace vtrl::inventory
