#pragma once
// The inventory of startup records: one record per entry of a startup place (a Run-type value,
// a Startup-folder shortcut, an item of a list value, ...), found or not, rebuilt from scratch by
// every scan.

#include "inventory/signature_facts.h"
#include "platform/processes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtrl::inventory {

inline constexpr wchar_t kKindRegistry[] = L"REGISTRY";
inline constexpr wchar_t kKindShortcut[] = L"SHORTCUT";
inline constexpr wchar_t kKindRunOnceEx[] = L"RUNONCEEX";     // a RunOnceEx section's entry
inline constexpr wchar_t kKindPolicyRun[] = L"POLICYRUN";     // Policies\Explorer\Run value
inline constexpr wchar_t kKindWindowsLoad[] = L"WINLOAD";     // Windows "Load"/"Run" item
inline constexpr wchar_t kKindWinlogon[] = L"WINLOGON";       // "Userinit"/"Shell" item
inline constexpr wchar_t kKindBootExecute[] = L"BOOTEXECUTE"; // "BootExecute" string
inline constexpr wchar_t kKindRdpStartup[] = L"RDPSTARTUP";   // "StartupPrograms" item
inline constexpr wchar_t kKindBootVerify[] = L"BOOTVERIFY";   // "BootVerificationProgram"
inline constexpr wchar_t kKindActiveSetup[] = L"ACTIVESETUP"; // a component's "StubPath"
// Any other file of a Startup folder (a program, a script, a ".url", a shortcut that cannot be
// read): Windows opens it as the shell opens the file.
inline constexpr wchar_t kKindStartupFile[] = L"STARTUPFILE";
// A Startup folder that "User Shell Folders" points away from its default.
inline constexpr wchar_t kKindFolderRedirection[] = L"REDIRECTION";
// Not a record of its own: the backup entry of a record switched off with Windows' own switch
// ("StartupApproved"), whose undo switches it on again.
inline constexpr wchar_t kKindWindowsSwitch[] = L"WINSWITCH";

// Slots allocated up front. The inventory grows past them rather than hide an entry: a guard
// that silently drops startup entries would let exactly those start unseen.
inline constexpr std::size_t kInitialRecordSlots = 101;

// Value types as a record names them.
inline constexpr wchar_t kValueTypeSz[] = L"REG_SZ";
inline constexpr wchar_t kValueTypeExpandSz[] = L"REG_EXPAND_SZ";
inline constexpr wchar_t kValueTypeMultiSz[] = L"REG_MULTI_SZ";

// The key a decision was stored under by earlier scans, which kept a launcher's record under the
// launcher with all its arguments and lower-cased the arguments of a command holding a folder
// token. Empty when it equals the record's own key.
struct ProgramKey {
    std::wstring Folder;
    std::wstring Name;
    std::wstring Arguments;
    bool operator==(const ProgramKey&) const = default;
};

struct StartupRecord {
    bool InUse = false;
    std::wstring Kind; // kKind...: the place type that lists, removes and restores it
    bool IsRunning = false;
    bool ViaRundll = false;   // ExeFolder/ExeName name the DLL that rundll32 loads
    std::wstring Location;    // full key path, or the Startup folder
    std::wstring EntryName;   // value name, or the shortcut's file name with ".lnk"
    std::wstring CommandLine; // exactly as stored (a shortcut's as "\"target\" arguments")
    std::wstring ExeFolder;   // upper case, no trailing backslash
    std::wstring ExeName;     // lower case
    // ExeFolder\ExeName in the letter case it was found in; empty when not found. Files are
    // opened through it: a case-sensitive file system underneath (Wine) would otherwise search
    // every folder on the way for each upper-case name.
    std::wstring ProgramPath;
    std::wstring Arguments;
    std::wstring Company;
    std::wstring Description;
    std::int32_t FileSize = 0; // 0 when unreadable or beyond 2,147,483,647 bytes
    // ExeFolder/ExeName name an existing file: the program that really runs, behind a launcher
    // its payload. When false they hold the best reading of the command, as written.
    bool Found = false;
    std::wstring Launcher;   // full path of the launcher that runs the program; empty when none
    bool HijackRisk = false; // a shorter unquoted reading runs instead of the program meant
    std::wstring ValueType;  // kValueType...; empty for a shortcut
    // The program that opens a Startup-folder file (a shortcut's target as read, a script's
    // interpreter, the file itself for a program); empty when nothing is registered to open it.
    std::wstring Opener;
    bool HiddenFile = false; // a Startup-folder file with the hidden attribute
    bool SystemFile = false; // ... with the system attribute
    ProgramKey LegacyKey;
    // In a machine-wide place while the user is no administrator: listed, but only an
    // administrator can change it.
    bool NeedsAdministrator = false;
    SignatureFacts Signature; // of ExeFolder\ExeName, filled at the end of the scan
    // The "StartupApproved" key (with its hive) holding Windows' own on/off switch for this
    // record, in a value named EntryName; empty for a place Windows has no switch for, whose
    // records can only be removed.
    std::wstring SwitchKey;
    bool EnabledInWindows = true;    // false when switched off there (Windows skips it)
    std::uint64_t DisabledSince = 0; // FILETIME (UTC) of the switch-off; 0 when on or unknown
    std::wstring DisabledSinceText;  // the same in the user's general date format, local time
};

// Slots 0..LastRecordIndex are in use and hold the records in scan order; slots above are free
// but keep the fields of earlier scans, so only InUse or LastRecordIndex tell a slot is live.
struct StartupInventory {
    std::vector<StartupRecord> Records = std::vector<StartupRecord>(kInitialRecordSlots);
    int LastRecordIndex = -1;
    // The running processes as the scan saw them, so that whoever acts on this inventory judges
    // by the same moment without a second snapshot.
    std::vector<platform::RunningProcess> Processes;
};

} // namespace vtrl::inventory
