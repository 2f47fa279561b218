#pragma once
// One resolution of a startup command to the program that really runs, used by every reader of
// the inventory: environment variables expanded as Windows expands them, the program found as
// process creation finds it, and a launcher looked through to the script or program it runs.

#include "inventory/program_search.h"
#include "platform/platform.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>

namespace vtrl::inventory {

struct ResolvedCommand {
    bool Found = false;   // Program names an existing file
    std::wstring Program; // full path when found; otherwise the best reading, as written
    std::wstring Arguments;
    std::wstring Launcher; // full path of the launcher that runs Program; empty when none
    bool ViaRundll = false;
    // An unquoted command whose shorter blank-ended reading names an existing program that
    // runs instead of the longer one meant ("C:\Program.exe" before "C:\Program Files\...").
    bool HijackRisk = false;
};

class CommandResolver {
public:
    // Reads PATH and PATHEXT once; the folders are the system's and the Windows folder.
    CommandResolver(platform::Platform& platform, const std::wstring& systemFolder,
                    const std::wstring& windowsFolder);

    // A command line as a Run value holds it (not yet expanded).
    ResolvedCommand ResolveCommandLine(const std::wstring& command);
    // A program named exactly, with its arguments, as a shortcut holds them (not yet expanded).
    ResolvedCommand ResolveProgram(const std::wstring& program, const std::wstring& arguments);

private:
    std::optional<std::wstring> Find(const std::wstring& name, const SearchOptions& options);
    void LookThroughLauncher(ResolvedCommand& resolved);
    std::wstring LongForm(const std::wstring& path);

    platform::Platform& platform_;
    SearchPlaces places_;
    // What Find answered, by name and way of searching, for as long as the resolver lives (one
    // scan): a program that many records name is looked for once.
    std::map<std::tuple<std::wstring, Extensions, bool>, std::optional<std::wstring>> found_;
};

} // namespace vtrl::inventory
