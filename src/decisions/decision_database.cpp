#include "decisions/decision_database.h"

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
    return entry.ExeFolder == services::AsOneLine(folder) &&
           entry.ExeName == services::AsOneLine(exeName) &&
           entry.Arguments == services::AsOneLine(arguments);
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
        block[kLineFolder] = services::AsOneLine(entry.ExeFolder);
        block[kLineName] = services::AsOneLine(entry.ExeName);
        block[kLineArguments] = services::AsOneLine(entry.Arguments);
        block[kLineKill] = entry.KillIfRunning ? kFlagYes : kFlagNo;
        block[kLineDelete] = entry.DeleteRecord ? kFlagYes : kFlagNo;
        block[kLineStatus] = services::AsOneLine(entry.Status);
        lines.insert(lines.end(), block.begin(), block.end());
    }
    return lines;
}

void LoadDecisions(platform::Platform& platform, const std::wstring& dataFolder,
                   Decisions& decisions) {
    EmptyTable(decisions);
    const std::wstring path = DecisionFilePath(dataFolder);
    if (!platform.files.FileExists(path)) {
        platform.files.CreateNewEmpty(path);
    }
    const auto lines = services::ReadTextLines(platform.files, platform.locale, path);
    // Missing even after the attempt to create it: nothing stored can be lost by a later save.
    decisions.FileUnreadable =
        !lines && (platform.files.FileExists(path) || platform.files.FolderExists(path));
    if (!lines) {
        return;
    }
    std::vector<DecisionEntry> entries = ParseDecisionLines(*lines);
    if (entries.size() > decisions.DecisionTable.size()) {
        decisions.DecisionTable.resize(entries.size());
    }
    for (std::size_t slot = 0; slot < entries.size(); ++slot) {
        decisions.DecisionTable[slot] = std::move(entries[slot]);
    }
    decisions.DecisionLastIndex = static_cast<int>(entries.size()) - 1;
}

bool SaveDecision(platform::Platform& platform, const std::wstring& dataFolder,
                  Decisions& decisions, const std::wstring& folder, const std::wstring& exeName,
                  const std::wstring& arguments, bool killIfRunning, bool deleteRecord,
                  const std::wstring& status) {
    // The table holds what the file will hold, so that a reload gives the same table.
    const std::wstring lowerFolder = services::AsOneLine(platform.locale.ToLower(folder));
    const std::wstring lowerName = services::AsOneLine(platform.locale.ToLower(exeName));
    const std::wstring storedArguments = services::AsOneLine(arguments);

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
                                      services::AsOneLine(platform.locale.ToUpper(status))};

    if (decisions.FileUnreadable) {
        return false;
    }
    return services::WriteTextLines(platform.files, platform.locale, DecisionFilePath(dataFolder),
                                    FormatDecisionLines(decisions));
}

DecisionEntry LookupDecision(platform::Locale& locale, const Decisions& decisions,
                             inventory::StartupRecord& record) {
    record.ExeFolder = locale.ToLower(record.ExeFolder);
    record.ExeName = locale.ToLower(record.ExeName);
    DecisionEntry result;
    result.Status = kStatusNoDecision;
    for (const DecisionEntry& entry : decisions.DecisionTable) {
        if (entry.InUse && SameKey(entry, record.ExeFolder, record.ExeName, record.Arguments)) {
            result.Status = entry.Status;
            result.DeleteRecord = entry.DeleteRecord;
            result.KillIfRunning = entry.KillIfRunning;
        }
    }
    return result;
}

void ClearDecisions(platform::Platform& platform, const std::wstring& dataFolder,
                    Decisions& decisions) {
    const std::wstring path = DecisionFilePath(dataFolder);
    if (platform.files.FileExists(path)) {
        platform.files.Remove(path);
    }
    EmptyTable(decisions);
    // Clearing is the user's explicit wish, so an unreadable file may go; if it stayed, it stays
    // protected.
    decisions.FileUnreadable = platform.files.FileExists(path);
}

} // namespace vtrl::decisions
