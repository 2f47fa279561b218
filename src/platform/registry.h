#pragma once
// The Windows registry as the program sees it: two hives, values addressed by key path and name.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::platform {

enum class Hive { LocalMachine, CurrentUser };

// Value types by their Windows numbers.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegDwordBigEndian = 5;
inline constexpr std::uint32_t kRegMultiSz = 7;

struct RegistryValue {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data; // raw bytes as stored; strings are UTF-16LE
};

// A value as enumeration hands it out: its whole name (NULs included) with its type and data.
struct NamedRegistryValue {
    std::wstring name;
    RegistryValue value;
};

class Registry {
public:
    virtual ~Registry() = default;

    // The names of the key's values in enumeration order, however long each name is and with
    // every character it holds, NULs included; nullopt when the key cannot be opened for reading.
    virtual std::optional<std::vector<std::wstring>> ListValueNames(Hive hive,
                                                                    const std::wstring& key) = 0;
    // The names of the key's direct subkeys in enumeration order; nullopt when the key cannot be
    // opened for reading.
    virtual std::optional<std::vector<std::wstring>> ListSubkeyNames(Hive hive,
                                                                     const std::wstring& key) = 0;
    // The value of exactly this name, also one holding a NUL; nullopt when the key or the value is
    // missing or cannot be read.
    virtual std::optional<RegistryValue> QueryValue(Hive hive, const std::wstring& key,
                                                    const std::wstring& name) = 0;
    // Every value of the key with its data, in enumeration order; nullopt when the key cannot be
    // opened for reading. A value deleted while the key is read is left out. This one is the same
    // as listing the names and asking for each; a real registry reads them in one pass.
    virtual std::optional<std::vector<NamedRegistryValue>> ListValues(Hive hive,
                                                                      const std::wstring& key) {
        auto names = ListValueNames(hive, key);
        if (!names) {
            return std::nullopt;
        }
        std::vector<NamedRegistryValue> values;
        values.reserve(names->size());
        for (std::wstring& name : *names) {
            if (auto value = QueryValue(hive, key, name)) {
                values.push_back({std::move(name), std::move(*value)});
            }
        }
        return values;
    }
    // Creates the key and any missing parents; true when it exists afterwards.
    virtual bool CreateKey(Hive hive, const std::wstring& key) = 0;
    // Writes into an existing key; false when the key is missing or the write fails. Neither this
    // nor DeleteValue can name a value whose name holds a NUL: both refuse such a name rather
    // than act on the value named by the part before the NUL.
    virtual bool SetValue(Hive hive, const std::wstring& key, const std::wstring& name,
                          const RegistryValue& value) = 0;
    virtual bool DeleteValue(Hive hive, const std::wstring& key, const std::wstring& name) = 0;
    // Deletes a key that has no subkeys.
    virtual bool DeleteKey(Hive hive, const std::wstring& key) = 0;
};

} // namespace vtrl::platform
