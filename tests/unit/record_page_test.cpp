// The record page headless: how it opens for a record, the option group and its two boxes, what
// "Ok" stores for each choice, "Just for now" with its backup, message and restart, the help
// links, and the enlarged icon.

#include "decisions/backup_log.h"
#include "manager/record_page.h"
#include "manager_window_fixture.h"
#include "services/icon_bitmap.h"

#include <algorithm>

namespace vtrl::manager {
namespace {

using testing::BitmapFile;
using testing::kRunKeyPath;
using testing::ManagerPages;

class RecordPageTest : public ManagerPages {
protected:
    RecordPageTest() {
        AddRunRecord(L"Tool", L"C:\\Tools", L"tool.exe", L"-min");
        AddRunRecord(L"Other", L"C:\\Apps", L"other.exe");
    }
    decisions::DecisionEntry Stored(const std::wstring& exe) {
        const auto stored = StoredDecisions();
        for (int i = 0; i <= stored.DecisionLastIndex; ++i) {
            if (stored.DecisionTable[static_cast<std::size_t>(i)].ExeName == exe) {
                return stored.DecisionTable[static_cast<std::size_t>(i)];
            }
        }
        ADD_FAILURE() << "no stored decision for " << std::string(exe.begin(), exe.end());
        return {};
    }
    static std::vector<int> Options(const RecordPage& page) {
        return {page.Option1.Value(), page.Option2.Value(), page.Option3.Value(),
                page.Option9.Value()};
    }
};

TEST_F(RecordPageTest, OpensWithTheRecordAndItsStoredDecision) {
    decisions::Decisions table;
    decisions::LoadDecisions(fake.Get().files, fake.Get().locale, facts.DataFolder, table);
    decisions::SaveDecision(fake.Get(), facts.DataFolder, table, L"C:\\TOOLS", L"TOOL.EXE", L"-min",
                            false, true, decisions::kStatusRestricted);
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);

    EXPECT_EQ(main.CurrentPage(), kRecordPage);
    EXPECT_TRUE(main.MonsterWindow(kRecordPage).Visible());
    EXPECT_FALSE(main.MonsterWindow(kListPage).Visible());
    EXPECT_EQ(page.Label1.Caption(), L"TOOL.EXE");
    EXPECT_EQ(page.OpenRecordIndex(), 0);
    EXPECT_EQ(Options(page), (std::vector<int>{0, 0, 1, 0}));
    EXPECT_EQ(page.Check3.Value(), 1);
    EXPECT_TRUE(page.Check3.Enabled());
    EXPECT_EQ(page.Check4.Value(), 0);
    EXPECT_TRUE(page.Check4.Enabled());

    // Another record without a decision: both boxes cleared and disabled again.
    main.BAimg_Click(1);
    EXPECT_EQ(page.Label1.Caption(), L"OTHER.EXE");
    EXPECT_EQ(page.OpenRecordIndex(), 1);
    EXPECT_EQ(Options(page), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_EQ(page.Check3.Value(), 0);
    EXPECT_FALSE(page.Check3.Enabled());
    EXPECT_FALSE(page.Check4.Enabled());
}

TEST_F(RecordPageTest, OnlyRestrictedEnablesTheBoxesAndOnlyLeavingItClearsThem) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    EXPECT_FALSE(page.Check3.Enabled());

    page.Option3.Click();
    EXPECT_EQ(Options(page), (std::vector<int>{0, 0, 1, 0}));
    EXPECT_TRUE(page.Check3.Enabled());
    EXPECT_TRUE(page.Check4.Enabled());
    EXPECT_EQ(page.Check3.Value(), 0);
    page.Check3.Click();
    page.Check4.Click();

    page.Option2.Click();
    EXPECT_EQ(Options(page), (std::vector<int>{0, 1, 0, 0}));
    EXPECT_EQ(page.Check3.Value(), 0);
    EXPECT_EQ(page.Check4.Value(), 0);
    EXPECT_FALSE(page.Check3.Enabled());
    EXPECT_FALSE(page.Check4.Enabled());

    page.Option3.Click();
    EXPECT_TRUE(page.Check3.Enabled());
    EXPECT_EQ(page.Check3.Value(), 0);
    EXPECT_EQ(page.Check4.Value(), 0);

