#include "services/system_facts.h"

#include "services/registry_access.h"

#include <cstdint>
#include <cwchar>

namespace vtrl::services {

namespace {

// The version this build carries; used only when the executable's own version resource
// cannot be read, so that the data folder never moves.
constexpr platform::ModuleVersion kBuildVersion{VTRL_VERSION_MAJOR, VTRL_VERSION_MINOR};

constexpr wchar_t kAdminProbeKey[] = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft";
constexpr wchar_t kAdminProbeValue[] = L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Test";
constexpr wchar_t kAdminProbeName[] = L"Test";
constexpr wchar_t kAdminProbeFile[] = L":\\testwrit";
constexpr wchar_t kMachineGuidPath[] =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography\\MachineGuid";

// Checks that a new file can be created at the root of the Windows drive. The probe never
// truncates or deletes a file that was there before it: a name already taken is passed over.
bool CanCreateAtDriveRoot(platform::FileSystem& files, const std::wstring& windowsDrive) {
    const std::wstring base = windowsDrive + kAdminProbeFile;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const std::wstring path = attempt == 0 ? base : base + std::to_wstring(attempt);
        if (files.FileExists(path) || files.FolderExists(path)) {
            continue;
        }
        if (!files.CreateNewEmpty(path)) {
            return false;
        }
        files.Remove(path);
        return true;
    }
    return false;
}

// Checks that the local-machine registry can be written. A "Test" value that someone else put
// there is written back unchanged instead of being replaced and deleted.
bool CanWriteLocalMachine(platform::Registry& registry) {
    const auto location = ParseRegistryLocation(kAdminProbeKey);
    if (!location) {
        return false;
    }
    if (const auto existing =
            registry.QueryValue(location->hive, location->keyPath, kAdminProbeName)) {
        return registry.SetValue(location->hive, location->keyPath, kAdminProbeName, *existing);
    }
    RegWriteValue(registry, kAdminProbeKey, kAdminProbeName, kAdminProbeName, platform::kRegSz);
    if (RegReadValue(registry, kAdminProbeValue).empty()) {
        return false;
    }
    RegDeletePath(registry, kAdminProbeValue);
    return RegReadValue(registry, kAdminProbeValue).empty();
}

} // namespace

std::wstring GetSpecialFolder(platform::Folders& folders, int csidl) {
    const platform::FolderAnswer answer = folders.SpecialFolder(csidl);
    switch (answer.result) {
    case platform::FolderResult::Ok:
        return TrimAtNul(answer.path + L'\0');
    case platform::FolderResult::InvalidId:
        return kInvalidFolderIdText;
    case platform::FolderResult::DoesNotExist:
        return kFolderMissingText;
    case platform::FolderResult::Failed:
        break;
    }
    // Every path built on this names no file.
    return std::wstring(kFolderBufferLength, L'\0');
}

