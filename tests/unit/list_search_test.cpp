// The startup list says what each program is (description or file name, publisher and place
// beneath, markers, the command line as tooltip), and the search box and sort links choose
// which records it shows in which order; the selection, the scroll bar, Enter and Escape follow.

#include "inventory_test_support.h"
#include "manager_window_fixture.h"

#include <string>

namespace vtrl::manager::testing {
namespace {

using namespace std::string_literals;

class ListSearch : public ManagerPages {
protected:
    ListSearch() {
        const std::wstring english = std::wstring(kLanguages) + L"\\English.ini";
        fake.files.AddFile(english, *fake.files.Content(english) +
                                        "SEARCH=Search:\r\nSORT-NAME=Name\r\n"
                                        "LIST-NOMATCH=No match.\r\nMARK-RUNNING=Running\r\n"
                                        "MARK-HIJACK=Hijack risk\r\n");
        Program(L"Zip", L"C:\\Zip", L"ziphelp.exe", L"Archive Works", L"Zip Helper", L"/tray");
        AddRunRecord(L"Updater", L"C:\\Upd", L"updater.exe", L"-quiet");
        Program(L"Sound", L"C:\\Snd", L"atray.exe", L"Sound Corp", L"Audio Tray");
        Program(L"Backup", L"C:\\Bk", L"agent.exe", L"Archive Works", L"Backup Agent");
        for (int i = 0; i < 6; ++i) {
            AddRunRecord(L"Tool" + std::to_wstring(i), L"C:\\Tools",
                         L"tool" + std::to_wstring(i) + L".exe");
        }
        fake.processes.Start(L"C:\\Zip\\ziphelp.exe");
    }
    void Program(const std::wstring& value, const std::wstring& folder, const std::wstring& exe,
                 const std::wstring& company, const std::wstring& description,
                 const std::wstring& arguments = L"") {
        AddRunRecord(value, folder, exe, arguments);
        fake.version.blocks[fakes::FoldCase(folder + L"\\" + exe)] =
            inventory::testing::Utf16Block(L"\x01\x02\x03"s + L"CompanyName\0"s + company + L"\0"s +
                                           L"FileDescription\0"s + description + L"\0"s);
    }
    static std::vector<std::wstring> VisibleNames(Main& main) {
        std::vector<std::wstring> names;
        for (int slot = 0; slot < kRowsInView; ++slot) {
            if (main.BAexe(slot).Visible()) {
                names.push_back(main.BAexe(slot).Caption());
            }
        }
        return names;
    }
    static void Type(Main& main, const std::wstring& text) { main.TextSearch.UserSetCaption(text); }
    static bool Press(Main& main, ui::Key key) { return main.Picture1.onKey(key); }
};

TEST_F(ListSearch, EachRowSaysWhatTheProgramIsWhoMadeItAndHowItStarts) {
    Main& main = Open();
    ASSERT_EQ(main.RowCount(), 10);
    EXPECT_EQ(main.BAexe(0).Caption(), L"Zip Helper");
    EXPECT_EQ(main.BAplace(0).Caption(), L"Archive Works \u00B7 Run key");
    EXPECT_EQ(main.BAexe(0).ToolTip(), L"C:\\Zip\\ziphelp.exe /tray") << "the full command line";
    EXPECT_EQ(main.BAmark(0).Caption(), L"Running");
    EXPECT_TRUE(main.BAmark(0).Visible());
    EXPECT_EQ(main.Picture1.Caption(), L"Zip Helper, No decision yet, Running")
        << "what a screen reader says of the selected row";
    // Without a version block: the file name, the place alone, no marker.
    EXPECT_EQ(main.BAexe(1).Caption(), L"UPDATER.EXE");
    EXPECT_EQ(main.BAplace(1).Caption(), L"Run key");
    EXPECT_EQ(main.BAmark(1).Caption(), L"");
    EXPECT_FALSE(main.BAmark(1).Visible()) << "an empty line is no window to draw";
    EXPECT_TRUE(main.BAplace(1).Visible());
    EXPECT_EQ(main.BAexe(1).ToolTip(), L"C:\\Upd\\updater.exe -quiet");
    // The status has room for its longest text: two lines, up to the scroll bar.
    EXPECT_GE(main.BAinfo(0).Rect().height, 2 * 240);
    EXPECT_EQ(main.BAinfo(0).Rect().left + main.BAinfo(0).Rect().width, main.VScroll.Rect().left);
    EXPECT_LE(main.BAexe(0).Rect().left + main.BAexe(0).Rect().width, main.BAinfo(0).Rect().left);
    // A scrolled row shows its own record's tooltip and markers, not the last one's.
    main.VScroll.SetValue(4);
    EXPECT_EQ(main.BAexe(0).ToolTip(), L"C:\\Tools\\tool0.exe");
    EXPECT_EQ(main.BAmark(0).Caption(), L"");
    EXPECT_FALSE(main.BAmark(0).Visible());
    main.VScroll.SetValue(0);
    EXPECT_TRUE(main.BAmark(0).Visible()) << "scrolled back to a running program";
}

TEST_F(ListSearch, TypingNarrowsTheListToRecordsWhoseTextsHoldIt) {
    Main& main = Open();
    EXPECT_EQ(main.LabelSearch.Caption(), L"Search:");
    EXPECT_TRUE(main.VScroll.Visible());
    Type(main, L"ARCHIVE");
    EXPECT_EQ(main.ShownRecords(), (std::vector<int>{0, 3})) << "the publisher, any case";
    EXPECT_EQ(VisibleNames(main), (std::vector<std::wstring>{L"Zip Helper", L"Backup Agent"}));
    EXPECT_FALSE(main.VScroll.Visible());
    Type(main, L"-quiet");
    EXPECT_EQ(VisibleNames(main), std::vector<std::wstring>{L"UPDATER.EXE"}) << "the command";
    Type(main, L"backup");
    EXPECT_EQ(VisibleNames(main), std::vector<std::wstring>{L"Backup Agent"})
        << "the value name (location) and the description";
    Type(main, L"software\\microsoft");
    EXPECT_EQ(main.ShownRecords().size(), 10u) << "the key every record is in";
    EXPECT_TRUE(main.VScroll.Visible());
    EXPECT_EQ(main.VScroll.Maximum(), 4);
    EXPECT_FALSE(main.ListEmpty.Visible());

    Type(main, L"no such program");
    EXPECT_TRUE(VisibleNames(main).empty());
    EXPECT_TRUE(main.ListEmpty.Visible());
    EXPECT_EQ(main.ListEmpty.Caption(), L"No match.");
    main.Form_Enter();
    EXPECT_EQ(main.CurrentPage(), kListPage) << "Enter opens nothing that is not shown";
    EXPECT_FALSE(Press(main, ui::Key::Down));

    Type(main, L"golf-less");
    Type(main, L"-quiet");
    EXPECT_EQ(main.SelectedRow(), 1) << "after no match, the first match is selected again";
    main.Form_Enter();
    EXPECT_EQ(main.CurrentPage(), kRecordPage);
    EXPECT_EQ(main.recordPage.Label1.Caption(), L"UPDATER.EXE");
    main.Form_Escape();

    Type(main, L"");
    EXPECT_EQ(main.ShownRecords().size(), 10u);
    EXPECT_FALSE(main.ListEmpty.Visible());
}

TEST_F(ListSearch, TheSelectionScrollBarAndEnterFollowTheShownOrder) {
    Main& main = Open();
    EXPECT_TRUE(Press(main, ui::Key::End));
    EXPECT_EQ(main.SelectedRow(), 9);
    EXPECT_EQ(main.VScroll.Value(), 4);
    Type(main, L"archive");
    EXPECT_EQ(main.VScroll.Value(), 0) << "the matches from the top";
    EXPECT_EQ(main.SelectedRow(), 0) << "a hidden selection moves to the first match";
    EXPECT_TRUE(Press(main, ui::Key::End));
    EXPECT_EQ(main.SelectedRow(), 3);
    EXPECT_TRUE(Press(main, ui::Key::Up));
    EXPECT_EQ(main.SelectedRow(), 0);
    EXPECT_TRUE(Press(main, ui::Key::Down));
    EXPECT_TRUE(Press(main, ui::Key::Enter));
    EXPECT_EQ(main.CurrentPage(), kRecordPage);
    EXPECT_EQ(main.recordPage.Label1.Caption(), L"AGENT.EXE");
    main.Form_Escape();
    EXPECT_EQ(main.ShownRecords(), (std::vector<int>{0, 3})) << "the search stays";
    EXPECT_EQ(main.SelectedRow(), 3);
}

TEST_F(ListSearch, EscapeInTheSearchBoxEmptiesItBeforeItClosesTheWindow) {
    Main& main = Open();
    main.TextSearch.SetFocus();
    Type(main, L"zip");
    ASSERT_EQ(main.ShownRecords().size(), 1u);
    main.Form_Escape();
    EXPECT_FALSE(main.Unloaded());
    EXPECT_EQ(main.TextSearch.Caption(), L"");
    EXPECT_EQ(main.ShownRecords().size(), 10u);
    main.Form_Escape();
    EXPECT_TRUE(main.Unloaded());
}

TEST_F(ListSearch, SortLinksOrderByNamePublisherOrStatusAndBackToTheOrderFound) {
    Decide(L"C:\\SND", L"atray.exe", decisions::kStatusApproved);
    Main& main = Open();
    const std::vector<int> found{0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_EQ(main.ShownRecords(), found);
    main.SortName.Click();
    EXPECT_EQ(main.ShownRecords(), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9, 1, 0}));
    EXPECT_TRUE(main.SortName.GetFont().bold) << "the key sorted by";
    EXPECT_EQ(main.BAexe(0).Caption(), L"Audio Tray");
    main.SortPublisher.Click();
    EXPECT_FALSE(main.SortName.GetFont().bold);
    // Archive Works by name, Sound Corp, then those without a publisher by name.
    EXPECT_EQ(main.ShownRecords(), (std::vector<int>{3, 0, 2, 4, 5, 6, 7, 8, 9, 1}));
    main.SortPublisher.Click();
    EXPECT_EQ(main.ShownRecords(), found) << "the same link again: the order found";
    EXPECT_FALSE(main.SortPublisher.GetFont().bold);

