#include "inventory/version_string.h"

namespace vtrl::inventory {

std::wstring GetVersionString(platform::Locale& locale, std::span<const std::uint8_t> block,
                              std::wstring_view key) {
    if (block.size() < 2 || key.empty()) {
        return {};
    }
    // Two bytes per character, little-endian; an odd last byte belongs to no character.
    std::wstring text(block.size() / 2, L'\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<wchar_t>(block[2 * i] | (block[2 * i + 1] << 8));
    }
    // Case mapping keeps every position, so a hit in the folded text is a hit in the block.
    const std::wstring folded = locale.ToLower(text);
    const std::wstring foldedKey = locale.ToLower(key);
    if (folded.size() != text.size()) {
        return {};
    }
    const std::size_t keyAt = folded.find(foldedKey);
    if (keyAt == std::wstring::npos) {
        return {};
    }
    const std::size_t terminator = text.find(L'\0', keyAt + foldedKey.size());
    if (terminator == std::wstring::npos) {
        return {};
    }
    std::size_t start = terminator + 1;
    if (start < text.size() && text[start] == L'\0') {
        ++start; // one alignment character
    }
    if (start >= text.size()) {
        return {};
    }
    const std::size_t end = text.find(L'\0', start);
    if (end == std::wstring::npos) {
        return {};
    }
    return text.substr(start, end - start);
}

} // namespace vtrl::inventory
