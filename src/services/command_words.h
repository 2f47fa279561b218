#pragma once
// How one process of this program starts or finds another: the words that choose what a new
// process does (first on its command line, some with an argument directly after them), the
// command line that starts this program again, and the resident agent's caption, by which other
// processes find its window to close it.

#include "services/system_facts.h"

#include <string>

namespace vtrl::services {

// The background monitor started at logon.
inline constexpr wchar_t kStartupWord[] = L"startup";
// Notices, each followed by the name of its hand-off file: a removal, a reminder about a new
// record, a restricted record only an administrator can remove (left in place), and one
// switched off with Windows' own switch.
inline constexpr wchar_t kRemovalWord[] = L"notifi";
inline constexpr wchar_t kReminderWord[] = L"unknown";
inline constexpr wchar_t kAdminOnlyWord[] = L"adminonly";
inline constexpr wchar_t kSwitchedOffWord[] = L"switchedoff";
// The manager window opened on one executable's record page, named after the word.
inline constexpr wchar_t kPreopenWord[] = L"preopen";
// The install steps as a silent setup program runs them: no question before them (the update
// reminder), since no one may be there to answer.
inline constexpr wchar_t kSetupInstallWord[] = L"setupinstall";
// The uninstall steps; the uninstaller runs the executable with it and waits.
inline constexpr wchar_t kSetupUninstallWord[] = L"setupuninstall";

inline constexpr wchar_t kTrayAgentCaption[] = L"Vantorel tray agent";

// The command line that starts this program again with the word and its argument directly
// after it ("notifi12345"); the executable's path is quoted, as it may hold blanks. Without a
// word, the executable alone.
std::wstring OwnCommandLine(const SystemFacts& facts, const std::wstring& word,
                            const std::wstring& argument);

} // namespace vtrl::services
