#include "inventory/startup_file_place.h"

#include "inventory/startup_folder_items.h"
#include "inventory/startup_folder_scan.h"

namespace vtrl::inventory {

void StartupFilePlace::List(ScanContext& context, const PlaceSite& site) const {
    ScanStartupFolderFiles(context, site.location);
}

std::optional<std::wstring> StartupFilePlace::EntryAt(platform::Locale& locale,
                                                      const PlaceSite& site,
                                                      const std::wstring& fullLocation) const {
    auto name = RestAfter(locale, fullLocation, site.location);
    // No folder part, no stream, no device-like dots.
    if (!name || name->find_first_of(L"\\/:") != std::wstring::npos ||
        name->find(L'\0') != std::wstring::npos || name->back() == L' ' || name->back() == L'.' ||
        locale.ToLower(*name) == kFolderSettingsFile) {
        return std::nullopt;
    }
    return name;
}

bool StartupFilePlace::WriteFromLog(platform::Platform& /*platform*/, const PlaceSite& /*site*/,
                                    const std::wstring& /*entry*/,
                                    const LoggedRecord& /*logged*/) const {
    return false;
}

bool StartupFilePlace::StartRestored(platform::Platform& platform, const PlaceSite& site,
                                     const std::wstring& entry,
                                     const LoggedRecord& /*logged*/) const {
    const std::wstring path = site.location + L"\\" + entry;
    return platform.files.FileExists(path) && platform.launcher.ShellOpen(path);
}

const StartupPlace& StartupFolderFiles() {
    static const StartupFilePlace place;
    return place;
}

} // namespace vtrl::inventory
