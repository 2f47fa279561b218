#pragma once
// Removing one startup record as a single operation, shared by the check cycle and the manager
// window.

#include "decisions/data_file.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <string>

namespace vtrl::decisions {

// Location + "\" + EntryName: the key path and value name, or the folder and shortcut file.
std::wstring FullLocationOf(const inventory::StartupRecord& record);

// Writes the record's backup entry, with the exact copy of its value or Startup-folder file read
// under the same writer's turn (record_copy.h), then deletes the registry value (only that value,
// also for a key's unnamed default value) or the file (a read-only, hidden or system one too), or
// sets a redirected Startup folder's value back to its default. A Startup-folder file other than a
// shortcut is deleted only when its exact copy was kept (TooLarge when it is over the copy's
// limit, Failed when it could not be read). The backup comes
// first so that a crash in between never loses the record; when it cannot be written (Busy when
// another writer kept the log too long) nothing is deleted. A record whose name cannot be addressed
// exactly gets NotRemovable, with no backup and no deletion. Stored when the record is gone
// afterwards, also when it was already gone.
StoreResult RemoveStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                const inventory::StartupRecord& record);

} // namespace vtrl::decisions
