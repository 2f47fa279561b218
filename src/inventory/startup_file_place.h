#pragma once
// The place type of every other file of a Startup folder ("STARTUPFILE"): a program, a script, a
// ".url", a shortcut that cannot be read. Windows opens each as the shell opens the file. It is
// removed and written back as a shortcut file is (bytes and attributes), but only its exact copy
// can bring it back: the log's lines cannot make the file again.

#include "inventory/shortcut_place.h"

namespace vtrl::inventory {

class StartupFilePlace final : public ShortcutPlace {
public:
    std::wstring_view Kind() const override { return kKindStartupFile; }
    void List(ScanContext& context, const PlaceSite& site) const override;
    // A plain file name directly in the folder, never the folder's "desktop.ini".
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    // Nothing: the file's bytes are not in the log.
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;
    bool RestorableFromLog() const override { return false; }
    // The shell opens the file written back, as at logon.
    bool StartRestored(platform::Platform& platform, const PlaceSite& site,
                       const std::wstring& entry, const LoggedRecord& logged) const override;
};

const StartupPlace& StartupFolderFiles();

} // namespace vtrl::inventory
