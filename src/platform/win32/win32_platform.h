#pragma once
// The real Windows implementations of every platform interface, owned together.

#include "platform/platform.h"
#include "platform/win32/win32_change_watch.h"
#include "platform/win32/win32_clipboard.h"
#include "platform/win32/win32_data_lock.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_signature.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_http.h"
#include "platform/win32/win32_icons.h"
#include "platform/win32/win32_ini_file.h"
#include "platform/win32/win32_launcher.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_locale.h"
#include "platform/win32/win32_processes.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell_link.h"
#include "platform/win32/win32_sound.h"
#include "platform/win32/win32_version_info.h"
#include "platform/win32/win32_window_system.h"

namespace vtrl::win32 {

class Win32Platform {
public:
    platform::Platform& Get() { return platform_; }
    // Kept apart from the platform: only the entry and the forms it loads use it.
    Win32WindowSystem& Windows() { return windows_; }

private:
    Win32Registry registry_;
    Win32FileSystem files_;
    Win32Folders folders_;
    Win32ShellLinks links_;
    Win32Locale locale_;
    Win32VersionInfo version_;
    Win32Clock clock_;
    Win32Processes processes_;
    Win32IniFiles ini_;
    Win32MessageBoxes messages_;
    Win32Launcher launcher_;
    Win32Http http_;
    Win32Icons icons_;
    Win32Sound sound_;
    Win32Desktop desktop_;
    Win32WindowSystem windows_;
    Win32ChangeWatch changes_{windows_};
    Win32DataLocks locks_;
    Win32Environment environment_;
    Win32FileSignatures signatures_;
    Win32Clipboard clipboard_;
    platform::Platform platform_{registry_, files_, folders_,     links_,      locale_,
                                 version_,  clock_, processes_,   ini_,        messages_,
                                 launcher_, http_,  icons_,       sound_,      desktop_,
                                 changes_,  locks_, environment_, signatures_, clipboard_};
};

} // namespace vtrl::win32
