// The manager's startup list at length: only the rows in view are controls, scrolling and the
// keyboard show other records in them, each row says where its record starts from, and icons
// are drawn after the window opens, again only for programs that changed.

#include "inventory_test_support.h"
#include "manager_window_fixture.h"
#include "services/icon_bitmap.h"
#include "services/icon_stamps.h"

#include <cstdio>

namespace vtrl::manager::testing {
namespace {

TEST(IconStamps, ReadBackWhatWasWrittenAndDropLinesThatDoNot) {
    const services::IconStamps stamps{{L"notes.exe", {1234, 133000000000000000ull}},
                                      {L"tool.exe", {0, 0}}};
    EXPECT_EQ(services::ParseIconStamps(services::FormatIconStamps(stamps)), stamps);
    const services::IconStamps read = services::ParseIconStamps(
        {L"good.exe\t5\t6", L"nofields.exe", L"\t1\t2", L"short.exe\t7", L"neg.exe\t-1\t2",
         L"word.exe\t1\tx", L"huge.exe\t1\t99999999999999999999999"});
    EXPECT_EQ(read, (services::IconStamps{{L"good.exe", {5, 6}}}));
    EXPECT_TRUE(services::IconIsCurrent(read, L"good.exe", {5, 6}));
    EXPECT_FALSE(services::IconIsCurrent(read, L"good.exe", {5, 7})) << "the time changed";
    EXPECT_FALSE(services::IconIsCurrent(read, L"good.exe", {4, 6})) << "the size changed";
    EXPECT_FALSE(services::IconIsCurrent(read, L"other.exe", {5, 6}));
}

class StartupList : public ManagerPages {
protected:
    static constexpr int kRecords = 20;
    StartupList() {
        for (int i = 0; i < kRecords; ++i) {
            AddRunRecord(L"Tool" + Two(i), L"C:\\Tools", L"tool" + Two(i) + L".exe");
            GiveIcon(i, 0x40);
        }
    }
    static std::wstring Two(int n) {
        wchar_t text[8];
        std::swprintf(text, 8, L"%02d", n);
        return text;
    }
    static int NamedRows(const Main& main) {
        int rows = 0;
        for (const ui::Control* control : main.Controls()) {
            rows += control->Name().rfind(L"BAexe(", 0) == 0 ? 1 : 0;
        }
        return rows;
    }
    static bool Press(Main& main, ui::Key key) { return main.Picture1.onKey(key); }
    // Runs the icon refresh to its end, as the window's timer would.
    static int RunIconRefresh(Main& main) {
        int ticks = 0;
        while (main.IconRefresh.Enabled() && ticks < 1000) {
            main.IconRefresh.onTick();
            ++ticks;
        }
        return ticks;
    }
    std::wstring Program(int i) const { return L"C:\\Tools\\tool" + Two(i) + L".exe"; }
    std::wstring Bitmap(int i) const {
        return services::IconBitmapPath(facts.DataFolder, L"tool" + Two(i) + L".exe");
    }
    std::vector<std::uint8_t> GiveIcon(int i, std::uint8_t shade) {
        auto picture = BitmapFile(32, 32, shade);
        fake.icons.pictures[fakes::FoldCase(Program(i))] = picture;
        return picture;
    }
    // The icons drawn for the listed programs (the header's own is drawn at each open too).
    std::size_t ListIconRequests() const {
        std::size_t count = 0;
        for (int i = 0; i < kRecords; ++i) {
            count += IconRequestsFor(i);
        }
        return count;
    }
    std::size_t IconRequestsFor(int i) const {
        std::size_t count = 0;
        for (const auto& request : fake.icons.requests) {
            count += fakes::FoldCase(request.path) == fakes::FoldCase(Program(i)) ? 1 : 0;
        }
        return count;
    }
};

TEST_F(StartupList, OnlyTheRowsInViewAreControlsAndScrollingShowsTheRecordsBelow) {
    Main& main = Open();
    ASSERT_EQ(main.RowCount(), kRecords);
    EXPECT_EQ(NamedRows(main), kRowsInView);
    EXPECT_EQ(main.BAexe(0).Caption(), L"TOOL00.EXE");
    EXPECT_EQ(main.BAexe(kRowsInView - 1).Caption(), L"TOOL05.EXE");
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");

    main.VScroll.SetValue(5);
    EXPECT_EQ(main.BAexe(0).Caption(), L"TOOL05.EXE");
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");
    EXPECT_EQ(main.RecordInView(0), 5);
    // A click on a row opens the record it shows now.
    main.BAexe(1).Click();
    EXPECT_EQ(main.CurrentPage(), kRecordPage);
    EXPECT_EQ(main.recordPage.Label1.Caption(), L"TOOL06.EXE");
    main.recordPage.Option2.Click(); // approved
    main.Form_Enter();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(main.BAinfo(1).Caption(), L"Approved") << "the row in view shows the new status";
    EXPECT_EQ(main.BAinfo(0).Caption(), L"No decision yet");

    main.VScroll.SetValue(ScrollMaximum(kRecords));
    EXPECT_EQ(main.BAexe(kRowsInView - 1).Caption(), L"TOOL19.EXE");
    EXPECT_TRUE(main.BAexe(kRowsInView - 1).Visible());
    EXPECT_EQ(NamedRows(main), kRowsInView) << "scrolling makes no controls";
}

TEST_F(StartupList, TheSelectionIsDrawnOnTheRowThatShowsItsRecord) {
    Main& main = Open();
    const auto highlighted = [&main] {
        std::vector<int> rows;
        for (int slot = 0; slot < kRowsInView; ++slot) {
            if (main.BAexe(slot).Background() == kSelectedRowBackground) {
                rows.push_back(slot);
            }
        }
        return rows;
    };
    EXPECT_TRUE(Press(main, ui::Key::End));
    EXPECT_EQ(main.SelectedRow(), kRecords - 1);
    EXPECT_EQ(highlighted(), std::vector<int>{kRowsInView - 1});
    EXPECT_TRUE(Press(main, ui::Key::Home));
    EXPECT_EQ(highlighted(), std::vector<int>{0});
    EXPECT_EQ(main.BAexe(0).Caption(), L"TOOL00.EXE");
    // Scrolled away, the selected record is on no row and none is drawn selected.
    main.VScroll.SetValue(8);
    EXPECT_TRUE(highlighted().empty());
    EXPECT_EQ(main.Picture1.Caption(), L"TOOL00.EXE, No decision yet");
}

TEST_F(StartupList, EachRowSaysWhereItStartsFromInTheInterfaceLanguage) {
    Main& main = Open();
    EXPECT_EQ(main.BAplace(0).Caption(), L"Run key");
    EXPECT_EQ(main.Row(kRecords - 1).place, L"Run key");
    EXPECT_EQ(main.BAplace(0).Foreground(), main.BAinfo(0).Foreground()) << "grey, like the status";
    EXPECT_GT(main.BAplace(0).Rect().top, main.BAexe(0).Rect().top);
    EXPECT_LT(main.BAplace(0).Rect().top, main.BAsign(0).Rect().top);
}

TEST_F(StartupList, FileFactsOfTheRowsOutOfViewComeAfterTheFirstPaint) {
    using namespace std::string_literals;
    const auto describe = [this](int i, const std::wstring& company, const std::wstring& text) {
        fake.version.blocks[fakes::FoldCase(Program(i))] =
            inventory::testing::Utf16Block(L"\x01\x02\x03"s + L"CompanyName\0\0"s + company +
                                           L"\0\0"s + L"FileDescription\0"s + text + L"\0"s);
    };
    describe(0, L"Acme", L"Tool Zero");
    describe(10, L"Acme", L"Tool Ten");
    describe(19, L"Zeta", L"Tool Nineteen");
    // More records than a tick reads.
    const int records = kRecords + 40;
    for (int i = kRecords; i < records; ++i) {
        AddRunRecord(L"More" + std::to_wstring(i), L"C:\\More",
                     L"more" + std::to_wstring(i) + L".exe");
    }
    Main& main = Open();
    // The rows in view have theirs before the window is drawn; the others wait.
    EXPECT_EQ(main.BAexe(0).Caption(), L"Tool Zero");
    EXPECT_EQ(main.BAplace(0).Caption(), L"Acme \u00B7 Run key");
    EXPECT_TRUE(main.FileFactsRead(kRowsInView - 1));
    EXPECT_FALSE(main.FileFactsRead(10));
    EXPECT_EQ(main.Row(10).name, L"TOOL10.EXE");
    EXPECT_TRUE(main.FactsRefresh.Enabled());

    // A record opened before its turn reads them first.
    main.BAexe_Click(19);
    EXPECT_TRUE(main.FileFactsRead(19));
    EXPECT_FALSE(main.FileFactsRead(10));
    EXPECT_EQ(main.Inventory().Records[19].Company, L"Zeta");
    EXPECT_EQ(main.Row(19).name, L"Tool Nineteen");
    main.ShowPage(kListPage);

    // The timer brings the rest, a few at a time.
    main.FactsRefresh.onTick();
    EXPECT_TRUE(main.FactsRefresh.Enabled());
    EXPECT_FALSE(main.FileFactsRead(records - 1));
    int ticks = 0;
    while (main.FactsRefresh.Enabled() && ticks < 100) {
        main.FactsRefresh.onTick();
        ++ticks;
    }
    EXPECT_FALSE(main.FactsRefresh.Enabled());
    EXPECT_EQ(ticks, 2);
    for (int i = 0; i < records; ++i) {
        EXPECT_TRUE(main.FileFactsRead(i)) << i;
    }
    EXPECT_EQ(main.Row(10).name, L"Tool Ten");
    EXPECT_EQ(main.Inventory().Records[10].FileSize, 2);
}

TEST_F(ManagerPages, RecordsOfOneProgramReadItsFileFactsOnceTheRowsInViewBeforeTheFirstPaint) {
    using namespace std::string_literals;
    for (int i = 0; i < kRowsInView + 2; ++i) {
        AddRunRecord(L"Copy" + std::to_wstring(i), L"C:\\Tools", L"shared.exe",
                     L"/n " + std::to_wstring(i));
    }
    fake.version.blocks[fakes::FoldCase(L"C:\\Tools\\shared.exe")] = inventory::testing::Utf16Block(
        L"\x01\x02\x03"s + L"CompanyName\0\0Acme\0\0"s + L"FileDescription\0Shared Tool\0"s);
    Main& main = Open();
    EXPECT_EQ(fake.version.reads, 1);
    for (int slot = 0; slot < kRowsInView; ++slot) {
        EXPECT_EQ(main.BAexe(slot).Caption(), L"Shared Tool") << slot;
        EXPECT_EQ(main.BAplace(slot).Caption(), L"Acme \u00B7 Run key") << slot;
        EXPECT_TRUE(main.FileFactsRead(slot)) << slot;
    }
    EXPECT_FALSE(main.FileFactsRead(kRowsInView)) << "out of view: after the first paint";
    EXPECT_EQ(main.Inventory().Records[kRowsInView - 1].FileSize, 2);
    while (main.FactsRefresh.Enabled()) {
        main.FactsRefresh.onTick();
    }
    EXPECT_EQ(main.Row(kRowsInView + 1).name, L"Shared Tool");
    EXPECT_EQ(fake.version.reads, 1) << "the rows out of view share the read too";
}

TEST_F(StartupList, ASearchOrSortBeforeTheFileFactsAreInReadsThemFirst) {
    using namespace std::string_literals;
    fake.version.blocks[fakes::FoldCase(Program(12))] = inventory::testing::Utf16Block(
        L"\x01\x02\x03"s + L"CompanyName\0\0Acme\0\0"s + L"FileDescription\0Twelve\0"s);
    {
        Main& main = Open();
        ASSERT_FALSE(main.FileFactsRead(12));
        main.TextSearch.UserSetCaption(L"acme");
        EXPECT_EQ(main.ShownRecords(), std::vector<int>{12});
        EXPECT_FALSE(main.FactsRefresh.Enabled());
        main.Unload();
    }
    Main& main = Open();
    main.SortPublisher.Click();
    EXPECT_EQ(main.ShownRecords().front(), 12) << "the one publisher first";
    EXPECT_EQ(main.BAexe(0).Caption(), L"Twelve");
}

TEST_F(StartupList, IconsAreDrawnAfterTheWindowOpensAndAgainOnlyWhenTheProgramChanged) {
    const auto first = GiveIcon(0, 0x10);
    const auto last = GiveIcon(kRecords - 1, 0x20);
    {
        Main& main = Open();
        EXPECT_EQ(ListIconRequests(), 0u) << "no icon is drawn before the first paint";
        EXPECT_TRUE(fake.icons.requests.empty()) << "not even the header's";
        EXPECT_TRUE(main.BAimg(0).Picture().empty());
        EXPECT_TRUE(main.IconRefresh.Enabled());
        RunIconRefresh(main);
        EXPECT_FALSE(main.IconRefresh.Enabled());
        EXPECT_EQ(main.BAimg(0).Picture(), first) << "the row in view shows it once drawn";
        EXPECT_EQ(main.Row(kRecords - 1).icon, last);
        EXPECT_EQ(fake.files.Content(Bitmap(0)), std::string(first.begin(), first.end()));
        main.Unload();
    }
    const std::size_t drawn = ListIconRequests();
    EXPECT_EQ(drawn, static_cast<std::size_t>(kRecords));
    EXPECT_EQ(IconRequestsFor(0), 1u);
    {
        Main& main = Open();
        EXPECT_EQ(main.BAimg(0).Picture(), first) << "shown from the saved bitmap at once";
        RunIconRefresh(main);
        EXPECT_EQ(ListIconRequests(), drawn) << "nothing changed: nothing drawn";
        main.Unload();
    }
    // The program is replaced by one of another size: its icon alone is drawn again.
    fake.files.AddFile(Program(0), "MZ and more");
    const auto changed = GiveIcon(0, 0x30);
    Main& main = Open();
    RunIconRefresh(main);
    EXPECT_EQ(ListIconRequests(), drawn + 1);
    EXPECT_EQ(IconRequestsFor(0), 2u);
    EXPECT_EQ(main.BAimg(0).Picture(), changed);
}

TEST_F(StartupList, IconsDrawnBeforeTheWindowClosesAreRemembered) {
    {
        Main& main = Open();
        main.IconRefresh.onTick(); // the rows in view, then a few more
        ASSERT_TRUE(main.IconRefresh.Enabled()) << "more records than one tick looks at";
        main.Unload();
    }
    const std::size_t drawn = IconRequestsFor(0);
    ASSERT_EQ(drawn, 1u);
    Main& main = Open();
    RunIconRefresh(main);
    EXPECT_EQ(IconRequestsFor(0), drawn);
}

} // namespace
} // namespace vtrl::manager::testing
