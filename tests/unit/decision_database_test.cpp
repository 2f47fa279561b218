// The decision database file "ActionsDB.txt": its exact layout, the case and flag rules, the key
// identity, and what happens with damaged, oversized or unreadable files.

#include "decision_test_support.h"
#include "decisions/decision_database.h"

#include <gtest/gtest.h>

#include <string>

namespace vtrl::decisions {
namespace {

using testing::kDataFolder;

class DecisionDatabaseTest : public ::testing::Test {
protected:
    std::wstring Path() const { return DecisionFilePath(kDataFolder); }
    std::string FileText() const { return fixture.fake.files.Content(Path()).value_or("<none>"); }
    void Load() {
        LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, decisions);
    }
    bool Save(const std::wstring& folder, const std::wstring& name, const std::wstring& arguments,
              bool kill, bool remove, const std::wstring& status) {
        return static_cast<bool>(SaveDecision(fixture.Get(), kDataFolder, decisions, folder, name,
                                              arguments, kill, remove, status));
    }
    static std::string Entry(const std::string& folder, const std::string& name,
                             const std::string& arguments, const std::string& kill,
                             const std::string& remove, const std::string& status) {
        return "\r\n" + folder + "\r\n" + name + "\r\n" + arguments + "\r\n" + kill + "\r\n" +
               remove + "\r\n" + status + "\r\n\r\n\r\n\r\n\r\n";
    }

    testing::DecisionFixture fixture;
    Decisions decisions;
};

TEST_F(DecisionDatabaseTest, FirstLoadCreatesAnEmptyFile) {
    Load();
    EXPECT_EQ(FileText(), "");
    EXPECT_EQ(decisions.DecisionLastIndex, -1);
    EXPECT_FALSE(decisions.FileUnreadable);
    EXPECT_EQ(decisions.DecisionTable.size(), kInitialDecisionSlots);
}

TEST_F(DecisionDatabaseTest, EntryLayoutLineByLine) {
    Load();
    // Line 5 is the shut-down flag and line 6 the delete flag.
    ASSERT_TRUE(Save(L"C:\\Windows", L"Notepad.EXE", L"", false, true, L"2"));
    EXPECT_EQ(FileText(), "\r\nc:\\windows\r\nnotepad.exe\r\n\r\nN\r\nY\r\n2\r\n\r\n\r\n\r\n\r\n");
    ASSERT_TRUE(Save(L"c:\\tools", L"a.exe", L"-Min /X", true, false, L"1"));
    EXPECT_EQ(FileText(), Entry("c:\\windows", "notepad.exe", "", "N", "Y", "2") +
                              Entry("c:\\tools", "a.exe", "-Min /X", "Y", "N", "1"));
}

TEST_F(DecisionDatabaseTest, RoundTripThroughTheFile) {
    Load();
    Save(L"c:\\a", L"one.exe", L"x", true, true, L"2");
    Save(L"c:\\b", L"two.exe", L"", false, false, L"0");
    Save(L"c:\\c", L"three.exe", L"Y", true, false, L"1");
    Decisions reloaded;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, reloaded);
    ASSERT_EQ(reloaded.DecisionLastIndex, 2);
    for (int slot = 0; slot <= 2; ++slot) {
        EXPECT_EQ(reloaded.DecisionTable[slot], decisions.DecisionTable[slot]) << slot;
    }
    EXPECT_FALSE(reloaded.DecisionTable[3].InUse);
}