std::wstring GetTempFolder(platform::Folders& folders, const std::wstring& windowsDrive) {
    std::wstring path = folders.TempPath().value_or(std::wstring());
    if (path.empty()) {
        path = windowsDrive + L":\\";
    }
    if (auto longPath = folders.LongPath(path); longPath && !longPath->empty()) {
        path = *longPath;
    }
    if (path.size() >= 2 && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

std::wstring ProductTitle() {
    return L"Vantorel " + std::to_wstring(kBuildVersion.major) + L"." +
           std::to_wstring(kBuildVersion.minor);
}

std::wstring VersionTextFor(int major, int minor) {
    std::wstring text = std::to_wstring(major) + L".";
    if (minor < 10) {
        text += L'0';
    }
    return text + std::to_wstring(minor);
}

bool IsAdministrator(platform::Registry& registry, platform::FileSystem& files,
                     const std::wstring& windowsDrive) {
    return CanWriteLocalMachine(registry) && CanCreateAtDriveRoot(files, windowsDrive);
}

std::wstring MachineIdFrom(const std::wstring& machineIdentity) {
    // FNV-1a over a salted identity: stable for one machine, and the identity cannot be read back.
    std::uint64_t hash = 14695981039346656037ull;
    const std::wstring salted = L"Vantorel machine|" + machineIdentity;
    for (const wchar_t character : salted) {
        const auto unit = static_cast<std::uint32_t>(character);
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (unit >> shift) & 0xFFu;
            hash *= 1099511628211ull;
        }
    }
    wchar_t text[17] = {};
    std::swprintf(text, 17, L"%016llX", static_cast<unsigned long long>(hash));
    return text;
}

std::wstring ReadMachineId(platform::Registry& registry) {
    return RegReadValue(registry, kMachineGuidPath);
}

std::wstring TrimAtNul(const std::wstring& text) {
    const auto nul = text.find(L'\0');
    return nul == std::wstring::npos ? std::wstring() : text.substr(0, nul);
}

std::wstring GetCountryName(platform::Locale& locale) {
    return TrimAtNul(locale.EnglishCountryName());
}

std::wstring GetShortPath(platform::Folders& folders, const std::wstring& path) {
    return folders.ShortPath(path).value_or(std::wstring());
}

void CreateLinkFile(platform::ShellLinks& links, const std::wstring& linkPath,
                    const std::wstring& targetPath, const std::wstring& description,
                    const std::wstring& workingDirectory, const std::wstring& arguments,
                    const std::wstring& iconLocation) {
    links.CreateLink(
        {linkPath, targetPath, description, workingDirectory, arguments, iconLocation});
}

std::wstring GetStartupFolder(platform::Folders& folders, platform::KnownFolder folder) {
    // The older call still runs first: it creates the folder when it is missing.
    const std::wstring special = GetSpecialFolder(folders, folder == platform::KnownFolder::Startup
                                                               ? platform::kCsidlStartup
                                                               : platform::kCsidlCommonStartup);
    return folders.KnownFolderPath(folder).value_or(special);
}

SystemFacts FrameworkStartup(platform::Platform& platform, const StartupOptions& options) {
    SystemFacts facts;
    facts.StartupFolder = GetStartupFolder(platform.folders, platform::KnownFolder::Startup);
    facts.DesktopFolder = GetSpecialFolder(platform.folders, platform::kCsidlDesktopDirectory);
    facts.CommonProgramsFolder = GetSpecialFolder(platform.folders, platform::kCsidlCommonPrograms);
    facts.CommonStartupFolder =
        GetStartupFolder(platform.folders, platform::KnownFolder::CommonStartup);
    facts.CommonDesktopFolder =
        GetSpecialFolder(platform.folders, platform::kCsidlCommonDesktopDirectory);
    facts.AppDataFolder = GetSpecialFolder(platform.folders, platform::kCsidlAppData);
    facts.WindowsFolder = GetSpecialFolder(platform.folders, platform::kCsidlWindows);
    facts.SystemFolder = GetSpecialFolder(platform.folders, platform::kCsidlSystem);
    facts.ProgramFilesFolder = GetSpecialFolder(platform.folders, platform::kCsidlProgramFiles);

    facts.WindowsDrive = facts.WindowsFolder.substr(0, 1);

    const platform::ModuleVersion version = platform.version.OwnVersion().value_or(kBuildVersion);
    facts.DataFolder =
        facts.AppDataFolder + L"\\" + kDataFolderStem + std::to_wstring(version.major);
    if (options.createDataFolder && !platform.files.FolderExists(facts.DataFolder)) {
        platform.files.CreateFolder(facts.DataFolder);
    }

    facts.IsAdmin = IsAdministrator(platform.registry, platform.files, facts.WindowsDrive);
    if (facts.IsAdmin) {
        // The data folder lies in the user's profile, where any process of the user can plant a
        // junction or link; an administrator's writes must not follow one out of it.
        platform.files.RefuseReparsePointsIn(
            facts.DataFolder, GetSpecialFolder(platform.folders, platform::kCsidlProfile));
    }
    facts.TempFolder = GetTempFolder(platform.folders, facts.WindowsDrive);
    facts.VersionText = VersionTextFor(version.major, version.minor);

    std::wstring identity = ReadMachineId(platform.registry);
    if (identity.empty()) {
        // No machine GUID: the Windows and application-data folders at least stay put.
        identity = facts.WindowsFolder + L"|" + facts.AppDataFolder;
    }
    facts.MachineId = MachineIdFrom(identity);

    facts.ProgramFolder = platform.folders.ProgramFolder();
    facts.ProgramName = platform.folders.ProgramName();
    return facts;
}

} // namespace vtrl::services
