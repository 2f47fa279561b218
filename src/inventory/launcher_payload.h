#pragma once
// The script or program a launcher runs, read from the launcher's arguments: rundll32's and
// regsvr32's DLL, the script of wscript, cscript and mshta, the first program of "cmd /c", the
// file or first command of PowerShell.

#include "inventory/program_search.h"

#include <optional>
#include <string>
#include <string_view>

namespace vtrl::inventory {

struct LauncherPayload {
    std::wstring program;   // as written, without its quotes
    std::wstring arguments; // what the launcher passes on to it
    Extensions extensions = Extensions::AsWritten;
    // Only a name with a folder or an extension is surely a file: a bare word may be one of the
    // launcher's own commands (cmd's "echo", a PowerShell cmdlet), which names no file.
    bool bareWordMayBeCommand = false;
};

// The launcher's kind by its file name (with or without ".exe", any case); none for others.
enum class LauncherKind { None, Rundll32, Regsvr32, ScriptHost, Mshta, Cmd, PowerShell, Pwsh };
LauncherKind KindOfLauncher(std::wstring_view fileName);

// The payload named in the arguments; nullopt when they name none (no arguments, an inline
// script, an encoded command, a script block).
std::optional<LauncherPayload> FindLauncherPayload(LauncherKind kind, std::wstring_view arguments);

} // namespace vtrl::inventory
