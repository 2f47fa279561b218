#pragma once
// Registry locations as single texts: "HKEY_LOCAL_MACHINE\..." or "HKEY_CURRENT_USER\...",
// and the four operations every subsystem uses on them. None of them reports an error:
// failures give the empty text, the no-items marker, or no effect.

#include "platform/registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::services {

// The one-element list that stands for "no value names" (also used for an empty process list).
inline constexpr wchar_t kNoItemsMarker[] = L"YSNOITEMS";

struct RegistryLocation {
    platform::Hive hive;
    std::wstring keyPath; // everything after the hive name and its backslash
};

// Finds the hive by substring, case-sensitively; HKEY_CURRENT_USER wins when both occur.
std::optional<RegistryLocation> ParseRegistryLocation(const std::wstring& text);

struct ValuePath {
    std::wstring subkey; // with its trailing backslash, as cut
    std::wstring valueName;
};
// Cuts a key path at its last backslash into subkey and value name.
ValuePath SplitValuePath(const std::wstring& keyPath);

// The display text of a value's data by type; empty for types that are not shown.
std::wstring FormatRegistryValue(const platform::RegistryValue& value);

// Value names of the key in enumeration order, or { kNoItemsMarker } when there are none.
std::vector<std::wstring> RegListValues(platform::Registry& registry, const std::wstring& keyPath);
// The value at "hive\key\name" as display text; empty on any failure.
std::wstring RegReadValue(platform::Registry& registry, const std::wstring& valuePath);
// The value named exactly so under "hive\key" as display text, also when the name holds a
// backslash (a path would be cut there); empty on any failure.
std::wstring RegReadNamedValue(platform::Registry& registry, const std::wstring& keyPath,
                               const std::wstring& valueName);
// Creates the key when missing and writes the value as REG_SZ (type 1) or REG_DWORD (type 4);
// other types write nothing.
void RegWriteValue(platform::Registry& registry, const std::wstring& keyPath,
                   const std::wstring& valueName, const std::wstring& value, std::uint32_t type);
// A path ending in a backslash names a key, anything else a value. Missing targets are ignored.
void RegDeletePath(platform::Registry& registry, const std::wstring& path);

// REG_SZ data for a text: UTF-16LE with the terminating NUL.
std::vector<std::uint8_t> EncodeRegSz(const std::wstring& text);
// REG_SZ / REG_EXPAND_SZ data as text: up to the first NUL, or every character when the data is
// unterminated; an odd trailing byte is ignored.
std::wstring DecodeRegSz(const std::vector<std::uint8_t>& data);
// A text as a 32-bit integer the way VB's CLng reads it: blanks around, an optional sign, decimal
// digits and an optional fraction rounded half to even. nullopt when it is no number or too large.
std::optional<std::int32_t> ParseLongValue(const std::wstring& text);

} // namespace vtrl::services