TEST_F(DecisionDatabaseTest, FolderAndNameCaseInsensitiveArgumentsExact) {
    Load();
    Save(L"C:\\Apps", L"Tool.exe", L"/Quiet", false, false, L"1");
    // Same key once folder and name are lower-cased: the entry is updated in place.
    Save(L"c:\\APPS", L"TOOL.EXE", L"/Quiet", true, true, L"2");
    EXPECT_EQ(FileText(), Entry("c:\\apps", "tool.exe", "/Quiet", "Y", "Y", "2"));
    // Arguments differing only in case are another key.
    Save(L"c:\\apps", L"tool.exe", L"/quiet", false, false, L"1");
    EXPECT_EQ(decisions.DecisionLastIndex, 1);
    EXPECT_EQ(FileText(), Entry("c:\\apps", "tool.exe", "/Quiet", "Y", "Y", "2") +
                              Entry("c:\\apps", "tool.exe", "/quiet", "N", "N", "1"));
}

TEST_F(DecisionDatabaseTest, StatusUpperCasedAndEmptyStatusKept) {
    Load();
    Save(L"c:\\a", L"x.exe", L"", false, true, L"");
    Save(L"c:\\b", L"y.exe", L"", false, false, L"z");
    EXPECT_EQ(FileText(), Entry("c:\\a", "x.exe", "", "N", "Y", "") +
                              Entry("c:\\b", "y.exe", "", "N", "N", "Z"));
    Decisions reloaded;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, reloaded);
    EXPECT_EQ(reloaded.DecisionTable[0].Status, L"");
    // Another save rewrites the unknown statuses unchanged.
    SaveDecision(fixture.Get(), kDataFolder, reloaded, L"c:\\c", L"w.exe", L"", false, false, L"1");
    EXPECT_EQ(FileText(), Entry("c:\\a", "x.exe", "", "N", "Y", "") +
                              Entry("c:\\b", "y.exe", "", "N", "N", "Z") +
                              Entry("c:\\c", "w.exe", "", "N", "N", "1"));
}

TEST_F(DecisionDatabaseTest, OnlyAnExactYReadsTrueAndTextsLoadAsStored) {
    fixture.fake.files.AddFile(Path(), Entry("C:\\Mixed", "Name.EXE", "a", "y", "Yes", "2") +
                                           Entry("c:\\a", "b.exe", "", "Y", "Y ", "1") +
                                           Entry("c:\\a", "c.exe", "", "", "Y", "1"));
    Load();
    ASSERT_EQ(decisions.DecisionLastIndex, 2);
    const auto& table = decisions.DecisionTable;
    EXPECT_EQ(table[0].ExeFolder, L"C:\\Mixed");
    EXPECT_EQ(table[0].ExeName, L"Name.EXE");
    EXPECT_FALSE(table[0].KillIfRunning);
    EXPECT_FALSE(table[0].DeleteRecord);
    EXPECT_TRUE(table[1].KillIfRunning);
    EXPECT_FALSE(table[1].DeleteRecord);
    EXPECT_FALSE(table[2].KillIfRunning);
    EXPECT_TRUE(table[2].DeleteRecord);
}

TEST_F(DecisionDatabaseTest, LastMatchWinsForLookupAndSave) {
    fixture.fake.files.AddFile(Path(), Entry("c:\\a", "b.exe", "", "N", "N", "1") +
                                           Entry("c:\\a", "b.exe", "", "Y", "Y", "2"));
    Load();
    inventory::StartupRecord record;
    record.ExeFolder = L"C:\\A";
    record.ExeName = L"B.exe";
    const DecisionEntry found = LookupDecision(fixture.Get().locale, decisions, record);
    EXPECT_EQ(found.Status, L"2");
    EXPECT_TRUE(found.KillIfRunning);
    EXPECT_TRUE(found.DeleteRecord);
    EXPECT_FALSE(found.InUse);
    EXPECT_EQ(record.ExeFolder, L"c:\\a");
    EXPECT_EQ(record.ExeName, L"b.exe");

    Save(L"c:\\a", L"b.exe", L"", false, false, L"0");
    EXPECT_EQ(FileText(), Entry("c:\\a", "b.exe", "", "N", "N", "1") +
                              Entry("c:\\a", "b.exe", "", "N", "N", "0"));
}

