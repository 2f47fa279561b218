#pragma once
// One string of a raw version resource, found the way the program always found it: by the key's
// first occurrence anywhere in the block, whatever language or code page its table is for; and
// the file version the block's fixed part gives in numbers.

#include "platform/locale.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vtrl::inventory {

inline constexpr wchar_t kCompanyNameKey[] = L"CompanyName";
inline constexpr wchar_t kFileDescriptionKey[] = L"FileDescription";
inline constexpr wchar_t kFileVersionKey[] = L"FileVersion";

// The text after the key's first occurrence (ignoring case), its terminating NUL and at most one
// alignment NUL, up to the next NUL. Empty when the block is shorter than two bytes, the key is
// absent, or the text runs to the end of the block without a NUL. Reads only inside the block.
std::wstring GetVersionString(platform::Locale& locale, std::span<const std::uint8_t> block,
                              std::wstring_view key);

// "major.minor.build.revision" from the fixed file information (the four numbers Windows shows
// as the file version), else the "FileVersion" string; empty when the block has neither.
std::wstring FileVersionText(platform::Locale& locale, std::span<const std::uint8_t> block);

} // namespace vtrl::inventory
