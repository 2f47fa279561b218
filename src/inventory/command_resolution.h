#pragma once
// From an executable candidate and its argument text to a file on disk and the facts shown about
// it: folder tokens, rundll32 calls, 8.3 names, the search folders, version strings and size.
// Whether it runs: running_programs.h.

#include "platform/platform.h"
#include "services/system_facts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtrl::inventory {

// Replaces the five folder tokens, in their fixed order; a text holding any of them comes out
// wholly lower-cased, arguments included. Other texts keep their case.
std::wstring ExpandFolderTokens(platform::Locale& locale, const services::SystemFacts& facts,
                                const std::wstring& text);

// When the executable is rundll32 (bare or in the system folder), the executable becomes the DLL
// before the first comma of the arguments and the arguments the rest. True for any rundll32 call.
bool SplitRundllCall(platform::Locale& locale, const services::SystemFacts& facts,
                     std::wstring& executable, std::wstring& arguments);

// The long form of a path, or the path unchanged when it has none.
std::wstring GetLongPath(platform::Folders& folders, const std::wstring& path);

// Everything before the last backslash ("C:" for a file in a drive root; "" without one).
std::wstring ParentFolder(const std::wstring& path);
// Everything after the last backslash.
std::wstring LastPathComponent(const std::wstring& path);

// The size in bytes, 0 when the file cannot be read or is larger than a 32-bit signed number.
std::int32_t GetFileSize(platform::FileSystem& files, const std::wstring& path);

struct FileFacts {
    std::wstring Folder;   // upper case
    std::wstring FileName; // upper case
    std::wstring Company;
    std::wstring Description;
    std::int32_t Size = 0;
};

// The facts of a resolved executable. Only the version resource is read from the file; the
// folder cut is string work of this program's own and carries no error-log marker.
FileFacts GatherFileFacts(platform::Platform& platform, const std::wstring& resolved);
// Only the folder and the name, as GatherFileFacts gives them; the file is not read.
FileFacts NameFileFacts(platform::Locale& locale, const std::wstring& resolved);

} // namespace vtrl::inventory