    // "Just for now" has no click action: the boxes keep their state.
    page.Check3.Click();
    page.Check4.Click();
    page.Option9.Click();
    EXPECT_EQ(Options(page), (std::vector<int>{0, 0, 0, 1}));
    EXPECT_EQ(page.Check3.Value(), 1);
    EXPECT_EQ(page.Check4.Value(), 1);
    EXPECT_TRUE(page.Check3.Enabled());
}

TEST_F(RecordPageTest, OkStoresEachChoiceAndTheListShowsIt) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    struct Case {
        ui::Control* option;
        bool deleteBox;
        const wchar_t* status;
        const wchar_t* rowText;
    };
    for (const Case& choice : {Case{&page.Option2, false, L"1", L"Approved"},
                               Case{&page.Option3, true, L"2", L"Restricted"},
                               Case{&page.Option1, false, L"0", L"No decision yet"}}) {
        main.BAexe_Click(0);
        choice.option->Click();
        if (choice.deleteBox) {
            page.Check3.Click();
        }
        page.Command1.Click();
        const auto stored = Stored(L"tool.exe");
        EXPECT_EQ(stored.Status, choice.status);
        EXPECT_EQ(stored.ExeFolder, L"c:\\tools");
        EXPECT_EQ(stored.Arguments, L"-min");
        EXPECT_EQ(stored.DeleteRecord, choice.deleteBox);
        EXPECT_FALSE(stored.KillIfRunning);
        EXPECT_EQ(main.CurrentPage(), kListPage);
        EXPECT_EQ(main.BAinfo(0).Caption(), choice.rowText);
        EXPECT_EQ(main.BAinfo(1).Caption(), L"No decision yet");
    }
    EXPECT_TRUE(fake.messages.shown.empty()) << "an administrator is not warned";
    EXPECT_TRUE(RunValuePresent(L"Tool"));
    EXPECT_TRUE(fake.launcher.started.empty());
    EXPECT_FALSE(main.Unloaded());
}

TEST_F(RecordPageTest, RestrictingWithoutAdministratorRightsWarnsAndSavesAllTheSame) {
    facts.IsAdmin = false;
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    page.Option2.Click();
    page.Command1.Click();
    EXPECT_TRUE(fake.messages.shown.empty()) << "approving needs no rights";

    main.BAexe_Click(0);
    page.Option3.Click();
    page.Command1.Click();
    ASSERT_EQ(MessageTexts(), std::vector<std::wstring>{L"Not admin."});
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(Stored(L"tool.exe").Status, L"2");
}

TEST_F(RecordPageTest, JustForNowRemovesTheRecordWithABackupAndRestarts) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    page.Option3.Click();
    page.Check3.Click();
    page.Check4.Click();
    page.Option9.Click();
    page.Command1.Click();

    const auto stored = Stored(L"tool.exe");
    EXPECT_EQ(stored.Status, L"");
    EXPECT_TRUE(stored.DeleteRecord);
    EXPECT_TRUE(stored.KillIfRunning);
    EXPECT_FALSE(RunValuePresent(L"Tool"));
    EXPECT_TRUE(RunValuePresent(L"Other"));
    const auto listing = decisions::ListBackupEntries(fake.Get(), facts.DataFolder, false);
    ASSERT_EQ(listing.displayLines.size(), 1u);
    const auto entry = decisions::ListedEntry(listing, 0);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->Kind, L"REGISTRY");
    EXPECT_EQ(entry->FullLocation, std::wstring(kRunKeyPath) + L"\\Tool");
    EXPECT_EQ(entry->CommandLine, L"C:\\Tools\\tool.exe -min");
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Deleted."});
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{RestartCommand()});
    EXPECT_TRUE(main.Unloaded());
    // The program itself is left running.
    EXPECT_TRUE(fake.launcher.startedHidden.empty());
}

TEST_F(RecordPageTest, JustForNowThatCannotRemoveSaysSoAndStillRestarts) {
    facts.IsAdmin = false;
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    // Without a backup nothing may be deleted: an unwritable data folder stops the removal.
    fake.files.MakeReadOnly(facts.DataFolder);
    page.Option9.Click();
    page.Command1.Click();

    EXPECT_TRUE(RunValuePresent(L"Tool"));
    EXPECT_EQ(MessageTexts(), (std::vector<std::wstring>{L"Not admin.", L"Not deleted."}));
    EXPECT_EQ(fake.messages.shown[1].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{RestartCommand()});
    EXPECT_TRUE(main.Unloaded());
}

