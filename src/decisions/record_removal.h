#pragma once
// Removing one startup record as a single operation, shared by the check cycle and the manager
// window.

#include "decisions/data_file.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <string>

namespace vtrl::decisions {

// The record's place as its type names it: the key path and value name, the folder and shortcut
// file, ...
std::wstring FullLocationOf(const inventory::StartupRecord& record);

// Writes the record's backup entry, with the exact copy of its place read under the same writer's
// turn (record_copy.h), then has the record's place type take it out: a Run value (only that
// value, also a key's unnamed default value), a shortcut file (a read-only one too), ... The backup
// comes first so that a crash in between never loses the record; when it cannot be written (Busy
// when another writer kept the log too long) nothing is deleted. A record whose name cannot be
// addressed exactly gets NotRemovable, with no backup and no deletion. A record whose place the
// log's lines cannot write back (a Startup-folder file other than a shortcut) is only logged and
// deleted with its exact copy, and gets Failed without one. Stored when the record is gone
// afterwards, also when it was already gone.
StoreResult RemoveStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                const inventory::StartupRecord& record);

} // namespace vtrl::decisions
