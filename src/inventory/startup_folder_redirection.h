#pragma once
// Where "User Shell Folders" says the two Startup folders are, and whether one points away from
// its default: such a redirection decides which folder Windows starts programs from, so it is a
// startup record of its own.

#include "platform/platform.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::inventory {

struct StartupFolderSetting {
    std::wstring keyText;     // "HKEY_...\...\User Shell Folders", as records name it
    std::wstring valueName;   // "Startup" or "Common Startup"
    std::wstring defaultText; // the value Windows ships, variables unexpanded
};

// The user's Startup folder (HKEY_CURRENT_USER) and the all-users one (HKEY_LOCAL_MACHINE).
StartupFolderSetting UserStartupSetting();
StartupFolderSetting CommonStartupSetting();
// The setting a record or backup entry names by its key text and value name (compared as
// Windows compares them); nullopt for any other value.
std::optional<StartupFolderSetting> StartupSettingAt(platform::Locale& locale,
                                                     const std::wstring& keyText,
                                                     const std::wstring& valueName);

struct FolderRedirection {
    std::uint32_t valueType = 0; // REG_EXPAND_SZ or REG_SZ
    std::wstring stored;         // the value's text as stored
    std::wstring folder;         // expanded, without a trailing backslash
};

// The value when it names another folder than the default (both expanded, compared without
// regard to case or a trailing backslash); nullopt when it is missing, is not text, or names the
// default folder.
std::optional<FolderRedirection> FindRedirection(platform::Platform& platform,
                                                 const StartupFolderSetting& setting);

// The default as Windows writes it: a REG_EXPAND_SZ value.
platform::RegistryValue DefaultValueOf(const StartupFolderSetting& setting);

} // namespace vtrl::inventory
