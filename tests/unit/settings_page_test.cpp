// The settings page over the fake settings store: what each control shows for what is stored,
// what "apply" stores for each control, and the tray agent's autostart shortcut.

#include "manager/settings_page.h"
#include "manager_window_fixture.h"

namespace vtrl::manager::testing {
namespace {

class SettingsPageTest : public ManagerWindow {
protected:
    std::wstring Shortcut() const { return facts.StartupFolder + L"\\Vantorel.lnk"; }
    SettingsPage& Page(Main& main) { return main.settingsPage; }
};

TEST(SettingsRules, OnOffSettingsReadAndSaveByTheirSense) {
    EXPECT_TRUE(SettingIsOn(L"", SettingSense::OnUnlessSet));
    EXPECT_FALSE(SettingIsOn(L"NO", SettingSense::OnUnlessSet));
    EXPECT_FALSE(SettingIsOn(L"YES", SettingSense::OnUnlessSet)); // any text switches it off
    EXPECT_FALSE(SettingIsOn(L"", SettingSense::OnWhenYes));
    EXPECT_TRUE(SettingIsOn(L"YES", SettingSense::OnWhenYes));
    EXPECT_FALSE(SettingIsOn(L"yes", SettingSense::OnWhenYes));
    EXPECT_EQ(StoredSetting(true, SettingSense::OnUnlessSet), L"");
    EXPECT_EQ(StoredSetting(false, SettingSense::OnUnlessSet), L"NO");
    EXPECT_EQ(StoredSetting(true, SettingSense::OnWhenYes), L"YES");
    EXPECT_EQ(StoredSetting(false, SettingSense::OnWhenYes), L"");
}

TEST(SettingsRules, StartModesAndTheirStoredWords) {
    EXPECT_EQ(services::StartModeFromStored(L""), services::StartMode::Resident);
    EXPECT_EQ(services::StartModeFromStored(L"Every"), services::StartMode::Every);
    EXPECT_EQ(services::StartModeFromStored(L"Once"), services::StartMode::Once);
    EXPECT_EQ(services::StartModeFromStored(L"Weekly"), std::nullopt);
    EXPECT_EQ(services::StartModeFromStored(L"once"), std::nullopt);
    for (services::StartMode mode :
         {services::StartMode::Resident, services::StartMode::Every, services::StartMode::Once}) {
        EXPECT_EQ(services::StartModeFromStored(services::StoredStartMode(mode)), mode);
    }
}

TEST_F(SettingsPageTest, AFreshProfileShowsTheDefaults) {
    Main& main = Open();
    SettingsPage& page = Page(main);
    EXPECT_EQ(page.Check5.Value(), 1);
    EXPECT_EQ(page.Check6.Value(), 1);
    EXPECT_EQ(page.Check9.Value(), 1);
    EXPECT_EQ(page.Check8.Value(), 0);
    EXPECT_EQ(page.Check11.Value(), 0);
    EXPECT_EQ(page.Option6.Value(), 1);
    EXPECT_EQ(page.Option5.Value(), 0);
    EXPECT_EQ(page.Option4.Value(), 0);
    // No autostart shortcut: the agent's options wait for its box.
    EXPECT_EQ(page.Check7.Value(), 0);
    for (ui::Control* control : {&page.Option4, &page.Option5, &page.Option6, &page.Check8}) {
        EXPECT_FALSE(control->Enabled()) << control->Name();
    }
    EXPECT_FALSE(page.StartsAgentOnClose());
}

TEST_F(SettingsPageTest, StoredValuesSetTheBoxesAndTheShortcutSetsTheAgentBox) {
    fake.files.AddFile(Shortcut(), "L");
    Store(L"Sound", L"NO");
    Store(L"NotifiWin", L"off"); // any text switches it off
    Store(L"Unknown", L"NO");
    Store(L"HideTrayIcon", L"YES");
    Store(L"AutoClose", L"Yes"); // only "YES" switches it on
    Store(L"SMode", L"Every");
    Main& main = Open();
    SettingsPage& page = Page(main);
    EXPECT_EQ(page.Check5.Value(), 0);
    EXPECT_EQ(page.Check6.Value(), 0);
    EXPECT_EQ(page.Check9.Value(), 0);
    EXPECT_EQ(page.Check8.Value(), 1);
    EXPECT_EQ(page.Check11.Value(), 0);
    EXPECT_EQ(page.Check7.Value(), 1);
    EXPECT_EQ(page.Option5.Value(), 1);
    EXPECT_EQ(page.Option6.Value(), 0);
    for (ui::Control* control : {&page.Option4, &page.Option5, &page.Option6, &page.Check8}) {
        EXPECT_TRUE(control->Enabled()) << control->Name();
    }
    // Every, not background: "Apply and Close" leaves the agent off.
    EXPECT_FALSE(page.StartsAgentOnClose());
}

TEST_F(SettingsPageTest, ApplyStoresEachBoxByItsSenseAndReturnsToTheList) {
    Main& main = Open();
    main.Label20.Click();
    ASSERT_EQ(main.CurrentPage(), kSettingsPage);
    SettingsPage& page = Page(main);
    page.Check8.Click(); // disabled while the agent box is cleared
    EXPECT_EQ(page.Check8.Value(), 0);
    page.Check7.Click();
    page.Check5.Click();  // off
    page.Check8.Click();  // on
    page.Check11.Click(); // on
    page.Check9.Click();  // off
    page.Command3.Click();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    EXPECT_EQ(Setting(L"Sound"), L"NO");
    EXPECT_EQ(Setting(L"HideTrayIcon"), L"YES");
    EXPECT_EQ(Setting(L"AutoClose"), L"YES");
    EXPECT_EQ(Setting(L"Unknown"), L"NO");
    EXPECT_EQ(Setting(L"NotifiWin"), L"");
    EXPECT_TRUE(SettingStored(L"NotifiWin"));
    EXPECT_EQ(Setting(L"SMode"), L"");
    EXPECT_TRUE(SettingStored(L"SMode"));

    fake.files.AddFile(facts.StartupFolder + L"\\Vantorel.lnk", "L");
    main.Label20.Click();
    EXPECT_EQ(page.Check5.Value(), 0);
    EXPECT_EQ(page.Check8.Value(), 1);
    page.Check5.Click(); // on again: the setting is emptied
    page.Check8.Click(); // off again
    page.Command3.Click();
    EXPECT_EQ(Setting(L"Sound"), L"");
    EXPECT_TRUE(SettingStored(L"Sound"));
    EXPECT_EQ(Setting(L"HideTrayIcon"), L"");
}

TEST_F(SettingsPageTest, EachModeOptionStoresItsWord) {
    Main& main = Open();
    SettingsPage& page = Page(main);
    page.Check7.Click();
    page.Option4.Click();
    EXPECT_EQ(page.Option6.Value(), 0); // one of the group at a time
    page.Command3.Click();
    EXPECT_EQ(Setting(L"SMode"), L"Once");
    page.Option5.Click();
    page.Command3.Click();
    EXPECT_EQ(Setting(L"SMode"), L"Every");
    page.Option6.Click();
    page.Command3.Click();
    EXPECT_EQ(Setting(L"SMode"), L"");
}

TEST_F(SettingsPageTest, AnUnknownStoredModeSelectsNoOptionAndIsNotOverwritten) {
    Store(L"SMode", L"Weekly");
    Main& main = Open();
    SettingsPage& page = Page(main);
    EXPECT_EQ(page.Option4.Value() + page.Option5.Value() + page.Option6.Value(), 0);
    page.Command3.Click();
    EXPECT_EQ(Setting(L"SMode"), L"Weekly");
}

TEST_F(SettingsPageTest, CheckingTheAgentBoxWritesTheAutostartShortcut) {
    Main& main = Open();
    SettingsPage& page = Page(main);
    page.Check7.Click();
    for (ui::Control* control : {&page.Option4, &page.Option5, &page.Option6, &page.Check8}) {
        EXPECT_TRUE(control->Enabled()) << control->Name();
    }
    EXPECT_TRUE(page.StartsAgentOnClose()); // as the controls stand, before any apply
    EXPECT_TRUE(fake.links.created.empty());
    page.Command3.Click();
    ASSERT_EQ(fake.links.created.size(), 1u);
    const platform::LinkSpec& link = fake.links.created[0];
    EXPECT_EQ(link.linkPath, Shortcut());
    EXPECT_EQ(link.targetPath, facts.ProgramFolder + L"\\" + facts.ProgramName + L".exe");
    EXPECT_EQ(link.arguments, L"startup");
    EXPECT_EQ(link.description, L"Vantorel");
    EXPECT_EQ(link.workingDirectory, facts.ProgramFolder);
    EXPECT_EQ(link.iconLocation, L"");
}

TEST_F(SettingsPageTest, ClearingTheAgentBoxDisablesItsOptionsAndDeletesTheShortcut) {
    fake.files.AddFile(Shortcut(), "L");
    Store(L"SMode", L"Every");
    Main& main = Open();
    SettingsPage& page = Page(main);
    page.Option4.Click();
    page.Check7.Click();
    EXPECT_EQ(page.Check7.Value(), 0);
    for (ui::Control* control : {&page.Option4, &page.Option5, &page.Option6, &page.Check8}) {
        EXPECT_FALSE(control->Enabled()) << control->Name();
    }
    EXPECT_EQ(page.Option4.Value(), 1); // values are kept
    page.Command3.Click();
    EXPECT_FALSE(fake.files.FileExists(Shortcut()));
    EXPECT_TRUE(fake.links.created.empty());
    EXPECT_EQ(Setting(L"SMode"), L"Once"); // the mode is saved all the same
}

TEST_F(SettingsPageTest, ReopeningThePageDiscardsUnsavedEdits) {
    Main& main = Open();
    SettingsPage& page = Page(main);
    main.Label20.Click();
    page.Check5.Click();
    page.Check7.Click();
    EXPECT_TRUE(page.StartsAgentOnClose());
    main.ShowPage(kListPage);
    main.Label20.Click();
    EXPECT_EQ(page.Check5.Value(), 1);
    EXPECT_EQ(page.Check7.Value(), 0);
    EXPECT_FALSE(SettingStored(L"Sound"));
}

TEST_F(SettingsPageTest, CaptionsComeFromTheLanguageFile) {
    Main& main = Open();
    EXPECT_NE(Page(main).Check5.Caption(), L"Play sounds") << "read when the page is first shown";
    main.Label20_Click();
    EXPECT_EQ(Page(main).Check5.Caption(), L"Play sounds");
    EXPECT_EQ(Page(main).Command3.Caption(), L"Apply");
}

} // namespace
} // namespace vtrl::manager::testing
