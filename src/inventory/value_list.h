#pragma once
// Lists of programs held in one registry value ("Userinit", "Shell", "BootExecute", "Load", ...):
// reading their items and taking one out or putting one back, leaving every other character of
// the value as it was. Pure text rules; the registry is read and written by the caller.

#include <string>
#include <vector>

namespace vtrl::inventory {

enum class ListSyntax {
    Commas,         // "a.exe,b.exe" ("Userinit", "Shell", "StartupPrograms")
    BlanksOrCommas, // "a.exe b.exe" or "a.exe,b.exe"; a double-quoted run is one item ("Load")
    Strings,        // one item per string of a REG_MULTI_SZ value ("BootExecute")
};

// The NUL that ends each string of a REG_MULTI_SZ text.
inline constexpr wchar_t kStringEnd = L'\0';

struct ListItem {
    std::wstring text; // without the blanks around it
    std::size_t begin = 0;
    std::size_t end = 0; // one past its last character in the list text
};

// The items in order; empty ones (",,") are none. A REG_MULTI_SZ text holds each string
// followed by a NUL, and ends at the first empty string.
std::vector<ListItem> ListItems(const std::wstring& text, ListSyntax syntax);

// The form two items are compared in: no quotes, blanks around and doubled inside removed,
// lower case (ASCII letters; the caller folds others as Windows does when it must).
std::wstring ItemKey(const std::wstring& item);

// The text without every item whose key equals `item`'s, each with the separator after it (the
// one before it for the last item); nothing else changes.
std::wstring WithoutItem(const std::wstring& text, ListSyntax syntax, const std::wstring& item);

// The text with the item appended after the last one, with a separator as needed; the text
// unchanged when the item is already there.
std::wstring WithItem(const std::wstring& text, ListSyntax syntax, const std::wstring& item);

// True when the item is one of Windows' own: its key equals one of `own` (given as keys).
bool IsOwnItem(const std::wstring& item, const std::vector<std::wstring>& own);
// True when the item runs the command (given as a key) with or without arguments.
bool IsOwnCommand(const std::wstring& item, const std::wstring& command);

// A REG_MULTI_SZ text with the NUL of its last string and the empty string that ends the list,
// added when either is missing; a text that has both is returned as it is.
std::wstring WithStringsEnd(std::wstring text);

} // namespace vtrl::inventory
