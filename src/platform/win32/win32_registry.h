#pragma once
// platform::Registry over the wide registry API, in the registry view native to the process.

#include "platform/registry.h"

namespace vtrl::win32 {

class Win32Registry final : public platform::Registry {
public:
    std::optional<std::vector<std::wstring>> ListValueNames(platform::Hive hive,
                                                            const std::wstring& key) override;
    std::optional<std::vector<std::wstring>> ListSubkeyNames(platform::Hive hive,
                                                             const std::wstring& key) override;
    std::optional<platform::RegistryValue> QueryValue(platform::Hive hive, const std::wstring& key,
                                                      const std::wstring& name) override;
    std::optional<std::vector<platform::NamedRegistryValue>>
    ListValues(platform::Hive hive, const std::wstring& key) override;
    bool CreateKey(platform::Hive hive, const std::wstring& key) override;
    bool SetValue(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                  const platform::RegistryValue& value) override;
    bool DeleteValue(platform::Hive hive, const std::wstring& key,
                     const std::wstring& name) override;
    bool DeleteKey(platform::Hive hive, const std::wstring& key) override;
};

} // namespace vtrl::win32
