#pragma once
// Which files of a Startup folder Windows starts at logon, and which program opens each.

#include "platform/files.h"
#include "platform/launcher.h"
#include "platform/locale.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::inventory {

// The folder's view settings, never started.
inline constexpr wchar_t kFolderSettingsFile[] = L"desktop.ini";

struct StartupItem {
    std::wstring name; // file name only
    bool hidden = false;
    bool system = false;
};

// Every file of the listing in its order, hidden and system ones too; folders and
// "desktop.ini" (in any letter case) are left out.
std::vector<StartupItem> StartupItems(platform::Locale& locale,
                                      const std::vector<platform::FolderEntry>& entries);

// True for a name ending in ".lnk", in any letter case.
bool IsShortcutName(platform::Locale& locale, const std::wstring& name);

// The program that opens the file at path when the shell opens it: the file itself for a program
// Windows runs directly (".exe", ".com", ".scr", or an association that names the file), the
// command processor in the system folder for a batch script, otherwise the program of the
// shell's association. Empty when nothing is registered to open it.
std::wstring OpenerOf(platform::Locale& locale, platform::Launcher& launcher,
                      const std::wstring& systemFolder, const std::wstring& path);

// OpenerOf for the files of one folder, asking the shell once per file type: a folder may hold
// thousands of files of a few types.
class Openers {
public:
    Openers(platform::Locale& locale, platform::Launcher& launcher, std::wstring systemFolder)
        : locale_(locale), launcher_(launcher), systemFolder_(std::move(systemFolder)) {}
    std::wstring Of(const std::wstring& path);

private:
    platform::Locale& locale_;
    platform::Launcher& launcher_;
    std::wstring systemFolder_;
    std::map<std::wstring, std::optional<std::wstring>> associations_; // by extension
};

} // namespace vtrl::inventory
