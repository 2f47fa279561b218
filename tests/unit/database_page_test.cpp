// The database page over a fake decision file: which entries each list shows, taking one entry
// off its list, and wiping the database.

#include "manager/database_page.h"
#include "manager_window_fixture.h"

namespace vtrl::manager::testing {
namespace {

using platform::MessageAnswer;

class DatabasePageTest : public ManagerWindow {
protected:
    DatabasePageTest() {
        Decide(L"C:\\Tools", L"notes.exe", L"2", true, true);
        Decide(L"C:\\Apps", L"good.exe", L"1");
        Decide(L"C:\\Apps", L"undecided.exe", L"0");
        Decide(L"C:\\Apps", L"justfornow.exe", L""); // what "Just for now" leaves
        Decide(L"C:\\Other", L"notes.exe", L"2", false, true, L"-q");
    }
    Main& OpenPage() {
        Main& main = Open();
        main.Label21.Click();
        return main;
    }
    const decisions::DecisionEntry* Stored(const std::wstring& folder, const std::wstring& exe) {
        stored_ = StoredDecisions();
        for (const auto& entry : stored_.DecisionTable) {
            if (entry.InUse && entry.ExeFolder == folder && entry.ExeName == exe) {
                return &entry;
            }
        }
        return nullptr;
    }

private:
    decisions::Decisions stored_;
};

TEST_F(DatabasePageTest, TheBlackListShowsFirst) {
    Main& main = OpenPage();
    DatabasePage& page = main.databasePage;
    EXPECT_EQ(main.CurrentPage(), kDatabasePage);
    EXPECT_EQ(page.Option8.Value(), 1);
    EXPECT_EQ(page.Option7.Value(), 0);
    // Two entries of the same name stay two lines, in file order.
    EXPECT_EQ(page.List3.Items(), (std::vector<std::wstring>{L"notes.exe", L"notes.exe"}));
    ASSERT_EQ(page.ShownEntries().size(), 2u);
    EXPECT_EQ(page.ShownEntries()[0].ExeFolder, L"c:\\tools");
    EXPECT_EQ(page.ShownEntries()[1].ExeFolder, L"c:\\other");
    EXPECT_EQ(page.ShownEntries()[1].Arguments, L"-q");
}

TEST_F(DatabasePageTest, EachListShowsOnlyItsStatus) {
    Main& main = OpenPage();
    DatabasePage& page = main.databasePage;
    page.Option7.Click();
    EXPECT_EQ(page.List3.Items(), std::vector<std::wstring>{L"good.exe"});
    ASSERT_EQ(page.ShownEntries().size(), 1u);
    EXPECT_EQ(page.ShownEntries()[0].ExeFolder, L"c:\\apps");
    page.Option8.Click();
    EXPECT_EQ(page.List3.Items().size(), 2u);
}

TEST_F(DatabasePageTest, TheListsFollowTheFileWhenTheyAreRebuilt) {
    Main& main = OpenPage();
    Decide(L"C:\\Late", L"late.exe", L"2");
    main.ShowPage(kListPage);
    main.Label21.Click();
    EXPECT_EQ(main.databasePage.List3.Items().back(), L"late.exe");
}

TEST_F(DatabasePageTest, RemovingTakesOnlyThatEntryOffItsList) {
    Main& main = OpenPage();
    DatabasePage& page = main.databasePage;
    page.List3.SetListIndex(1); // the second notes.exe, in c:\other with -q
    fake.messages.answers.push_back(MessageAnswer::Yes);
    page.Command13.Click();
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Sure?");
    EXPECT_EQ(fake.messages.shown[0].buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Information);

    const auto* removed = Stored(L"c:\\other", L"notes.exe");
    ASSERT_NE(removed, nullptr);
    EXPECT_EQ(removed->Status, L"0");
    EXPECT_FALSE(removed->DeleteRecord);
    EXPECT_FALSE(removed->KillIfRunning);
    EXPECT_EQ(removed->Arguments, L"-q");
    const auto* kept = Stored(L"c:\\tools", L"notes.exe");
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->Status, L"2");
    EXPECT_TRUE(kept->DeleteRecord);

