#pragma once
// An in-memory registry with the Windows rules the core relies on: key paths and value names
// compared case-insensitively (stored spelling kept), values listed in creation order, trailing
// and doubled backslashes ignored, a leading backslash rejected, and a value name holding a NUL
// readable but neither written nor deleted by name (the NUL-terminated API cannot name it).

#include "platform/registry.h"

#include <cstddef>
#include <map>
#include <utility>

namespace vtrl::fakes {

class FakeRegistry final : public platform::Registry {
public:
    FakeRegistry();

    std::optional<std::vector<std::wstring>> ListValueNames(platform::Hive hive,
                                                            const std::wstring& key) override;
    std::optional<std::vector<std::wstring>> ListSubkeyNames(platform::Hive hive,
                                                             const std::wstring& key) override;
    std::optional<platform::RegistryValue> QueryValue(platform::Hive hive, const std::wstring& key,
                                                      const std::wstring& name) override;
    bool CreateKey(platform::Hive hive, const std::wstring& key) override;
    bool SetValue(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                  const platform::RegistryValue& value) override;
    bool DeleteValue(platform::Hive hive, const std::wstring& key,
                     const std::wstring& name) override;
    bool DeleteKey(platform::Hive hive, const std::wstring& key) override;

    // Test hooks.
    bool KeyExists(platform::Hive hive, const std::wstring& key) const;
    // The key as first spelt, or "" when it does not exist.
    std::wstring KeySpelling(platform::Hive hive, const std::wstring& key) const;
    // From now on every access to this existing key fails, as for a key the user may not open.
    void DenyAccess(platform::Hive hive, const std::wstring& key);
    // Adds a value to an existing key under any name, NULs included, as the native API can.
    void PlantValue(platform::Hive hive, const std::wstring& key, const std::wstring& name,
                    const platform::RegistryValue& value);
    // Calls of CreateKey, SetValue, DeleteValue and DeleteKey so far, failed ones included.
    std::size_t MutatingCalls() const { return mutatingCalls_; }

private:
    struct Key {
        std::wstring spelling;
        std::vector<std::pair<std::wstring, platform::RegistryValue>> values;
        bool denied = false;
    };
    using KeyId = std::pair<platform::Hive, std::wstring>; // hive and folded path

    static std::optional<std::vector<std::wstring>> Components(const std::wstring& key);
    static std::wstring Fold(const std::wstring& text);
    static std::optional<KeyId> IdOf(platform::Hive hive, const std::wstring& key);
    Key* Find(platform::Hive hive, const std::wstring& key);
    const Key* Find(platform::Hive hive, const std::wstring& key) const;
    Key* FindAccessible(platform::Hive hive, const std::wstring& key);

    std::map<KeyId, Key> keys_;
    std::size_t mutatingCalls_ = 0;
};

} // namespace vtrl::fakes
