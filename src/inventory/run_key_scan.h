#pragma once
// Records from the values directly under one Run-type registry key.

#include "inventory/inventory_scan.h"
#include "platform/locale.h"

#include <string>
#include <vector>

namespace vtrl::inventory {

struct CommandParts {
    std::wstring executable;
    std::wstring arguments;
};

// Splits a stored command the way Run values were read before the exact resolution (decisions
// stored then are keyed by it). A leading double quote:
// the executable is the text between the first two quotes and the arguments the text between the
// second and third, less its first character. Otherwise: blank-separated pieces belong to the
// executable up to and including the first one holding ".exe" or ".dll", the rest to the
// arguments; runs of blanks are kept.
CommandParts SplitRunCommand(platform::Locale& locale, const std::wstring& command);

// Adds a record of the kind for each text value (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), whether
// its program is found or not; numbers and bytes add none. The key path is a full location
// ("HKEY_CURRENT_USER\...") and becomes each record's Location. With `only`, just the values of
// those names (compared ignoring case) are looked at.
void ScanRunKey(ScanContext& context, const std::wstring& keyPath,
                const wchar_t* kind = kKindRegistry, const std::vector<std::wstring>& only = {});

} // namespace vtrl::inventory
