#pragma once
// One kind of place Windows starts programs from at logon (a Run-type key, a Startup folder, a
// list value such as Winlogon's "Userinit", ...). The type lists the records at one location of
// its kind, reads what a removal must keep, removes one record and writes it back. Everything
// that acts on a record finds its type by the record's Kind and asks it; nobody reads a location
// text to decide what to do.

#include "inventory/place_content.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::inventory {

struct ScanContext;

// How the agent watches a location for changes.
enum class WatchScope {
    KeyValues, // the key's own values
    KeyTree,   // the key's values and those of every subkey below it
    Folder,    // the folder's file names
};

// What a backup entry's lines tell about a removed record, for a restore without an exact copy.
struct LoggedRecord {
    std::wstring exeFolder;
    std::wstring exeName;
    std::wstring arguments;
    std::wstring commandLine;
};

class StartupPlace;

// One location of one place type: what a scan visits and the agent watches.
struct PlaceSite {
    const StartupPlace* type = nullptr;
    std::wstring location; // a key with its hive, or a folder
    // The values a site of a named-value type covers ("Userinit", "Shell"); empty: all.
    std::vector<std::wstring> values;
    // Under HKEY_LOCAL_MACHINE or the all-users folder: changed by administrators only.
    bool machineWide = false;
    // The "StartupApproved" key Windows reads its records' on/off switch from; empty: none.
    std::wstring switchKey{};
};

class StartupPlace {
public:
    virtual ~StartupPlace() = default;

    // The Kind text of its records and backup entries; stored, so never changed.
    virtual std::wstring_view Kind() const = 0;
    virtual WatchScope Watch() const = 0;
    // Adds one record per entry at the site.
    virtual void List(ScanContext& context, const PlaceSite& site) const = 0;
    // The record's place as one text: its location, "\" and what names the entry there.
    virtual std::wstring FullLocation(const StartupRecord& record) const;
    // True when removal can address exactly this record and nothing else.
    virtual bool CanRemove(const StartupRecord& record) const = 0;
    // What the record's place holds now, byte for byte; nullopt when it is gone, cannot be read
    // or is too large to keep.
    virtual std::optional<PlaceContent> Read(platform::Platform& platform,
                                             const StartupRecord& record) const = 0;
    // Takes the record out of its place; true when it is gone afterwards.
    virtual bool Remove(platform::Platform& platform, const StartupRecord& record) const = 0;
    // The part of a full location that names an entry at the site, when the full location lies
    // there and names something this type writes back; nullopt otherwise.
    virtual std::optional<std::wstring> EntryAt(platform::Locale& locale, const PlaceSite& site,
                                                const std::wstring& fullLocation) const = 0;
    // Writes the entry back from the exact content its removal kept.
    virtual bool WriteBack(platform::Platform& platform, const PlaceSite& site,
                           const std::wstring& entry, const PlaceContent& content) const = 0;
    // Writes the entry back from the log's lines alone.
    virtual bool WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                              const std::wstring& entry, const LoggedRecord& logged) const = 0;
    // False for a place the log's lines cannot write back: a removal then deletes nothing unless
    // the exact copy is kept.
    virtual bool RestorableFromLog() const { return true; }
    // Starts once what the restored entry starts at logon; true when it started. By default the
    // logged command line, with the user's environment variables expanded as Windows expands a
    // REG_EXPAND_SZ value (an already expanded command stays as it is).
    virtual bool StartRestored(platform::Platform& platform, const PlaceSite& site,
                               const std::wstring& entry, const LoggedRecord& logged) const;
};

// The type whose records carry this Kind; nullptr for a kind no type knows.
const StartupPlace* PlaceOfKind(std::wstring_view kind);

// The rest of `text` after `prefix` + "\", compared as Windows compares key paths and file paths;
// nullopt when `text` does not continue `prefix` so.
std::optional<std::wstring> RestAfter(platform::Locale& locale, const std::wstring& text,
                                      const std::wstring& prefix);

} // namespace vtrl::inventory
