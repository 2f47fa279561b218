#pragma once
// Windows' own on/off switch of a startup record: the "StartupApproved" value named after the
// record's entry (the Run value's name, the Startup-folder file's name) under the key the record's
// site names. Windows reads it for the Run keys of both hives (the 32-bit view's machine-wide Run
// through "Run32") and for both Startup folders; every other place has none, and its records can
// only be removed.

#include "inventory/startup_approved_value.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <map>
#include <string>
#include <vector>

namespace vtrl::inventory {

inline constexpr wchar_t kApprovedUserKey[] =
    L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";
inline constexpr wchar_t kApprovedMachineKey[] =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";
// The subkeys, each with its leading backslash.
inline constexpr wchar_t kApprovedRun[] = L"\\Run";
inline constexpr wchar_t kApprovedRun32[] = L"\\Run32";
inline constexpr wchar_t kApprovedStartupFolder[] = L"\\StartupFolder";

// True when Windows has a switch for the record and its entry's name can address the value.
bool CanSwitchInWindows(const StartupRecord& record);

// The switch as it stands; on when there is no switch or no value.
ApprovedState ReadWindowsSwitch(platform::Registry& registry, const StartupRecord& record);

// The switches of many records read as one scan reads them: each switch key's values once, on
// the first record that needs the key, instead of one registry query a record.
class WindowsSwitchReader {
public:
    ApprovedState Read(platform::Platform& platform, const StartupRecord& record);

private:
    // Per switch key, its values' data under their upper-case names.
    std::map<std::wstring, std::map<std::wstring, std::vector<std::uint8_t>>> keys_;
};

// Sets EnabledInWindows, DisabledSince and DisabledSinceText from the switch as it stands.
void FillWindowsSwitch(platform::Platform& platform, StartupRecord& record);
// The same with the switch read through the scan's reader.
void FillWindowsSwitch(platform::Platform& platform, WindowsSwitchReader& reader,
                       StartupRecord& record);

// Writes what Task Manager writes to switch the record off (stamped with the current time) or on
// again, creating the key when missing; nothing else changes. False when the record has no switch
// or the write fails.
bool SetWindowsSwitch(platform::Platform& platform, const StartupRecord& record, bool on);

} // namespace vtrl::inventory
