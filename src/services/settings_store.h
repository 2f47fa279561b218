#pragma once
// The per-user store of text settings: one REG_SZ value per key under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>.

#include "platform/registry.h"

#include <string>

namespace vtrl::services {

inline constexpr wchar_t kAppKey[] = L"VTRL"; // this program's application key
inline constexpr wchar_t kMakerKey[] = L"KV"; // the maker-wide application key

// The key under HKEY_CURRENT_USER that holds one section's settings.
std::wstring SettingsKeyPath(const std::wstring& appKey, const std::wstring& section);

// A missing (or unreadable) value reads as defaultValue.
std::wstring GetSetting(platform::Registry& registry, const std::wstring& appKey,
                        const std::wstring& section, const std::wstring& key,
                        const std::wstring& defaultValue = L"");
// Creates the keys as needed and overwrites any previous value; failures are ignored.
void SaveSetting(platform::Registry& registry, const std::wstring& appKey,
                 const std::wstring& section, const std::wstring& key, const std::wstring& value);

} // namespace vtrl::services
