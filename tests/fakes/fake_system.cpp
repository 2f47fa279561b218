#include "fakes/fake_system.h"

#include "services/date_time.h"

#include <cstdio>
#include <cwchar>
#include <utility>

namespace vtrl::fakes {

namespace {

std::wstring ParentOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool Usable(const std::wstring& path) {
    return !path.empty() && path.find(L'\0') == std::wstring::npos;
}

} // namespace

std::wstring UpperCase(const std::wstring& text) {
    std::wstring upper = text;
    for (wchar_t& character : upper) {
        if ((character >= L'a' && character <= L'z') ||
            (character >= 0xE0 && character <= 0xFE && character != 0xF7)) {
            character = static_cast<wchar_t>(character - 0x20);
        }
    }
    return upper;
}

std::wstring FoldCase(const std::wstring& text) {
    std::wstring folded = text;
    for (wchar_t& character : folded) {
        if ((character >= L'A' && character <= L'Z') ||
            (character >= 0xC0 && character <= 0xDE && character != 0xD7)) {
            character = static_cast<wchar_t>(character + 0x20);
        }
    }
    return folded;
}

bool FakeFileSystem::FileExists(const std::wstring& path) {
    return Usable(path) && files_.count(FoldCase(path)) != 0;
}

bool FakeFileSystem::FolderExists(const std::wstring& path) {
    return Usable(path) && folders_.count(FoldCase(path)) != 0;
}

bool FakeFileSystem::Writable(const std::wstring& path) const {
    const std::wstring parent = FoldCase(ParentOf(path));
    return folders_.count(parent) != 0 && readOnly_.count(parent) == 0;
}

bool FakeFileSystem::CreateFolder(const std::wstring& path) {
    if (!Usable(path) || FileExists(path)) {
        return false;
    }
    if (FolderExists(path)) {
        return true;
    }
    if (!Writable(path)) {
        return false;
    }
    folders_.insert(FoldCase(path));
    return true;
}

std::optional<std::string> FakeFileSystem::ReadAll(const std::wstring& path) {
    return Content(path);
}

bool FakeFileSystem::ReplaceAll(const std::wstring& path, std::string_view bytes) {
    if (!Usable(path) || !Writable(path) || FolderExists(path)) {
        return false;
    }
    files_[FoldCase(path)] = std::string(bytes);
    spelling_.emplace(FoldCase(path), path);
    // The new content arrives as a new file (moved over the old one), with attributes of its own.
    attributes_.erase(FoldCase(path));
    writeTimes_.erase(FoldCase(path));
    return true;
}

bool FakeFileSystem::CreateNewEmpty(const std::wstring& path) {
    if (!Usable(path) || !Writable(path) || FileExists(path) || FolderExists(path)) {
        return false;
    }
    files_[FoldCase(path)] = std::string();
    spelling_.emplace(FoldCase(path), path);
    return true;
}

bool FakeFileSystem::Remove(const std::wstring& path) {
    if (!FileExists(path) || readOnly_.count(FoldCase(ParentOf(path))) != 0) {
        return false;
    }
    // As DeleteFileW: a read-only file stays until the attribute is cleared.
    const auto attributes = attributes_.find(FoldCase(path));
    if (attributes != attributes_.end() &&
        (attributes->second & platform::kAttributeReadOnly) != 0) {
        return false;
    }
    files_.erase(FoldCase(path));
    spelling_.erase(FoldCase(path));
    attributes_.erase(FoldCase(path));
    return true;
}

void FakeFileSystem::AddFolder(const std::wstring& path) {
    for (std::wstring folder = path; !folder.empty(); folder = ParentOf(folder)) {
        folders_.insert(FoldCase(folder));
        spelling_.emplace(FoldCase(folder), folder);
    }
}

void FakeFileSystem::AddFile(const std::wstring& path, std::string content) {
    AddFolder(ParentOf(path));
    files_[FoldCase(path)] = std::move(content);
    spelling_[FoldCase(path)] = path;
}

void FakeFileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    attributes_[FoldCase(path)] = attributes;
}

std::optional<std::uint32_t> FakeFileSystem::FileAttributes(const std::wstring& path) {
    if (FolderExists(path)) {
        return platform::kAttributeDirectory;
    }
    if (!FileExists(path)) {
        return std::nullopt;
    }
    const auto found = attributes_.find(FoldCase(path));
    return found != attributes_.end() ? found->second : platform::kAttributeArchive;
}

