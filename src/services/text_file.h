#pragma once
// The program's own text files: lines in the system ANSI code page, each ended by CR LF.
// This is the one place where file bytes and in-memory text are converted.

#include "platform/files.h"
#include "platform/locale.h"

#include <optional>
#include <string>
#include <vector>

namespace vtrl::services {

// Splits at CR LF, lone CR or lone LF; a last line without an ending still counts.
std::vector<std::wstring> SplitLines(const std::wstring& text);

// The text as one stored line: each CR and LF becomes a blank. Outside texts (Run values, their
// names, shortcut arguments) may hold line breaks; written as they are, they would shift every
// later line of a line-numbered file.
std::wstring AsOneLine(std::wstring text);

// The file's lines, or nullopt when it is missing or cannot be read.
std::optional<std::vector<std::wstring>>
ReadTextLines(platform::FileSystem& files, platform::Locale& locale, const std::wstring& path);
// Replaces the file with the lines, each followed by CR LF; true when the new content is in place.
bool WriteTextLines(platform::FileSystem& files, platform::Locale& locale, const std::wstring& path,
                    const std::vector<std::wstring>& lines);
// The same for a batch file, in the code page the command interpreter reads it in (OEM), so
// that paths with letters outside ASCII reach the commands as they are on disk.
bool WriteBatchLines(platform::FileSystem& files, platform::Locale& locale,
                     const std::wstring& path, const std::vector<std::wstring>& lines);

} // namespace vtrl::services
