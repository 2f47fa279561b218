#pragma once
// The program's own text files: lines each ended by CR LF, in the system ANSI code page, or as
// UTF-8 with a byte-order mark when the ANSI code page cannot hold every character (see
// text_encoding.h). This is the one place where file bytes and in-memory lines are converted.

#include "platform/files.h"
#include "platform/locale.h"
#include "services/text_encoding.h"

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

struct TextFileContent {
    std::vector<std::wstring> lines;
    TextEncoding encoding = TextEncoding::Ansi;
    // The bytes were read without a broken character or a NUL (see DecodedText): a caller about
    // to rewrite the file can tell a file of its own from a damaged or foreign one.
    bool clean = true;
};

// The file's lines with how they were stored, or nullopt when it is missing or cannot be read.
std::optional<TextFileContent> ReadTextFile(platform::FileSystem& files, platform::Locale& locale,
                                            const std::wstring& path);
// The file's lines, or nullopt when it is missing or cannot be read.
std::optional<std::vector<std::wstring>>
ReadTextLines(platform::FileSystem& files, platform::Locale& locale, const std::wstring& path);
// Replaces the file with the lines, each followed by CR LF, in ANSI when every character fits and
// as UTF-8 with a byte-order mark otherwise; true when the new content is in place.
bool WriteTextLines(platform::FileSystem& files, platform::Locale& locale, const std::wstring& path,
                    const std::vector<std::wstring>& lines);
// The same for a batch file, in the code page the command interpreter reads it in (OEM), so
// that paths with letters outside ASCII reach the commands as they are on disk. A line that the
// OEM code page cannot hold exactly would name another file, so nothing is written then and the
// result is false.
bool WriteBatchLines(platform::FileSystem& files, platform::Locale& locale,
                     const std::wstring& path, const std::vector<std::wstring>& lines);

} // namespace vtrl::services
