#pragma once
// What every read-modify-write of a data file in the data folder ("ActionsDB.txt",
// "BackupAndLog.txt") shares: one writer at a time across processes, a size limit, and damaged
// content kept aside before a rewrite drops it.

#include "platform/data_lock.h"
#include "platform/files.h"
#include "platform/locale.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::decisions {

// How long a writer waits for another one to finish before giving up, changing nothing.
inline constexpr std::uint32_t kDataLockWaitMilliseconds = 5000;
// A data file larger than this is never read whole, so it is never rewritten either.
inline constexpr std::uint64_t kMaxDataFileBytes = 2ULL * 1024 * 1024 * 1024;

enum class StoreOutcome {
    Stored,   // the file now holds the change
    Busy,     // another writer kept the files for longer than the wait: nothing changed
    TooLarge, // the file is over kMaxDataFileBytes: nothing changed
    Failed,   // the file could not be read, kept aside or written: nothing changed
    // The record's name cannot be addressed exactly (a value name holding a NUL): no backup is
    // written and nothing is removed, since the removal would hit a different value.
    NotRemovable,
};

// An outcome that also reads as "stored" where only success matters.
struct StoreResult {
    StoreOutcome outcome = StoreOutcome::Failed;
    explicit operator bool() const { return outcome == StoreOutcome::Stored; }
};

// The writer's turn on the data folder's files, waiting at most kDataLockWaitMilliseconds;
// nullptr when it did not come.
std::unique_ptr<platform::DataLockHold> TakeWriterTurn(platform::DataLocks& locks,
                                                       const std::wstring& dataFolder);

// The file's lines as it is now: no lines when it does not exist; TooLarge or Failed (and no
// lines) when it exists but cannot be read whole.
struct DataFileRead {
    StoreOutcome outcome = StoreOutcome::Stored;
    std::vector<std::wstring> lines;
};
DataFileRead ReadDataFile(platform::FileSystem& files, platform::Locale& locale,
                          const std::wstring& path);

// Keeps the file's bytes as they are under the first free name of "<stem>.unreadable.txt",
// "<stem>.unreadable2.txt", ... beside it ("ActionsDB.txt" -> "ActionsDB.unreadable.txt"), so
// that a rewrite which keeps only what it understood loses nothing a person might still mend.
bool KeepUnreadableCopy(platform::FileSystem& files, const std::wstring& path);

// A text as a data file stores it: on one line (line breaks become blanks, as AsOneLine does) and
// without NUL, which no path or command can hold and which would make the file read as foreign.
std::wstring AsStoredText(std::wstring text);

// Whether the text holds characters a clean read never gives: NUL (text in another encoding read
// as ANSI) or the replacement character (bytes the reader could not convert).
bool HasForeignCharacters(const std::wstring& text);
bool HasForeignCharacters(const std::vector<std::wstring>& lines);

} // namespace vtrl::decisions
