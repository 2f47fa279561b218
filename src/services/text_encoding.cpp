#include "services/text_encoding.h"

#include <type_traits>

namespace vtrl::services {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere (unit tests); both read the same here.
char32_t CodeUnit(wchar_t c) {
    return static_cast<char32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendUtf8(std::string& bytes, char32_t code) {
    if (code < 0x80) {
        bytes += static_cast<char>(code);
    } else if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | (code >> 6));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code >> 12));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code >> 18));
        bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A code point in memory: one unit, or a surrogate pair where wchar_t is 16 bits.
void AppendCodePoint(std::wstring& text, char32_t code) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (code >= 0x10000) {
            code -= 0x10000;
            text += static_cast<wchar_t>(0xD800 + (code >> 10));
            text += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
            return;
        }
    }
    text += static_cast<wchar_t>(code);
}

// UTF-16 units from bytes in the given order; an odd last byte or an unpaired surrogate becomes
// U+FFFD and clears clean.
std::wstring TextFromUtf16(std::string_view bytes, bool bigEndian, bool& clean) {
    std::wstring text;
    text.reserve(bytes.size() / 2);
    const auto unitAt = [&](std::size_t index) {
        const auto first = static_cast<unsigned char>(bytes[index]);
        const auto second = static_cast<unsigned char>(bytes[index + 1]);
        return static_cast<char32_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    };
    std::size_t index = 0;
    for (; index + 1 < bytes.size(); index += 2) {
        const char32_t unit = unitAt(index);
        if (IsHighSurrogate(unit) && index + 3 < bytes.size() &&
            IsLowSurrogate(unitAt(index + 2))) {
            AppendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(index + 2) - 0xDC00));
            index += 2;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            AppendCodePoint(text, kReplacement);
            clean = false;
        } else {
            AppendCodePoint(text, unit);
        }
    }
    if (index < bytes.size()) {
        AppendCodePoint(text, kReplacement);
        clean = false;
    }
    return text;
}

} // namespace

std::string Utf8FromText(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = CodeUnit(text[i]);
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(CodeUnit(text[i + 1]))) {
            AppendUtf8(bytes, 0x10000 + ((unit - 0xD800) << 10) + (CodeUnit(text[i + 1]) - 0xDC00));
            ++i;
            continue;
        }
        const bool invalid = IsHighSurrogate(unit) || IsLowSurrogate(unit) || unit > 0x10FFFF;
        AppendUtf8(bytes, invalid ? kReplacement : unit);
    }
    return bytes;
}

std::wstring TextFromUtf8(std::string_view bytes, bool& clean) {
    std::wstring text;
    text.reserve(bytes.size());
    std::size_t index = 0;
    while (index < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[index]);
        if (lead < 0x80) {
            text += static_cast<wchar_t>(lead);
            ++index;
            continue;
        }
        // Sequence length and the smallest code point it may carry (no overlong forms).
        const std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                                   : lead >= 0xE0 && lead <= 0xEF ? 3
                                   : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                                  : 0;
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        char32_t code = length == 0 ? 0 : lead & (0x7F >> length);
        std::size_t taken = 1;
        while (length != 0 && taken < length && index + taken < bytes.size() &&
               (static_cast<unsigned char>(bytes[index + taken]) & 0xC0) == 0x80) {
            code = (code << 6) | (static_cast<unsigned char>(bytes[index + taken]) & 0x3F);
            ++taken;
        }
        if (length == 0 || taken < length || code < kSmallest[length] || code > 0x10FFFF ||
            IsHighSurrogate(code) || IsLowSurrogate(code)) {
            // One replacement for the lead byte; the bytes after it are looked at on their own.
            AppendCodePoint(text, kReplacement);
            clean = false;
            ++index;
            continue;
        }
        AppendCodePoint(text, code);
        index += taken;
    }
    return text;
}

DecodedText DecodeText(platform::Locale& locale, std::string_view bytes) {
    DecodedText decoded;
    if (bytes.starts_with(kUtf8ByteOrderMark)) {
        decoded.encoding = TextEncoding::Utf8;
        decoded.text = TextFromUtf8(bytes.substr(kUtf8ByteOrderMark.size()), decoded.clean);
    } else if (bytes.starts_with(kUtf16LittleEndianMark)) {
        decoded.encoding = TextEncoding::Utf16LittleEndian;
        decoded.text =
            TextFromUtf16(bytes.substr(kUtf16LittleEndianMark.size()), false, decoded.clean);
    } else if (bytes.starts_with(kUtf16BigEndianMark)) {
        decoded.encoding = TextEncoding::Utf16BigEndian;
        decoded.text = TextFromUtf16(bytes.substr(kUtf16BigEndianMark.size()), true, decoded.clean);
    } else if (auto exact = locale.FromAnsiExact(bytes)) {
        decoded.text = std::move(*exact);
    } else {
        decoded.text = locale.FromAnsi(bytes);
        decoded.clean = false;
    }
    if (decoded.text.find(L'\0') != std::wstring::npos) {
        decoded.clean = false;
    }
    return decoded;
}

std::string EncodeText(platform::Locale& locale, std::wstring_view text) {
    // ANSI bytes that begin like a byte-order mark ("ï»¿..." in code page 1252)
    // would be read back in another encoding.
    if (auto ansi = locale.ToAnsiExact(text); ansi && !ansi->starts_with(kUtf8ByteOrderMark) &&
                                              !ansi->starts_with(kUtf16LittleEndianMark) &&
                                              !ansi->starts_with(kUtf16BigEndianMark)) {
        return std::move(*ansi);
    }
    return std::string(kUtf8ByteOrderMark) + Utf8FromText(text);
}

} // namespace vtrl::services
