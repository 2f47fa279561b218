#pragma once
// Shell folders, the temporary folder, path forms and the program's own location.

#include <optional>
#include <string>

namespace vtrl::platform {

// CSIDL numbers of the shell folders the program uses.
inline constexpr int kCsidlStartup = 0x0007;
inline constexpr int kCsidlDesktopDirectory = 0x0010;
inline constexpr int kCsidlCommonPrograms = 0x0017;
inline constexpr int kCsidlCommonStartup = 0x0018;
inline constexpr int kCsidlCommonDesktopDirectory = 0x0019;
inline constexpr int kCsidlAppData = 0x001A;
inline constexpr int kCsidlWindows = 0x0024;
inline constexpr int kCsidlSystem = 0x0025;
inline constexpr int kCsidlProgramFiles = 0x0026;
inline constexpr int kCsidlProfile = 0x0028;

enum class FolderResult { Ok, InvalidId, DoesNotExist, Failed };

// Folders read through the known-folder API, which follows a redirection under
// "User Shell Folders" the way Windows itself does at logon.
enum class KnownFolder { Startup, CommonStartup };

struct FolderAnswer {
    FolderResult result = FolderResult::Failed;
    std::wstring path; // set for Ok
};

class Folders {
public:
    virtual ~Folders() = default;

    // The current path of a shell folder, created when missing.
    virtual FolderAnswer SpecialFolder(int csidl) = 0;
    // The known folder's current path, redirection followed as the registry holds it now (not as
    // the process read it before), whether it exists or not; nullopt when the system names none.
    virtual std::optional<std::wstring> KnownFolderPath(KnownFolder folder) = 0;
    // The system's temporary path as reported (usually with a trailing backslash).
    virtual std::optional<std::wstring> TempPath() = 0;
    virtual std::optional<std::wstring> LongPath(const std::wstring& path) = 0;
    virtual std::optional<std::wstring> ShortPath(const std::wstring& path) = 0;
    // Creates a new folder in parent (no trailing backslash) named prefix followed by random
    // hexadecimal digits from the system's cryptographic random source. The creation is
    // exclusive: a name that already exists is never used, so nobody can have prepared the
    // folder or its content. The full path, or nullopt.
    virtual std::optional<std::wstring> CreateUniqueFolder(const std::wstring& parent,
                                                           const std::wstring& prefix) = 0;
    // The folder of the running executable (no trailing backslash) and its file name without
    // ".exe".
    virtual std::wstring ProgramFolder() = 0;
    virtual std::wstring ProgramName() = 0;
};

} // namespace vtrl::platform
