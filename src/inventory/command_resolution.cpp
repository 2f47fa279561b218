#include "inventory/command_resolution.h"

#include "inventory/version_string.h"
#include "services/registry_access.h"

#include <limits>
#include <string_view>

namespace vtrl::inventory {

namespace {

std::wstring ReplaceEvery(const std::wstring& text, std::wstring_view token,
                          const std::wstring& replacement) {
    std::wstring result;
    std::size_t from = 0;
    for (std::size_t at = text.find(token); at != std::wstring::npos; at = text.find(token, from)) {
        result.append(text, from, at - from);
        result += replacement;
        from = at + token.size();
    }
    result.append(text, from, std::wstring::npos);
    return result;
}

} // namespace

std::wstring ExpandFolderTokens(platform::Locale& locale, const services::SystemFacts& facts,
                                const std::wstring& text) {
    struct Token {
        std::wstring_view token;
        const std::wstring& folder;
        const wchar_t* after;
    };
    const Token tokens[] = {
        {L"%systemroot%", facts.WindowsFolder, L""},
        {L"%appdata%", facts.AppDataFolder, L""},
        {L"%programfiles%", facts.ProgramFilesFolder, L""},
        {L"%systemdrive%", facts.WindowsDrive, L":"},
        {L"%windir%", facts.WindowsFolder, L""},
    };
    // A text with a token comes back in lower case, as the old scan gave it; one without, as it
    // is. The replacements are lower case too, so the text is folded once.
    std::wstring lower = locale.ToLower(text);
    bool replaced = false;
    for (const Token& token : tokens) {
        if (lower.find(token.token) != std::wstring::npos) {
            lower = ReplaceEvery(lower, token.token, locale.ToLower(token.folder) + token.after);
            replaced = true;
        }
    }
    return replaced ? lower : text;
}

bool SplitRundllCall(platform::Locale& locale, const services::SystemFacts& facts,
                     std::wstring& executable, std::wstring& arguments) {
    const std::wstring lower = locale.ToLower(executable);
    const std::wstring inSystemFolder = locale.ToLower(facts.SystemFolder + L"\\rundll32.exe");
    if (!lower.starts_with(L"rundll32.exe") && !lower.starts_with(inSystemFolder)) {
        return false;
    }
    if (arguments.empty()) {
        return true;
    }
    const std::size_t comma = arguments.find(L',');
    executable = arguments.substr(0, comma);
    arguments = comma == std::wstring::npos ? std::wstring() : arguments.substr(comma + 1);
    return true;
}

std::wstring GetLongPath(platform::Folders& folders, const std::wstring& path) {
    auto longPath = folders.LongPath(path);
    return longPath && !longPath->empty() ? std::move(*longPath) : path;
}

std::wstring ParentFolder(const std::wstring& path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring LastPathComponent(const std::wstring& path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::int32_t GetFileSize(platform::FileSystem& files, const std::wstring& path) {
    const auto size = files.FileSize(path);
    if (!size || *size > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return 0;
    }
    return static_cast<std::int32_t>(*size);
}

FileFacts NameFileFacts(platform::Locale& locale, const std::wstring& resolved) {
    FileFacts result;
    const std::wstring path = locale.ToUpper(resolved);
    result.Folder = ParentFolder(path);
    result.FileName = LastPathComponent(path);
    return result;
}

FileFacts GatherFileFacts(platform::Platform& platform, const std::wstring& resolved) {
    FileFacts result = NameFileFacts(platform.locale, resolved);
    // The file is read through the path as it was found, not its upper-case form: the answers
    // are the same, but a case-sensitive file system underneath (Wine) would have to search
    // every folder on the way for a name in another case.
    // One read of the block serves both strings.
    if (const auto block = platform.version.ReadVersionBlock(resolved)) {
        result.Company = GetVersionString(platform.locale, *block, kCompanyNameKey);
        result.Description = GetVersionString(platform.locale, *block, kFileDescriptionKey);
    }
    result.Size = GetFileSize(platform.files, resolved);
    return result;
}

} // namespace vtrl::inventory