TEST_F(DecisionDatabaseTest, LookupWithoutEntryGivesNoDecision) {
    Load();
    Save(L"c:\\a", L"b.exe", L"-x", true, true, L"2");
    inventory::StartupRecord record;
    record.ExeFolder = L"C:\\A";
    record.ExeName = L"b.exe";
    record.Arguments = L"-X";
    const DecisionEntry found = LookupDecision(fixture.Get().locale, decisions, record);
    EXPECT_EQ(found.Status, L"0");
    EXPECT_FALSE(found.KillIfRunning);
    EXPECT_FALSE(found.DeleteRecord);
    EXPECT_EQ(record.ExeFolder, L"c:\\a");
}

TEST_F(DecisionDatabaseTest, IncompleteLastEntryIgnored) {
    fixture.fake.files.AddFile(Path(), Entry("c:\\a", "b.exe", "", "N", "N", "1") +
                                           "\r\nc:\\cut\r\nshort.exe\r\n\r\nY\r\nY\r\n2\r\n");
    Load();
    EXPECT_EQ(decisions.DecisionLastIndex, 0);
    EXPECT_EQ(decisions.DecisionTable[0].ExeName, L"b.exe");
    EXPECT_FALSE(decisions.DecisionTable[1].InUse);
}

TEST_F(DecisionDatabaseTest, MoreEntriesThanSlotsAreAllKept) {
    const std::size_t stored = kInitialDecisionSlots + 87;
    std::string text;
    for (std::size_t i = 0; i < stored; ++i) {
        text += Entry("c:\\p", "e" + std::to_string(i) + ".exe", "", "N", "N", "2");
    }
    fixture.fake.files.AddFile(Path(), text);
    Load();
    EXPECT_EQ(decisions.DecisionLastIndex, static_cast<int>(stored) - 1);
    ASSERT_TRUE(Save(L"c:\\p", L"new.exe", L"", false, false, L"1"));
    EXPECT_EQ(FileText(), text + Entry("c:\\p", "new.exe", "", "N", "N", "1"));
    // An existing entry beyond the first slots is still found and updated, not duplicated.
    ASSERT_TRUE(Save(L"c:\\p", L"e1150.exe", L"", false, false, L"1"));
    EXPECT_EQ(decisions.DecisionLastIndex, static_cast<int>(stored));
    EXPECT_EQ(decisions.DecisionTable[1150].Status, L"1");
}

TEST_F(DecisionDatabaseTest, UnreadableFileIsNeverOverwritten) {
    const std::string stored = Entry("c:\\a", "b.exe", "", "N", "Y", "2");
    fixture.fake.files.AddFile(Path(), stored);
    fixture.MakeUnreadable(Path());
    Load();
    EXPECT_TRUE(decisions.FileUnreadable);
    EXPECT_EQ(decisions.DecisionLastIndex, -1);
    EXPECT_FALSE(Save(L"c:\\x", L"y.exe", L"", false, false, L"1"));
    EXPECT_EQ(FileText(), stored);
    // Nothing stored, nothing pretended: the table is as the load left it.
    EXPECT_EQ(decisions.DecisionLastIndex, -1);

    fixture.MakeReadable(Path());
    Load();
    EXPECT_FALSE(decisions.FileUnreadable);
    ASSERT_TRUE(Save(L"c:\\x", L"y.exe", L"", false, false, L"1"));
    EXPECT_EQ(FileText(), stored + Entry("c:\\x", "y.exe", "", "N", "N", "1"));
}

TEST_F(DecisionDatabaseTest, FailedWriteReportedAndFileKept) {
    Load();
    Save(L"c:\\a", L"b.exe", L"", false, false, L"1");
    fixture.fake.files.MakeReadOnly(kDataFolder);
    EXPECT_FALSE(Save(L"c:\\a", L"c.exe", L"", false, false, L"1"));
    EXPECT_EQ(FileText(), Entry("c:\\a", "b.exe", "", "N", "N", "1"));
}

