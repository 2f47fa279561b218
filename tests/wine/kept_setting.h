// A setting of the program's own key that a Wine test changes (directly or through the code
// under test) and puts back as it was when the test ends.
#pragma once

#include "platform/registry.h"
#include "services/settings_store.h"

#include <string>
#include <utility>

namespace vtrl::testing_support {

class KeptSetting {
public:
    KeptSetting(platform::Registry& registry, std::wstring section, std::wstring key)
        : registry_(registry), section_(std::move(section)), key_(std::move(key)),
          value_(services::GetSetting(registry, services::kAppKey, section_, key_)) {}
    ~KeptSetting() {
        if (value_.empty()) {
            registry_.DeleteValue(platform::Hive::CurrentUser,
                                  services::SettingsKeyPath(services::kAppKey, section_), key_);
        } else {
            services::SaveSetting(registry_, services::kAppKey, section_, key_, value_);
        }
    }
    KeptSetting(const KeptSetting&) = delete;
    KeptSetting& operator=(const KeptSetting&) = delete;

private:
    platform::Registry& registry_;
    std::wstring section_, key_, value_;
};

} // namespace vtrl::testing_support
