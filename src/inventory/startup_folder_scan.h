#pragma once
// Records from the files of one Startup folder, and from a redirection of the folder itself.

#include "inventory/inventory_scan.h"
#include "inventory/startup_folder_redirection.h"
#include "platform/shell_link.h"

#include <string>

namespace vtrl::inventory {

// The program's own shortcut, through which the tray agent starts; compared case-sensitively.
inline constexpr wchar_t kOwnStartupShortcut[] = L"Vantorel.lnk";

// The shortcut's target path, "^", its arguments; empty when the shortcut cannot be read.
std::wstring ReadShortcut(platform::ShellLinks& links, const std::wstring& linkPath);

// Adds a record for each ".lnk" file of the folder with its hidden and system marks: a
// "SHORTCUT" record for one that can be read, whether its target is found or not, and a
// "STARTUPFILE" record (as below) for one that cannot. The folder becomes each record's Location.
void ScanStartupFolder(ScanContext& context, const std::wstring& folder);

// Adds a "STARTUPFILE" record, naming the file and its opener, for every other file of the
// folder Windows starts (StartupItems), with its hidden and system marks.
void ScanStartupFolderFiles(ScanContext& context, const std::wstring& folder);

// Adds a "REDIRECTION" record when the setting points the Startup folder away from its default:
// Location and EntryName name the value, CommandLine holds its text, ExeFolder and ExeName the
// folder it names.
void ScanFolderRedirection(ScanContext& context, const StartupFolderSetting& setting);

} // namespace vtrl::inventory
