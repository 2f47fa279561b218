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

namespace {

// VS_FIXEDFILEINFO starts with this signature, 32-bit aligned, after the block's header.
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
// Signature, structure version, then the file version's two 32-bit halves.
constexpr std::size_t kFixedInfoVersionEnd = 16;

std::uint32_t ReadUint32(std::span<const std::uint8_t> block, std::size_t at) {
    return static_cast<std::uint32_t>(block[at]) |
           (static_cast<std::uint32_t>(block[at + 1]) << 8) |
           (static_cast<std::uint32_t>(block[at + 2]) << 16) |
           (static_cast<std::uint32_t>(block[at + 3]) << 24);
}

} // namespace

std::wstring FileVersionText(platform::Locale& locale, std::span<const std::uint8_t> block) {
    for (std::size_t at = 0; at + kFixedInfoVersionEnd <= block.size(); at += 4) {
        if (ReadUint32(block, at) != kFixedInfoSignature) {
            continue;
        }
        const std::uint32_t high = ReadUint32(block, at + 8);
        const std::uint32_t low = ReadUint32(block, at + 12);
        return std::to_wstring(high >> 16) + L"." + std::to_wstring(high & 0xFFFF) + L"." +
               std::to_wstring(low >> 16) + L"." + std::to_wstring(low & 0xFFFF);
    }
    return GetVersionString(locale, block, kFileVersionKey);
}

} // namespace vtrl::inventory