    EXPECT_EQ(page.List3.Items(), std::vector<std::wstring>{L"notes.exe"});
    page.Option7.Click();
    EXPECT_EQ(page.List3.Items(), std::vector<std::wstring>{L"good.exe"});
}

TEST_F(DatabasePageTest, ARemovedEntryShowsAsUndecidedOnTheList) {
    Main& main = OpenPage();
    ASSERT_EQ(main.BAexe(0).Caption(), L"NOTES.EXE");
    main.databasePage.List3.SetListIndex(0);
    fake.messages.answers.push_back(MessageAnswer::Yes);
    main.databasePage.Command13.Click();
    main.databasePage.Command11.Click();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");
}

TEST_F(DatabasePageTest, RemovingAsksFirstAndNeedsASelection) {
    Main& main = OpenPage();
    DatabasePage& page = main.databasePage;
    page.Command13.Click();
    EXPECT_TRUE(fake.messages.shown.empty());
    page.List3.SetListIndex(0);
    fake.messages.answers.push_back(MessageAnswer::No);
    page.Command13.Click();
    EXPECT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(Stored(L"c:\\tools", L"notes.exe")->Status, L"2");
    EXPECT_EQ(page.List3.Items().size(), 2u);
}

TEST_F(DatabasePageTest, ClearAllAnsweredYesLeavesAnEmptyFile) {
    Main& main = OpenPage();
    DatabasePage& page = main.databasePage;
    fake.messages.answers.push_back(MessageAnswer::Yes);
    page.Command12.Click();
    EXPECT_EQ(fake.messages.shown.at(0).text, L"Sure?");
    EXPECT_EQ(fake.files.Content(decisions::DecisionFilePath(facts.DataFolder)), "");
    EXPECT_TRUE(page.List3.Items().empty());
    EXPECT_TRUE(page.ShownEntries().empty());
    page.Option7.Click();
    EXPECT_TRUE(page.List3.Items().empty());
}

TEST_F(DatabasePageTest, ClearAllAnsweredNoOrUnansweredChangesNothing) {
    const auto before = fake.files.Content(decisions::DecisionFilePath(facts.DataFolder));
    Main& main = OpenPage();
    for (MessageAnswer answer : {MessageAnswer::No, MessageAnswer::Failed}) {
        fake.messages.answers.push_back(answer);
        main.databasePage.Command12.Click();
        EXPECT_EQ(fake.files.Content(decisions::DecisionFilePath(facts.DataFolder)), before);
        EXPECT_EQ(main.databasePage.List3.Items().size(), 2u);
    }
}

// Another Vantorel keeps the file past the wait: neither taking an entry off nor clearing
// changes it, and the user is told each time.
TEST_F(DatabasePageTest, BusyFileChangesNothingAndSaysSo) {
    const auto before = fake.files.Content(decisions::DecisionFilePath(facts.DataFolder));
    Main& main = OpenPage();
    DatabasePage& page = main.databasePage;
    fake.locks.heldElsewhere.insert(fakes::FoldCase(facts.DataFolder));
    page.List3.SetListIndex(0);
    fake.messages.answers.push_back(MessageAnswer::Yes);
    page.Command13.Click();
    fake.messages.answers.push_back(MessageAnswer::Yes);
    page.Command12.Click();
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Sure?", L"Busy.", L"Sure?", L"Busy."}));
    EXPECT_EQ(fake.files.Content(decisions::DecisionFilePath(facts.DataFolder)), before);
    EXPECT_EQ(page.List3.Items().size(), 2u);
}

TEST_F(DatabasePageTest, CaptionsComeFromTheLanguageFile) {
    Main& main = Open();
    main.Label21_Click();
    EXPECT_EQ(main.databasePage.Option8.Caption(), L"Black list");
    EXPECT_EQ(main.databasePage.Command12.Caption(), L"Clear list");
    EXPECT_EQ(main.databasePage.Command11.Caption(), L"OK");
}

} // namespace
} // namespace vtrl::manager::testing
