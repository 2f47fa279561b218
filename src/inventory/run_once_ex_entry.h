#pragma once
// The entries of a RunOnceEx section as Windows documents them: "DllFileName|FunctionName|
// CommandLineArguments" calls a function of a DLL, "||command line" runs a program, and an entry
// without "|" names a program to run. A "Depend" key's values name DLLs loaded meanwhile.

#include <string>

namespace vtrl::inventory {

// The subkey of a section (and of the whole key) whose values name DLLs to load.
inline constexpr wchar_t kRunOnceExDepend[] = L"Depend";

struct RunOnceExEntry {
    bool dllCall = false;
    std::wstring commandLine; // the program's command line; empty for a DLL call
    std::wstring dll;         // the DLL of a call, as written
    std::wstring arguments;   // of a call: the function, then "|" and the arguments as written
};

RunOnceExEntry ParseRunOnceExEntry(const std::wstring& text);

} // namespace vtrl::inventory
