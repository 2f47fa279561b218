#include "inventory/startup_place.h"

#include "inventory/list_value_place.h"
#include "inventory/run_key_place.h"
#include "inventory/folder_redirection_place.h"
#include "inventory/shortcut_place.h"
#include "inventory/startup_file_place.h"
#include "inventory/subkey_place.h"
#include "inventory/windows_switch_place.h"

namespace vtrl::inventory {

std::wstring StartupPlace::FullLocation(const StartupRecord& record) const {
    return record.Location + L"\\" + record.EntryName;
}

bool StartupPlace::StartRestored(platform::Platform& platform, const PlaceSite& /*site*/,
                                 const std::wstring& /*entry*/, const LoggedRecord& logged) const {
    return platform.launcher.StartProgram(platform.environment.Expand(logged.commandLine));
}

const StartupPlace* PlaceOfKind(std::wstring_view kind) {
    static const StartupPlace* const kTypes[] = {&RunKeyValues(),
                                                 &StartupFolderShortcuts(),
                                                 &StartupFolderFiles(),
                                                 &StartupFolderRedirections(),
                                                 &RunOnceExSections(),
                                                 &PolicyRunValues(),
                                                 &WindowsLoadLists(),
                                                 &WinlogonLists(),
                                                 &BootExecuteList(),
                                                 &RdpStartupPrograms(),
                                                 &BootVerificationProgram(),
                                                 &ActiveSetupComponents(),
                                                 &WindowsSwitches()};
    for (const StartupPlace* type : kTypes) {
        if (type->Kind() == kind) {
            return type;
        }
    }
    return nullptr;
}

std::optional<std::wstring> RestAfter(platform::Locale& locale, const std::wstring& text,
                                      const std::wstring& prefix) {
    if (prefix.empty() || text.size() <= prefix.size() || text[prefix.size()] != L'\\' ||
        locale.ToLower(text.substr(0, prefix.size())) != locale.ToLower(prefix)) {
        return std::nullopt;
    }
    return text.substr(prefix.size() + 1);
}

} // namespace vtrl::inventory
