// Outside texts with line breaks (Run values, their names, shortcut arguments) in the two
// line-numbered data files: the exact inputs the fuzz targets found, and the neighbours that
// must survive them.

#include "decision_test_support.h"
#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl::decisions {
namespace {

using testing::kDataFolder;

class StoredLineBreaksTest : public ::testing::Test {
protected:
    std::vector<BackupEntry> LoggedEntries() {
        const auto lines = services::ReadTextLines(fixture.fake.files, fixture.fake.locale,
                                                   BackupLogPath(kDataFolder));
        return lines ? ParseBackupLines(*lines) : std::vector<BackupEntry>{};
    }
    testing::DecisionFixture fixture;
};

// decision_file_fuzz input "\n\n": one save whose folder is a lone LF made a 12-line file.
TEST_F(StoredLineBreaksTest, DecisionWithLineFeedFolderReloadsAsSaved) {
    Decisions decisions;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, decisions);
    ASSERT_TRUE(
        SaveDecision(fixture.Get(), kDataFolder, decisions, L"\n", L"", L"", false, false, L""));
    EXPECT_EQ(fixture.fake.files.Content(DecisionFilePath(kDataFolder)),
              std::string("\r\n \r\n\r\n\r\nN\r\nN\r\n\r\n\r\n\r\n\r\n\r\n"));
    Decisions reloaded;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, reloaded);
    EXPECT_EQ(reloaded.DecisionLastIndex, 0);
    EXPECT_EQ(reloaded.DecisionTable[0], decisions.DecisionTable[0]);
}

TEST_F(StoredLineBreaksTest, ArgumentsWithLineBreaksCannotShiftOtherDecisions) {
    Decisions decisions;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, decisions);
    // Arguments built to read as a second, approving entry if written as they are.
    const std::wstring crafted = L"x\r\nN\r\nN\r\n1\r\n\r\n\r\n\r\n\r\n\r\nc:\\evil\r\nevil.exe";
    ASSERT_TRUE(SaveDecision(fixture.Get(), kDataFolder, decisions, L"C:\\Evil", L"Evil.exe",
                             crafted, true, true, kStatusRestricted));
    ASSERT_TRUE(SaveDecision(fixture.Get(), kDataFolder, decisions, L"C:\\Tools", L"a.exe", L"",
                             false, true, kStatusRestricted));

    Decisions reloaded;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, reloaded);
    ASSERT_EQ(reloaded.DecisionLastIndex, 1);
    EXPECT_EQ(reloaded.DecisionTable[0], decisions.DecisionTable[0]);
    EXPECT_EQ(reloaded.DecisionTable[1], decisions.DecisionTable[1]);
    EXPECT_EQ(reloaded.DecisionTable[0].Arguments, L"x  N  N  1            c:\\evil  evil.exe");

    // The record with the original arguments still finds its restriction after the reload.
    inventory::StartupRecord record;
    record.ExeFolder = L"C:\\EVIL";
    record.ExeName = L"EVIL.EXE";
    record.Arguments = crafted;
    const DecisionEntry found = LookupDecision(fixture.fake.locale, reloaded, record);
    EXPECT_EQ(found.Status, kStatusRestricted);
    EXPECT_TRUE(found.KillIfRunning);
    EXPECT_TRUE(found.DeleteRecord);
}

// backup_log_fuzz input "\n[": a removal whose location is a lone LF lost its own entry.
TEST_F(StoredLineBreaksTest, RemovalWithLineFeedLocationKeepsItsEntry) {
    ASSERT_TRUE(
        BackupAndLogRemoval(fixture.Get(), kDataFolder, L"REGISTRY", L"\n", L"", L"", L"", L""));
    const std::vector<BackupEntry> entries = LoggedEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Kind, L"REGISTRY");
    EXPECT_EQ(entries[0].FullLocation, L" ");
}

TEST_F(StoredLineBreaksTest, CommandLinesThatLookLikeTheLogKeepEveryEntry) {
    ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"REGISTRY",
                                    L"HKEY_CURRENT_USER\\Run\\first", L"c:\\a", L"first.exe", L"",
                                    L"c:\\a\\first.exe"));
    // A value name with a line break, and a command that is a separator line of its own.
    ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"REGISTRY",
                                    L"HKEY_CURRENT_USER\\Run\\two\r\nlines", L"c:\\b", L"b.exe",
                                    L"-x\ry", kBackupSeparator));
    ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"SHORTCUT", L"C:\\s\\c.lnk",
                                    L"c:\\c", L"c.exe", L"", L"c:\\c\\c.exe"));
    const std::vector<BackupEntry> entries = LoggedEntries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].ExeName, L"first.exe");
    EXPECT_EQ(entries[1].FullLocation, L"HKEY_CURRENT_USER\\Run\\two  lines");
    EXPECT_EQ(entries[1].Arguments, L"-x y");
    EXPECT_EQ(entries[1].CommandLine, std::wstring(kBackupSeparator) + L" ");
    EXPECT_EQ(entries[2].ExeName, L"c.exe");

    // Removed again with the same outside texts: the older entry of that key is replaced.
    ASSERT_TRUE(BackupAndLogRemoval(fixture.Get(), kDataFolder, L"REGISTRY",
                                    L"HKEY_CURRENT_USER\\Run\\two\r\nlines", L"c:\\b", L"b.exe",
                                    L"-x\ry", L"c:\\b\\b.exe"));
    const std::vector<BackupEntry> again = LoggedEntries();
    ASSERT_EQ(again.size(), 3u);
    EXPECT_EQ(again[1].ExeName, L"c.exe");
    EXPECT_EQ(again[2].CommandLine, L"c:\\b\\b.exe");
}

} // namespace
} // namespace vtrl::decisions
