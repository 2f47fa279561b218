#pragma once
// How the program's own text files are stored: in the ANSI code page when every character fits
// there, otherwise as UTF-8 with a byte-order mark, so that no character is ever lost. Reading
// accepts ANSI, UTF-8 with a byte-order mark and UTF-16 (either byte order) with one.

#include "platform/locale.h"

#include <string>
#include <string_view>

namespace vtrl::services {

enum class TextEncoding { Ansi, Utf8, Utf16LittleEndian, Utf16BigEndian };

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kUtf16LittleEndianMark = "\xFF\xFE";
inline constexpr std::string_view kUtf16BigEndianMark = "\xFE\xFF";

struct DecodedText {
    std::wstring text;
    TextEncoding encoding = TextEncoding::Ansi;
    // Every byte was part of a valid character of the encoding (no U+FFFD stood in for a broken
    // sequence) and the text holds no NUL: what the program wrote, not a foreign file.
    bool clean = true;
};

// UTF-8 of the text; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromText(std::wstring_view text);
// The text of UTF-8 bytes (no byte-order mark expected); a broken sequence becomes U+FFFD and
// clears clean.
std::wstring TextFromUtf8(std::string_view bytes, bool& clean);

// The file bytes as text, by their byte-order mark; without one, in the ANSI code page.
DecodedText DecodeText(platform::Locale& locale, std::string_view bytes);
// The bytes to store: the exact ANSI form, or the byte-order mark and UTF-8 when some character
// has no exact form in the ANSI code page or the ANSI bytes would begin like a byte-order mark.
std::string EncodeText(platform::Locale& locale, std::wstring_view text);

} // namespace vtrl::services
