#pragma once
// The decision database: what the user decided about each executable, in memory as DecisionTable
// and on disk as "ActionsDB.txt" in the data folder, one 11-line entry per executable key.

#include "decisions/data_file.h"
#include "inventory/startup_record.h"
#include "platform/platform.h"

#include <cstddef>
#include <string>
#include <vector>

namespace vtrl::decisions {

inline constexpr wchar_t kDecisionFileName[] = L"ActionsDB.txt";
inline constexpr std::size_t kDecisionEntryLines = 11;
// Slots allocated up front; the table grows past them rather than drop a stored decision.
inline constexpr std::size_t kInitialDecisionSlots = 1113;

inline constexpr wchar_t kStatusNoDecision[] = L"0";
inline constexpr wchar_t kStatusApproved[] = L"1";
inline constexpr wchar_t kStatusRestricted[] = L"2";
inline constexpr wchar_t kFlagYes[] = L"Y";
inline constexpr wchar_t kFlagNo[] = L"N";

struct DecisionEntry {
    bool InUse = false;
    std::wstring ExeFolder; // lower case when stored by SaveDecision
    std::wstring ExeName;   // lower case when stored by SaveDecision
    std::wstring Arguments; // case kept
    bool DeleteRecord = false;
    bool KillIfRunning = false;
    std::wstring Status; // "0", "1", "2", or anything the file held
    friend bool operator==(const DecisionEntry&, const DecisionEntry&) = default;
};

// One process's copy of the database. Slots 0..DecisionLastIndex are in use after a load.
struct Decisions {
    std::vector<DecisionEntry> DecisionTable = std::vector<DecisionEntry>(kInitialDecisionSlots);
    int DecisionLastIndex = -1;
    // The file exists but the last load could not read it (saves re-read it and refuse too).
    bool FileUnreadable = false;
};

std::wstring DecisionFilePath(const std::wstring& dataFolder);

// The file's lines as entries, in file order. A last entry of fewer than 11 lines is ignored.
std::vector<DecisionEntry> ParseDecisionLines(const std::vector<std::wstring>& lines);
// The 11 lines of every slot in use, in slot order.
std::vector<std::wstring> FormatDecisionLines(const Decisions& decisions);

// Whether the lines are exactly what the program writes: whole 11-line entries, the ignored lines
// empty, each flag "Y" or "N", and no character of a foreign encoding. A file that is not clean
// is kept aside before it is rewritten.
bool IsCleanDecisionFile(const std::vector<std::wstring>& lines);

// Replaces the table with the file's content, creating an empty file when there is none. A file
// that cannot be read (or is over kMaxDataFileBytes) leaves the table empty and FileUnreadable set.
void LoadDecisions(platform::FileSystem& files, platform::Locale& locale,
                   const std::wstring& dataFolder, Decisions& decisions);
// Inserts or updates the entry of the key (folder and name lower-cased, status upper-cased, line
// breaks in any of the texts stored as blanks) in the file as it is now: under the writer's turn
// it re-reads the file, keeps a damaged one aside, applies this one change and rewrites it; the
// caller's table then becomes the file's new content. On any other outcome than Stored the file
// and the table are left as they were.
StoreResult SaveDecision(platform::Platform& platform, const std::wstring& dataFolder,
                         Decisions& decisions, const std::wstring& folder,
                         const std::wstring& exeName, const std::wstring& arguments,
                         bool killIfRunning, bool deleteRecord, const std::wstring& status);
// The decision for the record's executable: Status and the two flags, "0" and false when there is
// none. Lower-cases the record's ExeFolder and ExeName in place, as later users expect.
DecisionEntry LookupDecision(platform::Locale& locale, const Decisions& decisions,
                             inventory::StartupRecord& record);
// Deletes the file and empties the table, under the writer's turn (Busy changes nothing).
StoreResult ClearDecisions(platform::FileSystem& files, platform::DataLocks& locks,
                           const std::wstring& dataFolder, Decisions& decisions);

} // namespace vtrl::decisions
