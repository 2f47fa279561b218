#pragma once
// Where Windows finds the program of a command: a path is taken as written (with ".exe" when it
// has no extension); a bare name through the App Paths keys, the system folder, the Windows
// folder and the folders of PATH, with each PATHEXT extension when it has none.

#include "platform/environment.h"
#include "platform/files.h"
#include "platform/registry.h"

#include <optional>
#include <string>
#include <vector>

namespace vtrl::inventory {

// The places of one search, read once per scan.
struct SearchPlaces {
    std::wstring systemFolder;
    std::wstring windowsFolder;
    std::vector<std::wstring> pathFolders; // PATH's folders, expanded, empty entries dropped
    std::vector<std::wstring> extensions;  // PATHEXT's extensions, ".COM" form
};

// PATH and PATHEXT of the user's environment; PATHEXT defaults to Windows' own list when unset.
SearchPlaces ReadSearchPlaces(platform::Environment& environment, const std::wstring& systemFolder,
                              const std::wstring& windowsFolder);

// Splits a ";"-separated list, dropping empty entries and the quotes around one.
std::vector<std::wstring> SplitList(const std::wstring& list);

enum class Extensions {
    Program,  // append ".exe" to a name without extension (process creation)
    PathExt,  // try each PATHEXT extension on a name without extension (shells)
    Library,  // append ".dll" to a name without extension (library loading)
    AsWritten // only the name as written (script hosts)
};

struct SearchOptions {
    Extensions extensions = Extensions::Program;
    bool appPaths = false; // ask the App Paths keys first (the shell's start of a program)
};

// The full path of the first existing file; nullopt when none exists.
std::optional<std::wstring> FindProgram(platform::FileSystem& files, platform::Registry& registry,
                                        platform::Environment& environment,
                                        const SearchPlaces& places, const std::wstring& name,
                                        const SearchOptions& options);

} // namespace vtrl::inventory
