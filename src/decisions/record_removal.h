#pragma once
// Removing one startup record as a single operation, shared by the check cycle and the manager
// window.

#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <string>

namespace vtrl::decisions {

// Location + "\" + EntryName: the key path and value name, or the folder and shortcut file.
std::wstring FullLocationOf(const inventory::StartupRecord& record);

// Writes the record's backup entry, then deletes the registry value (only that value, also for a
// key's unnamed default value) or the shortcut file. The backup comes first so that a crash in
// between never loses the record; when it cannot be written nothing is deleted. True when the
// record is gone afterwards, also when it was already gone.
bool RemoveStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                         const inventory::StartupRecord& record);

} // namespace vtrl::decisions
