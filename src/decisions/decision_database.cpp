#include "decisions/decision_database.h"

#include "decisions/data_file.h"
#include "services/text_file.h"

namespace vtrl::decisions {

namespace {

// Line positions within one entry (0-based); the flags are in the reverse of the entry's order.
constexpr std::size_t kLineFolder = 1;
constexpr std::size_t kLineName = 2;
constexpr std::size_t kLineArguments = 3;
constexpr std::size_t kLineKill = 4;
constexpr std::size_t kLineDelete = 5;
constexpr std::size_t kLineStatus = 6;

// Keys are compared in their stored one-line form, so that a key read back from the file still
// finds the record whose arguments held a line break.
bool SameKey(const DecisionEntry& entry, const std::wstring& folder, const std::wstring& exeName,
             const std::wstring& arguments) {
    return entry.ExeFolder == AsStoredText(folder) && entry.ExeName == AsStoredText(exeName) &&
           entry.Arguments == AsStoredText(arguments);
}

void EmptyTable(Decisions& decisions) {
    for (DecisionEntry& entry : decisions.DecisionTable) {
        entry.InUse = false;
    }
    decisions.DecisionLastIndex = -1;
}

} // namespace

std::wstring DecisionFilePath(const std::wstring& dataFolder) {
    return dataFolder + L"\\" + kDecisionFileName;
}

std::vector<DecisionEntry> ParseDecisionLines(const std::vector<std::wstring>& lines) {
    std::vector<DecisionEntry> entries;
    for (std::size_t first = 0; first + kDecisionEntryLines <= lines.size();
         first += kDecisionEntryLines) {
        DecisionEntry entry;
        entry.InUse = true;
        entry.ExeFolder = lines[first + kLineFolder];
        entry.ExeName = lines[first + kLineName];
        entry.Arguments = lines[first + kLineArguments];
        entry.KillIfRunning = lines[first + kLineKill] == kFlagYes;
        entry.DeleteRecord = lines[first + kLineDelete] == kFlagYes;
        entry.Status = lines[first + kLineStatus];
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::wstring> FormatDecisionLines(const Decisions& decisions) {
    std::vector<std::wstring> lines;
    for (const DecisionEntry& entry : decisions.DecisionTable) {
        if (!entry.InUse) {
            continue;
        }
        std::vector<std::wstring> block(kDecisionEntryLines);
        block[kLineFolder] = AsStoredText(entry.ExeFolder);
        block[kLineName] = AsStoredText(entry.ExeName);
        block[kLineArguments] = AsStoredText(entry.Arguments);
        block[kLineKill] = entry.KillIfRunning ? kFlagYes : kFlagNo;
        block[kLineDelete] = entry.DeleteRecord ? kFlagYes : kFlagNo;
        block[kLineStatus] = AsStoredText(entry.Status);
        lines.insert(lines.end(), block.begin(), block.end());
    }
    return lines;
}

bool IsCleanDecisionFile(const std::vector<std::wstring>& lines) {
    if (lines.size() % kDecisionEntryLines != 0 || HasForeignCharacters(lines)) {
        return false;
    }
    for (std::size_t first = 0; first < lines.size(); first += kDecisionEntryLines) {
        for (std::size_t line = 0; line < kDecisionEntryLines; ++line) {
            const std::wstring& text = lines[first + line];
            if (line == kLineKill || line == kLineDelete) {
                if (text != kFlagYes && text != kFlagNo) {
                    return false;
                }
            } else if (line != kLineFolder && line != kLineName && line != kLineArguments &&
                       line != kLineStatus && !text.empty()) {
                return false;
            }
        }
    }
    return true;
}

namespace {

// Replaces the table with the entries, growing it past its first slots when needed.
void FillTable(Decisions& decisions, std::vector<DecisionEntry> entries) {
    EmptyTable(decisions);
    if (entries.size() > decisions.DecisionTable.size()) {
        decisions.DecisionTable.resize(entries.size());
    }
    for (std::size_t slot = 0; slot < entries.size(); ++slot) {
        decisions.DecisionTable[slot] = std::move(entries[slot]);
    }
    decisions.DecisionLastIndex = static_cast<int>(entries.size()) - 1;
}

// Inserts or updates the entry of the key in the table, in the form the file will hold.
void ApplyDecision(platform::Locale& locale, Decisions& decisions, const std::wstring& folder,
                   const std::wstring& exeName, const std::wstring& arguments, bool killIfRunning,
                   bool deleteRecord, const std::wstring& status) {
    const std::wstring lowerFolder = AsStoredText(locale.ToLower(folder));
    const std::wstring lowerName = AsStoredText(locale.ToLower(exeName));
    const std::wstring storedArguments = AsStoredText(arguments);

    // Every slot is searched: when a damaged history left duplicates, the last one wins.
    std::size_t found = decisions.DecisionTable.size();
    for (std::size_t slot = 0; slot < decisions.DecisionTable.size(); ++slot) {
        const DecisionEntry& entry = decisions.DecisionTable[slot];
        if (entry.InUse && SameKey(entry, lowerFolder, lowerName, storedArguments)) {
            found = slot;
        }
    }
    if (found == decisions.DecisionTable.size()) {
        found = static_cast<std::size_t>(decisions.DecisionLastIndex + 1);
        if (found >= decisions.DecisionTable.size()) {
            decisions.DecisionTable.resize(found + 1);
        }
        decisions.DecisionLastIndex = static_cast<int>(found);
    }
    decisions.DecisionTable[found] = {true,
                                      lowerFolder,
                                      lowerName,
                                      storedArguments,
                                      deleteRecord,
                                      killIfRunning,
                                      AsStoredText(locale.ToUpper(status))};
}

} // namespace

void LoadDecisions(platform::FileSystem& files, platform::Locale& locale,
                   const std::wstring& dataFolder, Decisions& decisions) {
    EmptyTable(decisions);
    const std::wstring path = DecisionFilePath(dataFolder);
    if (!files.FileExists(path)) {
        files.CreateNewEmpty(path);
    }
    const DataFileRead read = ReadDataFile(files, locale, path);
    // Missing even after the attempt to create it: nothing stored can be lost by a later save.
    decisions.FileUnreadable = read.outcome != StoreOutcome::Stored;
    if (decisions.FileUnreadable) {
        return;
    }
    FillTable(decisions, ParseDecisionLines(read.lines));
}

StoreResult SaveDecision(platform::Platform& platform, const std::wstring& dataFolder,
                         Decisions& decisions, const std::wstring& folder,
                         const std::wstring& exeName, const std::wstring& arguments,
                         bool killIfRunning, bool deleteRecord, const std::wstring& status) {
    const auto turn = TakeWriterTurn(platform.locks, dataFolder);
    if (!turn) {
        return {StoreOutcome::Busy};
    }
    // The change goes into the file as it is now, not into the copy the caller loaded earlier:
    // another window or the agent may have saved since.
    const std::wstring path = DecisionFilePath(dataFolder);
    const DataFileRead read = ReadDataFile(platform.files, platform.locale, path);
    if (read.outcome != StoreOutcome::Stored) {
        return {read.outcome};
    }
    std::vector<DecisionEntry> entries = ParseDecisionLines(read.lines);
    if (!IsCleanDecisionFile(read.lines)) {
        if (!KeepUnreadableCopy(platform.files, path)) {
            return {StoreOutcome::Failed};
        }
        // The copy holds them as they were; kept here, they would make every later save keep
        // the same damage aside again.
        std::erase_if(entries, [](const DecisionEntry& entry) {
            return HasForeignCharacters(entry.ExeFolder) || HasForeignCharacters(entry.ExeName) ||
                   HasForeignCharacters(entry.Arguments) || HasForeignCharacters(entry.Status);
        });
    }
    Decisions current;
    FillTable(current, std::move(entries));
    ApplyDecision(platform.locale, current, folder, exeName, arguments, killIfRunning, deleteRecord,
                  status);
    if (!services::WriteTextLines(platform.files, platform.locale, path,
                                  FormatDecisionLines(current))) {
        return {StoreOutcome::Failed};
    }
    decisions = std::move(current);
    return {StoreOutcome::Stored};
}

DecisionEntry LookupDecision(platform::Locale& locale, const Decisions& decisions,
                             inventory::StartupRecord& record) {
    record.ExeFolder = locale.ToLower(record.ExeFolder);
    record.ExeName = locale.ToLower(record.ExeName);
    const auto find = [&decisions](const std::wstring& folder, const std::wstring& exeName,
                                   const std::wstring& arguments) -> const DecisionEntry* {
        const DecisionEntry* found = nullptr;
        for (const DecisionEntry& entry : decisions.DecisionTable) {
            if (entry.InUse && SameKey(entry, folder, exeName, arguments)) {
                found = &entry;
            }
        }
        return found;
    };
    const DecisionEntry* found = find(record.ExeFolder, record.ExeName, record.Arguments);
    // A decision stored before the exact resolution stays with its record until a new one is
    // stored under the record's own key.
    if (found == nullptr && !record.LegacyKey.Name.empty()) {
        found = find(locale.ToLower(record.LegacyKey.Folder), locale.ToLower(record.LegacyKey.Name),
                     record.LegacyKey.Arguments);
    }
    DecisionEntry result;
    result.Status = kStatusNoDecision;
    if (found != nullptr) {
        result.Status = found->Status;
        result.DeleteRecord = found->DeleteRecord;
        result.KillIfRunning = found->KillIfRunning;
    }
    return result;
}

StoreResult ClearDecisions(platform::FileSystem& files, platform::DataLocks& locks,
                           const std::wstring& dataFolder, Decisions& decisions) {
    const auto turn = TakeWriterTurn(locks, dataFolder);
    if (!turn) {
        return {StoreOutcome::Busy};
    }
    const std::wstring path = DecisionFilePath(dataFolder);
    if (files.FileExists(path)) {
        files.Remove(path);
    }
    EmptyTable(decisions);
    // Clearing is the user's explicit wish, so an unreadable file may go; if it stayed, it stays
    // protected.
    decisions.FileUnreadable = files.FileExists(path);
    return {decisions.FileUnreadable ? StoreOutcome::Failed : StoreOutcome::Stored};
}

} // namespace vtrl::decisions
