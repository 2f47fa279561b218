#include "inventory/registry_value_edit.h"

#include "services/registry_access.h"

namespace vtrl::inventory {

namespace {

// The key without the trailing backslashes a location may carry.
std::optional<services::RegistryLocation> KeyOf(const std::wstring& key) {
    auto location = services::ParseRegistryLocation(key);
    if (location) {
        while (!location->keyPath.empty() && location->keyPath.back() == L'\\') {
            location->keyPath.pop_back();
        }
    }
    return location;
}

} // namespace

bool NamesValueExactly(const StartupRecord& record) {
    return record.EntryName.find(L'\0') == std::wstring::npos &&
           record.Location.find(L'\0') == std::wstring::npos;
}

std::optional<PlaceContent> ReadValueContent(platform::Registry& registry, const std::wstring& key,
                                             const std::wstring& name,
                                             const std::wstring& fullLocation) {
    const auto location = KeyOf(key);
    if (!location) {
        return std::nullopt;
    }
    auto value = registry.QueryValue(location->hive, location->keyPath, name);
    if (!value || value->data.size() > kMaxRecordCopyBytes) {
        return std::nullopt;
    }
    PlaceContent content;
    content.exactLocation = fullLocation;
    content.valueType = value->type;
    content.data.assign(value->data.begin(), value->data.end());
    return content;
}

bool DeleteNamedValue(platform::Registry& registry, platform::Locale& locale,
                      const std::wstring& key, const std::wstring& name) {
    const auto location = KeyOf(key);
    if (!location) {
        return false;
    }
    // The value is named directly rather than through a path text: a path ending in "\" would
    // name the whole key when the record is the key's default value.
    if (registry.DeleteValue(location->hive, location->keyPath, name)) {
        return true;
    }
    const auto names = registry.ListValueNames(location->hive, location->keyPath);
    if (!names) {
        return false;
    }
    const std::wstring wanted = locale.ToLower(name);
    for (const std::wstring& present : *names) {
        if (locale.ToLower(present) == wanted) {
            return false;
        }
    }
    return true;
}

bool WriteNamedValue(platform::Registry& registry, const std::wstring& key,
                     const std::wstring& name, const platform::RegistryValue& value) {
    const auto location = KeyOf(key);
    if (!location || !registry.CreateKey(location->hive, location->keyPath)) {
        return false;
    }
    return registry.SetValue(location->hive, location->keyPath, name, value);
}

bool WriteValueContent(platform::Registry& registry, const std::wstring& key,
                       const std::wstring& name, const PlaceContent& content) {
    return WriteNamedValue(
        registry, key, name,
        {content.valueType, std::vector<std::uint8_t>(content.data.begin(), content.data.end())});
}

} // namespace vtrl::inventory