// A value whose name holds a NUL cannot be named to the delete call: "Just for now" writes no
// backup, deletes nothing (not the value named by the part before the NUL either) and says so.
TEST_F(RecordPageTest, JustForNowOnAValueNameWithANulRemovesNothing) {
    const std::wstring odd(L"Tool\0hidden", 11);
    fake.files.AddFile(L"C:\\Odd\\odd.exe", "MZ");
    fake.registry.PlantValue(platform::Hive::CurrentUser, testing::kRunKey, odd,
                             {platform::kRegSz, services::EncodeRegSz(L"C:\\Odd\\odd.exe")});
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(2);
    ASSERT_EQ(page.Label1.Caption(), L"ODD.EXE");
    page.Option9.Click();
    page.Command1.Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Not removable."});
    EXPECT_TRUE(RunValuePresent(L"Tool"));
    EXPECT_TRUE(RunValuePresent(odd));
    EXPECT_FALSE(fake.files.FileExists(decisions::BackupLogPath(facts.DataFolder)));
}

// The window loaded its table when it opened; the agent (another process) restricted another
// program since. Saving this page's choice keeps that decision, in the file and in the window.
TEST_F(RecordPageTest, AStaleTableKeepsADecisionAnotherProcessSavedMeanwhile) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    decisions::Decisions agent;
    decisions::LoadDecisions(fake.Get().files, fake.Get().locale, facts.DataFolder, agent);
    ASSERT_TRUE(decisions::SaveDecision(fake.Get(), facts.DataFolder, agent, L"C:\\Apps",
                                        L"other.exe", L"", true, true, L"2"));
    main.BAexe_Click(0);
    page.Option2.Click();
    page.Command1.Click();
    EXPECT_EQ(Stored(L"tool.exe").Status, L"1");
    EXPECT_EQ(Stored(L"other.exe").Status, L"2");
    EXPECT_EQ(main.BAinfo(1).Caption(), L"Restricted");
}

// Another Vantorel keeps the data files past the wait: nothing is stored or removed, the user
// is told, and the page stays with the choice to try again.
TEST_F(RecordPageTest, BusyDataFilesChangeNothingAndSaySo) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    fake.locks.heldElsewhere.insert(fakes::FoldCase(facts.DataFolder));
    page.Option9.Click();
    page.Command1.Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Busy."});
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Warning);
    EXPECT_EQ(main.CurrentPage(), kRecordPage);
    EXPECT_TRUE(RunValuePresent(L"Tool"));
    EXPECT_FALSE(fake.files.FileExists(decisions::BackupLogPath(facts.DataFolder)));
    EXPECT_EQ(StoredDecisions().DecisionLastIndex, -1);
    EXPECT_FALSE(main.Unloaded());

    // Once the other writer is done, the same click goes through.
    fake.locks.heldElsewhere.clear();
    page.Command1.Click();
    EXPECT_FALSE(RunValuePresent(L"Tool"));
    EXPECT_TRUE(main.Unloaded());
}

TEST_F(RecordPageTest, HelpLinksOpenTheFolderThePropertiesTheSearchAndTheUndoPage) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);

    page.Label6.Click();
    page.Label1.Click();
    ASSERT_EQ(fake.launcher.opened.size(), 2u);
    EXPECT_EQ(fake.launcher.opened[0], L"https://www.bing.com/search?q=What is TOOL.EXE");
    EXPECT_EQ(fake.launcher.opened[1], L"c:\\tools");

    page.Label4.Click();
    EXPECT_EQ(fake.launcher.propertiesShown, std::vector<std::wstring>{L"c:\\tools\\TOOL.EXE"});

    page.Label7.Click();
    ASSERT_EQ(fake.launcher.opened.size(), 3u);
    EXPECT_NE(fake.launcher.opened[2].find(L"help"), std::wstring::npos) << "the help page";

    // The undo page as it was last filled: never, so empty, though the log has an entry.
    decisions::BackupAndLogRemoval(fake.Get(), facts.DataFolder, L"REGISTRY", L"HKEY\\x",
                                   L"C:\\Apps", L"gone.exe", L"", L"C:\\Apps\\gone.exe");
    page.Label10.Click();
    EXPECT_EQ(main.CurrentPage(), kUndoPage);
    EXPECT_TRUE(main.undoPage.List1.Items().empty());
}

