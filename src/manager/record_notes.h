#pragma once
// The notes under the record page's facts: what the user should know about a record before
// deciding, one line each.

#include "inventory/startup_record.h"

#include <functional>
#include <string>

namespace vtrl::manager {

// Not found, the launcher beside the program, the hijack risk, a Startup file's opener and marks,
// a redirected Startup folder, the rights it needs, Windows' own switch: one line each, CR LF
// between them, the texts taken from the language file by key; empty when nothing is to be said.
std::wstring RecordNotes(const inventory::StartupRecord& record,
                         const std::function<std::wstring(const std::wstring&)>& text);

} // namespace vtrl::manager
