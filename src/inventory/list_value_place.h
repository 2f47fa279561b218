#pragma once
// The place type of a registry value that holds a list of programs (Winlogon's "Userinit" and
// "Shell", "BootExecute", "StartupPrograms", the "Load" and "Run" of the Windows key). Each item
// beyond Windows' own is one record; removal takes only that item out of the value, restore puts
// it back. A site names the key and the values it covers.

#include "inventory/startup_place.h"
#include "inventory/value_list.h"

#include <vector>

namespace vtrl::inventory {

// How one value's list is read.
struct ListRule {
    std::wstring valueName;
    ListSyntax syntax = ListSyntax::Commas;
    // Windows' own program, named alone or in the system or Windows folder ("userinit.exe").
    std::wstring ownProgram;
    std::vector<std::wstring> ownTexts; // other items of Windows' own, as ItemKey gives them
    // What the value holds when its last item went, with variables: never empty when given.
    std::wstring whenEmpty;
    // Windows' own command whatever its arguments follow ("autocheck autochk" with the volumes
    // chkntfs names); empty: none.
    std::wstring ownCommand;
};

class ListValuePlace final : public StartupPlace {
public:
    ListValuePlace(const wchar_t* kind, std::vector<ListRule> rules)
        : kind_(kind), rules_(std::move(rules)) {}

    std::wstring_view Kind() const override { return kind_; }
    WatchScope Watch() const override { return WatchScope::KeyValues; }
    void List(ScanContext& context, const PlaceSite& site) const override;
    // The key, "\", the value's name, "\", the item as written.
    std::wstring FullLocation(const StartupRecord& record) const override;
    bool CanRemove(const StartupRecord& record) const override;
    // The whole value as it is.
    std::optional<PlaceContent> Read(platform::Platform& platform,
                                     const StartupRecord& record) const override;
    bool Remove(platform::Platform& platform, const StartupRecord& record) const override;
    // "value\item" for a value the site covers.
    std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                        const std::wstring& fullLocation) const override;
    // The value exactly as it was when it now holds what the removal left; otherwise the item
    // put back into the value as it now is.
    bool WriteBack(platform::Platform& platform, const PlaceSite& site, const std::wstring& entry,
                   const PlaceContent& content) const override;
    bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                      const std::wstring& entry, const LoggedRecord& logged) const override;

private:
    bool IsOwn(const ScanContext& context, const ListRule& rule, const std::wstring& item) const;
    const ListRule* RuleOf(platform::Locale& locale, const std::wstring& valueName) const;
    // The value with the item taken out, or put in; nullopt when the value cannot be edited.
    std::optional<platform::RegistryValue> Edited(platform::Platform& platform,
                                                  const ListRule& rule,
                                                  const platform::RegistryValue& value,
                                                  const std::wstring& item, bool add) const;
    bool PutBack(platform::Platform& platform, const std::wstring& key, const ListRule& rule,
                 const std::wstring& item, std::uint32_t typeWhenMissing) const;

    const wchar_t* kind_;
    std::vector<ListRule> rules_;
};

// The list values Windows reads at logon and boot, one type per kind.
const StartupPlace& WindowsLoadLists();   // "WINLOAD": HKCU Windows "Load" and "Run"
const StartupPlace& WinlogonLists();      // "WINLOGON": "Userinit" and "Shell"
const StartupPlace& BootExecuteList();    // "BOOTEXECUTE": Session Manager "BootExecute"
const StartupPlace& RdpStartupPrograms(); // "RDPSTARTUP": Wds\rdpwd "StartupPrograms"

} // namespace vtrl::inventory
