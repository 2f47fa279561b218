#include "services/registry_access.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

namespace vtrl::services {
namespace {

constexpr std::wstring_view kLocalMachine = L"HKEY_LOCAL_MACHINE";
constexpr std::wstring_view kCurrentUser = L"HKEY_CURRENT_USER";

// The key path is cut by position from the start of the text, not from where the hive name was
// found: stored paths were always read that way. A text shorter than the cut gives "".
std::wstring CutAfter(const std::wstring& text, std::size_t count) {
    return text.size() > count ? text.substr(count) : std::wstring{};
}

// Each wchar_t is one UTF-16 code unit (true on Windows; the native build treats it the same).
std::vector<wchar_t> ToCodeUnits(const std::vector<std::uint8_t>& data) {
    std::vector<wchar_t> units;
    units.reserve(data.size() / 2);
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        units.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    }
    return units;
}

std::wstring FormatHexBytes(const std::vector<std::uint8_t>& data) {
    constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(data.size() * 3);
    for (std::uint8_t byte : data) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
        text.push_back(L' ');
    }
    return text;
}

std::wstring FormatMultiSz(const std::vector<std::uint8_t>& data) {
    std::wstring text;
    bool previousWasNul = false;
    for (wchar_t unit : ToCodeUnits(data)) {
        if (unit == L'\0') {
            // An empty string ends the list; whatever follows it is not part of the value.
            if (previousWasNul) {
                break;
            }
            previousWasNul = true;
            continue;
        }
        previousWasNul = false;
        text.push_back(unit);
    }
    return text;
}

std::vector<std::uint8_t> EncodeDword(std::uint32_t number) {
    return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
}

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

} // namespace

std::optional<RegistryLocation> ParseRegistryLocation(const std::wstring& text) {
    std::optional<RegistryLocation> location;
    if (text.find(kLocalMachine) != std::wstring::npos) {
        location = RegistryLocation{platform::Hive::LocalMachine,
                                    CutAfter(text, kLocalMachine.size() + 1)};
    }
    if (text.find(kCurrentUser) != std::wstring::npos) {
        location =
            RegistryLocation{platform::Hive::CurrentUser, CutAfter(text, kCurrentUser.size() + 1)};
    }
    return location;
}

ValuePath SplitValuePath(const std::wstring& keyPath) {
    const std::size_t cut = keyPath.rfind(L'\\');
    if (cut == std::wstring::npos) {
        return {L"", keyPath};
    }
    return {keyPath.substr(0, cut + 1), keyPath.substr(cut + 1)};
}

std::vector<std::uint8_t> EncodeRegSz(const std::wstring& text) {
    std::vector<std::uint8_t> data;
    data.reserve((text.size() + 1) * 2);
    for (wchar_t c : text) {
        const auto unit = static_cast<std::uint16_t>(c);
        data.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        data.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

std::wstring DecodeRegSz(const std::vector<std::uint8_t>& data) {
    std::wstring text;
    for (wchar_t unit : ToCodeUnits(data)) {
        if (unit == L'\0') {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

std::optional<std::int32_t> ParseLongValue(const std::wstring& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    std::size_t i = begin;
    bool negative = false;
    if (i < end && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }

    // Anything past 2^31 is out of range whatever the sign, so stop accumulating there.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
    std::uint64_t magnitude = 0;
    bool anyDigit = false;
    for (; i < end && IsDigit(text[i]); ++i) {
        anyDigit = true;
        magnitude =
            std::min(magnitude * 10 + static_cast<std::uint64_t>(text[i] - L'0'), kLimit + 1);
    }

    if (i < end && text[i] == L'.') {
        ++i;
        const std::size_t fractionBegin = i;
        while (i < end && IsDigit(text[i])) {
            ++i;
        }
        if (i > fractionBegin) {
            anyDigit = true;
            const wchar_t first = text[fractionBegin];
            bool beyondHalf = false;
            for (std::size_t k = fractionBegin + 1; k < i; ++k) {
                beyondHalf = beyondHalf || text[k] != L'0';
            }
            const bool roundUp =
                first > L'5' || (first == L'5' && (beyondHalf || magnitude % 2 == 1));
            if (roundUp) {
                ++magnitude;
            }
        }
    }

    if (!anyDigit || i != end) {
        return std::nullopt;
    }
    if (negative) {
        if (magnitude > kLimit) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude));
    }
    if (magnitude >= kLimit) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(magnitude);
}

std::wstring FormatRegistryValue(const platform::RegistryValue& value) {
    switch (value.type) {
    case platform::kRegSz:
    case platform::kRegExpandSz:
        // Expandable strings are shown as stored: callers compare the unexpanded form.
        return DecodeRegSz(value.data);
    case platform::kRegBinary:
    case platform::kRegDword:
        return FormatHexBytes(value.data);
    case platform::kRegDwordBigEndian:
        return std::wstring(value.data.begin(), value.data.end());
    case platform::kRegMultiSz:
        return FormatMultiSz(value.data);
    default:
        return {};
    }
}

std::vector<std::wstring> RegListValues(platform::Registry& registry, const std::wstring& keyPath) {
    if (const auto location = ParseRegistryLocation(keyPath)) {
        auto names = registry.ListValueNames(location->hive, location->keyPath);
        if (names && !names->empty()) {
            return std::move(*names);
        }
    }
    return {kNoItemsMarker};
}

std::wstring RegReadValue(platform::Registry& registry, const std::wstring& valuePath) {
    const auto location = ParseRegistryLocation(valuePath);
    if (!location) {
        return {};
    }
    const ValuePath path = SplitValuePath(location->keyPath);
    const auto value = registry.QueryValue(location->hive, path.subkey, path.valueName);
    return value ? FormatRegistryValue(*value) : std::wstring{};
}

std::wstring RegReadNamedValue(platform::Registry& registry, const std::wstring& keyPath,
                               const std::wstring& valueName) {
    const auto location = ParseRegistryLocation(keyPath);
    if (!location) {
        return {};
    }
    const auto value = registry.QueryValue(location->hive, location->keyPath, valueName);
    return value ? FormatRegistryValue(*value) : std::wstring{};
}

void RegWriteValue(platform::Registry& registry, const std::wstring& keyPath,
                   const std::wstring& valueName, const std::wstring& value, std::uint32_t type) {
    const auto location = ParseRegistryLocation(keyPath);
    if (!location || !registry.CreateKey(location->hive, location->keyPath)) {
        return;
    }
    platform::RegistryValue data;
    if (type == platform::kRegSz) {
        data = {platform::kRegSz, EncodeRegSz(value)};
    } else if (type == platform::kRegDword) {
        const auto number = ParseLongValue(value);
        if (!number) {
            return;
        }
        data = {platform::kRegDword, EncodeDword(static_cast<std::uint32_t>(*number))};
    } else {
        return;
    }
    registry.SetValue(location->hive, location->keyPath, valueName, data);
}

void RegDeletePath(platform::Registry& registry, const std::wstring& path) {
    const auto location = ParseRegistryLocation(path);
    if (!location) {
        return;
    }
    if (!path.empty() && path.back() == L'\\') {
        std::wstring key = location->keyPath;
        while (!key.empty() && key.back() == L'\\') {
            key.pop_back();
        }
        // "HKEY_CURRENT_USER\" alone would name the hive itself, which is never ours to delete.
        if (!key.empty()) {
            registry.DeleteKey(location->hive, key);
        }
        return;
    }
    const ValuePath value = SplitValuePath(location->keyPath);
    registry.DeleteValue(location->hive, value.subkey, value.valueName);
}

} // namespace vtrl::services
