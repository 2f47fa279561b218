#pragma once
// Switching a startup record off and on with Windows' own switch, as Task Manager does, shared by
// the record page and the check cycle. Nothing is deleted: the entry stays where it is and
// Windows skips it at logon.

#include "decisions/data_file.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <string>

namespace vtrl::decisions {

// Logs the switch-off like a removal (kind "WINSWITCH", the switch value as full location, the
// value as it was kept as the exact copy), so that the undo page can switch it on again, then
// writes the switched-off value. Nothing is written when the log cannot be (Busy, Failed);
// NotRemovable for a record Windows has no switch for. Stored when the record is off afterwards.
StoreResult SwitchOffStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                   const inventory::StartupRecord& record);

// Writes the switched-on value; nothing is logged, since it gives back what a switch-off took.
StoreResult SwitchOnStartupRecord(platform::Platform& platform,
                                  const inventory::StartupRecord& record);

} // namespace vtrl::decisions
