// The undo page headless: the listing with its seven-day filter, the restore with its question,
// "Clear list", and "ok", which restarts only after a restore.

#include "manager/undo_page.h"
#include "manager_window_fixture.h"

#include <algorithm>

namespace vtrl::manager {
namespace {

using testing::kRunKey;
using testing::kRunKeyPath;
using testing::ManagerPages;

constexpr wchar_t kToolCommand[] = L"C:\\Tools\\tool.exe -min";

class UndoPageTest : public ManagerPages {
protected:
    UndoPageTest() {
        AddRunRecord(L"Other", L"C:\\Apps", L"other.exe");
        fake.files.AddFile(L"C:\\Tools\\tool.exe", "MZ");
        // tool.exe was removed eight days ago, other.exe's earlier record an hour ago.
        const platform::LocalTime now = fake.clock.now;
        fake.clock.now = {2026, 11, 30, 9, 30, 0};
        Remove(L"REGISTRY", std::wstring(kRunKeyPath) + L"\\Tool", L"C:\\TOOLS", L"tool.exe",
               L"-min", kToolCommand);
        fake.clock.now = {2026, 12, 8, 8, 30, 0};
        Remove(L"REGISTRY", std::wstring(kRunKeyPath) + L"\\Old", L"C:\\APPS", L"other.exe", L"",
               L"C:\\Apps\\other.exe");
        fake.clock.now = now;
    }
    void Remove(const std::wstring& kind, const std::wstring& location, const std::wstring& folder,
                const std::wstring& exe, const std::wstring& arguments,
                const std::wstring& command) {
        ASSERT_TRUE(decisions::BackupAndLogRemoval(fake.Get(), facts.DataFolder, kind, location,
                                                   folder, exe, arguments, command));
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = decisions::ListBackupEntries(fake.Get(), facts.DataFolder, false);
        std::vector<decisions::BackupEntry> entries;
        for (std::size_t i = 0; i < lines.displayLines.size(); ++i) {
            entries.push_back(*decisions::ListedEntry(lines, i));
        }
        return entries;
    }
    // Opens the undo page from the list page's link, with the filter off.
    UndoPage& OpenUndoPage(Main& main) {
        main.Label22_Click();
        if (main.undoPage.Check10.Value() != 0) {
            main.undoPage.Check10.Click();
        }
        return main.undoPage;
    }
    bool Started(const std::wstring& command) const {
        const auto& started = fake.launcher.started;
        return std::find(started.begin(), started.end(), command) != started.end();
    }
};

TEST_F(UndoPageTest, ListsTheLastWeekAtFirstAndEverythingWithoutTheFilter) {
    Main& main = Open();
    UndoPage& page = main.undoPage;
    EXPECT_EQ(page.Check10.Value(), 1) << "checked at start";
    main.Label22_Click();
    EXPECT_EQ(main.CurrentPage(), kUndoPage);
    const auto entries = Logged();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(page.List1.Items(),
              std::vector<std::wstring>{entries[1].RemovedAt + L" = OTHER.EXE "});
    EXPECT_EQ(page.EntryOfLine(0), entries[1]);
    EXPECT_EQ(page.EntryOfLine(1), std::nullopt);

    page.Check10.Click();
    ASSERT_EQ(page.List1.Items().size(), 2u);
    EXPECT_EQ(page.List1.Items()[0], entries[0].RemovedAt + L" = TOOL.EXE -min");
    EXPECT_EQ(page.EntryOfLine(0), entries[0]);
    EXPECT_EQ(page.EntryOfLine(1), entries[1]);
    EXPECT_EQ(page.EntryOfLine(1)->CommandLine, L"C:\\Apps\\other.exe");
    EXPECT_EQ(page.EntryOfLine(2), std::nullopt);
    EXPECT_EQ(page.EntryOfLine(-1), std::nullopt);

    page.Check10.Click();
    EXPECT_EQ(page.List1.Items().size(), 1u);
}

TEST_F(UndoPageTest, RestoreAnsweredNoChangesNothingAndOkGoesBackToTheList) {
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    page.List1.SetListIndex(0);
    fake.messages.answers.push_back(platform::MessageAnswer::No);
    page.Command8.Click();

    // The question names the place that will be written, then the command that will start.
    ASSERT_EQ(MessageTexts(),
              std::vector<std::wstring>{std::wstring(L"Restore it?\r\n\r\n") + kRunKeyPath +
                                        L"\\Tool\r\n" + kToolCommand});
    EXPECT_EQ(fake.messages.shown[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_FALSE(RunValuePresent(L"Tool"));
    EXPECT_TRUE(fake.launcher.started.empty());
    EXPECT_FALSE(page.RestartPending);

    page.Command7.Click();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_FALSE(main.Unloaded());
    EXPECT_TRUE(fake.launcher.started.empty());
}

TEST_F(UndoPageTest, RestoreWritesTheRecordBackApprovesItAndOkRestarts) {
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    page.List1.SetListIndex(0);
    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    page.Command8.Click();

    const auto value = fake.registry.QueryValue(platform::Hive::CurrentUser, kRunKey, L"Tool");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, platform::kRegSz);
    EXPECT_EQ(value->data, services::EncodeRegSz(kToolCommand));
    EXPECT_TRUE(Started(kToolCommand));
    const auto stored = StoredDecisions();
    ASSERT_EQ(stored.DecisionLastIndex, 0);
    EXPECT_EQ(stored.DecisionTable[0].ExeName, L"tool.exe");
    EXPECT_EQ(stored.DecisionTable[0].Status, L"1");
    EXPECT_EQ(MessageTexts().back(), L"Restored.");
    EXPECT_TRUE(page.RestartPending);
    // The entry stays in the log and in the list.
    EXPECT_EQ(page.List1.Items().size(), 2u);
    EXPECT_EQ(Logged().size(), 2u);
    EXPECT_FALSE(Started(RestartCommand()));

    page.Command7.Click();
    EXPECT_TRUE(Started(RestartCommand()));
    EXPECT_TRUE(main.Unloaded());
}

TEST_F(UndoPageTest, ApplyAndCloseAfterARestoreEndsWithoutRestart) {
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    page.List1.SetListIndex(1);
    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    page.Command8.Click();
    ASSERT_TRUE(page.RestartPending);
    main.Command6_Click();
    EXPECT_TRUE(main.Unloaded());
    EXPECT_FALSE(Started(RestartCommand()));
}

TEST_F(UndoPageTest, RestoreWithoutASelectionDoesNothing) {
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    ASSERT_EQ(page.List1.ListIndex(), -1);
    page.Command8.Click();
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_FALSE(page.RestartPending);
}

TEST_F(UndoPageTest, ClearListDeletesTheLogOnlyOnYes) {
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    const std::wstring log = decisions::BackupLogPath(facts.DataFolder);

    fake.messages.answers.push_back(platform::MessageAnswer::No);
    page.Command9.Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Sure?"});
    EXPECT_TRUE(fake.files.FileExists(log));
    EXPECT_EQ(page.List1.Items().size(), 2u);

    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    page.Command9.Click();
    EXPECT_FALSE(fake.files.FileExists(log));
    EXPECT_TRUE(page.List1.Items().empty());
    EXPECT_EQ(page.EntryOfLine(0), std::nullopt);

    // A missing log: the question, then only an empty list again.
    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    page.Command9.Click();
    EXPECT_TRUE(page.List1.Items().empty());

    // A later removal starts a new file.
    Remove(L"SHORTCUT", L"C:\\Startup\\x.lnk", L"C:\\X", L"x.exe", L"", L"C:\\X\\x.exe");
    EXPECT_EQ(Logged().size(), 1u);
}

// An entry edited to point elsewhere (the log is a file any process of the user can write) is
// refused with its location shown, before any question: nothing is written or started.
TEST_F(UndoPageTest, EntryPointingOutsideTheStartupLocationsIsRefused) {
    const std::wstring winlogon =
        L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon\\Shell";
    Remove(L"REGISTRY", winlogon, L"C:\\X", L"x.exe", L"", L"C:\\X\\x.exe");
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    page.List1.SetListIndex(2);
    page.Command8.Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Not restorable:\r\n\r\n" + winlogon});
    EXPECT_EQ(fake.messages.shown[0].buttons, platform::MessageButtons::Ok);
    EXPECT_FALSE(
        fake.registry.KeyExists(platform::Hive::LocalMachine,
                                L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon"));
    EXPECT_TRUE(fake.launcher.started.empty());
    EXPECT_FALSE(page.RestartPending);
}

TEST_F(UndoPageTest, ClearingWhileAnotherWriterHoldsTheLogKeepsItAndSaysSo) {
    Main& main = Open();
    UndoPage& page = OpenUndoPage(main);
    fake.locks.heldElsewhere.insert(fakes::FoldCase(facts.DataFolder));
    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    page.Command9.Click();
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Sure?", L"Busy."}));
    EXPECT_TRUE(fake.files.FileExists(decisions::BackupLogPath(facts.DataFolder)));
    EXPECT_EQ(page.List1.Items().size(), 2u);
}

} // namespace
} // namespace vtrl::manager