    main.SortStatus.Click();
    EXPECT_EQ(main.ShownRecords().front(), 2) << "Approved before No decision yet";
    // A decision saved while the list is sorted by status moves the row when the list shows.
    decisions::SaveDecision(fake.Get(), facts.DataFolder, main.Decisions(), L"C:\\BK", L"agent.exe",
                            L"", false, false, decisions::kStatusRestricted);
    main.ShowPage(kListPage);
    EXPECT_EQ(main.ShownRecords(), (std::vector<int>{2, 4, 5, 6, 7, 8, 9, 1, 0, 3}));
    Type(main, L"archive");
    EXPECT_EQ(main.ShownRecords(), (std::vector<int>{0, 3})) << "search and sort together";
}

TEST_F(ListSearch, ScreenReadersGetTheShownRowsInOrderWithTheSelectedOne) {
    Main& main = Open();
    const auto spoken = [&main] {
        return main.Picture1.AccessibleRows().value_or(ui::AccessibleList{});
    };
    ASSERT_EQ(spoken().rows.size(), 10u);
    EXPECT_EQ(spoken().rows[0], L"Zip Helper, No decision yet, Running");
    EXPECT_EQ(spoken().rows[1], L"UPDATER.EXE, No decision yet");
    EXPECT_EQ(spoken().selected, 0u);
    EXPECT_TRUE(Press(main, ui::Key::Down));
    EXPECT_EQ(spoken().selected, 1u);

    main.SortName.Click();
    EXPECT_EQ(spoken().rows.front(), L"Audio Tray, No decision yet");
    EXPECT_EQ(spoken().selected, 8u) << "UPDATER.EXE, where the order puts it now";
    // A decision saved elsewhere is heard in the row's status when the list shows again.
    decisions::SaveDecision(fake.Get(), facts.DataFolder, main.Decisions(), L"C:\\SND",
                            L"atray.exe", L"", false, false, decisions::kStatusApproved);
    main.ShowPage(kListPage);
    EXPECT_EQ(spoken().rows.front(), L"Audio Tray, Approved");

    Type(main, L"archive");
    EXPECT_EQ(spoken().rows, (std::vector<std::wstring>{L"Backup Agent, No decision yet",
                                                        L"Zip Helper, No decision yet, Running"}));
    EXPECT_EQ(spoken().selected, 0u) << "the hidden selection moved to the first match";
    Type(main, L"no such program");
    EXPECT_TRUE(spoken().rows.empty());
    EXPECT_EQ(spoken().selected, std::nullopt);
}

TEST_F(ListSearch, StatusesOutOfViewFollowTheFirstPaintAndASearchFindsThemBefore) {
    Decide(L"C:\\TOOLS", L"tool5.exe", decisions::kStatusRestricted);
    {
        Main& main = Open();
        EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet") << "the rows in view have theirs";
        main.FactsRefresh.onTick();
        ASSERT_EQ(main.Picture1.AccessibleRows()->rows.size(), 10u);
        EXPECT_EQ(main.Picture1.AccessibleRows()->rows[9], L"TOOL5.EXE, Restricted")
            << "a screen reader hears every row's status after the first tick";
        main.Unload();
    }
    Main& main = Open();
    Type(main, L"restricted");
    EXPECT_EQ(main.ShownRecords(), std::vector<int>{9}) << "searched before any tick";
}

TEST_F(ListSearch, TheListIsFilledAndShownWhenAScanSlowerThanThePageEnds) {
    fake.windows.holdAsideWork = true;
    Main& main = Open();
    EXPECT_EQ(main.LabelSearch.Caption(), L"Search:") << "the page is ready";
    EXPECT_FALSE(main.Visible()) << "but not shown without its records";
    EXPECT_EQ(main.RowCount(), 0);
    // The rows' controls are made meanwhile, empty and hidden in their shown container.
    const auto rowNames = std::count_if(
        main.Controls().begin(), main.Controls().end(),
        [](const ui::Control* control) { return control->Name().starts_with(L"BAexe("); });
    EXPECT_EQ(rowNames, kRowsInView);
    EXPECT_TRUE(main.Frame1.Visible());
    EXPECT_FALSE(main.BAexe(0).Visible());
    EXPECT_EQ(main.BAexe(0).Caption(), L"");
    fake.windows.hosts.back()->RunHeldAside();
    EXPECT_TRUE(main.Visible());
    EXPECT_EQ(main.RowCount(), 10);
    EXPECT_EQ(VisibleNames(main).front(), L"Zip Helper");
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");
}

TEST(AccessibleList, ASelectionPastTheRowsSelectsNone) {
    ui::Control list{ui::ControlKind::Picture, L"List", {}};
    EXPECT_FALSE(list.AccessibleRows().has_value()) << "no list until one is given";
    list.SetAccessibleList({L"A", L"B"}, 2);
    ASSERT_TRUE(list.AccessibleRows());
    EXPECT_EQ(list.AccessibleRows()->selected, std::nullopt);
    list.SetAccessibleList({L"A", L"B"}, 1);
    EXPECT_EQ(list.AccessibleRows()->selected, 1u);
}

TEST_F(ListSearch, SearchAndSortAreReachedByTabAndAccessKeys) {
    Main& main = Open();
    std::vector<std::wstring> order;
    for (const ui::Control* control : main.Controls()) {
        order.push_back(control->Name());
    }
    const auto at = [&order](const wchar_t* name) {
        return std::find(order.begin(), order.end(), name) - order.begin();
    };
    // The label's access key goes to the box made right after it; both come before the list.
    EXPECT_EQ(at(L"TextSearch"), at(L"LabelSearch") + 1);
    EXPECT_LT(at(L"TextSearch"), at(L"Picture1"));
    EXPECT_NE(main.LabelSearch.AccessKey(), 0);
    for (ui::Control* link : {&main.SortName, &main.SortPublisher, &main.SortStatus}) {
        EXPECT_TRUE(link->TabStop()) << link->Name();
        EXPECT_NE(link->AccessKey(), 0) << link->Name();
    }
}

} // namespace
} // namespace vtrl::manager::testing
