#pragma once
// The "install" and "uninstall" one-shot steps: shortcuts, the install month and the uninstall
// entry; and the removal that the running program starts and a batch file and a registry script
// finish after it has ended.

#include "platform/platform.h"
#include "services/command_words.h"
#include "services/localisation.h"
#include "services/system_facts.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace vtrl::shell {

inline constexpr wchar_t kReloadMonthSetting[] = L"Reload-Month";
inline constexpr wchar_t kReloadYearSetting[] = L"Reload-Year";
inline constexpr wchar_t kUninstallKeyStem[] =
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
inline constexpr wchar_t kSettingsStoreRoot[] =
    L"HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\";
inline constexpr wchar_t kUninstallBatchName[] = L"Uninstall.bat";
// The uninstaller a setup program puts beside the executable. When it is there, it is what the
// uninstall entry runs: it removes the files the setup program copied.
inline constexpr wchar_t kSetupUninstallerName[] = L"Uninstall.exe";
inline constexpr wchar_t kUninstallScriptName[] = L"uninstall.reg";
// The two scripts go into a new folder of the temporary folder named this and random digits.
inline constexpr wchar_t kUninstallFolderPrefix[] = L"Vantorel-uninstall-";
// The batch file tries this many times to delete the executable, about a second apart, before it
// goes on without it: a program that can never be deleted must not keep a hidden loop running.
inline constexpr int kUninstallDeleteTries = 30;
// Time given to regedit to read its script before the program goes on.
inline constexpr std::chrono::milliseconds kRegeditPause{500};

// The major version number at the front of the version text ("3.51" -> 3); 0 when there is none.
int MajorVersion(const std::wstring& versionText);

// Every path the two steps write or remove, derived from the start-up facts.
struct InstallLayout {
    std::wstring exeFileName;           // executable name + ".exe", as the program runs
    std::wstring exePath;               // program folder + "\" + exeFileName
    std::wstring agentShortcut;         // Startup folder\Vantorel.lnk
    std::wstring desktopShortcut;       // all-users desktop\Vantorel <major>.lnk
    std::wstring programGroup;          // all-users Programs\Vantorel <major>
    std::wstring programShortcut;       // program group\Vantorel <major>.lnk
    std::wstring expectedInstallFolder; // Program Files\Vantorel <major>
    std::wstring uninstallKey;          // HKLM ...\Uninstall\Vantorel <major>
    // Set by PlaceScripts once the uninstall has made its own folder; empty until then.
    std::wstring scriptFolder; // temporary folder\Vantorel-uninstall-<random>
    std::wstring batchPath;    // scriptFolder\Uninstall.bat
    std::wstring scriptPath;   // scriptFolder\uninstall.reg
    // Whether each folder is the program's own one under a properly resolved shell folder. Only
    // these may be removed by the batch file: a shell folder that could not be resolved turns
    // into a marker text, NULs or an empty text, and the path built on it names something else.
    bool dataFolderIsOwn = false;
    bool programGroupIsOwn = false;
    bool installFolderIsOwn = false;
    bool desktopShortcutIsOwn = false;
};

InstallLayout LayoutFor(const services::SystemFacts& facts);
// Puts the batch file and the registry script into folder.
void PlaceScripts(InstallLayout& layout, const std::wstring& folder);

// Text for a batch line: in double quotes, with every "%" doubled so that cmd takes it as it is
// and expands no variable from a name on disk ("C:\100%x%\...").
std::wstring BatchQuoted(const std::wstring& text);
// Whether folder is exactly parent + "\" + name with parent an absolute local or network path
// ("C:\...", "\\server\share\...") made only of characters a path may hold.
bool IsOwnFolder(const std::wstring& folder, const std::wstring& parent, const std::wstring& name);

// The uninstall entry's command: the 8.3 form of the executable at the expected install folder
// (empty when it is not there) followed by " uninstall".
std::wstring UninstallCommand(const std::wstring& shortExpectedExe);
// The uninstall entry's command for a copy that a setup program installed: the uninstaller's
// path in quotes.
std::wstring SetupUninstallCommand(const std::wstring& uninstallerPath);

// The batch file's lines (PlaceScripts first). lowerExeFileName is the executable name
// lower-cased the Windows way; every path and name in them is quoted, and the last line deletes
// the batch file and then its folder.
std::vector<std::wstring> UninstallBatchLines(const InstallLayout& layout,
                                              const services::SystemFacts& facts,
                                              const std::wstring& lowerExeFileName,
                                              bool keepSettings);
// The command lines that start the two scripts: every path in quotes, and cmd told with /s to
// take what stands between the outer quotes as it is.
std::wstring RegeditCommand(const services::SystemFacts& facts, const std::wstring& scriptPath);
std::wstring BatchCommand(const services::SystemFacts& facts, const std::wstring& batchPath);
// The registry script's lines.
std::vector<std::wstring> UninstallScriptLines(const InstallLayout& layout, bool keepSettings);

// "install": ends the process afterwards.
void Install(platform::Platform& platform, const services::SystemFacts& facts,
             const services::Language& language);

// "uninstall": ends the process afterwards. pause waits the given time (tests pass their own).
// Each script is written into a new folder of its own just before it is started, with no
// question in between, so that nothing can swap or change it while the program waits.
using PauseFunction = std::function<void(std::chrono::milliseconds)>;
void Uninstall(platform::Platform& platform, const services::SystemFacts& facts,
               const services::Language& language, const PauseFunction& pause = {});

} // namespace vtrl::shell