TEST_F(RecordPageTest, AFolderThatIsGoneIsNotOpened) {
    fake.registry.SetValue(platform::Hive::CurrentUser, testing::kRunKey, L"Gone",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Nowhere\\gone.exe")});
    Main& main = Open();
    main.BAexe_Click(2);
    ASSERT_EQ(main.recordPage.Label1.Caption(), L"GONE.EXE");
    main.recordPage.Label1.Click();
    EXPECT_TRUE(fake.launcher.opened.empty());
    // The folder of the record open now, not of one opened before.
    main.BAexe_Click(0);
    main.recordPage.Label1.Click();
    EXPECT_EQ(fake.launcher.opened, std::vector<std::wstring>{L"c:\\tools"});
}

// The page acts on the record it was last opened on, with that record's own folder and
// arguments: a long folder and long arguments, arguments with a line break, and a second record
// of the same program without arguments, each a record of its own.
TEST_F(RecordPageTest, ActsOnTheOpenRecordWithItsOwnFolderAndArguments) {
    const std::wstring longFolder =
        L"C:\\Programs of a Vendor With a Long Name\\" + std::wstring(120, L'F') + L" & Co\\Tools";
    const std::wstring longArguments = L"--profile \"" + std::wstring(900, L'p') + L"\" -x";
    AddRunRecord(L"Long", longFolder, L"long.exe", longArguments);
    AddRunRecord(L"Twice", L"C:\\Same", L"same.exe", L"-a\r\n-b");
    AddRunRecord(L"Bare", L"C:\\Same", L"same.exe");
    Main& main = Open();
    RecordPage& page = main.recordPage;
    ASSERT_EQ(main.RowCount(), 5);
    const std::wstring lowerLong = fakes::FoldCase(longFolder);
    struct Case {
        int record;
        std::wstring entry, folder, arguments, properties;
    };
    for (const Case& open : {Case{2, L"Long", lowerLong, longArguments, lowerLong + L"\\LONG.EXE"},
                             Case{3, L"Twice", L"c:\\same", L"-a\r\n-b", L"c:\\same\\SAME.EXE"},
                             Case{4, L"Bare", L"c:\\same", L"", L"c:\\same\\SAME.EXE"}}) {
        const auto& record = main.Inventory().Records[static_cast<std::size_t>(open.record)];
        ASSERT_EQ(record.EntryName, open.entry);
        ASSERT_EQ(record.Arguments, open.arguments);
        fake.launcher.opened.clear();
        fake.launcher.propertiesShown.clear();
        // Another record's page first: nothing of it may stay behind.
        main.BAexe_Click(0);
        main.BAexe_Click(open.record);
        ASSERT_EQ(page.OpenRecordIndex(), open.record);
        page.Label1.Click();
        page.Label6.Click();
        page.Label4.Click();
        EXPECT_EQ(fake.launcher.opened, (std::vector<std::wstring>{
                                            open.folder, L"https://www.bing.com/search?q=What is " +
                                                             page.Label1.Caption()}));
        EXPECT_EQ(fake.launcher.propertiesShown, std::vector<std::wstring>{open.properties});
    }

    // Approving the program with a line break in its arguments approves that record alone.
    main.BAexe_Click(1);
    main.BAexe_Click(3);
    page.Option2.Click();
    page.Command1.Click();
    EXPECT_EQ(main.BAinfo(3).Caption(), L"Approved");
    EXPECT_EQ(main.BAinfo(4).Caption(), L"No decision yet");
    EXPECT_EQ(Stored(L"same.exe").Arguments, L"-a  -b") << "stored on one line";

    main.BAexe_Click(2);
    page.Option3.Click();
    page.Check3.Click();
    page.Command1.Click();
    const auto stored = Stored(L"long.exe");
    EXPECT_EQ(stored.ExeFolder, lowerLong);
    EXPECT_EQ(stored.Arguments, longArguments);
    EXPECT_EQ(main.BAinfo(2).Caption(), L"Restricted");

    // "Just for now" removes the record without arguments, not its twin.
    main.BAexe_Click(3);
    main.BAexe_Click(4);
    page.Option9.Click();
    page.Command1.Click();
    EXPECT_FALSE(RunValuePresent(L"Bare"));
    EXPECT_TRUE(RunValuePresent(L"Twice"));
    const auto listing = decisions::ListBackupEntries(fake.Get(), facts.DataFolder, false);
    ASSERT_EQ(listing.displayLines.size(), 1u);
    EXPECT_EQ(decisions::ListedEntry(listing, 0)->CommandLine, L"C:\\Same\\same.exe");
    // Its choice is stored under its own, empty arguments; the twin keeps its approval.
    std::vector<std::pair<std::wstring, std::wstring>> sameProgram;
    const auto table = StoredDecisions();
    for (int i = 0; i <= table.DecisionLastIndex; ++i) {
        const auto& entry = table.DecisionTable[static_cast<std::size_t>(i)];
        if (entry.ExeName == L"same.exe") {
            sameProgram.emplace_back(entry.Arguments, entry.Status);
        }
    }
    EXPECT_EQ(sameProgram,
              (std::vector<std::pair<std::wstring, std::wstring>>{{L"-a  -b", L"1"}, {L"", L""}}));
}

// A handler reached before any record was opened does nothing: no decision, no removal, no
// switch, no rule, nothing opened, no message, no restart.
TEST_F(RecordPageTest, WithNoRecordOpenTheActionsDoNothing) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    ASSERT_EQ(page.OpenRecordIndex(), std::nullopt);
    page.Option9.Click();
    page.Command1_Click();
    page.CommandSwitch_Click();
    page.LabelPublisher_Click();
    page.Label1_Click();
    page.Label4_Click();
    page.Label6_Click();
    EXPECT_EQ(StoredDecisions().DecisionLastIndex, -1);
    EXPECT_TRUE(RunValuePresent(L"Tool"));
    EXPECT_TRUE(RunValuePresent(L"Other"));
    EXPECT_FALSE(fake.files.FileExists(decisions::BackupLogPath(facts.DataFolder)));
    EXPECT_TRUE(fake.launcher.opened.empty());
    EXPECT_TRUE(fake.launcher.propertiesShown.empty());
    EXPECT_TRUE(fake.launcher.started.empty());
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_FALSE(main.Unloaded());
    EXPECT_EQ(main.CurrentPage(), kListPage);
}

