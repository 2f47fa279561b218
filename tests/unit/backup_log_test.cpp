// The backup-and-log file "BackupAndLog.txt": its layout, one entry per place, damage handling,
// and the undo page's listing with its past-week filter.

#include "decision_test_support.h"
#include "decisions/backup_log.h"
#include "services/registry_access.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl::decisions {
namespace {

using testing::kDataFolder;

const std::string kSeparatorBytes(74, '=');

class BackupLogTest : public ::testing::Test {
protected:
    std::wstring Path() const { return BackupLogPath(kDataFolder); }
    std::string FileText() const { return fixture.fake.files.Content(Path()).value_or("<none>"); }
    // Each program from a place of its own unless a location is given.
    bool Log(const std::wstring& folder, const std::wstring& name, const std::wstring& arguments,
             const std::wstring& location = L"") {
        const std::wstring place =
            location.empty() ? L"HKEY_CURRENT_USER\\Software\\Run\\" + name + arguments : location;
        return static_cast<bool>(
            BackupAndLogRemoval(fixture.Get(), kDataFolder, L"REGISTRY", place, folder, name,
                                arguments, L"\"" + folder + L"\\" + name + L"\" " + arguments));
    }
    std::vector<std::wstring> LoggedPlaces() {
        std::vector<std::wstring> places;
        for (const auto& entry :
             ParseBackupLines(services::SplitLines(fixture.Get().locale.FromAnsi(FileText())))) {
            places.push_back(entry.Kind + L"|" + entry.FullLocation + L"|" + entry.ExeName);
        }
        return places;
    }
    std::vector<std::wstring> LoggedNames() {
        std::vector<std::wstring> names;
        for (const auto& entry :
             ParseBackupLines(services::SplitLines(fixture.Get().locale.FromAnsi(FileText())))) {
            names.push_back(entry.ExeName + L"|" + entry.Arguments);
        }
        return names;
    }
    // A stored entry removed at the given time, the rest fixed.
    static BackupEntry RemovedAt(const std::wstring& when, const std::wstring& name) {
        return {when,     L"1-1-2026", L"0:0:0", L"SHORTCUT",      L"C:\\s\\" + name + L".lnk",
                L"c:\\p", name,        L"",      L"c:\\p\\" + name};
    }

    testing::DecisionFixture fixture;
};

TEST_F(BackupLogTest, FirstRemovalWritesOneEntryLineByLine) {
    fixture.fake.clock.now = {2026, 1, 6, 9, 5, 3};
    ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"SHORTCUT",
                                    L"C:\\Startup\\Tool.lnk", L"c:\\tools", L"tool.exe", L"-a",
                                    L"\"c:\\tools\\tool.exe\" -a"));
    EXPECT_EQ(FileText(), kSeparatorBytes +
                              "\r\n1/6/2026 9:05:03 AM\r\n6-1-2026\r\n9:5:3\r\nSHORTCUT\r\n"
                              "C:\\Startup\\Tool.lnk\r\nc:\\tools\r\ntool.exe\r\n-a\r\n"
                              "\"c:\\tools\\tool.exe\" -a\r\n");
    // Nothing but the log is left in the data folder: no temporary file of the rewrite.
    const auto entries = fixture.fake.files.ListFolder(kDataFolder, L"*");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, L"BackupAndLog.txt");
}

TEST_F(BackupLogTest, OneEntryPerPlaceNewestLast) {
    const std::wstring run =
        L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    Log(L"c:\\p", L"a.exe", L"", run + L"\\A");
    // The same program from a second place: both stay, so both can be restored.
    Log(L"c:\\p", L"a.exe", L"", run + L"Once\\A");
    ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"SHORTCUT", run + L"\\A", L"c:\\p",
                                    L"a.exe", L"", L"c:\\p\\a.exe"));
    Log(L"c:\\p", L"b.exe", L"", run + L"\\B");
    // The first place again, spelt in another case as Windows allows: its older entry goes.
    Log(L"c:\\q", L"c.exe", L"",
        L"hkey_current_user\\software\\microsoft\\windows\\"
        L"currentversion\\run\\a");
    EXPECT_EQ(LoggedPlaces(),
              (std::vector<std::wstring>{L"REGISTRY|" + run + L"Once\\A|a.exe",
                                         L"SHORTCUT|" + run + L"\\A|a.exe",
                                         L"REGISTRY|" + run + L"\\B|b.exe",
                                         L"REGISTRY|hkey_current_user\\software\\microsoft\\"
                                         L"windows\\currentversion\\run\\a|c.exe"}));
    EXPECT_EQ(services::SplitLines(fixture.Get().locale.FromAnsi(FileText())).size(), 40u);
}

