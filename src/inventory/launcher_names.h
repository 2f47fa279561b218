#pragma once
// The programs that start another program or script named in their arguments: the record names
// that payload, and a rule about who made a program never applies to the launcher itself.

#include <string_view>

namespace vtrl::inventory {

// "rundll32.exe", "wscript.exe", "cscript.exe", "mshta.exe", "cmd.exe", "powershell.exe",
// "pwsh.exe" and "regsvr32.exe", compared without regard to case; the name alone, without
// ".exe", counts too.
bool IsLauncherName(std::wstring_view fileName);

} // namespace vtrl::inventory
