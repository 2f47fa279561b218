#pragma once
// How the check pass stops a restricted program's startup record: with Windows' own switch, as
// Task Manager does (nothing deleted), or by deleting it with a backup. A record Windows has no
// switch for is deleted either way.

#include "platform/platform.h"
#include "services/settings_keys.h"

#include <string>

namespace vtrl::monitor {

enum class RestrictionWay { SwitchOff, Delete };

// The stored way. With none stored yet it is chosen once and stored: "switch off" for a new
// profile, "delete" for one that already has a decision file, so that nothing changes under an
// existing user.
RestrictionWay LoadRestrictionWay(platform::Platform& platform, const std::wstring& dataFolder);
void SaveRestrictionWay(platform::Registry& registry, RestrictionWay way);

} // namespace vtrl::monitor
