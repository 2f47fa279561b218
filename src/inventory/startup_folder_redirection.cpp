#include "inventory/startup_folder_redirection.h"

#include "services/registry_access.h"

namespace vtrl::inventory {

namespace {

constexpr wchar_t kUserShellFolders[] =
    L"\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::wstring WithoutTrailingBackslashes(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

} // namespace

StartupFolderSetting UserStartupSetting() {
    return {std::wstring(L"HKEY_CURRENT_USER\\Software") + kUserShellFolders, L"Startup",
            L"%USERPROFILE%\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"};
}

StartupFolderSetting CommonStartupSetting() {
    return {std::wstring(L"HKEY_LOCAL_MACHINE\\SOFTWARE") + kUserShellFolders, L"Common Startup",
            L"%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"};
}

std::optional<StartupFolderSetting> StartupSettingAt(platform::Locale& locale,
                                                     const std::wstring& keyText,
                                                     const std::wstring& valueName) {
    for (const StartupFolderSetting& setting : {UserStartupSetting(), CommonStartupSetting()}) {
        if (locale.ToLower(setting.keyText) == locale.ToLower(keyText) &&
            locale.ToLower(setting.valueName) == locale.ToLower(valueName)) {
            return setting;
        }
    }
    return std::nullopt;
}

std::optional<FolderRedirection> FindRedirection(platform::Platform& platform,
                                                 const StartupFolderSetting& setting) {
    const auto location = services::ParseRegistryLocation(setting.keyText);
    if (!location) {
        return std::nullopt;
    }
    const auto value =
        platform.registry.QueryValue(location->hive, location->keyPath, setting.valueName);
    if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
        return std::nullopt;
    }
    FolderRedirection redirection{value->type, services::DecodeRegSz(value->data), {}};
    redirection.folder =
        WithoutTrailingBackslashes(platform.environment.Expand(redirection.stored));
    const std::wstring standard =
        WithoutTrailingBackslashes(platform.environment.Expand(setting.defaultText));
    if (platform.locale.ToLower(redirection.folder) == platform.locale.ToLower(standard)) {
        return std::nullopt;
    }
    return redirection;
}

platform::RegistryValue DefaultValueOf(const StartupFolderSetting& setting) {
    return {platform::kRegExpandSz, services::EncodeRegSz(setting.defaultText)};
}

} // namespace vtrl::inventory
