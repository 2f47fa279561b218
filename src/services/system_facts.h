#pragma once
// Process-wide facts filled once at start-up and passed to everything that needs them: the shell
// folders, the data folder, the temporary folder, the administrator flag, the version text and the
// machine identifier.

#include "platform/platform.h"

#include <string>

namespace vtrl::services {

// The data folder is the application-data folder + "\" + this + the major version.
inline constexpr wchar_t kDataFolderStem[] = L"VTRL";

// Markers that stand in for a folder path when the shell refuses one.
inline constexpr wchar_t kInvalidFolderIdText[] =
    L"***************************** An invalid folder ID was specified.";
inline constexpr wchar_t kFolderMissingText[] =
    L"***************************** The folder does not exist.";
// Length of the path buffer the shell fills; a failed lookup yields this many NULs.
inline constexpr std::size_t kFolderBufferLength = 260;

struct SystemFacts {
    std::wstring StartupFolder;
    std::wstring DesktopFolder;
    std::wstring CommonProgramsFolder;
    std::wstring CommonStartupFolder;
    std::wstring CommonDesktopFolder;
    std::wstring AppDataFolder;
    std::wstring WindowsFolder;
    std::wstring SystemFolder;
    std::wstring ProgramFilesFolder;
    std::wstring WindowsDrive; // one character, the drive letter
    std::wstring DataFolder;
    std::wstring TempFolder;
    bool IsAdmin = false;
    std::wstring VersionText;
    std::wstring MachineId;
    std::wstring ProgramFolder; // folder of the running executable
    std::wstring ProgramName;   // its file name without ".exe"
};

struct StartupOptions {
    // Readers that must leave no trace (the console companion) ask for the data folder's path
    // without having it made.
    bool createDataFolder = true;
};

// Fills every fact; each step that fails is skipped and the next one runs.
SystemFacts FrameworkStartup(platform::Platform& platform, const StartupOptions& options = {});

// The folder path, one of the two marker texts, or 260 NULs for any other failure.
std::wstring GetSpecialFolder(platform::Folders& folders, int csidl);
// A Startup folder where Windows really looks (a redirection under "User Shell Folders"
// followed); the older shell call's answer when the known-folder API names none.
std::wstring GetStartupFolder(platform::Folders& folders, platform::KnownFolder folder);
// The temporary folder in long form without a trailing backslash.
std::wstring GetTempFolder(platform::Folders& folders, const std::wstring& windowsDrive);
// The program's name and version as its windows show them: "Vantorel 1.0".
std::wstring ProductTitle();
// "major.minor" with the minor in at least two digits: 1.00, 3.05, 3.10, 3.51.
std::wstring VersionTextFor(int major, int minor);
// Writes and removes a value under HKEY_LOCAL_MACHINE, then creates and removes a file at the
// root of the Windows drive; true only when all of that worked. Leaves nothing behind.
bool IsAdministrator(platform::Registry& registry, platform::FileSystem& files,
                     const std::wstring& windowsDrive);
// An opaque, stable identifier derived from the machine's identity; never the identity itself.
std::wstring MachineIdFrom(const std::wstring& machineIdentity);
std::wstring ReadMachineId(platform::Registry& registry);
// The part before the first NUL, or empty text when there is no NUL.
std::wstring TrimAtNul(const std::wstring& text);
// The English name of the user's country, for example "United States".
std::wstring GetCountryName(platform::Locale& locale);
// The 8.3 form of an existing path, empty when it cannot be converted.
std::wstring GetShortPath(platform::Folders& folders, const std::wstring& path);
// Writes a shortcut; failures are silent.
void CreateLinkFile(platform::ShellLinks& links, const std::wstring& linkPath,
                    const std::wstring& targetPath, const std::wstring& description,
                    const std::wstring& workingDirectory, const std::wstring& arguments,
                    const std::wstring& iconLocation);

} // namespace vtrl::services
