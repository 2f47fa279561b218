#pragma once
// The place type of a Run-type key: every text value directly under the key is one record,
// removed by deleting that value and written back as that value. Its kind names which keys.

#include "inventory/startup_place.h"

namespace vtrl::inventory {

class RunKeyPlace final : public StartupPlace {
public:
    explicit RunKeyPlace(const wchar_t* kind) : kind_(kind) {}

    std::wstring_view Kind() const override { return kind_; }
    WatchScope Watch() const override { return WatchScope::KeyValues; }
    void List(ScanContext& context, const PlaceSite& site) const override;
    bool CanRemove(const StartupRecord& record) const override;
    std::optional<PlaceContent> Read(platform::Platform& platform,
                                     const StartupRecord& record) const override;
    bool Remove(platform::Platform& platform, const StartupRecord& record) const override;
    // Everything after the key is the value's name, backslashes included.
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    bool WriteBack(platform::Platform& platform, const PlaceSite& site, const std::wstring& entry,
                   const PlaceContent& content) const override;
    // A REG_SZ value holding the command line.
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;

private:
    const wchar_t* kind_;
};

// The Run, RunOnce and top-level RunOnceEx values ("REGISTRY").
const StartupPlace& RunKeyValues();

} // namespace vtrl::inventory
