#pragma once
// The place type of a key whose subkeys each hold startup values: RunOnceEx's numbered sections
// (every entry a record, and the DLLs of the "Depend" keys) and Active Setup's installed
// components (each "StubPath"). A record is one value, removed by deleting it and written back as
// it was; the subkeys stay.

#include "inventory/startup_place.h"

namespace vtrl::inventory {

enum class SubkeyLayout {
    RunOnceEx,  // sections with entries and "Depend" keys
    Components, // the site's named values of each subkey
};

class SubkeyPlace final : public StartupPlace {
public:
    SubkeyPlace(const wchar_t* kind, SubkeyLayout layout) : kind_(kind), layout_(layout) {}

    std::wstring_view Kind() const override { return kind_; }
    WatchScope Watch() const override { return WatchScope::KeyTree; }
    void List(ScanContext& context, const PlaceSite& site) const override;
    bool CanRemove(const StartupRecord& record) const override;
    std::optional<PlaceContent> Read(platform::Platform& platform,
                                     const StartupRecord& record) const override;
    bool Remove(platform::Platform& platform, const StartupRecord& record) const override;
    // "subkey\value": for RunOnceEx also "section\Depend\value" and "Depend\value".
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    bool WriteBack(platform::Platform& platform, const PlaceSite& site, const std::wstring& entry,
                   const PlaceContent& content) const override;
    // A REG_SZ value holding the command line.
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;

private:
    struct Split {
        std::wstring subkey; // below the site
        std::wstring value;
    };
    std::optional<Split> SplitEntry(platform::Locale& locale, const PlaceSite& site,
                                    const std::wstring& entry) const;
    void ListSection(ScanContext& context, const std::wstring& key, bool depend) const;

    const wchar_t* kind_;
    SubkeyLayout layout_;
};

const StartupPlace& RunOnceExSections();     // "RUNONCEEX"
const StartupPlace& ActiveSetupComponents(); // "ACTIVESETUP"

} // namespace vtrl::inventory
