#pragma once
// The place type of a redirected Startup folder ("REDIRECTION"): the "User Shell Folders" value
// that points the folder away from its default is one record, removed by writing the default
// back and written back as the value it was.

#include "inventory/startup_folder_redirection.h"
#include "inventory/startup_place.h"

namespace vtrl::inventory {

class FolderRedirectionPlace final : public StartupPlace {
public:
    std::wstring_view Kind() const override { return kKindFolderRedirection; }
    WatchScope Watch() const override { return WatchScope::KeyValues; }
    // The site's values, each a Startup folder's setting.
    void List(ScanContext& context, const PlaceSite& site) const override;
    bool CanRemove(const StartupRecord& record) const override;
    std::optional<PlaceContent> Read(platform::Platform& platform,
                                     const StartupRecord& record) const override;
    // Writes the setting's default (REG_EXPAND_SZ), as Windows ships it.
    bool Remove(platform::Platform& platform, const StartupRecord& record) const override;
    // One of the site's values, in the site's spelling.
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    bool WriteBack(platform::Platform& platform, const PlaceSite& site, const std::wstring& entry,
                   const PlaceContent& content) const override;
    // A REG_EXPAND_SZ value holding the logged text.
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;
    // A folder starts nothing.
    bool StartRestored(platform::Platform& platform, const PlaceSite& site,
                       const std::wstring& entry, const LoggedRecord& logged) const override;
};

const StartupPlace& StartupFolderRedirections();

// The site of one Startup folder's setting.
PlaceSite RedirectionSite(const StartupFolderSetting& setting);

} // namespace vtrl::inventory
