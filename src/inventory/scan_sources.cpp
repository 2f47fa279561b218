#include "inventory/scan_sources.h"

#include "inventory/folder_redirection_place.h"
#include "inventory/list_value_place.h"
#include "inventory/run_key_place.h"
#include "inventory/shortcut_place.h"
#include "inventory/startup_file_place.h"
#include "inventory/subkey_place.h"
#include "inventory/windows_switch.h"
#include "inventory/windows_switch_place.h"

namespace vtrl::inventory {

namespace {

constexpr wchar_t kLocalMachineRoot[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\";
// 32-bit programs' machine-wide entries on 64-bit Windows. The literal node path reaches that
// view from a 64-bit process without a view flag, so removal, backup and restore address these
// values through the same text-based registry operations as any other.
constexpr wchar_t kLocalMachine32Root[] = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\";
constexpr wchar_t kCurrentUserRoot[] = L"HKEY_CURRENT_USER\\Software\\";
constexpr wchar_t kCurrentVersion[] = L"Microsoft\\Windows\\CurrentVersion";
constexpr const wchar_t* kRunKeyNames[] = {L"\\Run", L"\\RunOnce", L"\\RunOnceEx"};

constexpr wchar_t kControlSet[] = L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\";
constexpr wchar_t kNtCurrentVersion[] = L"Microsoft\\Windows NT\\CurrentVersion\\";

// The machine's key under both views, then the user's (an empty tail: none).
void AddBothViews(ScanSources& sources, const StartupPlace& type, const std::wstring& machineTail,
                  const std::vector<std::wstring>& machineValues, const std::wstring& userTail,
                  const std::vector<std::wstring>& userValues) {
    if (!machineTail.empty()) {
        for (const wchar_t* root : {kLocalMachineRoot, kLocalMachine32Root}) {
            sources.places.push_back({&type, root + machineTail, machineValues, true});
        }
    }
    if (!userTail.empty()) {
        sources.places.push_back({&type, kCurrentUserRoot + userTail, userValues, false});
    }
}

} // namespace

ScanSources DefaultScanSources(const services::SystemFacts& facts) {
    ScanSources sources;
    // "SOFTWARE" and "Software" differ on purpose: the texts are stored in Location and later
    // compared and written as they are.
    // Windows' own switch exists for "Run" only, never for RunOnce or RunOnceEx: the machine's
    // 32-bit view has its own subkey, the user's one key is shared by both views.
    const std::wstring machineRunSwitch[] = {std::wstring(kApprovedMachineKey) + kApprovedRun,
                                             std::wstring(kApprovedMachineKey) + kApprovedRun32};
    for (int view = 0; view < 2; ++view) {
        const wchar_t* root = view == 0 ? kLocalMachineRoot : kLocalMachine32Root;
        for (const wchar_t* key : kRunKeyNames) {
            PlaceSite site = RunKeySite(std::wstring(root) + kCurrentVersion + key);
            site.machineWide = true;
            if (key == kRunKeyNames[0]) {
                site.switchKey = machineRunSwitch[view];
            }
            sources.places.push_back(std::move(site));
        }
    }
    // HKEY_CURRENT_USER's Run keys are shared between the views: once is enough.
    for (const wchar_t* key : kRunKeyNames) {
        PlaceSite site = RunKeySite(std::wstring(kCurrentUserRoot) + kCurrentVersion + key);
        if (key == kRunKeyNames[0]) {
            site.switchKey = std::wstring(kApprovedUserKey) + kApprovedRun;
        }
        sources.places.push_back(std::move(site));
    }
    // Each Startup folder: its shortcuts, its other files (both switched by file name, in the
    // folder owner's hive), then its redirection.
    const std::wstring userFolderSwitch = std::wstring(kApprovedUserKey) + kApprovedStartupFolder;
    for (PlaceSite user :
         {StartupFolderSite(facts.StartupFolder), StartupFileSite(facts.StartupFolder)}) {
        user.switchKey = userFolderSwitch;
        sources.places.push_back(std::move(user));
    }
    sources.places.push_back(RedirectionSite(UserStartupSetting()));
    const std::wstring commonFolderSwitch =
        std::wstring(kApprovedMachineKey) + kApprovedStartupFolder;
    for (PlaceSite common :
         {StartupFolderSite(facts.CommonStartupFolder), StartupFileSite(facts.CommonStartupFolder),
          RedirectionSite(CommonStartupSetting())}) {
        common.machineWide = true;
        if (common.type != &StartupFolderRedirections()) {
            common.switchKey = commonFolderSwitch;
        }
        sources.places.push_back(std::move(common));
    }

    const std::wstring runOnceEx = std::wstring(kCurrentVersion) + L"\\RunOnceEx";
    AddBothViews(sources, RunOnceExSections(), runOnceEx, {}, runOnceEx, {});
    // The policies key is one of those the two views share: listed once.
    const std::wstring policyRun = std::wstring(kCurrentVersion) + L"\\Policies\\Explorer\\Run";
    sources.places.push_back(
        {&PolicyRunValues(), std::wstring(kLocalMachineRoot) + policyRun, {}, true});
    sources.places.push_back({&PolicyRunValues(), kCurrentUserRoot + policyRun, {}, false});
    AddBothViews(sources, WindowsLoadLists(), L"", {}, std::wstring(kNtCurrentVersion) + L"Windows",
                 {L"Load", L"Run"});
    const std::wstring winlogon = std::wstring(kNtCurrentVersion) + L"Winlogon";
    AddBothViews(sources, WinlogonLists(), winlogon, {L"Userinit", L"Shell"}, winlogon, {L"Shell"});
    // The SYSTEM hive has one view.
    const std::wstring control = kControlSet;
    sources.places.push_back(
        {&BootExecuteList(), control + L"Session Manager", {L"BootExecute"}, true});
    sources.places.push_back({&RdpStartupPrograms(),
                              control + L"Terminal Server\\Wds\\rdpwd",
                              {L"StartupPrograms"},
                              true});
    sources.places.push_back(
        {&BootVerificationProgram(), control + L"BootVerificationProgram", {L"ImagePath"}, true});
    AddBothViews(sources, ActiveSetupComponents(), L"Microsoft\\Active Setup\\Installed Components",
                 {L"StubPath"}, L"", {});
    // Windows' own switches of the records above: no records of their own, but watched, and
    // where an undone switch-off is written back.
    for (const wchar_t* subkey : {kApprovedRun, kApprovedRun32, kApprovedStartupFolder}) {
        sources.places.push_back(
            {&WindowsSwitches(), std::wstring(kApprovedMachineKey) + subkey, {}, true});
    }
    for (const wchar_t* subkey : {kApprovedRun, kApprovedStartupFolder}) {
        sources.places.push_back(
            {&WindowsSwitches(), std::wstring(kApprovedUserKey) + subkey, {}, false});
    }
    return sources;
}

PlaceSite RunKeySite(std::wstring key) {
    return {&RunKeyValues(), std::move(key), {}, false};
}

PlaceSite StartupFolderSite(std::wstring folder) {
    return {&StartupFolderShortcuts(), std::move(folder), {}, false};
}

PlaceSite StartupFileSite(std::wstring folder) {
    return {&StartupFolderFiles(), std::move(folder), {}, false};
}

} // namespace vtrl::inventory
