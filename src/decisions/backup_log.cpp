#include "decisions/backup_log.h"

#include "decisions/record_copy.h"
#include "services/date_time.h"
#include "services/text_file.h"

#include <algorithm>
#include <optional>

namespace vtrl::decisions {

std::array<std::wstring, kBackupDataRows> DataRowsOf(const BackupEntry& entry) {
    return {entry.RemovedAt, entry.RemovedDate,  entry.RemovedTime,
            entry.Kind,      entry.FullLocation, entry.ExeFolder,
            entry.ExeName,   entry.Arguments,    entry.CommandLine};
}

BackupEntry EntryFromDataRows(const std::array<std::wstring, kBackupDataRows>& rows) {
    return {rows[0], rows[1], rows[2], rows[3], rows[4], rows[5], rows[6], rows[7], rows[8]};
}

namespace {

// A data row as the file can hold it: on one line, and never read as the start of an entry.
std::wstring StoredRow(const std::wstring& text) {
    std::wstring row = AsStoredText(text);
    if (row == kBackupSeparator) {
        row += L' ';
    }
    return row;
}

std::size_t LinesWithText(const std::vector<std::wstring>& lines) {
    return static_cast<std::size_t>(std::count_if(lines.begin(), lines.end(), [](const auto& line) {
        return line.find_first_not_of(L" \t") != std::wstring::npos;
    }));
}

// Whether the file holds text that belongs to no complete entry: a log damaged or written by
// something else. The program itself always replaces the file whole, so it never leaves one.
bool HasTextOutsideEntries(const std::vector<std::wstring>& lines,
                           const std::vector<BackupEntry>& entries) {
    return LinesWithText(lines) > LinesWithText(FormatBackupLines(entries));
}

} // namespace

std::wstring BackupLogPath(const std::wstring& dataFolder) {
    return dataFolder + L"\\" + kBackupLogFileName;
}

std::vector<BackupEntry> ParseBackupLines(const std::vector<std::wstring>& lines) {
    std::vector<BackupEntry> entries;
    std::size_t index = 0;
    while (index < lines.size()) {
        if (lines[index] != kBackupSeparator) {
            ++index;
            continue;
        }
        std::array<std::wstring, kBackupDataRows> rows;
        std::size_t taken = 0;
        while (taken < kBackupDataRows && index + 1 + taken < lines.size() &&
               lines[index + 1 + taken] != kBackupSeparator) {
            rows[taken] = lines[index + 1 + taken];
            ++taken;
        }
        if (taken == kBackupDataRows) {
            entries.push_back(EntryFromDataRows(rows));
        }
        index += 1 + taken;
    }
    return entries;
}

std::vector<std::wstring> FormatBackupLines(const std::vector<BackupEntry>& entries) {
    std::vector<std::wstring> lines;
    lines.reserve(entries.size() * kBackupEntryLines);
    for (const BackupEntry& entry : entries) {
        lines.emplace_back(kBackupSeparator);
        for (const std::wstring& row : DataRowsOf(entry)) {
            lines.push_back(StoredRow(row));
        }
    }
    return lines;
}

std::wstring DateLine(const platform::LocalTime& time) {
    return std::to_wstring(time.day) + L"-" + std::to_wstring(time.month) + L"-" +
           std::to_wstring(time.year);
}

std::wstring TimeLine(const platform::LocalTime& time) {
    return std::to_wstring(time.hour) + L":" + std::to_wstring(time.minute) + L":" +
           std::to_wstring(time.second);
}

StoreResult BackupAndLogRemoval(platform::Platform& platform, const std::wstring& dataFolder,
                                const std::wstring& kind, const std::wstring& fullLocation,
                                const std::wstring& folder, const std::wstring& exeName,
                                const std::wstring& arguments, const std::wstring& commandLine,
                                const PlaceReader& readPlace) {
    const auto turn = TakeWriterTurn(platform.locks, dataFolder);
    if (!turn) {
        return {StoreOutcome::Busy};
    }
    // Read under the turn: an entry another process wrote a moment ago stays.
    const std::wstring path = BackupLogPath(dataFolder);
    const DataFileRead read = ReadDataFile(platform.files, platform.locale, path);
    if (read.outcome != StoreOutcome::Stored) {
        return {read.outcome};
    }
    std::vector<BackupEntry> entries = ParseBackupLines(read.lines);
    if (HasTextOutsideEntries(read.lines, entries) || HasForeignCharacters(read.lines)) {
        if (!KeepUnreadableCopy(platform.files, path)) {
            return {StoreOutcome::Failed};
        }
        // Kept in the copy as they were; kept here, they would be set aside again every time.
        std::erase_if(entries, [](const BackupEntry& entry) {
            const auto rows = DataRowsOf(entry);
            return std::any_of(rows.begin(), rows.end(),
                               [](const std::wstring& row) { return HasForeignCharacters(row); });
        });
    }
    // The entry as it will read back, so that the same place finds its older entry.
    BackupEntry added;
    added.Kind = StoredRow(kind);
    added.FullLocation = StoredRow(fullLocation);
    added.ExeFolder = StoredRow(folder);
    added.ExeName = StoredRow(exeName);
    added.Arguments = StoredRow(arguments);
    added.CommandLine = StoredRow(commandLine);
    std::erase_if(entries, [&](const BackupEntry& entry) {
        return SamePlace(platform.locale, entry, added);
    });
    // Three readings of the clock, one per line, as the entry has always recorded them.
    added.RemovedAt = StoredRow(platform.locale.FormatDateTime(platform.clock.Now()));
    added.RemovedDate = DateLine(platform.clock.Now());
    added.RemovedTime = TimeLine(platform.clock.Now());
    // The copy first: a log entry never names a copy that is not there yet.
    const auto previousCopy = StoreRecordCopy(platform.files, platform.locale, dataFolder, added,
                                              readPlace ? readPlace() : std::nullopt);
    if (!previousCopy) {
        return {StoreOutcome::Failed};
    }
    entries.push_back(std::move(added));
    if (!services::WriteTextLines(platform.files, platform.locale, path,
                                  FormatBackupLines(entries))) {
        PutBackPreviousCopy(platform.files, *previousCopy);
        return {StoreOutcome::Failed};
    }
    return {StoreOutcome::Stored};
}

bool SamePlace(platform::Locale& locale, const BackupEntry& one, const BackupEntry& other) {
    return one.Kind == other.Kind &&
           locale.ToLower(one.FullLocation) == locale.ToLower(other.FullLocation);
}

std::wstring DisplayLineOf(platform::Locale& locale, const BackupEntry& entry) {
    return entry.RemovedAt + L" = " + locale.ToUpper(entry.ExeName) + L" " + entry.Arguments;
}

BackupListing ListBackupEntries(platform::Platform& platform, const std::wstring& dataFolder,
                                bool pastWeekOnly) {
    BackupListing listing;
    const auto lines =
        services::ReadTextLines(platform.files, platform.locale, BackupLogPath(dataFolder));
    if (!lines) {
        return listing;
    }
    for (const BackupEntry& entry : ParseBackupLines(*lines)) {
        if (pastWeekOnly) {
            const auto age =
                services::SecondsSince(platform.clock, platform.locale, entry.RemovedAt);
            if (age && *age >= kPastWeekSeconds) {
                continue;
            }
        }
        listing.displayLines.push_back(DisplayLineOf(platform.locale, entry));
        listing.entries.push_back(entry);
    }
    return listing;
}

std::optional<BackupEntry> ListedEntry(const BackupListing& listing, std::size_t index) {
    if (index >= listing.displayLines.size() || index >= listing.entries.size()) {
        return std::nullopt;
    }
    return listing.entries[index];
}

StoreResult ClearBackupLog(platform::FileSystem& files, platform::DataLocks& locks,
                           const std::wstring& dataFolder) {
    const auto turn = TakeWriterTurn(locks, dataFolder);
    if (!turn) {
        return {StoreOutcome::Busy};
    }
    const std::wstring path = BackupLogPath(dataFolder);
    if (files.FileExists(path) && !files.Remove(path)) {
        return {StoreOutcome::Failed};
    }
    // Without their entries the copies are never used again; one that stays takes room only.
    ClearRecordCopies(files, dataFolder);
    return {StoreOutcome::Stored};
}

} // namespace vtrl::decisions
