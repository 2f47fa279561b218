#include "inventory/command_line_parse.h"

namespace vtrl::inventory {

namespace {

std::size_t FirstNonBlank(std::wstring_view text, std::size_t from = 0) {
    while (from < text.size() && IsCommandBlank(text[from])) {
        ++from;
    }
    return from;
}

} // namespace

bool IsCommandBlank(wchar_t character) {
    return character == L' ' || character == L'\t';
}

std::wstring TrimBlanks(std::wstring_view text) {
    const std::size_t first = FirstNonBlank(text);
    std::size_t end = text.size();
    while (end > first && IsCommandBlank(text[end - 1])) {
        --end;
    }
    return std::wstring(text.substr(first, end - first));
}

bool StartsQuoted(std::wstring_view command) {
    const std::size_t first = FirstNonBlank(command);
    return first < command.size() && command[first] == L'"';
}

ProgramAndArguments SplitQuoted(std::wstring_view command) {
    return NextArgument(command);
}

std::vector<ProgramAndArguments> BlankEndedReadings(std::wstring_view command) {
    std::vector<ProgramAndArguments> readings;
    const std::size_t start = FirstNonBlank(command);
    const std::wstring_view text = command.substr(start);
    for (std::size_t at = 0; at < text.size(); ++at) {
        // Runs of blanks end one reading, not one per blank.
        if (IsCommandBlank(text[at]) && at > 0 && !IsCommandBlank(text[at - 1])) {
            readings.push_back({std::wstring(text.substr(0, at)),
                                std::wstring(text.substr(FirstNonBlank(text, at)))});
        }
    }
    std::wstring whole = TrimBlanks(text);
    if (!whole.empty() && (readings.empty() || readings.back().program != whole)) {
        readings.push_back({std::move(whole), L""});
    }
    return readings;
}

ProgramAndArguments NextArgument(std::wstring_view text, bool singleQuotes) {
    ProgramAndArguments result;
    std::size_t at = FirstNonBlank(text);
    if (at < text.size() && (text[at] == L'"' || (singleQuotes && text[at] == L'\''))) {
        const wchar_t quote = text[at];
        const std::size_t close = text.find(quote, at + 1);
        if (close == std::wstring_view::npos) {
            result.program = std::wstring(text.substr(at + 1));
            return result;
        }
        result.program = std::wstring(text.substr(at + 1, close - at - 1));
        result.arguments = std::wstring(text.substr(FirstNonBlank(text, close + 1)));
        return result;
    }
    std::size_t end = at;
    while (end < text.size() && !IsCommandBlank(text[end])) {
        ++end;
    }
    result.program = std::wstring(text.substr(at, end - at));
    result.arguments = std::wstring(text.substr(FirstNonBlank(text, end)));
    return result;
}

bool HasExtension(std::wstring_view path) {
    const std::size_t slash = path.find_last_of(L"\\/:");
    const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
    return name.rfind(L'.') != std::wstring_view::npos;
}

bool HasFolderPart(std::wstring_view path) {
    return path.find_first_of(L"\\/:") != std::wstring_view::npos;
}

} // namespace vtrl::inventory
