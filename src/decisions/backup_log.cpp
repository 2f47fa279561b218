#include "decisions/backup_log.h"

#include "inventory/startup_record.h"
#include "services/date_time.h"
#include "services/registry_access.h"
#include "services/text_file.h"

#include <algorithm>
#include <cwchar>
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
    std::wstring row = services::AsOneLine(text);
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

// Keeps the log's bytes as they are under a name of their own (the first free one of
// "BackupAndLog.unreadable.txt", "BackupAndLog.unreadable2.txt", ...), so that the rewrite,
// which keeps only complete entries, loses nothing a person might still read or mend.
bool KeepUnreadableCopy(platform::FileSystem& files, const std::wstring& dataFolder,
                        const std::wstring& path) {
    const auto bytes = files.ReadAll(path);
    if (!bytes) {
        return false;
    }
    for (int number = 1; number <= 99; ++number) {
        const std::wstring copy = dataFolder + L"\\BackupAndLog.unreadable" +
                                  (number == 1 ? L"" : std::to_wstring(number)) + L".txt";
        if (files.CreateNewEmpty(copy)) {
            if (files.ReplaceAll(copy, *bytes)) {
                return true;
            }
            files.Remove(copy);
            return false;
        }
    }
    return false;
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

bool BackupAndLogRemoval(platform::Platform& platform, const std::wstring& dataFolder,
                         const std::wstring& kind, const std::wstring& fullLocation,
                         const std::wstring& folder, const std::wstring& exeName,
                         const std::wstring& arguments, const std::wstring& commandLine) {
    const std::wstring path = BackupLogPath(dataFolder);
    std::vector<BackupEntry> entries;
    if (platform.files.FileExists(path) || platform.files.FolderExists(path)) {
        const auto lines = services::ReadTextLines(platform.files, platform.locale, path);
        if (!lines) {
            return false;
        }
        entries = ParseBackupLines(*lines);
        if (HasTextOutsideEntries(*lines, entries) &&
            !KeepUnreadableCopy(platform.files, dataFolder, path)) {
            return false;
        }
    }
    // The entry as it will read back, so that the same key finds its older entry.
    BackupEntry added;
    added.Kind = StoredRow(kind);
    added.FullLocation = StoredRow(fullLocation);
    added.ExeFolder = StoredRow(folder);
    added.ExeName = StoredRow(exeName);
    added.Arguments = StoredRow(arguments);
    added.CommandLine = StoredRow(commandLine);
    std::erase_if(entries, [&](const BackupEntry& entry) {
        return entry.ExeFolder == added.ExeFolder && entry.ExeName == added.ExeName &&
               entry.Arguments == added.Arguments;
    });
    // Three readings of the clock, one per line, as the entry has always recorded them.
    added.RemovedAt = StoredRow(platform.locale.FormatDateTime(platform.clock.Now()));
    added.RemovedDate = DateLine(platform.clock.Now());
    added.RemovedTime = TimeLine(platform.clock.Now());
    entries.push_back(std::move(added));
    return services::WriteTextLines(platform.files, platform.locale, path,
                                    FormatBackupLines(entries));
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
            const auto age = services::SecondsSince(platform, entry.RemovedAt);
            if (age && *age >= kPastWeekSeconds) {
                continue;
            }
        }
        listing.displayLines.push_back(DisplayLineOf(platform.locale, entry));
        for (std::wstring& row : DataRowsOf(entry)) {
            listing.dataRows.push_back(std::move(row));
        }
    }
    return listing;
}

std::optional<BackupEntry> ListedEntry(const BackupListing& listing, std::size_t index) {
    if (index >= listing.displayLines.size() ||
        (index + 1) * kBackupDataRows > listing.dataRows.size()) {
        return std::nullopt;
    }
    std::array<std::wstring, kBackupDataRows> rows;
    for (std::size_t row = 0; row < kBackupDataRows; ++row) {
        rows[row] = listing.dataRows[index * kBackupDataRows + row];
    }
    return EntryFromDataRows(rows);
}

void ClearBackupLog(platform::FileSystem& files, const std::wstring& dataFolder) {
    const std::wstring path = BackupLogPath(dataFolder);
    if (files.FileExists(path)) {
        files.Remove(path);
    }
}

std::wstring RestoreQuestion(const std::wstring& prompt, const BackupEntry& entry) {
    return prompt + L"\r\n\r\n" + entry.CommandLine;
}

namespace {

// Records come from the values of the Run-type keys themselves, so in a location below one of
// them everything after the key is the value's name, backslashes included.
std::optional<services::ValuePath> SplitAfterRunKey(platform::Locale& locale,
                                                    const std::wstring& keyPath) {
    const std::wstring lower = locale.ToLower(keyPath);
    for (const wchar_t* runKey : {L"\\currentversion\\run\\", L"\\currentversion\\runonce\\",
                                  L"\\currentversion\\runonceex\\"}) {
        const std::size_t at = lower.find(runKey);
        if (at != std::wstring::npos) {
            const std::size_t nameAt = at + std::wcslen(runKey);
            return services::ValuePath{keyPath.substr(0, nameAt), keyPath.substr(nameAt)};
        }
    }
    return std::nullopt;
}

// "HKEY_...\key path\value name" back into the key and the value; a location ending in "\" is
// the key's default value.
bool WriteRegistryRecord(platform::Platform& platform, const BackupEntry& entry) {
    platform::Registry& registry = platform.registry;
    const auto location = services::ParseRegistryLocation(entry.FullLocation);
    if (!location) {
        return false;
    }
    services::ValuePath value = SplitAfterRunKey(platform.locale, location->keyPath)
                                    .value_or(services::SplitValuePath(location->keyPath));
    while (!value.subkey.empty() && value.subkey.back() == L'\\') {
        value.subkey.pop_back();
    }
    if (value.subkey.empty() || !registry.CreateKey(location->hive, value.subkey)) {
        return false;
    }
    return registry.SetValue(location->hive, value.subkey, value.valueName,
                             {platform::kRegSz, services::EncodeRegSz(entry.CommandLine)});
}

} // namespace

RestoreOutcome RestoreRemovedRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                    Decisions& decisions, const BackupEntry& entry) {
    RestoreOutcome outcome;
    if (entry.Kind == inventory::kKindRegistry) {
        outcome.recordWritten = WriteRegistryRecord(platform, entry);
    } else if (entry.Kind == inventory::kKindShortcut) {
        outcome.recordWritten =
            platform.links.CreateLink({entry.FullLocation, entry.ExeFolder + L"\\" + entry.ExeName,
                                       L"", entry.ExeFolder, entry.Arguments, L""});
    }
    outcome.started = platform.launcher.StartProgram(entry.CommandLine);
    LoadDecisions(platform, dataFolder, decisions);
    outcome.approved = SaveDecision(platform, dataFolder, decisions, entry.ExeFolder, entry.ExeName,
                                    entry.Arguments, false, false, kStatusApproved);
    return outcome;
}

} // namespace vtrl::decisions
