// BackupAndLog.txt: any bytes give the complete entries they hold, and a removal's rewrite keeps
// every complete entry of another place, in order, with the new entry last and complete.

#include "decisions/backup_log.h"
#include "fuzz_support.h"
#include "services/text_file.h"

#include <algorithm>
#include <vector>

namespace {

using vtrl::decisions::BackupEntry;

std::vector<BackupEntry> EntriesIn(vtrl::fakes::FakePlatform& fake, const std::wstring& path) {
    const auto lines = vtrl::services::ReadTextLines(fake.files, fake.locale, path);
    VTRL_FUZZ_CHECK(lines.has_value());
    return vtrl::decisions::ParseBackupLines(*lines);
}

// What a text becomes in the file: one line, never a separator.
std::wstring Stored(const std::wstring& text) {
    std::wstring row = vtrl::decisions::AsStoredText(text);
    for (const wchar_t c : row) {
        VTRL_FUZZ_CHECK(c != L'\r' && c != L'\n' && c != L'\0');
    }
    return row == vtrl::decisions::kBackupSeparator ? row + L" " : row;
}

// An entry the rewrite keeps aside in the copy only: text of a foreign encoding.
bool Foreign(const BackupEntry& entry) {
    const auto rows = vtrl::decisions::DataRowsOf(entry);
    return std::any_of(rows.begin(), rows.end(), [](const std::wstring& row) {
        return vtrl::decisions::HasForeignCharacters(row);
    });
}

bool SameKey(const BackupEntry& entry, const std::wstring& folder, const std::wstring& name,
             const std::wstring& arguments) {
    return entry.ExeFolder == folder && entry.ExeName == name && entry.Arguments == arguments;
}

// The undo page's listing stays in step: one entry per display line.
void CheckListing(vtrl::fakes::FakePlatform& fake, const std::vector<BackupEntry>& entries) {
    const vtrl::decisions::BackupListing listing =
        vtrl::decisions::ListBackupEntries(fake.Get(), vtrl::fuzz::kDataFolder, false);
    VTRL_FUZZ_CHECK(listing.displayLines.size() == entries.size());
    VTRL_FUZZ_CHECK(listing.entries.size() == entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        VTRL_FUZZ_CHECK(vtrl::decisions::ListedEntry(listing, i) == entries[i]);
    }
    VTRL_FUZZ_CHECK(!vtrl::decisions::ListedEntry(listing, entries.size()).has_value());
    // The past-week view only leaves entries out.
    const vtrl::decisions::BackupListing recent =
        vtrl::decisions::ListBackupEntries(fake.Get(), vtrl::fuzz::kDataFolder, true);
    VTRL_FUZZ_CHECK(recent.displayLines.size() <= entries.size());
    VTRL_FUZZ_CHECK(recent.entries.size() == recent.displayLines.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    const std::wstring path = vtrl::decisions::BackupLogPath(vtrl::fuzz::kDataFolder);

    const std::wstring kind =
        input.ConsumeBool() ? vtrl::inventory::kKindRegistry : vtrl::inventory::kKindShortcut;
    const std::wstring location = vtrl::fuzz::AnsiText(input, 128);
    const std::wstring folder = vtrl::fuzz::AnsiText(input, 64);
    const std::wstring name = vtrl::fuzz::AnsiText(input, 32);
    const std::wstring arguments = vtrl::fuzz::AnsiText(input, 128);
    const std::wstring commandLine = vtrl::fuzz::AnsiText(input, 256);
    const bool fileExists = input.ConsumeBool();
    const std::string file = vtrl::fuzz::RestAsFile(input);
    fake.files.AddFolder(vtrl::fuzz::kDataFolder);
    if (fileExists) {
        fake.files.AddFile(path, file);
    }

    const std::vector<BackupEntry> before =
        fileExists ? EntriesIn(fake, path) : std::vector<BackupEntry>{};
    // Formatting what was parsed and parsing it again is the identity, for every entry a rewrite
    // keeps (text of a foreign encoding, NUL among it, goes to the kept-aside copy instead).
    std::vector<BackupEntry> understood = before;
    std::erase_if(understood, Foreign);
    VTRL_FUZZ_CHECK(vtrl::decisions::ParseBackupLines(
                        vtrl::decisions::FormatBackupLines(understood)) == understood);
    if (fileExists) {
        CheckListing(fake, before);
    }

    VTRL_FUZZ_CHECK(vtrl::decisions::BackupAndLogRemoval(
        fake.Get(), vtrl::fuzz::kDataFolder, kind, location, folder, name, arguments, commandLine));
    const std::vector<BackupEntry> after = EntriesIn(fake, path);
    std::vector<BackupEntry> expected;
    BackupEntry place;
    place.Kind = kind;
    place.FullLocation = Stored(location);
    for (const BackupEntry& entry : before) {
        if (!vtrl::decisions::SamePlace(fake.locale, entry, place) && !Foreign(entry)) {
            expected.push_back(entry);
        }
    }
    VTRL_FUZZ_CHECK(after.size() == expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        VTRL_FUZZ_CHECK(after[i] == expected[i]);
    }
    const BackupEntry& added = after.back();
    VTRL_FUZZ_CHECK(added.Kind == kind && added.FullLocation == Stored(location));
    VTRL_FUZZ_CHECK(SameKey(added, Stored(folder), Stored(name), Stored(arguments)));
    VTRL_FUZZ_CHECK(added.CommandLine == Stored(commandLine));
    VTRL_FUZZ_CHECK(added.RemovedAt == fake.locale.FormatDateTime(fake.clock.now));
    CheckListing(fake, after);

    // The same place removed again, spelt as the outside text was: still one entry for it.
    VTRL_FUZZ_CHECK(vtrl::decisions::BackupAndLogRemoval(
        fake.Get(), vtrl::fuzz::kDataFolder, kind, location, folder, name, arguments, commandLine));
    VTRL_FUZZ_CHECK(EntriesIn(fake, path) == after);
    return 0;
}