bool FakeFileSystem::ChangeAttributes(const std::wstring& path, std::uint32_t attributes) {
    if (!FileExists(path) || readOnly_.count(FoldCase(ParentOf(path))) != 0) {
        return false;
    }
    attributes_[FoldCase(path)] = attributes;
    return true;
}

bool FakeFileSystem::RemoveEmptyFolder(const std::wstring& path) {
    const std::wstring folder = FoldCase(path);
    if (!FolderExists(path) || readOnly_.count(FoldCase(ParentOf(path))) != 0) {
        return false;
    }
    const auto inside = [&folder](const std::wstring& key) {
        return key.size() > folder.size() && key.starts_with(folder) && key[folder.size()] == L'\\';
    };
    for (const auto& entry : files_) {
        if (inside(entry.first)) {
            return false;
        }
    }
    for (const std::wstring& other : folders_) {
        if (inside(other)) {
            return false;
        }
    }
    folders_.erase(folder);
    spelling_.erase(folder);
    attributes_.erase(folder);
    return true;
}

std::optional<std::uint64_t> FakeFileSystem::FileSize(const std::wstring& path) {
    const auto content = Content(path);
    if (!content) {
        return std::nullopt;
    }
    return content->size();
}

std::optional<std::uint64_t> FakeFileSystem::LastWriteTime(const std::wstring& path) {
    const auto found = writeTimes_.find(FoldCase(path));
    if (!FileExists(path) || found == writeTimes_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void FakeFileSystem::SetLastWriteTime(const std::wstring& path, std::uint64_t fileTime) {
    writeTimes_[FoldCase(path)] = fileTime;
}

std::vector<platform::FolderEntry> FakeFileSystem::ListFolder(const std::wstring& folder,
                                                              const std::wstring& pattern) {
    const std::wstring parent = FoldCase(folder);
    const std::wstring wanted = FoldCase(pattern);
    const auto matches = [&](const std::wstring& name) {
        if (wanted == L"*") {
            return true;
        }
        if (wanted.size() > 1 && wanted[0] == L'*') {
            const std::wstring tail = wanted.substr(1);
            return name.size() >= tail.size() &&
                   name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
        }
        return name == wanted;
    };
    std::vector<platform::FolderEntry> entries;
    const auto consider = [&](const std::wstring& key, std::uint32_t defaultAttributes,
                              std::uint64_t size) {
        if (ParentOf(key) != parent || !matches(key.substr(parent.size() + 1))) {
            return;
        }
        const auto spelled = spelling_.find(key);
        const std::wstring full = spelled != spelling_.end() ? spelled->second : key;
        const auto attributes = attributes_.find(key);
        entries.push_back({full.substr(full.find_last_of(L'\\') + 1),
                           attributes != attributes_.end() ? attributes->second : defaultAttributes,
                           size});
    };
    for (const auto& [key, content] : files_) {
        consider(key, platform::kAttributeArchive, content.size());
    }
    for (const auto& key : folders_) {
        consider(key, platform::kAttributeDirectory, 0);
    }
    return entries;
}

std::optional<std::string> FakeFileSystem::Content(const std::wstring& path) const {
    const auto found = files_.find(FoldCase(path));
    if (found == files_.end()) {
        return std::nullopt;
    }
    return found->second;
}

void FakeFileSystem::MakeReadOnly(const std::wstring& folder) {
    readOnly_.insert(FoldCase(folder));
}

platform::FolderAnswer FakeFolders::SpecialFolder(int csidl) {
    const auto found = special.find(csidl);
    if (found == special.end()) {
        return {platform::FolderResult::InvalidId, {}};
    }
    return found->second;
}

std::optional<std::wstring> FakeFolders::LongPath(const std::wstring& path) {
    const auto found = longForms.find(path);
    if (found == longForms.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::wstring> FakeFolders::CreateUniqueFolder(const std::wstring& parent,
                                                            const std::wstring& prefix) {
    if (files == nullptr || !files->FolderExists(parent)) {
        return std::nullopt;
    }
    for (int attempt = 0; attempt < 8; ++attempt, ++nextRandom) {
        const std::wstring random =
            nextRandom < randomNames.size() ? randomNames[nextRandom] : std::to_wstring(nextRandom);
        const std::wstring path = parent + L"\\" + prefix + random;
        if (!files->FolderExists(path) && !files->FileExists(path)) {
            ++nextRandom;
            files->AddFolder(path);
            return path;
        }
    }
    return std::nullopt;
}

std::optional<std::wstring> FakeFolders::ShortPath(const std::wstring& path) {
    const auto found = shortForms.find(path);
    if (found == shortForms.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool FakeShellLinks::CreateLink(const platform::LinkSpec& link) {
    if (fail) {
        return false;
    }
    created.push_back(link);
    return true;
}

std::optional<platform::LinkTarget> FakeShellLinks::ReadLink(const std::wstring& linkPath) {
    const auto found = readable.find(FoldCase(linkPath));
    if (found != readable.end()) {
        return found->second;
    }
    for (auto link = created.rbegin(); link != created.rend(); ++link) {
        if (FoldCase(link->linkPath) == FoldCase(linkPath)) {
            return platform::LinkTarget{link->targetPath, link->arguments};
        }
    }
    return std::nullopt;
}

std::optional<std::vector<std::uint8_t>>
FakeVersionInfo::ReadVersionBlock(const std::wstring& path) {
    ++reads;
    const auto found = blocks.find(FoldCase(path));
    if (found == blocks.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::string FakeLocale::ToAnsi(std::wstring_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t character : text) {
        bytes += character <= 0xFF ? static_cast<char>(character) : '?';
    }
    return bytes;
}

std::wstring FakeLocale::FromAnsi(std::string_view bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        text += static_cast<wchar_t>(static_cast<unsigned char>(byte));
    }
    return text;
}

std::string FakeLocale::ToOem(std::wstring_view text) {
    static constexpr std::pair<wchar_t, char> kGerman[] = {
        {L'\u00e4', '\x84'}, {L'\u00f6', '\x94'}, {L'\u00fc', '\x81'}, {L'\u00df', '\xe1'},
        {L'\u00c4', '\x8e'}, {L'\u00d6', '\x99'}, {L'\u00dc', '\x9a'}};
    std::string bytes;
    bytes.reserve(text.size());
    for (const wchar_t character : text) {
        char byte = character < 0x80 ? static_cast<char>(character) : '?';
        for (const auto& [letter, code] : kGerman) {
            if (character == letter) {
                byte = code;
            }
        }
        bytes += byte;
    }
    return bytes;
}

namespace {

// The conversion's result when it kept every character: a '?' in the bytes that was not a '?' in
// the text stood in for a character the code page lacks.
std::optional<std::string> ExactOnly(std::wstring_view text, std::string bytes) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (bytes[i] == '?' && text[i] != L'?') {
            return std::nullopt;
        }
    }
    return bytes;
}

} // namespace

std::optional<std::string> FakeLocale::ToAnsiExact(std::wstring_view text) {
    return ExactOnly(text, ToAnsi(text));
}

std::optional<std::string> FakeLocale::ToOemExact(std::wstring_view text) {
    return ExactOnly(text, ToOem(text));
}

std::wstring FakeLocale::ToLower(std::wstring_view text) {
    return FoldCase(std::wstring(text));
}

std::wstring FakeLocale::ToUpper(std::wstring_view text) {
    return UpperCase(std::wstring(text));
}

std::wstring FakeLocale::FormatDateTime(const platform::LocalTime& time) {
    const int hour12 = time.hour % 12 == 0 ? 12 : time.hour % 12;
    wchar_t text[64] = {};
    std::swprintf(text, 64, L"%d/%d/%d %d:%02d:%02d %ls", time.month, time.day, time.year, hour12,
                  time.minute, time.second, time.hour < 12 ? L"AM" : L"PM");
    return text;
}

std::optional<platform::LocalTime> FakeLocale::ParseDateTime(const std::wstring& text) {
    platform::LocalTime time;
    wchar_t half[3] = {};
    int consumed = 0;
    if (std::swscanf(text.c_str(), L"%d/%d/%d %d:%d:%d %2ls%n", &time.month, &time.day, &time.year,
                     &time.hour, &time.minute, &time.second, half, &consumed) != 7 ||
        static_cast<std::size_t>(consumed) != text.size() || time.month < 1 || time.month > 12 ||
        time.day < 1 || time.day > 31 || time.hour < 1 || time.hour > 12 || time.minute > 59 ||
        time.second > 59) {
        return std::nullopt;
    }
    const std::wstring meridiem = half;
    if (meridiem != L"AM" && meridiem != L"PM") {
        return std::nullopt;
    }
    time.hour = time.hour % 12 + (meridiem == L"PM" ? 12 : 0);
    return time;
}

platform::LocalTime FakeClock::UtcNow() {
    return services::ShiftedTime(now, -utcOffsetSeconds);
}

std::optional<platform::LocalTime> FakeClock::LocalOfUtc(const platform::LocalTime& utc) {
    return services::ShiftedTime(utc, utcOffsetSeconds);
}

} // namespace vtrl::fakes