// A log written by the earlier rule (one entry per program) reads as it always did, and the
// next removal keeps all of it.
TEST_F(BackupLogTest, OlderLogStaysReadable) {
    const std::vector<BackupEntry> older = {RemovedAt(L"t1", L"one.exe"),
                                            RemovedAt(L"t2", L"two.exe")};
    std::wstring text;
    for (const auto& line : FormatBackupLines(older)) {
        text += line + L"\r\n";
    }
    fixture.fake.files.AddFile(Path(), fixture.Get().locale.ToAnsi(text));
    ASSERT_TRUE(Log(L"c:\\p", L"one.exe", L""));
    EXPECT_EQ(LoggedNames(), (std::vector<std::wstring>{L"one.exe|", L"two.exe|", L"one.exe|"}));
    EXPECT_FALSE(fixture.fake.files.FileExists(std::wstring(kDataFolder) +
                                               L"\\BackupAndLog.unreadable.txt"));
}

TEST_F(BackupLogTest, DamagedFileLosesNoCompleteEntry) {
    const std::vector<BackupEntry> complete = {RemovedAt(L"t1", L"one.exe"),
                                               RemovedAt(L"t2", L"two.exe")};
    const auto good = FormatBackupLines(complete);
    std::vector<std::wstring> lines = {L"stray"};
    lines.insert(lines.end(), good.begin(), good.begin() + 10);
    // A cut-short entry in the middle, then the second complete one, then a cut-short tail.
    lines.insert(lines.end(), good.begin(), good.begin() + 5);
    lines.insert(lines.end(), good.begin() + 10, good.end());
    lines.insert(lines.end(), good.begin(), good.begin() + 7);
    EXPECT_EQ(ParseBackupLines(lines), complete);

    std::wstring text;
    for (const auto& line : lines) {
        text += line + L"\r\n";
    }
    const std::string damaged = fixture.Get().locale.ToAnsi(text);
    fixture.fake.files.AddFile(Path(), damaged);
    ASSERT_TRUE(Log(L"c:\\q", L"new.exe", L""));
    EXPECT_EQ(LoggedNames(), (std::vector<std::wstring>{L"one.exe|", L"two.exe|", L"new.exe|"}));
    // What the rewrite could not keep stays readable as it was, beside the log.
    const std::wstring copy = std::wstring(kDataFolder) + L"\\BackupAndLog.unreadable.txt";
    EXPECT_EQ(fixture.fake.files.Content(copy), damaged);

    // A second damaged log gets a copy of its own; a clean one none.
    fixture.fake.files.AddFile(Path(), "\xff\xfe<\x00?\x00\r\n");
    ASSERT_TRUE(Log(L"c:\\q", L"other.exe", L""));
    EXPECT_EQ(LoggedNames(), (std::vector<std::wstring>{L"other.exe|"}));
    EXPECT_EQ(fixture.fake.files.Content(copy), damaged);
    EXPECT_EQ(
        fixture.fake.files.Content(std::wstring(kDataFolder) + L"\\BackupAndLog.unreadable2.txt"),
        std::string("\xff\xfe<\x00?\x00\r\n"));
    ASSERT_TRUE(Log(L"c:\\q", L"third.exe", L""));
    EXPECT_EQ(fixture.fake.files.ListFolder(kDataFolder, L"*").size(), 3u);
}

