#pragma once
// The key under which scans before the exact resolution stored a record's decision: folder
// tokens replaced with the whole command lower-cased, the arguments split by the old rules, and
// a launcher other than rundll32 kept as the program with all its arguments.

#include "inventory/command_resolver.h"
#include "inventory/startup_record.h"
#include "services/system_facts.h"

namespace vtrl::inventory {

// For a Run value's command as stored.
ProgramKey LegacyRunValueKey(platform::Locale& locale, const services::SystemFacts& facts,
                             const std::wstring& command, const ResolvedCommand& resolved);

// For a shortcut's target and arguments as read.
ProgramKey LegacyShortcutKey(platform::Locale& locale, const services::SystemFacts& facts,
                             const std::wstring& target, const std::wstring& arguments,
                             const ResolvedCommand& resolved);

} // namespace vtrl::inventory
