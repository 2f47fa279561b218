#pragma once
// The backup-and-log file "BackupAndLog.txt" in the data folder: one 10-line entry per removed
// startup record, enough to write it back, at most one entry per place a record lived (kind and
// full location), newest last.
// It is also the removal log the undo page lists and restores from.

#include "decisions/data_file.h"
#include "decisions/decision_database.h"
#include "inventory/place_content.h"
#include "platform/platform.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::decisions {

using inventory::PlaceContent;
using inventory::PlaceReader;

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
    std::wstring Kind;         // the place type's kind ("REGISTRY", "SHORTCUT", ...)
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

// Writes the entry for a removal, under the writer's turn and into the log as it is now: an older
// entry of the same place (SamePlace) is dropped and the new one appended, so removing one
// program from two places keeps both. Line breaks in the texts are stored as blanks, and a text
// that would read as a separator gets a trailing blank; a log holding text outside its entries
// is first kept aside as "BackupAndLog.unreadable.txt". The file is replaced in one step, never
// left missing or cut short; on any outcome but Stored it is left as it was.
// readPlace, when given, is asked under the same turn for what the place holds now; that exact
// copy is kept beside the log (record_copy.h) for the new entry, and when it cannot be written
// the log is not changed either (Failed). A place it cannot read is logged without a copy.
StoreResult BackupAndLogRemoval(platform::Platform& platform, const std::wstring& dataFolder,
                                const std::wstring& kind, const std::wstring& fullLocation,
                                const std::wstring& folder, const std::wstring& exeName,
                                const std::wstring& arguments, const std::wstring& commandLine,
                                const PlaceReader& readPlace = {});
// Whether two entries are of the same startup record: the same kind and the same full location,
// compared as Windows compares key paths and file paths (case-insensitively).
bool SamePlace(platform::Locale& locale, const BackupEntry& one, const BackupEntry& other);

// What the undo page lists: line n of displayLines shows entries[n].
struct BackupListing {
    std::vector<std::wstring> displayLines;
    std::vector<BackupEntry> entries;
};
// With pastWeekOnly, entries removed 604,800 seconds ago or earlier are left out; an entry whose
// time cannot be read is always listed.
BackupListing ListBackupEntries(platform::Platform& platform, const std::wstring& dataFolder,
                                bool pastWeekOnly);
// Line 2, " = ", the executable name in upper case, a blank, the arguments.
std::wstring DisplayLineOf(platform::Locale& locale, const BackupEntry& entry);
// The entry of display line `index`; nullopt when the index is outside the listing.
std::optional<BackupEntry> ListedEntry(const BackupListing& listing, std::size_t index);
// Deletes the log when it exists, and then the exact copies kept beside it, under the writer's
// turn; Failed when the log stays (the copies are then kept too).
StoreResult ClearBackupLog(platform::FileSystem& files, platform::DataLocks& locks,
                           const std::wstring& dataFolder);

} // namespace vtrl::decisions
