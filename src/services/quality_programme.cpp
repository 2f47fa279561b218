#include "services/quality_programme.h"

#include "services/settings_keys.h"
#include "services/settings_store.h"

namespace vtrl::services {

namespace {} // namespace

bool QualityConsentGiven(platform::Registry& registry) {
    return GetSetting(registry, kAppKey, kSettingsSection, kCipSetting) == L"YES";
}

bool SaveQualityConsent(platform::FileSystem& files, platform::Registry& registry,
                        const SystemFacts& facts, bool consent) {
    if (!consent) {
        SaveSetting(registry, kAppKey, kSettingsSection, kCipSetting, L"NO");
        return false;
    }
    const std::wstring file = facts.DataFolder + L"\\" + kCipFileName;
    if (files.FileExists(file)) {
        files.Remove(file);
    }
    SaveSetting(registry, kAppKey, kSettingsSection, kCipSetting, L"YES");
    return true;
}

} // namespace vtrl::services
