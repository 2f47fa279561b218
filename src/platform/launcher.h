#pragma once
// Handing documents and links to the shell, and starting programs.

#include <optional>
#include <string>

namespace vtrl::platform {

class Launcher {
public:
    virtual ~Launcher() = default;
    // The shell's "open" verb on a URL or a file, in a normal window, with no owner, parameters
    // or working folder; true when the shell reports success.
    virtual bool ShellOpen(const std::wstring& target) = 0;
    // Starts a program from a full command line in a normal window; true when it started.
    virtual bool StartProgram(const std::wstring& commandLine) = 0;
    // The same without a visible window (console helpers such as taskkill); not waited for.
    virtual bool StartProgramHidden(const std::wstring& commandLine) = 0;
    // The default value of HKEY_CLASSES_ROOT\HTTP\shell\open\command: the command the system
    // runs for web links; empty when none is registered.
    virtual std::wstring WebBrowserCommand() = 0;
    // The program the shell's association runs to open a file of this name's type (its "open"
    // verb), as the association names it; nullopt when none is registered. A wrapper that does
    // not pass this on knows none.
    virtual std::optional<std::wstring> AssociatedProgram(const std::wstring& path) {
        (void)path;
        return std::nullopt;
    }
    // Opens the shell's properties dialog of a file (the "properties" verb); true when the shell
    // accepted the request. Windows returns at once; Wine's dialog is modal until it is closed.
    virtual bool ShowFileProperties(const std::wstring& path) {
        (void)path;
        return false;
    }
};

} // namespace vtrl::platform