// The window reads each interface text once, for the list and the page alike, however often
// the page opens; after a change of language the texts come from the new language's file.
TEST_F(RecordPageTest, ReadsEachTextOncePerLanguage) {
    const auto readsOf = [this](const std::wstring& key) {
        return std::count_if(fake.ini.reads.begin(), fake.ini.reads.end(),
                             [&key](const auto& read) { return read.key == key; });
    };
    Main& main = Open();
    RecordPage& page = main.recordPage;
    main.BAexe_Click(0);
    main.BAexe_Click(1);
    const std::size_t reads = fake.ini.reads.size();
    for (int again = 0; again < 3; ++again) {
        main.BAexe_Click(0);
        page.Option1.Click();
        page.Command1.Click(); // back to the list, whose statuses are worded again
        main.BAexe_Click(1);
    }
    EXPECT_EQ(fake.ini.reads.size(), reads);
    EXPECT_EQ(readsOf(L"rec-unknown"), 1);
    EXPECT_EQ(readsOf(L"facts-location"), 1);

    fake.files.AddFile(std::wstring(testing::kLanguages) + L"\\German.ini",
                       "[INTERFACE]\r\nFACTS-LOCATION=Ort\r\nAPPROVEPUBLISHER=Alles von %1\r\n");
    language.LanguageName = L"German";
    main.BAexe_Click(0);
    EXPECT_TRUE(page.TextFacts.Caption().starts_with(L"Ort: ")) << "the new language";
    EXPECT_TRUE(page.LabelPublisher.Caption().starts_with(L"Alles von "));
    EXPECT_EQ(page.LabelCommandLine.Caption(), L"Command line:") << "English where it has none";
}

TEST_F(RecordPageTest, TheIconIsShownAtDoubleSizeWhenItsBitmapExists) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    const ui::TwipsRect designed = page.Image1.Rect();
    fake.files.AddFile(services::IconBitmapPath(facts.DataFolder, L"tool.exe"), [] {
        const auto bytes = BitmapFile(32, 32);
        return std::string(bytes.begin(), bytes.end());
    }());
    main.BAexe_Click(0);
    EXPECT_EQ(page.Image1.Picture(), BitmapFile(32, 32));
    EXPECT_TRUE(page.Image1.Stretch());
    EXPECT_TRUE(page.Image1.Visible());
    EXPECT_EQ(page.Image1.Rect().width, 960);
    EXPECT_EQ(page.Image1.Rect().height, 960);
    EXPECT_EQ(page.Image1.Rect().left + page.Image1.Rect().width, designed.left + designed.width);

    // No bitmap for the next record: the previous icon stays.
    main.BAexe_Click(1);
    EXPECT_EQ(page.Image1.Picture(), BitmapFile(32, 32));
}