TEST_F(DecisionDatabaseTest, ClearDeletesFileAndEmptiesTable) {
    Load();
    Save(L"c:\\a", L"b.exe", L"", false, false, L"1");
    EXPECT_TRUE(ClearDecisions(fixture.Get().files, fixture.Get().locks, kDataFolder, decisions));
    EXPECT_FALSE(fixture.fake.files.FileExists(Path()));
    EXPECT_EQ(decisions.DecisionLastIndex, -1);
    EXPECT_FALSE(decisions.DecisionTable[0].InUse);
    Save(L"c:\\n", L"m.exe", L"", false, false, L"2");
    EXPECT_EQ(FileText(), Entry("c:\\n", "m.exe", "", "N", "N", "2"));
}

// Another window or the agent saved after this table was loaded: the save applies its one
// change to the file as it is now and keeps the other decision, in the file and in the table.
TEST_F(DecisionDatabaseTest, StaleTableKeepsADecisionSavedMeanwhile) {
    Load();
    ASSERT_TRUE(Save(L"c:\\a", L"first.exe", L"", false, false, L"1"));
    Decisions otherWindow;
    LoadDecisions(fixture.Get().files, fixture.Get().locale, kDataFolder, otherWindow);
    ASSERT_TRUE(SaveDecision(fixture.Get(), kDataFolder, otherWindow, L"c:\\b", L"other.exe", L"",
                             true, true, L"2"));
    ASSERT_TRUE(Save(L"c:\\a", L"first.exe", L"", false, false, L"2"));
    EXPECT_EQ(FileText(), Entry("c:\\a", "first.exe", "", "N", "N", "2") +
                              Entry("c:\\b", "other.exe", "", "Y", "Y", "2"));
    EXPECT_EQ(decisions.DecisionLastIndex, 1);
    EXPECT_EQ(decisions.DecisionTable[1].ExeName, L"other.exe");
}

// The file is read only once the writer's turn is granted: a decision written by the process
// that held the turn until then is kept.
TEST_F(DecisionDatabaseTest, FileIsReadInsideTheWritersTurn) {
    Load();
    const std::string before = Entry("c:\\held", "held.exe", "", "N", "N", "1");
    fixture.fake.locks.beforeGrant = [&](const std::wstring&) {
        fixture.fake.files.AddFile(Path(), before);
    };
    fixture.files.onReplace = [&](const std::wstring& path) {
        EXPECT_TRUE(fixture.fake.locks.Held(kDataFolder)) << "unlocked write of " << path.size();
    };
    ASSERT_TRUE(Save(L"c:\\a", L"b.exe", L"", false, false, L"1"));
    EXPECT_EQ(FileText(), before + Entry("c:\\a", "b.exe", "", "N", "N", "1"));
    EXPECT_EQ(fixture.fake.locks.waits, (std::vector<std::uint32_t>{kDataLockWaitMilliseconds}));
    EXPECT_FALSE(fixture.fake.locks.Held(kDataFolder));
}

TEST_F(DecisionDatabaseTest, BusyWriterChangesNothing) {
    Load();
    ASSERT_TRUE(Save(L"c:\\a", L"b.exe", L"", false, false, L"1"));
    const std::string stored = FileText();
    fixture.fake.locks.heldElsewhere.insert(fakes::FoldCase(kDataFolder));
    EXPECT_EQ(SaveDecision(fixture.Get(), kDataFolder, decisions, L"c:\\a", L"c.exe", L"", false,
                           false, L"2")
                  .outcome,
              StoreOutcome::Busy);
    EXPECT_EQ(
        ClearDecisions(fixture.Get().files, fixture.Get().locks, kDataFolder, decisions).outcome,
        StoreOutcome::Busy);
    EXPECT_EQ(FileText(), stored);
    EXPECT_EQ(decisions.DecisionLastIndex, 0);
    // Another data folder has a turn of its own.
    Decisions elsewhere;
    EXPECT_TRUE(SaveDecision(fixture.Get(), L"C:\\users\\tester\\Temp", elsewhere, L"c:\\a",
                             L"c.exe", L"", false, false, L"2"));
}

