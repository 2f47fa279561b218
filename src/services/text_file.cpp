#include "services/text_file.h"

namespace vtrl::services {

std::vector<std::wstring> SplitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t character = text[i];
        if (character == L'\r' || character == L'\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (character == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
                ++i;
            }
        } else {
            current += character;
        }
    }
    if (!current.empty()) {
        lines.push_back(std::move(current));
    }
    return lines;
}

std::wstring AsOneLine(std::wstring text) {
    for (wchar_t& character : text) {
        if (character == L'\r' || character == L'\n') {
            character = L' ';
        }
    }
    return text;
}

std::optional<TextFileContent> ReadTextFile(platform::FileSystem& files, platform::Locale& locale,
                                            const std::wstring& path) {
    const std::optional<std::string> bytes = files.ReadAll(path);
    if (!bytes) {
        return std::nullopt;
    }
    DecodedText decoded = DecodeText(locale, *bytes);
    return TextFileContent{SplitLines(decoded.text), decoded.encoding, decoded.clean};
}

std::optional<std::vector<std::wstring>>
ReadTextLines(platform::FileSystem& files, platform::Locale& locale, const std::wstring& path) {
    auto content = ReadTextFile(files, locale, path);
    if (!content) {
        return std::nullopt;
    }
    return std::move(content->lines);
}

namespace {

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (const std::wstring& line : lines) {
        text += line;
        text += L"\r\n";
    }
    return text;
}

} // namespace

bool WriteTextLines(platform::FileSystem& files, platform::Locale& locale, const std::wstring& path,
                    const std::vector<std::wstring>& lines) {
    return files.ReplaceAll(path, EncodeText(locale, JoinLines(lines)));
}

bool WriteBatchLines(platform::FileSystem& files, platform::Locale& locale,
                     const std::wstring& path, const std::vector<std::wstring>& lines) {
    const std::optional<std::string> bytes = locale.ToOemExact(JoinLines(lines));
    return bytes && files.ReplaceAll(path, *bytes);
}

} // namespace vtrl::services
