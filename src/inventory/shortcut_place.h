#pragma once
// The place type of a Startup folder ("SHORTCUT"): each shortcut file directly in the folder is
// one record, removed by deleting the file (a read-only one too) and written back as the same
// file with its bytes and attributes.

#include "inventory/startup_place.h"

namespace vtrl::inventory {

class ShortcutPlace : public StartupPlace {
public:
    std::wstring_view Kind() const override { return kKindShortcut; }
    WatchScope Watch() const override { return WatchScope::Folder; }
    void List(ScanContext& context, const PlaceSite& site) const override;
    // A file directly in its folder.
    bool CanRemove(const StartupRecord& record) const override;
    std::optional<PlaceContent> Read(platform::Platform& platform,
                                     const StartupRecord& record) const override;
    bool Remove(platform::Platform& platform, const StartupRecord& record) const override;
    // A shortcut file's own name directly in the folder: no folder part, no stream, no
    // device-like dots, ending in ".lnk".
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    // The file's bytes at its old path, replacing a read-only file there too, then its
    // attributes as they were.
    bool WriteBack(platform::Platform& platform, const PlaceSite& site, const std::wstring& entry,
                   const PlaceContent& content) const override;
    // A shortcut to folder\name with the arguments and the folder as working folder.
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;
};

const StartupPlace& StartupFolderShortcuts();

} // namespace vtrl::inventory
