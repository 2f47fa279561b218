#include "services/icon_stamps.h"

#include "services/text_file.h"

#include <cwchar>

namespace vtrl::services {

namespace {

constexpr wchar_t kSeparator = L'\t';

std::optional<std::uint64_t> ParseCount(const std::wstring& text) {
    if (text.empty() || text.find_first_not_of(L"0123456789") != std::wstring::npos ||
        text.size() > 20) {
        return std::nullopt;
    }
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text.c_str(), &end, 10);
    return end != nullptr && *end == L'\0' ? std::optional<std::uint64_t>(value) : std::nullopt;
}

std::wstring StampsPath(const std::wstring& dataFolder) {
    return dataFolder + L"\\" + kIconStampsFileName;
}

} // namespace

IconStamps ParseIconStamps(const std::vector<std::wstring>& lines) {
    IconStamps stamps;
    for (const std::wstring& line : lines) {
        const std::size_t first = line.find(kSeparator);
        const std::size_t second =
            first == std::wstring::npos ? std::wstring::npos : line.find(kSeparator, first + 1);
        if (first == 0 || second == std::wstring::npos) {
            continue;
        }
        const auto size = ParseCount(line.substr(first + 1, second - first - 1));
        const auto time = ParseCount(line.substr(second + 1));
        if (size && time) {
            stamps[line.substr(0, first)] = {*size, *time};
        }
    }
    return stamps;
}

std::vector<std::wstring> FormatIconStamps(const IconStamps& stamps) {
    std::vector<std::wstring> lines;
    lines.reserve(stamps.size());
    for (const auto& [name, stamp] : stamps) {
        lines.push_back(name + kSeparator + std::to_wstring(stamp.size) + kSeparator +
                        std::to_wstring(stamp.lastWrite));
    }
    return lines;
}

IconStamps LoadIconStamps(platform::FileSystem& files, platform::Locale& locale,
                          const std::wstring& dataFolder) {
    const auto lines = ReadTextLines(files, locale, StampsPath(dataFolder));
    return lines ? ParseIconStamps(*lines) : IconStamps{};
}

bool SaveIconStamps(platform::FileSystem& files, platform::Locale& locale,
                    const std::wstring& dataFolder, const IconStamps& stamps) {
    return WriteTextLines(files, locale, StampsPath(dataFolder), FormatIconStamps(stamps));
}

bool IconIsCurrent(const IconStamps& stamps, const std::wstring& name,
                   const platform::FileStamp& stamp) {
    const auto found = stamps.find(name);
    return found != stamps.end() && found->second == stamp;
}

} // namespace vtrl::services
