#pragma once
// Where a scan looks: every place type at each of its locations, in scan order.

#include "inventory/startup_place.h"
#include "services/system_facts.h"

#include <string>
#include <vector>

namespace vtrl::inventory {

struct ScanSources {
    std::vector<PlaceSite> places;
};

// HKLM Run, RunOnce, RunOnceEx, then the same three of the 32-bit view under WOW6432Node, the
// same under HKCU, then the user's Startup folder and the all-users one, each with its shortcuts,
// its other files and its "User Shell Folders" value. Then the other places
// Windows starts programs from at logon and boot, the machine's (both views where it has two)
// before the user's: the RunOnceEx sections, the policy Run keys, the Windows key's "Load" and
// "Run", Winlogon's "Userinit" and "Shell", "BootExecute", "StartupPrograms",
// "BootVerificationProgram" and Active Setup's components. The machine's places are listed for
// every user (reading them needs no rights) and marked machine-wide: only an administrator
// changes them. Last, the "StartupApproved" keys of Windows' own switch for the Run keys and the
// Startup folders (each of those sites names its switch key).
ScanSources DefaultScanSources(const services::SystemFacts& facts);

// A Run-type key ("REGISTRY") or a Startup folder ("SHORTCUT") at one location.
PlaceSite RunKeySite(std::wstring key);
PlaceSite StartupFolderSite(std::wstring folder);
// The other files of a Startup folder ("STARTUPFILE").
PlaceSite StartupFileSite(std::wstring folder);

} // namespace vtrl::inventory
