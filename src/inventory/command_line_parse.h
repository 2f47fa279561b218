#pragma once
// How a command line falls apart into a program and its arguments, as Windows reads it when it
// starts a process: a quoted program ends at its closing quote, an unquoted one at some blank,
// tried from the shortest reading on.

#include <string>
#include <string_view>
#include <vector>

namespace vtrl::inventory {

struct ProgramAndArguments {
    std::wstring program;
    std::wstring arguments; // without the blanks that separate it from the program
};

// Blanks and tabs, the separators of a command line.
bool IsCommandBlank(wchar_t character);

// The text without leading and trailing blanks and tabs.
std::wstring TrimBlanks(std::wstring_view text);

// A command whose first non-blank character is a double quote: the program is the text up to
// the closing quote (to the end when there is none), the arguments what follows.
bool StartsQuoted(std::wstring_view command);
ProgramAndArguments SplitQuoted(std::wstring_view command);

// Every reading of an unquoted command, shortest program first: the program ends before each
// blank in turn, and last the whole command is the program. Leading blanks are dropped.
std::vector<ProgramAndArguments> BlankEndedReadings(std::wstring_view command);

// The next argument of an argument text: a quoted one without its quotes, or up to the next
// blank; rest is what follows, without its leading blanks. Single quotes count as quotes too
// when singleQuotes is set (PowerShell).
ProgramAndArguments NextArgument(std::wstring_view text, bool singleQuotes = false);

// Whether the last path component holds a point: Windows then appends no extension.
bool HasExtension(std::wstring_view path);

// Whether the text names a folder as well as a file: it holds "\", "/" or a drive colon.
bool HasFolderPart(std::wstring_view path);

} // namespace vtrl::inventory
