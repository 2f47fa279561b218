#pragma once
// In-memory files, folders, shortcuts, locale and version, with Windows' case-insensitive paths.

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/locale.h"
#include "platform/shell_link.h"
#include "platform/version_info.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace vtrl::fakes {

// Lower-cases ASCII and Latin-1 letters the way Windows compares paths in the common cases.
std::wstring FoldCase(const std::wstring& text);

class FakeFileSystem final : public platform::FileSystem {
public:
    bool FileExists(const std::wstring& path) override;
    bool FolderExists(const std::wstring& path) override;
    bool CreateFolder(const std::wstring& path) override;
    std::optional<std::string> ReadAll(const std::wstring& path) override;
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override;
    bool CreateNewEmpty(const std::wstring& path) override;
    bool Remove(const std::wstring& path) override;
    // As RemoveDirectoryW: only an empty folder outside a read-only one.
    bool RemoveEmptyFolder(const std::wstring& path) override;
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override;
    // Matches "*", "*.ext" and exact names, case-insensitively; lists in name order.
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override;
    std::optional<std::uint32_t> FileAttributes(const std::wstring& path) override;
    // The time set with SetLastWriteTime; nullopt for a missing file or one never set.
    std::optional<std::uint64_t> LastWriteTime(const std::wstring& path) override;
    bool ChangeAttributes(const std::wstring& path, std::uint32_t attributes) override;

    // Test set-up and inspection.
    void AddFolder(const std::wstring& path); // with all its parents
    void AddFile(const std::wstring& path, std::string content);
    std::optional<std::string> Content(const std::wstring& path) const;
    void MakeReadOnly(const std::wstring& folder); // nothing can be created or replaced inside
    void SetAttributes(const std::wstring& path, std::uint32_t attributes);
    void SetLastWriteTime(const std::wstring& path, std::uint64_t fileTime);
    std::size_t FileCount() const { return files_.size(); }
    // What RefuseReparsePointsIn was last asked (the fake has no links to refuse).
    void RefuseReparsePointsIn(const std::wstring& folder, const std::wstring& root) override {
        guardedFolder = folder;
        guardRoot = root;
    }
    std::wstring guardedFolder, guardRoot;

private:
    bool Writable(const std::wstring& path) const;
    std::map<std::wstring, std::string> files_; // keyed by folded path
    std::set<std::wstring> folders_;            // folded paths
    std::set<std::wstring> readOnly_;
    std::map<std::wstring, std::uint32_t> attributes_; // folded path -> attributes
    std::map<std::wstring, std::uint64_t> writeTimes_; // folded path -> FILETIME (UTC)
    std::map<std::wstring, std::wstring> spelling_;    // folded path -> name as created
};

class FakeFolders final : public platform::Folders {
public:
    platform::FolderAnswer SpecialFolder(int csidl) override;
    std::optional<std::wstring> KnownFolderPath(platform::KnownFolder folder) override {
        const auto found = known.find(folder);
        return found == known.end() ? std::nullopt : std::optional(found->second);
    }
    std::optional<std::wstring> TempPath() override { return tempPath; }
    std::optional<std::wstring> LongPath(const std::wstring& path) override;
    std::optional<std::wstring> ShortPath(const std::wstring& path) override;
    // Takes the names in randomNames in turn (then "0", "1", ...), skipping one that exists in
    // files, and creates the folder there.
    std::optional<std::wstring> CreateUniqueFolder(const std::wstring& parent,
                                                   const std::wstring& prefix) override;
    std::wstring ProgramFolder() override { return programFolder; }
    std::wstring ProgramName() override { return programName; }

    std::map<int, platform::FolderAnswer> special;
    std::map<platform::KnownFolder, std::wstring> known; // none known unless set
    std::optional<std::wstring> tempPath = L"C:\\users\\tester\\Temp\\";
    std::map<std::wstring, std::wstring> longForms;  // path -> long form
    std::map<std::wstring, std::wstring> shortForms; // path -> 8.3 form
    std::wstring programFolder = L"C:\\Program Files\\Vantorel";
    std::wstring programName = L"vantorel";
    FakeFileSystem* files = nullptr; // where unique folders are made; none fails
    std::vector<std::wstring> randomNames;
    std::size_t nextRandom = 0;
};

class FakeShellLinks final : public platform::ShellLinks {
public:
    bool CreateLink(const platform::LinkSpec& link) override;
    // Reads a shortcut set up in readable (keyed by folded path), else the last one created.
    std::optional<platform::LinkTarget> ReadLink(const std::wstring& linkPath) override;
    std::vector<platform::LinkSpec> created;
    std::map<std::wstring, platform::LinkTarget> readable;
    bool fail = false;
};

class FakeLocale final : public platform::Locale {
public:
    std::wstring EnglishCountryName() override { return country; }
    // A single-byte code page: characters up to 255 map to their byte, others to '?'.
    std::string ToAnsi(std::wstring_view text) override;
    std::wstring FromAnsi(std::string_view bytes) override;
    // ASCII as it is, the German letters as code page 850 has them, others '?'.
    std::string ToOem(std::wstring_view text) override;
    // Exact forms of the above: nullopt when a character has no byte of its own ('?' is only
    // exact for '?'). Every byte is a valid character of the fake ANSI code page.
    std::optional<std::string> ToAnsiExact(std::wstring_view text) override;
    std::optional<std::string> ToOemExact(std::wstring_view text) override;
    std::optional<std::wstring> FromAnsiExact(std::string_view bytes) override {
        return FromAnsi(bytes);
    }
    // ASCII and Latin-1 letters only.
    std::wstring ToLower(std::wstring_view text) override;
    std::wstring ToUpper(std::wstring_view text) override;
    // United States style: "12/8/2026 5:34:07 AM".
    std::wstring FormatDateTime(const platform::LocalTime& time) override;
    std::optional<platform::LocalTime> ParseDateTime(const std::wstring& text) override;
    std::wstring country = std::wstring(L"United States") + L'\0';
};

class FakeClock final : public platform::Clock {
public:
    platform::LocalTime Now() override { return now; }
    // The fake zone is UTC plus utcOffsetSeconds, all year.
    platform::LocalTime UtcNow() override;
    std::optional<platform::LocalTime> LocalOfUtc(const platform::LocalTime& utc) override;
    platform::LocalTime now{2026, 12, 8, 9, 30, 0};
    long long utcOffsetSeconds = 3600;
};

class FakeVersionInfo final : public platform::VersionInfo {
public:
    std::optional<platform::ModuleVersion> OwnVersion() override { return version; }
    std::optional<std::vector<std::uint8_t>> ReadVersionBlock(const std::wstring& path) override;
    std::optional<platform::ModuleVersion> version = platform::ModuleVersion{1, 0};
    std::map<std::wstring, std::vector<std::uint8_t>> blocks; // keyed by folded path
    int reads = 0;                                            // ReadVersionBlock calls
};

} // namespace vtrl::fakes
