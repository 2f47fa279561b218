#include "inventory/folder_redirection_place.h"

#include "inventory/registry_value_edit.h"
#include "inventory/startup_folder_scan.h"
#include "services/registry_access.h"

namespace vtrl::inventory {

void FolderRedirectionPlace::List(ScanContext& context, const PlaceSite& site) const {
    for (const std::wstring& value : site.values) {
        if (const auto setting = StartupSettingAt(context.platform.locale, site.location, value)) {
            ScanFolderRedirection(context, *setting);
        }
    }
}

bool FolderRedirectionPlace::CanRemove(const StartupRecord& record) const {
    return !record.EntryName.empty() && record.EntryName.find(L'\0') == std::wstring::npos &&
           record.Location.find(L'\0') == std::wstring::npos;
}

std::optional<PlaceContent> FolderRedirectionPlace::Read(platform::Platform& platform,
                                                         const StartupRecord& record) const {
    return ReadValueContent(platform.registry, record.Location, record.EntryName,
                            FullLocation(record));
}

bool FolderRedirectionPlace::Remove(platform::Platform& platform,
                                    const StartupRecord& record) const {
    const auto setting = StartupSettingAt(platform.locale, record.Location, record.EntryName);
    return setting && WriteNamedValue(platform.registry, record.Location, record.EntryName,
                                      DefaultValueOf(*setting));
}

std::optional<std::wstring>
FolderRedirectionPlace::EntryAt(platform::Locale& locale, const PlaceSite& site,
                                const std::wstring& fullLocation) const {
    const auto name = RestAfter(locale, fullLocation, site.location);
    if (!name) {
        return std::nullopt;
    }
    for (const std::wstring& value : site.values) {
        if (locale.ToLower(value) == locale.ToLower(*name)) {
            return value;
        }
    }
    return std::nullopt;
}

bool FolderRedirectionPlace::WriteBack(platform::Platform& platform, const PlaceSite& site,
                                       const std::wstring& entry,
                                       const PlaceContent& content) const {
    return WriteValueContent(platform.registry, site.location, entry, content);
}

bool FolderRedirectionPlace::WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                                          const std::wstring& entry,
                                          const LoggedRecord& logged) const {
    return WriteNamedValue(platform.registry, site.location, entry,
                           {platform::kRegExpandSz, services::EncodeRegSz(logged.commandLine)});
}

bool FolderRedirectionPlace::StartRestored(platform::Platform& /*platform*/,
                                           const PlaceSite& /*site*/, const std::wstring& /*entry*/,
                                           const LoggedRecord& /*logged*/) const {
    return false;
}

const StartupPlace& StartupFolderRedirections() {
    static const FolderRedirectionPlace place;
    return place;
}

PlaceSite RedirectionSite(const StartupFolderSetting& setting) {
    return {&StartupFolderRedirections(), setting.keyText, {setting.valueName}, false};
}

} // namespace vtrl::inventory
