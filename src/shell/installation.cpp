#include "shell/installation.h"

#include "services/internet_shortcut.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "services/text_file.h"
#include "services/web_links.h"

#include <algorithm>
#include <cwctype>
#include <thread>
#include <utility>

namespace vtrl::shell {

namespace {

constexpr wchar_t kQuote = L'"';

std::wstring Quoted(const std::wstring& text) {
    return kQuote + text + kQuote;
}

// The product name with the major version: the name of the group, the desktop shortcut and the
// uninstall entry, so that installations of different major versions stay apart.
std::wstring VersionedName(int major) {
    return std::wstring(services::kProductName) + L" " + std::to_wstring(major);
}

bool IsPathCharacter(wchar_t c) {
    return c >= 32 && std::wstring_view(L"\"*?<>|").find(c) == std::wstring_view::npos;
}

// Every component between backslashes is a real name: not empty, not "." or "..".
bool HasPlainComponents(std::wstring_view rest) {
    std::size_t start = 0;
    while (start <= rest.size()) {
        const std::size_t end = std::min(rest.find(L'\\', start), rest.size());
        const std::wstring_view part = rest.substr(start, end - start);
        if (part.empty() || part == L"." || part == L"..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool IsAbsoluteFolder(const std::wstring& path) {
    for (const wchar_t c : path) {
        if (!IsPathCharacter(c)) {
            return false;
        }
    }
    if (path.size() >= 4 && std::iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\') {
        const std::wstring_view rest = std::wstring_view(path).substr(3);
        return rest.find(L':') == std::wstring_view::npos && HasPlainComponents(rest);
    }
    if (path.size() >= 5 && path.starts_with(L"\\\\")) {
        const std::wstring_view rest = std::wstring_view(path).substr(2);
        // Server and share at least.
        return rest.find(L'\\') != std::wstring_view::npos &&
               rest.find(L':') == std::wstring_view::npos && HasPlainComponents(rest);
    }
    return false;
}

// The layout and facts with every existing path the batch file names in its 8.3 form; a path
// without one stays as it is.
std::pair<InstallLayout, services::SystemFacts>
InShortForms(platform::Folders& folders, InstallLayout layout, services::SystemFacts facts) {
    const auto shorten = [&folders](std::wstring& path) {
        if (auto shortPath = folders.ShortPath(path); shortPath && !shortPath->empty()) {
            path = *shortPath;
        }
    };
    for (std::wstring* path : {&layout.exePath, &layout.desktopShortcut, &layout.programGroup,
                               &layout.expectedInstallFolder, &layout.scriptFolder,
                               &facts.DataFolder, &facts.SystemFolder}) {
        shorten(*path);
    }
    PlaceScripts(layout, layout.scriptFolder);
    return {std::move(layout), std::move(facts)};
}

} // namespace

int MajorVersion(const std::wstring& versionText) {
    int major = 0;
    for (const wchar_t c : versionText) {
        if (c < L'0' || c > L'9' || major > 100000) {
            break;
        }
        major = major * 10 + (c - L'0');
    }
    return major;
}

bool IsOwnFolder(const std::wstring& folder, const std::wstring& parent, const std::wstring& name) {
    if (name.empty() || name == L"." || name == L".." || name.find(L'\\') != std::wstring::npos) {
        return false;
    }
    return IsAbsoluteFolder(parent) && folder == parent + L"\\" + name;
}

InstallLayout LayoutFor(const services::SystemFacts& facts) {
    const int major = MajorVersion(facts.VersionText);
    const std::wstring versioned = VersionedName(major);
    InstallLayout layout;
    layout.exeFileName = facts.ProgramName + L".exe";
    layout.exePath = facts.ProgramFolder + L"\\" + layout.exeFileName;
    layout.agentShortcut =
        facts.StartupFolder + L"\\" + services::kProductName + std::wstring(L".lnk");
    layout.desktopShortcut = facts.CommonDesktopFolder + L"\\" + versioned + L".lnk";
    layout.programGroup = facts.CommonProgramsFolder + L"\\" + versioned;
    layout.programShortcut = layout.programGroup + L"\\" + versioned + L".lnk";
    layout.expectedInstallFolder = facts.ProgramFilesFolder + L"\\" + versioned;
    layout.uninstallKey = kUninstallKeyStem + versioned;

    layout.dataFolderIsOwn = IsOwnFolder(facts.DataFolder, facts.AppDataFolder,
                                         services::kDataFolderStem + std::to_wstring(major));
    layout.programGroupIsOwn =
        IsOwnFolder(layout.programGroup, facts.CommonProgramsFolder, versioned);
    layout.installFolderIsOwn =
        IsOwnFolder(layout.expectedInstallFolder, facts.ProgramFilesFolder, versioned);
    layout.desktopShortcutIsOwn =
        IsOwnFolder(layout.desktopShortcut, facts.CommonDesktopFolder, versioned + L".lnk");
    return layout;
}

void PlaceScripts(InstallLayout& layout, const std::wstring& folder) {
    layout.scriptFolder = folder;
    layout.batchPath = folder + L"\\" + kUninstallBatchName;
    layout.scriptPath = folder + L"\\" + kUninstallScriptName;
}

std::wstring BatchQuoted(const std::wstring& text) {
    std::wstring quoted(1, kQuote);
    for (const wchar_t c : text) {
        quoted += c;
        if (c == L'%') {
            quoted += c;
        }
    }
    return quoted + kQuote;
}

std::wstring UninstallCommand(const std::wstring& shortExpectedExe) {
    return shortExpectedExe + L" uninstall";
}

std::wstring SetupUninstallCommand(const std::wstring& uninstallerPath) {
    return Quoted(uninstallerPath);
}

std::vector<std::wstring> UninstallBatchLines(const InstallLayout& layout,
                                              const services::SystemFacts& facts,
                                              const std::wstring& lowerExeFileName,
                                              bool keepSettings) {
    const std::wstring exe = BatchQuoted(layout.exePath);
    std::vector<std::wstring> lines = {
        L"@Echo off",
        L"set /a VtrlTries=0",
        L":S",
        BatchQuoted(facts.SystemFolder + L"\\taskkill.exe") + L" /F /IM " +
            BatchQuoted(lowerExeFileName),
        L"Del " + exe,
        // The running program may hold its file a little longer; a file that can never be
        // deleted ends the loop after a fixed number of tries instead of running on hidden.
        L"If Not Exist " + exe + L" Goto Cleanup",
        L"set /a VtrlTries+=1",
        L"If %VtrlTries% GEQ " + std::to_wstring(kUninstallDeleteTries) + L" Goto Cleanup",
        L"ping -n 2 127.0.0.1 >nul",
        L"If Exist " + exe + L" Goto S",
        L":Cleanup",
    };
    if (!keepSettings && layout.dataFolderIsOwn) {
        lines.push_back(L"rmdir /S /Q " + BatchQuoted(facts.DataFolder));
    }
    if (layout.desktopShortcutIsOwn) {
        lines.push_back(L"Del " + BatchQuoted(layout.desktopShortcut));
    }
    if (layout.programGroupIsOwn) {
        lines.push_back(L"rmdir /S /Q " + BatchQuoted(layout.programGroup));
    }
    if (layout.installFolderIsOwn) {
        lines.push_back(L"rmdir /S /Q " + BatchQuoted(layout.expectedInstallFolder));
    }
    // One line: cmd reads it whole before the batch file is gone, and the folder is empty then
    // (rmdir without /S removes nothing else).
    lines.push_back(L"Del " + BatchQuoted(layout.batchPath) + L" & rmdir " +
                    BatchQuoted(layout.scriptFolder));
    return lines;
}

std::wstring RegeditCommand(const services::SystemFacts& facts, const std::wstring& scriptPath) {
    return Quoted(facts.WindowsFolder + L"\\regedit.exe") + L" /S " + Quoted(scriptPath);
}

std::wstring BatchCommand(const services::SystemFacts& facts, const std::wstring& batchPath) {
    return Quoted(facts.SystemFolder + L"\\cmd.exe") + L" /s /c " + Quoted(Quoted(batchPath));
}

std::vector<std::wstring> UninstallScriptLines(const InstallLayout& layout, bool keepSettings) {
    std::vector<std::wstring> lines = {L"REGEDIT4"};
    if (!keepSettings) {
        lines.push_back(L"[-" + std::wstring(kSettingsStoreRoot) + services::kAppKey + L"]");
    }
    lines.push_back(L"[-" + layout.uninstallKey + L"]");
    return lines;
}

void Install(platform::Platform& platform, const services::SystemFacts& facts,
             const services::Language& language) {
    const std::wstring installedMonth = services::GetSetting(
        platform.registry, services::kMakerKey, services::kAppKey, kReloadMonthSetting);
    services::OpenWebLink(
        platform, facts, language,
        installedMonth.empty() ? services::kTopicInstall : services::kTopicReinstall, L"", false);

    const InstallLayout layout = LayoutFor(facts);
    const std::wstring& folder = facts.ProgramFolder;
    services::CreateLinkFile(platform.links, layout.agentShortcut, layout.exePath,
                             services::kProductName, folder, L"startup", L"");
    services::CreateLinkFile(platform.links, layout.desktopShortcut, layout.exePath, L"", folder,
                             L"", L"");
    if (!platform.files.FolderExists(layout.programGroup)) {
        platform.files.CreateFolder(layout.programGroup);
    }
    // An older installation's shortcuts go; hidden and system files are not listed, so they stay.
    for (const platform::FolderEntry& entry :
         platform.files.ListFolder(layout.programGroup, L"*")) {
        if ((entry.attributes & (platform::kAttributeDirectory | platform::kAttributeHidden |
                                 platform::kAttributeSystem)) == 0) {
            platform.files.Remove(layout.programGroup + L"\\" + entry.name);
        }
    }
    services::CreateLinkFile(platform.links, layout.programShortcut, layout.exePath, L"", folder,
                             L"", L"");
    services::CreateUrlFile(
        platform.files, platform.locale,
        layout.programGroup + L"\\" +
            services::GetText(platform, language, L"SHORTCUTS", L"TOSITE") + L".url",
        services::OpenWebLink(platform, facts, language, services::kTopicSite, L"", true), L"",
        L"");
    services::CreateLinkFile(platform.links,
                             layout.programGroup + L"\\" +
                                 services::GetText(platform, language, L"SHORTCUTS", L"CHECK-UPD") +
                                 L".lnk",
                             layout.exePath, L"", folder, L"updates", L"");

    const platform::LocalTime now = platform.clock.Now();
    services::SaveSetting(platform.registry, services::kMakerKey, services::kAppKey,
                          kReloadMonthSetting, std::to_wstring(now.month));
    services::SaveSetting(platform.registry, services::kMakerKey, services::kAppKey,
                          kReloadYearSetting, std::to_wstring(now.year));

    // A setup program's uninstaller beside this copy removes what it installed, so the entry
    // (the same one the setup program writes) runs it. Otherwise the entry names the expected
    // install folder, not where this copy happens to run from.
    const std::wstring uninstaller = facts.ProgramFolder + L"\\" + kSetupUninstallerName;
    const std::wstring expectedExe = layout.expectedInstallFolder + L"\\" + layout.exeFileName;
    services::RegWriteValue(
        platform.registry, layout.uninstallKey, L"UninstallString",
        platform.files.FileExists(uninstaller)
            ? SetupUninstallCommand(uninstaller)
            : UninstallCommand(services::GetShortPath(platform.folders, expectedExe)),
        platform::kRegSz);
    services::RegWriteValue(platform.registry, layout.uninstallKey, L"DisplayName",
                            std::wstring(services::kProductName) + L" " + facts.VersionText,
                            platform::kRegSz);
}

void Uninstall(platform::Platform& platform, const services::SystemFacts& facts,
               const services::Language& language, const PauseFunction& pause) {
    const std::wstring caption = services::kProductName;
    const std::wstring question =
        services::GetText(platform, language, L"UNINSTALL", L"R-U-SURE") + L"\r\n\r\n" + caption;
    if (platform.messages.Show(question, caption, platform::MessageIcon::Warning,
                               platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }

    InstallLayout layout = LayoutFor(facts);
    if (platform.files.FileExists(layout.agentShortcut)) {
        platform.files.Remove(layout.agentShortcut);
    }
    platform.desktop.CloseWindowByTitle(services::kTrayAgentCaption, false);

    // Only an explicit Yes keeps the settings; a box that could not be shown removes nothing.
    const platform::MessageAnswer keep = platform.messages.Show(
        services::GetText(platform, language, L"UNINSTALL", L"WHAT-ABOUT-SETTINGS"), caption,
        platform::MessageIcon::Information, platform::MessageButtons::YesNo);
    const bool keepSettings = keep != platform::MessageAnswer::No;

    // A folder nobody else can have made: the scripts in it cannot be prepared in advance.
    // Without one neither script runs.
    const std::optional<std::wstring> folder =
        platform.folders.CreateUniqueFolder(facts.TempFolder, kUninstallFolderPrefix);
    if (folder) {
        PlaceScripts(layout, *folder);
        if (services::WriteTextLines(platform.files, platform.locale, layout.scriptPath,
                                     UninstallScriptLines(layout, keepSettings))) {
            platform.launcher.StartProgramHidden(RegeditCommand(facts, layout.scriptPath));
            if (pause) {
                pause(kRegeditPause);
            } else {
                std::this_thread::sleep_for(kRegeditPause);
            }
        }
    }

    platform.messages.Show(
        caption + L" " + services::GetText(platform, language, L"UNINSTALL", L"REMOVED"), caption,
        platform::MessageIcon::Information, platform::MessageButtons::Ok);
    services::OpenWebLink(platform, facts, language, services::kTopicUninstall, L"", false);

    if (!folder) {
        return;
    }
    // regedit has had the pause and the message box to read its script.
    platform.files.Remove(layout.scriptPath);
    const std::wstring lowerExe = platform.locale.ToLower(facts.ProgramName) + L".exe";
    bool batchWritten =
        services::WriteBatchLines(platform.files, platform.locale, layout.batchPath,
                                  UninstallBatchLines(layout, facts, lowerExe, keepSettings));
    if (!batchWritten) {
        // A path the OEM code page cannot hold ("C:\Users\Łukasz" on a Western system) is
        // named by its 8.3 form, which it can.
        auto [shortLayout, shortFacts] = InShortForms(platform.folders, layout, facts);
        batchWritten = services::WriteBatchLines(
            platform.files, platform.locale, layout.batchPath,
            UninstallBatchLines(shortLayout, shortFacts, lowerExe, keepSettings));
    }
    if (batchWritten) {
        platform.launcher.StartProgramHidden(BatchCommand(facts, layout.batchPath));
    } else {
        platform.files.Remove(layout.batchPath);
    }
}

} // namespace vtrl::shell
