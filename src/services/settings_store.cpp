#include "services/settings_store.h"

#include "services/registry_access.h"

namespace vtrl::services {

std::wstring SettingsKeyPath(const std::wstring& appKey, const std::wstring& section) {
    return L"Software\\VB and VBA Program Settings\\" + appKey + L"\\" + section;
}

std::wstring GetSetting(platform::Registry& registry, const std::wstring& appKey,
                        const std::wstring& section, const std::wstring& key,
                        const std::wstring& defaultValue) {
    const auto value =
        registry.QueryValue(platform::Hive::CurrentUser, SettingsKeyPath(appKey, section), key);
    // Settings are only ever written as REG_SZ; anything else was not written by us.
    if (!value || value->type != platform::kRegSz) {
        return defaultValue;
    }
    return DecodeRegSz(value->data);
}

void SaveSetting(platform::Registry& registry, const std::wstring& appKey,
                 const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    const std::wstring path = SettingsKeyPath(appKey, section);
    if (registry.CreateKey(platform::Hive::CurrentUser, path)) {
        registry.SetValue(platform::Hive::CurrentUser, path, key,
                          {platform::kRegSz, EncodeRegSz(value)});
    }
}

} // namespace vtrl::services
