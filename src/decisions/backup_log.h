#pragma once
// The backup-and-log file "BackupAndLog.txt" in the data folder: one 10-line entry per removed
// startup record, enough to write it back, at most one entry per executable key, newest last.
// It is also the removal log the undo page lists and restores from.

#include "decisions/decision_database.h"
#include "platform/platform.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::decisions {

inline constexpr wchar_t kBackupLogFileName[] = L"BackupAndLog.txt";
inline constexpr std::size_t kBackupEntryLines = 10;
inline constexpr wchar_t kBackupSeparator[] =
    L"==========================================================================";
static_assert(sizeof(kBackupSeparator) / sizeof(wchar_t) - 1 == 74);
// The undo page's "show only past week records" hides entries at least this old.
inline constexpr long long kPastWeekSeconds = 604800;

// Lines 2 to 10 of an entry, in file order: what the undo page keeps per listed entry.
struct BackupEntry {
    std::wstring RemovedAt;    // general date and time
    std::wstring RemovedDate;  // "d-m-yyyy"
    std::wstring RemovedTime;  // "h:m:s", 24-hour
    std::wstring Kind;         // "REGISTRY" or "SHORTCUT"
    std::wstring FullLocation; // key path + "\" + value name, or folder + "\" + shortcut file
    std::wstring ExeFolder;
    std::wstring ExeName;
    std::wstring Arguments;
    std::wstring CommandLine;
    friend bool operator==(const BackupEntry&, const BackupEntry&) = default;
};
inline constexpr std::size_t kBackupDataRows = kBackupEntryLines - 1;

std::array<std::wstring, kBackupDataRows> DataRowsOf(const BackupEntry& entry);
BackupEntry EntryFromDataRows(const std::array<std::wstring, kBackupDataRows>& rows);

std::wstring BackupLogPath(const std::wstring& dataFolder);

// The complete entries of the file's lines. An entry starts at a separator line and needs its
// nine lines before the next separator; stray or cut-short lines are skipped, so damage in one
// place costs no other entry.
std::vector<BackupEntry> ParseBackupLines(const std::vector<std::wstring>& lines);
std::vector<std::wstring> FormatBackupLines(const std::vector<BackupEntry>& entries);

// "d-m-yyyy" and "h:m:s" without leading zeros.
std::wstring DateLine(const platform::LocalTime& time);
std::wstring TimeLine(const platform::LocalTime& time);

// Writes the entry for a removal: an older entry of the same key (folder, executable name,
// arguments, compared exactly) is dropped and the new one appended. Line breaks in the texts are
// stored as blanks, and a text that would read as a separator gets a trailing blank; the file is
// replaced in one step through the platform's temporary file, never left missing or cut short.
// False when the entry is not stored: the file exists but cannot be read (it is left as it is) or
// the write failed.
bool BackupAndLogRemoval(platform::Platform& platform, const std::wstring& dataFolder,
                         const std::wstring& kind, const std::wstring& fullLocation,
                         const std::wstring& folder, const std::wstring& exeName,
                         const std::wstring& arguments, const std::wstring& commandLine);

// The undo page's two lists: entry n of displayLines owns rows 9n to 9n + 8 of dataRows.
struct BackupListing {
    std::vector<std::wstring> displayLines;
    std::vector<std::wstring> dataRows;
};
// With pastWeekOnly, entries removed 604,800 seconds ago or earlier are left out; an entry whose
// time cannot be read is always listed.
BackupListing ListBackupEntries(platform::Platform& platform, const std::wstring& dataFolder,
                                bool pastWeekOnly);
// Line 2, " = ", the executable name in upper case, a blank, the arguments.
std::wstring DisplayLineOf(platform::Locale& locale, const BackupEntry& entry);
// The entry of display line `index`; nullopt when the index is outside the listing.
std::optional<BackupEntry> ListedEntry(const BackupListing& listing, std::size_t index);
// Deletes the log when it exists.
void ClearBackupLog(platform::FileSystem& files, const std::wstring& dataFolder);

// The undo question: the prompt, two line breaks, then the command that will start.
std::wstring RestoreQuestion(const std::wstring& prompt, const BackupEntry& entry);

struct RestoreOutcome {
    bool recordWritten = false; // the registry value or the shortcut was written
    bool started = false;       // the command line started
    bool approved = false;      // the decision file now approves the executable
};
// Writes the record back (a REG_SZ value holding the command line, or a shortcut to
// folder\name with the arguments and the folder as working folder), starts the command line once,
// and approves the executable (reloading the decisions first). Each step runs even when an
// earlier one failed. The question before and the message after belong to the undo page.
RestoreOutcome RestoreRemovedRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                    Decisions& decisions, const BackupEntry& entry);

} // namespace vtrl::decisions
