#pragma once
// Records from the shell shortcuts of one Startup folder.

#include "inventory/inventory_scan.h"
#include "platform/shell_link.h"

#include <string>

namespace vtrl::inventory {

// The program's own shortcut, through which the tray agent starts; compared case-sensitively.
inline constexpr wchar_t kOwnStartupShortcut[] = L"Vantorel.lnk";

// The shortcut's target path, "^", its arguments; empty when the shortcut cannot be read.
std::wstring ReadShortcut(platform::ShellLinks& links, const std::wstring& linkPath);

// Adds a "SHORTCUT" record for each listed ".lnk" file (ordinary, read-only or archive; never
// hidden or system) that can be read, whether its target is found or not. The folder becomes
// each record's Location.
void ScanStartupFolder(ScanContext& context, const std::wstring& folder);

} // namespace vtrl::inventory