TEST(ShowIconEnlarged, ScalesByTheFactorAndIgnoresWhatIsNoBitmap) {
    ui::Control image{ui::ControlKind::Picture, L"Image1", {3000, 100, 480, 480}};
    EXPECT_TRUE(ShowIconEnlarged(image, 3, BitmapFile(16, -16)));
    EXPECT_EQ(image.Rect(), (ui::TwipsRect{3480 - 720, 100, 720, 720}));

    std::vector<std::uint8_t> damaged = BitmapFile(16, 16);
    damaged[0] = 'X';
    EXPECT_FALSE(ShowIconEnlarged(image, 2, damaged));
    EXPECT_FALSE(ShowIconEnlarged(image, 2, {'B', 'M', 0, 0}));
    EXPECT_EQ(image.Rect(), (ui::TwipsRect{3480 - 720, 100, 720, 720}));
    EXPECT_EQ(image.Picture(), BitmapFile(16, -16));
}

TEST(BitmapPixelSize, ReadsTheInfoHeader) {
    EXPECT_EQ(BitmapPixelSize(BitmapFile(32, 32)), (PixelSize{32, 32}));
    EXPECT_EQ(BitmapPixelSize(BitmapFile(48, -20)), (PixelSize{48, 20}));
    EXPECT_EQ(BitmapPixelSize(BitmapFile(0, 5)), std::nullopt);
    EXPECT_EQ(BitmapPixelSize({}), std::nullopt);
}

} // namespace
} // namespace vtrl::manager

namespace vtrl::manager {
namespace {

// Records whose program is missing, started by a launcher, or open to an unquoted-path hijack:
// the list and the page say so, and such a record is decided and removed like any other.
class RecordNotesTest : public testing::ManagerPages {
protected:
    RecordNotesTest() {
        for (const wchar_t* file : {L"C:\\windows\\system32\\wscript.exe", L"C:\\Scripts\\a.vbs",
                                    L"C:\\Vendor.exe", L"C:\\Vendor App\\app.exe"}) {
            fake.files.AddFile(file, "MZ");
        }
        SetRun(L"Gone", L"C:\\Gone\\gone.exe -x");
        SetRun(L"Script", L"wscript.exe C:\\Scripts\\a.vbs");
        SetRun(L"Vendor", L"C:\\Vendor App\\app.exe");
    }
    void SetRun(const std::wstring& name, const std::wstring& command) {
        fake.registry.SetValue(platform::Hive::CurrentUser, testing::kRunKey, name,
                               {platform::kRegSz, services::EncodeRegSz(command)});
    }
};

TEST_F(RecordNotesTest, ListAndPageNameTheMissingFileTheLauncherAndTheHijackRisk) {
    Main& main = Open();
    RecordPage& page = main.recordPage;
    ASSERT_EQ(main.RowCount(), 3) << "every record is listed, found or not";
    EXPECT_EQ(main.BAinfo(0).Caption(), L"File not found");
    EXPECT_EQ(main.BAsign(0).Caption(), L"") << "no signature line for a file that is not there";
    EXPECT_NE(main.BAsign(1).Caption(), L"");
    EXPECT_EQ(main.BAinfo(1).Caption(), L"No decision yet");
    EXPECT_EQ(main.BAinfo(2).Caption(), L"(!) No decision yet");

    main.BAexe_Click(0);
    EXPECT_EQ(page.Label1.Caption(), L"GONE.EXE");
    // The place is one of the facts, not a note.
    EXPECT_EQ(page.Label15.Caption(), L"File not found");
    main.BAexe_Click(1);
    EXPECT_EQ(page.Label1.Caption(), L"A.VBS");
    EXPECT_EQ(page.Label15.Caption(), L"Started by: C:\\windows\\system32\\wscript.exe");
    main.BAexe_Click(2);
    EXPECT_EQ(page.Label1.Caption(), L"VENDOR.EXE");
    EXPECT_TRUE(page.Label15.Caption().starts_with(L"Hijack risk:")) << page.Label15.Caption();

    // Restricted and removed at once, with its backup entry, like any other record.
    main.BAexe_Click(0);
    page.Option3.Click();
    page.Check3.Click();
    page.Option9.Click();
    page.Command1.Click();
    EXPECT_FALSE(fake.registry.QueryValue(platform::Hive::CurrentUser, testing::kRunKey, L"Gone"));
    const auto listing = decisions::ListBackupEntries(fake.Get(), facts.DataFolder, false);
    ASSERT_EQ(listing.displayLines.size(), 1u);
    EXPECT_EQ(decisions::ListedEntry(listing, 0)->CommandLine, L"C:\\Gone\\gone.exe -x");
}

TEST_F(RecordNotesTest, PageNamesAStartupFilesOpenerItsMarksAndARedirection) {
    fake.launcher.associations[L".vbs"] = L"C:\\windows\\system32\\wscript.exe";
    fake.files.AddFolder(facts.StartupFolder);
    const std::wstring script = facts.StartupFolder + L"\\login.vbs";
    fake.files.AddFile(script, "WScript.Quit");
    fake.files.SetAttributes(script, platform::kAttributeHidden | platform::kAttributeSystem);
    const std::wstring shellFolders =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    fake.registry.CreateKey(platform::Hive::CurrentUser, shellFolders);
    fake.registry.SetValue(platform::Hive::CurrentUser, shellFolders, L"Startup",
                           {platform::kRegExpandSz, services::EncodeRegSz(L"C:\\Elsewhere")});
    Main& main = Open();
    RecordPage& page = main.recordPage;
    ASSERT_EQ(main.RowCount(), 5);
    main.BAexe_Click(3);
    EXPECT_EQ(page.Label1.Caption(), L"LOGIN.VBS");
    EXPECT_TRUE(page.Label15.Caption().starts_with(
        L"Opened by: C:\\windows\\system32\\wscript.exe\r\nHidden file\r\nSystem file"))
        << page.Label15.Caption();
    main.BAexe_Click(4);
    EXPECT_EQ(page.Label1.Caption(), L"ELSEWHERE");
    EXPECT_TRUE(page.Label15.Caption().starts_with(L"File not found\r\nThe Startup folder is "
                                                   L"redirected to this folder"))
        << page.Label15.Caption();
}

} // namespace
} // namespace vtrl::manager