TEST_F(BackupLogTest, UnreadableLogIsLeftAlone) {
    fixture.fake.files.AddFile(Path(), "kept");
    fixture.MakeUnreadable(Path());
    EXPECT_FALSE(Log(L"c:\\p", L"a.exe", L""));
    EXPECT_EQ(FileText(), "kept");
}

TEST_F(BackupLogTest, ListingHasDisplayLinesAndNineRowsPerEntry) {
    fixture.fake.files.AddFile(Path(), fixture.Get().locale.ToAnsi([] {
        std::wstring text;
        for (const auto& line :
             FormatBackupLines({RemovedAt(L"12/1/2026 1:00:00 PM", L"one.exe"),
                                {L"12/2/2026 1:00:00 PM", L"2-12-2026", L"13:0:0", L"REGISTRY",
                                 L"HKEY_CURRENT_USER\\Software\\Run\\x", L"c:\\p", L"twö.exe",
                                 L"-a b", L"c:\\p\\twö.exe -a b"}})) {
            text += line + L"\r\n";
        }
        return text;
    }()));
    const BackupListing listing = ListBackupEntries(fixture.Get(), kDataFolder, false);
    EXPECT_EQ(listing.displayLines,
              (std::vector<std::wstring>{L"12/1/2026 1:00:00 PM = ONE.EXE ",
                                         L"12/2/2026 1:00:00 PM = TWÖ.EXE -a b"}));
    ASSERT_EQ(listing.entries.size(), 2u);
    EXPECT_EQ(listing.entries[1].RemovedAt, L"12/2/2026 1:00:00 PM");
    EXPECT_EQ(listing.entries[1].Kind, L"REGISTRY");
    EXPECT_EQ(listing.entries[1].CommandLine, L"c:\\p\\twö.exe -a b");
    const auto second = ListedEntry(listing, 1);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->ExeName, L"twö.exe");
    EXPECT_FALSE(ListedEntry(listing, 2).has_value());
}

TEST_F(BackupLogTest, PastWeekFilterAtExactlySevenDays) {
    fixture.fake.clock.now = {2026, 12, 8, 9, 30, 0};
    auto& locale = fixture.fake.locale;
    const std::vector<BackupEntry> entries = {
        RemovedAt(locale.FormatDateTime({2026, 12, 1, 9, 30, 0}), L"exactly.exe"),
        RemovedAt(locale.FormatDateTime({2026, 12, 1, 9, 30, 1}), L"just-inside.exe"),
        RemovedAt(locale.FormatDateTime({2026, 11, 30, 9, 30, 0}), L"eight-days.exe"),
        RemovedAt(L"not a date", L"unreadable.exe"),
        RemovedAt(locale.FormatDateTime({2026, 12, 9, 9, 30, 0}), L"future.exe"),
    };
    std::wstring text;
    for (const auto& line : FormatBackupLines(entries)) {
        text += line + L"\r\n";
    }
    fixture.fake.files.AddFile(Path(), locale.ToAnsi(text));

    const auto names = [](const BackupListing& listing) {
        std::vector<std::wstring> listed;
        for (std::size_t i = 0; i < listing.displayLines.size(); ++i) {
            listed.push_back(ListedEntry(listing, i)->ExeName);
        }
        return listed;
    };
    EXPECT_EQ(names(ListBackupEntries(fixture.Get(), kDataFolder, true)),
              (std::vector<std::wstring>{L"just-inside.exe", L"unreadable.exe", L"future.exe"}));
    EXPECT_EQ(ListBackupEntries(fixture.Get(), kDataFolder, false).displayLines.size(), 5u);
}

TEST_F(BackupLogTest, MissingLogListsNothingAndClearDeletes) {
    EXPECT_TRUE(ListBackupEntries(fixture.Get(), kDataFolder, false).displayLines.empty());
    Log(L"c:\\p", L"a.exe", L"");
    EXPECT_TRUE(ClearBackupLog(fixture.Get().files, fixture.Get().locks, kDataFolder));
    EXPECT_FALSE(fixture.fake.files.FileExists(Path()));
}

} // namespace
} // namespace vtrl::decisions