// A file that did not parse cleanly is kept aside, byte for byte, before the rewrite that keeps
// only what was understood; each damaged version gets the next free name.
TEST_F(DecisionDatabaseTest, DamagedFileIsKeptAsideBeforeARewrite) {
    const std::string good = Entry("c:\\a", "b.exe", "", "N", "Y", "2");
    const std::string damaged[] = {
        good + "\r\nc:\\cut\r\n",                        // not a multiple of 11 lines
        "stray" + good.substr(0),                        // text on an ignored line
        Entry("c:\\a", "b.exe", "", "y", "Y", "2"),      // a flag that is neither Y nor N
        std::string("\r\0c\0:\0\\\0a\0\r\0", 12) + good, // another encoding read as ANSI
    };
    const std::wstring folder = kDataFolder;
    std::vector<std::wstring> copies = {folder + L"\\ActionsDB.unreadable.txt"};
    for (int number = 2; number <= 4; ++number) {
        copies.push_back(folder + L"\\ActionsDB.unreadable" + std::to_wstring(number) + L".txt");
    }
    for (std::size_t i = 0; i < std::size(damaged); ++i) {
        SCOPED_TRACE(i);
        fixture.fake.files.AddFile(Path(), damaged[i]);
        ASSERT_TRUE(Save(L"c:\\n", L"new.exe", L"", false, false, L"1"));
        EXPECT_EQ(fixture.fake.files.Content(copies[i]), damaged[i]);
    }
    // A clean file is rewritten without a copy.
    const std::size_t files = fixture.fake.files.FileCount();
    ASSERT_TRUE(Save(L"c:\\n", L"other.exe", L"", false, false, L"1"));
    EXPECT_EQ(fixture.fake.files.FileCount(), files);
    EXPECT_TRUE(IsCleanDecisionFile({}));
}

TEST_F(DecisionDatabaseTest, DamagedFileThatCannotBeKeptAsideIsNotRewritten) {
    const std::string damaged = "stray\r\n";
    fixture.fake.files.AddFile(Path(), damaged);
    for (int number = 1; number <= 99; ++number) {
        fixture.fake.files.AddFile(std::wstring(kDataFolder) + L"\\ActionsDB.unreadable" +
                                       (number == 1 ? L"" : std::to_wstring(number)) + L".txt",
                                   "");
    }
    EXPECT_EQ(SaveDecision(fixture.Get(), kDataFolder, decisions, L"c:\\n", L"new.exe", L"", false,
                           false, L"1")
                  .outcome,
              StoreOutcome::Failed);
    EXPECT_EQ(FileText(), damaged);
}

// A file over 2 GiB is never read whole, so it is never rewritten from an empty read.
TEST_F(DecisionDatabaseTest, OversizedFileIsRefused) {
    const std::string stored = Entry("c:\\a", "b.exe", "", "N", "Y", "2");
    fixture.fake.files.AddFile(Path(), stored);
    fixture.files.reportedSizes[fakes::FoldCase(Path())] = kMaxDataFileBytes + 1;
    Load();
    EXPECT_TRUE(decisions.FileUnreadable);
    EXPECT_EQ(SaveDecision(fixture.Get(), kDataFolder, decisions, L"c:\\x", L"y.exe", L"", false,
                           false, L"1")
                  .outcome,
              StoreOutcome::TooLarge);
    EXPECT_EQ(FileText(), stored);
    fixture.files.reportedSizes[fakes::FoldCase(Path())] = kMaxDataFileBytes;
    EXPECT_TRUE(Save(L"c:\\x", L"y.exe", L"", false, false, L"1"));
}

} // namespace
} // namespace vtrl::decisions
