#pragma once
// One string of a raw version resource, found the way the program always found it: by the key's
// first occurrence anywhere in the block, whatever language or code page its table is for.

#include "platform/locale.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vtrl::inventory {

inline constexpr wchar_t kCompanyNameKey[] = L"CompanyName";
inline constexpr wchar_t kFileDescriptionKey[] = L"FileDescription";

// The text after the key's first occurrence (ignoring case), its terminating NUL and at most one
// alignment NUL, up to the next NUL. Empty when the block is shorter than two bytes, the key is
// absent, or the text runs to the end of the block without a NUL. Reads only inside the block.
std::wstring GetVersionString(platform::Locale& locale, std::span<const std::uint8_t> block,
                              std::wstring_view key);

} // namespace vtrl::inventory
