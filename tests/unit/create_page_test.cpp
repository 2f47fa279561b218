// The create page: the open-file dialog's set-up, the fields a chosen file fills, the
// shortcut's name and "create" with its restart.

#include "manager/create_page.h"
#include "manager_window_fixture.h"

#include "services/icon_bitmap.h"

namespace vtrl::manager::testing {
namespace {

TEST(CreateRules, TheShortcutIsNamedWithoutTheLastExtension) {
    EXPECT_EQ(ShortcutNameFor(L"tool.exe"), L"tool");
    EXPECT_EQ(ShortcutNameFor(L"my.tool.exe"), L"my.tool");
    EXPECT_EQ(ShortcutNameFor(L"tool."), L"tool");
    // Nothing to cut: the whole name.
    EXPECT_EQ(ShortcutNameFor(L"tool"), L"tool");
    EXPECT_EQ(ShortcutNameFor(L".exe"), L".exe");
}

TEST(CreateRules, AChosenPathSplitsIntoFolderAndName) {
    EXPECT_EQ(SplitChosenPath(L"C:\\Tools\\tool.exe").folder, L"C:\\Tools\\");
    EXPECT_EQ(SplitChosenPath(L"C:\\Tools\\tool.exe").fileName, L"tool.exe");
    EXPECT_EQ(SplitChosenPath(L"C:\\a\\b c\\d.e.exe").folder, L"C:\\a\\b c\\");
    EXPECT_EQ(SplitChosenPath(L"tool.exe").folder, L"");
    EXPECT_EQ(SplitChosenPath(L"tool.exe").fileName, L"tool.exe");
}

class CreatePageTest : public ManagerWindow {
protected:
    static constexpr wchar_t kTool[] = L"C:\\Tools\\tool.exe";
    CreatePageTest() {
        fake.files.AddFile(kTool, "MZ");
        fake.icons.pictures[fakes::FoldCase(kTool)] = BitmapFile(32, 32, 0x40);
    }
    Main& OpenPage() {
        Main& main = Open();
        main.Label23.Click();
        return main;
    }
};

TEST_F(CreatePageTest, BrowsingAsksForAnExecutableUnderProgramFiles) {
    Main& main = OpenPage();
    EXPECT_EQ(main.CurrentPage(), kCreatePage);
    main.createPage.Command16.Click();
    ASSERT_EQ(fake.windows.fileDialogs.size(), 1u);
    const auto& dialog = fake.windows.fileDialogs[0];
    EXPECT_EQ(dialog.owner, &main);
    EXPECT_EQ(dialog.request.title, L"Vantorel");
    EXPECT_EQ(dialog.request.initialFolder, facts.ProgramFilesFolder);
    EXPECT_EQ(dialog.request.filter, L"Executable Files (*.exe)|*.exe");
    EXPECT_EQ(dialog.request.fileName, L"*.*");
}

TEST_F(CreatePageTest, AChosenFileFillsTheFieldsAndShowsItsIconEnlarged) {
    Main& main = OpenPage();
    CreatePage& page = main.createPage;
    page.Text2.SetCaption(L"--kept");
    fake.windows.fileAnswers.push_back(std::wstring(kTool));
    page.Command16.Click();
    EXPECT_EQ(page.Text1.Caption(), kTool);
    EXPECT_EQ(page.Text3.Caption(), L"C:\\Tools\\");
    EXPECT_EQ(page.Text4.Caption(), L"tool.exe");
    EXPECT_EQ(page.Text2.Caption(), L"--kept");
    const std::wstring bitmap = services::IconBitmapPath(facts.DataFolder, L"user");
    ASSERT_TRUE(fake.files.FileExists(bitmap));
    EXPECT_EQ(page.Image2.Picture(), BitmapFile(32, 32, 0x40));
    // 32 pixels twice over, at 15 twips a pixel.
    EXPECT_EQ(page.Image2.Rect().width, 960);
    EXPECT_EQ(page.Image2.Rect().height, 960);
    EXPECT_TRUE(page.Image2.Stretch());
    EXPECT_TRUE(page.Image2.Visible());
}

TEST_F(CreatePageTest, ACancelledDialogOrAMissingFileChangesNothing) {
    Main& main = OpenPage();
    CreatePage& page = main.createPage;
    for (ui::Control* field : {&page.Text1, &page.Text2, &page.Text3, &page.Text4}) {
        field->SetCaption(field->Name());
    }
    fake.windows.fileAnswers.push_back(std::nullopt);
    fake.windows.fileAnswers.push_back(std::wstring(L"C:\\Tools\\gone.exe"));
    page.Command16.Click();
    page.Command16.Click();
    EXPECT_EQ(fake.windows.fileDialogs.size(), 2u);
    for (ui::Control* field : {&page.Text1, &page.Text2, &page.Text3, &page.Text4}) {
        EXPECT_EQ(field->Caption(), field->Name());
    }
    EXPECT_TRUE(page.Image2.Picture().empty());
    EXPECT_FALSE(fake.files.FileExists(services::IconBitmapPath(facts.DataFolder, L"user")));
}

TEST_F(CreatePageTest, AFileWithoutAnIconStillFillsTheFields) {
    fake.icons.pictures.clear();
    Main& main = OpenPage();
    CreatePage& page = main.createPage;
    const ui::TwipsRect before = page.Image2.Rect();
    fake.windows.fileAnswers.push_back(std::wstring(kTool));
    page.Command16.Click();
    EXPECT_EQ(page.Text4.Caption(), L"tool.exe");
    EXPECT_TRUE(page.Image2.Picture().empty());
    EXPECT_EQ(page.Image2.Rect(), before);
}

TEST_F(CreatePageTest, CreateWritesTheShortcutTellsTheUserAndRestarts) {
    Main& main = OpenPage();
    CreatePage& page = main.createPage;
    page.Text1.SetCaption(L"C:\\Tools\\my.tool.exe");
    page.Text2.SetCaption(L"/min");
    page.Text3.SetCaption(L"C:\\Tools\\");
    page.Text4.SetCaption(L"my.tool.exe");
    page.Command17.Click();
    ASSERT_EQ(fake.links.created.size(), 1u);
    const platform::LinkSpec& link = fake.links.created[0];
    EXPECT_EQ(link.linkPath, facts.StartupFolder + L"\\my.tool.lnk");
    EXPECT_EQ(link.targetPath, L"C:\\Tools\\my.tool.exe");
    EXPECT_EQ(link.arguments, L"/min");
    EXPECT_EQ(link.workingDirectory, L"C:\\Tools\\");
    EXPECT_EQ(link.description, L"");
    EXPECT_EQ(link.iconLocation, L"");
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Created.");
    EXPECT_EQ(fake.messages.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(fake.launcher.started,
              std::vector<std::wstring>{services::OwnCommandLine(facts, L"", L"")});
    EXPECT_TRUE(main.Unloaded());
}

TEST_F(CreatePageTest, AFailedShortcutStillReportsAndRestarts) {
    fake.links.fail = true;
    Main& main = OpenPage();
    CreatePage& page = main.createPage;
    page.Text1.SetCaption(L"C:\\Tools\\tool.exe");
    page.Text3.SetCaption(L"C:\\Tools\\");
    page.Text4.SetCaption(L"tool");
    page.Command17.Click();
    EXPECT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_TRUE(main.Unloaded());
}

TEST_F(CreatePageTest, CreateWithARequiredFieldEmptyDoesNothing) {
    Main& main = OpenPage();
    CreatePage& page = main.createPage;
    for (ui::Control* empty : {&page.Text1, &page.Text3, &page.Text4}) {
        page.Text1.SetCaption(L"C:\\Tools\\tool.exe");
        page.Text3.SetCaption(L"C:\\Tools\\");
        page.Text4.SetCaption(L"tool.exe");
        empty->SetCaption(L"");
        page.Command17.Click();
    }
    EXPECT_TRUE(fake.links.created.empty());
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_TRUE(fake.launcher.started.empty());
    EXPECT_FALSE(main.Unloaded());
}

TEST_F(CreatePageTest, CancelReturnsToTheListAndKeepsTheFields) {
    Main& main = OpenPage();
    main.createPage.Text2.SetCaption(L"-x");
    main.createPage.Command15.Click();
    EXPECT_EQ(main.CurrentPage(), kListPage);
    main.Label23.Click();
    EXPECT_EQ(main.createPage.Text2.Caption(), L"-x");
    EXPECT_EQ(main.createPage.Command16.Caption(), L"Browse...");
    EXPECT_EQ(main.createPage.Label19.Caption(), L"Executable file name");
}

} // namespace
} // namespace vtrl::manager::testing