namespace vtrl::manager {
namespace {

// The facts panel: a Run value and a Startup-folder shortcut of one program, which name each
// other, and a Run value whose program is missing; "Copy" puts the command line as stored on
// the clipboard.
class FactsPanelTest : public testing::ManagerPages {
protected:
    FactsPanelTest() {
        AddRunRecord(L"Tool", L"C:\\Tools", L"tool.exe", L"-min");
        fake.registry.SetValue(
            platform::Hive::CurrentUser, testing::kRunKey, L"Gone",
            {platform::kRegSz, services::EncodeRegSz(L"\"C:\\Gone\\gone.exe\" -x")});
        fake.files.AddFolder(facts.StartupFolder);
        fake.files.AddFile(facts.StartupFolder + L"\\Tool.lnk", "L");
        fake.links.readable[fakes::FoldCase(facts.StartupFolder + L"\\Tool.lnk")] = {
            L"C:\\Tools\\tool.exe", L"-q"};
    }
    // Opens the page of the record whose entry is named so, through its row of the list.
    RecordPage& OpenEntry(Main& main, const std::wstring& entry) {
        for (int row = 0; row < main.RowCount(); ++row) {
            main.BAexe_Click(row);
            const std::optional<int> index = main.recordPage.OpenRecordIndex();
            if (index &&
                main.Inventory().Records[static_cast<std::size_t>(*index)].EntryName == entry) {
                return main.recordPage;
            }
        }
        ADD_FAILURE() << "no row for the entry";
        return main.recordPage;
    }
    std::wstring runKey = L"HKEY_CURRENT_USER\\" + std::wstring(testing::kRunKey);
};

TEST_F(FactsPanelTest, RunValueAndShortcutOfOneProgramNameEachOther) {
    Main& main = Open();
    ASSERT_EQ(main.RowCount(), 3);
    RecordPage& page = OpenEntry(main, L"Tool");
    EXPECT_EQ(page.LabelCommandLine.Caption(), L"Command line:");
    EXPECT_EQ(page.TextCommandLine.Caption(), L"C:\\Tools\\tool.exe -min");
    EXPECT_TRUE(page.TextCommandLine.ReadOnly());
    EXPECT_EQ(page.LabelCopy.Caption(), L"Copy");
    const std::wstring sha256 =
        L"SHA-256: 9b8db510ef42b8ed54a3712636fda55a4f8cfcd5493e20b74ab00cd4f3979f2d";
    // Every fact but the command line, labelled, the hash after the signature.
    EXPECT_EQ(testing::LinesOf(page.TextFacts.Caption()),
              (std::vector<std::wstring>{L"Location: Your Run key: " + runKey, L"Value name: Tool",
                                         L"Program: C:\\Tools\\tool.exe", L"Description: (none)",
                                         L"Company: (none)", L"Version: (none)", L"Size: 2 bytes",
                                         L"Modified: (unknown)", L"Running now: No",
                                         L"Signature: Not signed", sha256,
                                         L"Also started from: Your Startup folder: Tool.lnk"}));

    OpenEntry(main, L"Tool.lnk");
    EXPECT_EQ(page.TextCommandLine.Caption(), L"\"C:\\Tools\\tool.exe\" -q");
    EXPECT_EQ(testing::LinesOf(page.TextFacts.Caption()),
              (std::vector<std::wstring>{
                  L"Location: Your Startup folder: " + facts.StartupFolder, L"File name: Tool.lnk",
                  L"Program: C:\\Tools\\tool.exe", L"Description: (none)", L"Company: (none)",
                  L"Version: (none)", L"Size: 2 bytes", L"Modified: (unknown)", L"Running now: No",
                  L"Signature: Not signed", sha256, L"Also started from: Your Run key: Tool"}));
}

TEST_F(FactsPanelTest, MissingProgramSaysSoAndNamesNoOtherRecord) {
    Main& main = Open();
    RecordPage& page = OpenEntry(main, L"Gone");
    EXPECT_EQ(page.TextCommandLine.Caption(), L"\"C:\\Gone\\gone.exe\" -x");
    // No hash of a file that is not there, and no other record to name.
    EXPECT_EQ(testing::LinesOf(page.TextFacts.Caption()),
              (std::vector<std::wstring>{
                  L"Location: Your Run key: " + runKey, L"Value name: Gone",
                  L"Program: File not found: c:\\gone\\gone.exe", L"Description: File not found",
                  L"Company: File not found", L"Version: File not found", L"Size: File not found",
                  L"Modified: File not found", L"Running now: No", L"Signature: File not found"}));
    EXPECT_EQ(page.Label15.Caption(), L"File not found");
}

TEST_F(FactsPanelTest, FactsBoxReachesDownToTheNotesOrTheFootOfThePage) {
    Main& main = Open();
    RecordPage& page = OpenEntry(main, L"Gone");
    // The notes take the last two lines' room at the foot; the box ends a little above them.
    EXPECT_TRUE(page.Label15.Visible());
    EXPECT_EQ(page.Label15.Rect(), (ui::TwipsRect{120, 4905, 8655, 390}));
    EXPECT_EQ(page.TextFacts.Rect(), (ui::TwipsRect{120, 3630, 8655, 1230}));
    // Without notes or a publisher link, the box takes the foot of the page.
    OpenEntry(main, L"Tool");
    ASSERT_EQ(page.Label15.Caption(), L"");
    EXPECT_FALSE(page.Label15.Visible()) << "an empty label would cover the box";
    ASSERT_FALSE(page.LabelPublisher.Visible());
    EXPECT_EQ(page.TextFacts.Rect(), (ui::TwipsRect{120, 3630, 8655, 1665}));
}

TEST_F(FactsPanelTest, CopyPutsTheCommandLineAsStoredOnTheClipboard) {
    Main& main = Open();
    RecordPage& page = OpenEntry(main, L"Tool.lnk");
    page.LabelCopy.Click();
    EXPECT_EQ(fake.clipboard.held, L"\"C:\\Tools\\tool.exe\" -q");
    // Another record's page copies its own command.
    OpenEntry(main, L"Gone").LabelCopy.Click();
    EXPECT_EQ(fake.clipboard.held, L"\"C:\\Gone\\gone.exe\" -x");
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{}) << "copied in silence";
    // Another program holds the clipboard: the user hears that nothing was copied.
    fake.clipboard.locked = true;
    OpenEntry(main, L"Tool").LabelCopy.Click();
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Not copied."});
}

} // namespace
} // namespace vtrl::manager
