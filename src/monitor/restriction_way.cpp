#include "monitor/restriction_way.h"

#include "decisions/decision_database.h"
#include "monitor/check_cycle.h"
#include "services/settings_store.h"

namespace vtrl::monitor {

RestrictionWay LoadRestrictionWay(platform::Platform& platform, const std::wstring& dataFolder) {
    const std::wstring stored = services::GetSetting(
        platform.registry, services::kAppKey, services::kSettingsSection, services::kRestrictByKey);
    if (!stored.empty()) {
        return stored == services::kRestrictBySwitch ? RestrictionWay::SwitchOff
                                                     : RestrictionWay::Delete;
    }
    // A decision file that exists, readable or not, is a profile that already decided: clearing
    // the lists deletes the file.
    const RestrictionWay way = platform.files.FileExists(decisions::DecisionFilePath(dataFolder))
                                   ? RestrictionWay::Delete
                                   : RestrictionWay::SwitchOff;
    SaveRestrictionWay(platform.registry, way);
    return way;
}

void SaveRestrictionWay(platform::Registry& registry, RestrictionWay way) {
    services::SaveSetting(registry, services::kAppKey, services::kSettingsSection,
                          services::kRestrictByKey,
                          way == RestrictionWay::SwitchOff ? services::kRestrictBySwitch
                                                           : services::kRestrictByDelete);
}

} // namespace vtrl::monitor
