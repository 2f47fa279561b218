// The manager window from the keyboard, headless: the list's selection under the arrows, Page
// Up/Down, Home and End, and scrolled into view; the mouse wheel; Enter opening the selected
// record or pressing a page's default button; Escape back to the list and, from there, closing
// the window.

#include "manager_window_fixture.h"
#include "platform/ui/access_keys.h"

namespace vtrl::manager::testing {
namespace {

TEST(AccessKeys, WordStartsFirstNoLetterTwiceAndTheCaptionShownWithItsMark) {
    ui::Control undo{ui::ControlKind::Label, L"a", {}, L"Undo delete"};
    ui::Control lists{ui::ControlKind::Label, L"b", {}, L"my lists"};
    ui::Control settings{ui::ControlKind::Label, L"c", {}, L"Use settings"};
    ui::Control again{ui::ControlKind::Button, L"d", {}, L"UM"};
    ui::Control none{ui::ControlKind::Button, L"e", {}, L"... -"};
    ui::AssignAccessKeys({&undo, &lists, &settings, &again, &none});
    EXPECT_EQ(undo.AccessKey(), L'U');
    EXPECT_EQ(lists.AccessKey(), L'M');    // case is ignored: m is the word's start
    EXPECT_EQ(settings.AccessKey(), L'S'); // U is taken: the next word's start
    EXPECT_EQ(again.AccessKey(), 0);       // every letter taken
    EXPECT_EQ(none.AccessKey(), 0);
    EXPECT_EQ(undo.Caption(), L"Undo delete"); // the caption stays

    EXPECT_EQ(ui::TextWithAccessKey(L"my lists", L'M'), L"&my lists");
    EXPECT_EQ(ui::TextWithAccessKey(L"Use settings", L'S'), L"Use &settings");
    EXPECT_EQ(ui::TextWithAccessKey(L"Undo", L'D'), L"Un&do");
    EXPECT_EQ(ui::TextWithAccessKey(L"Save & close", L'C'), L"Save && &close");
    EXPECT_EQ(ui::TextWithAccessKey(L"A&B", 0), L"A&&B");
}

class ManagerKeyboard : public ManagerPages {
protected:
    ManagerKeyboard() {
        for (int i = 0; i < 10; ++i) {
            AddRunRecord(L"Tool" + std::to_wstring(i), L"C:\\Tools",
                         L"tool" + std::to_wstring(i) + L".exe");
        }
    }
    static bool Press(Main& main, ui::Key key) { return main.Picture1.onKey(key); }
    static bool Highlighted(Main& main, int row) {
        return main.BAexe(row).Background() == kSelectedRowBackground;
    }
};

TEST_F(ManagerKeyboard, ArrowsMoveTheSelectionAndEnterOpensItsRecord) {
    Main& main = Open();
    ASSERT_EQ(main.RowCount(), 10);
    EXPECT_TRUE(main.Picture1.HasFocus());
    EXPECT_EQ(main.SelectedRow(), 0);
    // The selection shows only once the keyboard is used.
    EXPECT_FALSE(Highlighted(main, 0));

    EXPECT_TRUE(Press(main, ui::Key::Down));
    EXPECT_TRUE(Press(main, ui::Key::Down));
    EXPECT_EQ(main.SelectedRow(), 2);
    EXPECT_TRUE(Highlighted(main, 2));
    EXPECT_FALSE(Highlighted(main, 0));
    EXPECT_FALSE(Highlighted(main, 1));
    // The list's name is the selected record, for a screen reader.
    EXPECT_EQ(main.Picture1.Caption().rfind(L"TOOL2.EXE, ", 0), 0u) << main.Picture1.Caption();
    EXPECT_TRUE(Press(main, ui::Key::Up));
    EXPECT_EQ(main.SelectedRow(), 1);
    EXPECT_TRUE(Press(main, ui::Key::Down));

    EXPECT_TRUE(Press(main, ui::Key::Enter));
    EXPECT_EQ(main.CurrentPage(), kRecordPage);
    EXPECT_EQ(main.recordPage.Label1.Caption(), L"TOOL2.EXE");

    main.Form_Escape();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(main.SelectedRow(), 2);
    EXPECT_FALSE(main.Unloaded());
    main.Form_Escape();
    EXPECT_TRUE(main.Unloaded());
}

TEST_F(ManagerKeyboard, PageKeysHomeAndEndStopAtTheEndsAndScrollTheRowIntoView) {
    Main& main = Open();
    ASSERT_TRUE(main.VScroll.Visible());
    EXPECT_TRUE(Press(main, ui::Key::Up)); // already at the top: stays
    EXPECT_EQ(main.SelectedRow(), 0);
    EXPECT_EQ(main.VScroll.Value(), 0);

    EXPECT_TRUE(Press(main, ui::Key::PageDown));
    EXPECT_EQ(main.SelectedRow(), kRowsInView);
    EXPECT_EQ(main.VScroll.Value(), 1); // the seventh row is the last in view
    EXPECT_TRUE(Press(main, ui::Key::End));
    EXPECT_EQ(main.SelectedRow(), 9);
    EXPECT_EQ(main.VScroll.Value(), ScrollMaximum(10));
    EXPECT_TRUE(Press(main, ui::Key::Down));
    EXPECT_EQ(main.SelectedRow(), 9);
    EXPECT_TRUE(Press(main, ui::Key::PageUp));
    EXPECT_EQ(main.SelectedRow(), 9 - kRowsInView);
    EXPECT_EQ(main.VScroll.Value(), 9 - kRowsInView);
    EXPECT_TRUE(Press(main, ui::Key::Home));
    EXPECT_EQ(main.SelectedRow(), 0);
    EXPECT_EQ(main.VScroll.Value(), 0);
    EXPECT_EQ(main.Frame1.Rect().top, 0);
}

TEST_F(ManagerKeyboard, TheWheelScrollsTheListWithinItsRangeAndLeavesTheSelection) {
    for (int i = 10; i < 20; ++i) {
        AddRunRecord(L"Tool" + std::to_wstring(i), L"C:\\Tools",
                     L"tool" + std::to_wstring(i) + L".exe");
    }
    Main& main = Open();
    ASSERT_TRUE(Press(main, ui::Key::Down));
    main.Form_MouseWheel(1, 3);
    EXPECT_EQ(main.VScroll.Value(), 3);
    EXPECT_EQ(main.BAexe(0).Caption(), L"TOOL3.EXE");
    EXPECT_EQ(main.SelectedRow(), 1);
    main.Form_MouseWheel(1, 0); // a page a notch
    EXPECT_EQ(main.VScroll.Value(), 3 + kRowsInView);
    main.Form_MouseWheel(3, 3); // past the end: the last rows in view
    EXPECT_EQ(main.VScroll.Value(), ScrollMaximum(20));
    main.Form_MouseWheel(-9, 3);
    EXPECT_EQ(main.VScroll.Value(), 0);
    EXPECT_EQ(main.BAexe(0).Caption(), L"TOOL0.EXE");
    // Elsewhere than the list the wheel leaves the list alone.
    main.Label20_Click();
    main.Form_MouseWheel(1, 3);
    EXPECT_EQ(main.VScroll.Value(), 0);
}

TEST_F(ManagerKeyboard, EnterPressesEachPagesDefaultAndEscapeLeavesWithoutIt) {
    Main& main = Open();
    // The settings page: Escape drops a change, Enter applies it as "apply" does.
    main.Label20_Click();
    main.settingsPage.Check5.Click();
    main.Form_Escape();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_FALSE(SettingStored(L"Sound"));
    main.Label20_Click();
    main.settingsPage.Check5.Click();
    main.Form_Enter();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(Setting(L"Sound"), L"NO");

    // The record page: Enter is "Ok", which stores the decision.
    main.BAexe_Click(3);
    main.recordPage.Option1.Click();
    main.Form_Enter();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(StoredDecisions().DecisionLastIndex, 0);

    // Each other page goes back to the list on Escape, the window staying open.
    for (auto open : {&Main::Label22_Click, &Main::Label21_Click, &Main::Label23_Click}) {
        (main.*open)();
        EXPECT_NE(main.CurrentPage(), kListPage);
        main.Form_Escape();
        EXPECT_EQ(main.CurrentPage(), kListPage);
    }
    EXPECT_FALSE(main.Unloaded());
}

} // namespace
} // namespace vtrl::manager::testing
