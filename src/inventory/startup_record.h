#pragma once
// The inventory of startup records: one record per Run-type registry value or Startup-folder
// shortcut whose executable exists, rebuilt from scratch by every scan.

#include "inventory/signature_facts.h"
#include "platform/processes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtrl::inventory {

inline constexpr wchar_t kKindRegistry[] = L"REGISTRY";
inline constexpr wchar_t kKindShortcut[] = L"SHORTCUT";

// Slots allocated up front. The inventory grows past them rather than hide an entry: a guard
// that silently drops startup entries would let exactly those start unseen.
inline constexpr std::size_t kInitialRecordSlots = 101;

struct StartupRecord {
    bool InUse = false;
    std::wstring Kind; // kKindRegistry or kKindShortcut
    bool IsRunning = false;
    bool ViaRundll = false;   // ExeFolder/ExeName name the DLL that rundll32 loads
    std::wstring Location;    // full key path, or the Startup folder
    std::wstring EntryName;   // value name, or the shortcut's file name with ".lnk"
    std::wstring CommandLine; // as stored, after folder-token replacement
    std::wstring ExeFolder;   // upper case, no trailing backslash
    std::wstring ExeName;     // lower case
    std::wstring Arguments;
    std::wstring Company;
    std::wstring Description;
    std::int32_t FileSize = 0; // 0 when unreadable or beyond 2,147,483,647 bytes
    SignatureFacts Signature;  // of ExeFolder\ExeName, filled at the end of the scan
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
