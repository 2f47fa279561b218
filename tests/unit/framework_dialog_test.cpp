// The framework dialog driven through its controls, headless, with the shipped language files
// copied into the fake file system and opened through the entry's "lang" and "subscribe" rows.

#include "fakes/fake_platform.h"
#include "services/framework_dialog.h"
#include "services/newsletter.h"
#include "services/settings_store.h"
#include "shell/entry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

namespace vtrl::services {
namespace {

namespace fs = std::filesystem;
using platform::MessageIcon;

const fs::path kShippedLanguages =
    fs::path(__FILE__).parent_path().parent_path().parent_path() / "Languages";

std::string ReadBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

// Stands for a decoded flag: any bytes the picture control is to be given.
std::vector<std::uint8_t> FlagBitmap(char tag) {
    return {'B', 'M', static_cast<std::uint8_t>(tag)};
}

// Records whether the subscribe button was enabled while the request ran.
class WatchedHttp final : public platform::Http {
public:
    explicit WatchedHttp(platform::Http& inner) : inner_(inner) {}
    std::optional<std::string> Get(const std::wstring& url) override {
        if (button != nullptr) {
            enabledDuringRequest = button->Enabled();
        }
        return inner_.Get(url);
    }
    const ui::Control* button = nullptr;
    std::optional<bool> enabledDuringRequest;

private:
    platform::Http& inner_;
};

class FrameworkDialogTest : public ::testing::Test {
protected:
    FrameworkDialogTest() {
        languages = fake.folders.programFolder + L"\\Languages";
        for (const auto& entry : fs::directory_iterator(kShippedLanguages)) {
            const fs::path& file = entry.path();
            if (file.extension() == ".ini" || file.extension() == ".jpg") {
                fake.files.AddFile(languages + L"\\" + file.filename().wstring(), ReadBytes(file));
            }
        }
        fake.icons.pictureFiles[fakes::FoldCase(languages + L"\\German.jpg")] = FlagBitmap('G');
        fake.icons.pictureFiles[fakes::FoldCase(languages + L"\\English.jpg")] = FlagBitmap('E');
    }

    // Starts like the program does and runs the command line's row of the mode table.
    CORVEN_FORM_2_2& Open(const std::wstring& commandLine) {
        context.emplace(
            shell::EntryContext{platform, fake.windows, FrameworkStartup(platform), {}});
        context->language = ChooseLanguage(platform, context->facts).value();
        EXPECT_EQ(shell::Dispatch(shell::ModeTable(*context), commandLine),
                  shell::DispatchOutcome::Returned);
        auto* dialog = fake.windows.Find<CORVEN_FORM_2_2>();
        EXPECT_NE(dialog, nullptr);
        return *dialog;
    }
    std::wstring Setting(const std::wstring& key) {
        return GetSetting(fake.registry, kAppKey, L"Settings", key);
    }
    std::wstring EnglishText(const char* section, const char* key) {
        return fake.ini.ReadString(fake.locale.FromAnsi(section), fake.locale.FromAnsi(key),
                                   languages + L"\\English.ini", 750);
    }
    std::vector<std::wstring> OptionCaptions(CORVEN_FORM_2_2& dialog) {
        std::vector<std::wstring> captions;
        for (int i = 0; i < dialog.LangCount(); ++i) {
            captions.push_back(dialog.LangArray(i).Caption());
        }
        return captions;
    }
    int OptionIndex(CORVEN_FORM_2_2& dialog, const std::wstring& caption) {
        for (int i = 0; i < dialog.LangCount(); ++i) {
            if (dialog.LangArray(i).Caption() == caption) {
                return i;
            }
        }
        ADD_FAILURE() << "no option " << testing::PrintToString(caption);
        return 0;
    }

    fakes::FakePlatform fake;
    WatchedHttp http{fake.http};
    platform::Platform platform{fake.registry, fake.files,       fake.folders,    fake.links,
                                fake.locale,   fake.version,     fake.clock,      fake.processes,
                                fake.ini,      fake.messages,    fake.launcher,   http,
                                fake.icons,    fake.sound,       fake.desktop,    fake.changes,
                                fake.locks,    fake.environment, fake.signatures, fake.clipboard};
    std::optional<shell::EntryContext> context;
    std::wstring languages;
};

// ---------------------------------------------------------------------------------------------
// The language page.

TEST_F(FrameworkDialogTest, TheDialogsRowsAreTestedFirst) {
    shell::EntryContext entry{platform, fake.windows, FrameworkStartup(platform), {}};
    const auto steps = shell::ModeTable(entry);
    ASSERT_GE(steps.size(), 3u);
    EXPECT_EQ(steps[0].word, L"lang");
    EXPECT_EQ(steps[1].word, L"subscribe");
    EXPECT_EQ(steps[2].word, L"updates");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(steps[i].test, shell::MatchTest::Equal);
        EXPECT_EQ(steps[i].after, shell::AfterStep::Returns);
    }
}

TEST_F(FrameworkDialogTest, LangListsTheShippedLanguagesEnglishFirstInThreeColumns) {
    CORVEN_FORM_2_2& dialog = Open(L"lang");
    EXPECT_TRUE(dialog.Visible());
    EXPECT_EQ(dialog.Caption(), L"Vantorel");
    EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::Language);
    EXPECT_TRUE(dialog.Picture4.Visible());
    EXPECT_FALSE(dialog.Picture1.Visible());
    EXPECT_FALSE(dialog.Picture5.Visible());

    // Nine files: English stays at its place, the others in listing order.
    const std::vector<std::wstring> expected = {L"English",    L"Dutch",   L"French",
                                                L"German",     L"Italian", L"Polish",
                                                L"Portuguese", L"Russian", L"Spain"};
    ASSERT_EQ(OptionCaptions(dialog), expected);
    EXPECT_EQ(dialog.File1.Items().size(), 9u);
    const ui::TwipsRect english = dialog.LangArray(0).Rect();
    const int row = english.height + 60;
    const int column = english.width + 400;
    const std::pair<int, int> cells[] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1},
                                         {1, 2}, {2, 0}, {2, 1}, {2, 2}};
    for (int i = 0; i < 9; ++i) {
        const auto [x, y] = cells[i];
        EXPECT_EQ(dialog.LangArray(i).Rect(),
                  (ui::TwipsRect{english.left + x * column, english.top + y * row, english.width,
                                 english.height}))
            << i;
        EXPECT_EQ(dialog.LangArray(i).Parent(), &dialog.Picture4);
        EXPECT_EQ(dialog.LangArray(i).Kind(), ui::ControlKind::OptionButton);
    }
    // Every option lies inside its page.
    const ui::TwipsRect last = dialog.LangArray(8).Rect();
    EXPECT_LE(last.left + last.width, dialog.Picture4.Rect().width);
    // The first start chose English: selected, and no flag shown yet.
    EXPECT_EQ(dialog.LangArray(0).Value(), 1);
    for (int i = 1; i < 9; ++i) {
        EXPECT_EQ(dialog.LangArray(i).Value(), 0) << i;
    }
    EXPECT_TRUE(dialog.CFlag.Picture().empty());
}

TEST_F(FrameworkDialogTest, ChoosingALanguageShowsItsFlagAndOkMakesItTheLanguage) {
    CORVEN_FORM_2_2& dialog = Open(L"lang");
    ui::Control& german = dialog.LangArray(OptionIndex(dialog, L"German"));
    german.Click();
    EXPECT_EQ(german.Value(), 1);
    EXPECT_EQ(dialog.LangArray(0).Value(), 0); // one set of options
    EXPECT_EQ(dialog.CFlag.Picture(), FlagBitmap('G'));
    EXPECT_EQ(fake.icons.pictureRequests.back(), languages + L"\\German.jpg");

    // A flag that cannot be decoded clears the picture instead of keeping the last one.
    dialog.LangArray(OptionIndex(dialog, L"Polish")).Click();
    EXPECT_TRUE(dialog.CFlag.Picture().empty());
    german.Click();
    ASSERT_EQ(dialog.CFlag.Picture(), FlagBitmap('G'));

    dialog.Command3.Click();
    EXPECT_EQ(Setting(L"Language"), L"German");
    EXPECT_EQ(context->language.LanguageName, L"German");
    EXPECT_TRUE(dialog.Unloaded());
    EXPECT_TRUE(fake.windows.OpenForms().empty());
}

TEST_F(FrameworkDialogTest, TheCurrentLanguageStartsSelectedWithItsFlagAndTexts) {
    SaveSetting(fake.registry, kAppKey, L"Settings", L"Language", L"german");
    CORVEN_FORM_2_2& dialog = Open(L"lang");
    const int german = OptionIndex(dialog, L"German");
    EXPECT_EQ(dialog.LangArray(german).Value(), 1);
    EXPECT_EQ(dialog.LangArray(0).Value(), 0);
    EXPECT_EQ(dialog.CFlag.Picture(), FlagBitmap('G'));
    EXPECT_EQ(dialog.Label11.Caption(), L"Vorname:");
    EXPECT_EQ(dialog.Command8.Caption(), L"Speichern");

    // Back to English: its flag, and the setting says so after OK.
    dialog.LangArray(0).Click();
    EXPECT_EQ(dialog.CFlag.Picture(), FlagBitmap('E'));
    dialog.Command3.Click();
    EXPECT_EQ(Setting(L"Language"), L"English");
}

TEST_F(FrameworkDialogTest, WithoutALanguageFolderOnlyEnglishIsOffered) {
    SystemFacts facts = FrameworkStartup(platform);
    Language language;
    language.LanguageFolder = L"C:\\Nowhere\\Languages";
    language.LanguageName = L"German";
    auto& dialog = static_cast<CORVEN_FORM_2_2&>(
        fake.windows.Load(std::make_unique<CORVEN_FORM_2_2>(platform, facts, language)));
    ASSERT_EQ(dialog.LangCount(), 1);
    EXPECT_EQ(dialog.LangArray(0).Caption(), L"English");
    EXPECT_EQ(dialog.LangArray(0).Value(), 1);
    dialog.Command3.Click();
    EXPECT_EQ(language.LanguageName, L"English");
    EXPECT_EQ(Setting(L"Language"), L"English");
}

// ---------------------------------------------------------------------------------------------
// The subscription page.

class SubscriptionPageTest : public FrameworkDialogTest {
protected:
    CORVEN_FORM_2_2& OpenFilled() {
        CORVEN_FORM_2_2& dialog = Open(L"subscribe");
        dialog.FN.UserSetCaption(L"Ann");
        dialog.LN.UserSetCaption(L"Lee");
        dialog.Text1.UserSetCaption(L"ann@x.io");
        http.button = &dialog.Command2;
        return dialog;
    }
    std::wstring Request() {
        return SubscriptionRequest(context->facts, context->language, L"United States",
                                   {L"Ann", L"Lee", L"ann@x.io"});
    }
    void Answer(const std::string& head, std::size_t length) {
        fake.http.bodies[Request()] = head + std::string(length - head.size(), ' ');
    }
    std::wstring ReplyFile() { return context->facts.AppDataFolder + L"\\corven-2.2.txt"; }
};

TEST_F(SubscriptionPageTest, OpensWithTheTextsTheSavedAddressAndTheConsent) {
    SaveSetting(fake.registry, kAppKey, L"Settings", L"Subscription Email", L"old@x.io");
    SaveSetting(fake.registry, kAppKey, L"Settings", L"CIP", L"YES");
    CORVEN_FORM_2_2& dialog = Open(L"subscribe");
    EXPECT_TRUE(dialog.Visible());
    EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::Subscription);
    EXPECT_TRUE(dialog.Picture1.Visible());
    EXPECT_FALSE(dialog.Picture4.Visible());
    EXPECT_EQ(dialog.Text1.Caption(), L"old@x.io");
    EXPECT_EQ(dialog.Check1.Value(), 1);
    const std::pair<ui::Control*, const char*> subscriber[] = {
        {&dialog.Label11, "FN"},
        {&dialog.Label17, "LN"},
        {&dialog.Label1, "ENTER-YOUR-EMAIL"},
        {&dialog.Label2, "NEWSLETTER-INFO"},
        {&dialog.Label3, "GET-FREE-UPDATES"},
        {&dialog.Command1, "CANCEL-BUTTON"},
        {&dialog.Command2, "SUBSCRIBE-BUTTON"},
    };
    for (const auto& [control, key] : subscriber) {
        EXPECT_EQ(control->Caption(), EnglishText("SUBSCRIBER", key)) << key;
        EXPECT_FALSE(control->Caption().empty()) << key;
    }
    const std::pair<ui::Control*, const char*> quality[] = {{&dialog.Label16, "C1"},
                                                            {&dialog.Label4, "C2"},
                                                            {&dialog.Check1, "C3"},
                                                            {&dialog.Command8, "C4"}};
    for (const auto& [control, key] : quality) {
        EXPECT_EQ(control->Caption(), EnglishText("CIP", key)) << key;
    }
    // No warning at load, whatever the display's DPI.
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(SubscriptionPageTest, AnInvalidFormShowsOnlyTheLastFailingCheckAndSendsNothing) {
    CORVEN_FORM_2_2& dialog = OpenFilled();
    dialog.FN.UserSetCaption(L"A");
    dialog.Text1.UserSetCaption(L"annxx.io");
    dialog.Command2.Click();
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, EnglishText("SUBSCRIBER", "INVALID-EMAIL"));
    EXPECT_EQ(fake.messages.shown[0].caption, L"Vantorel");
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(fake.http.requests.empty());
    EXPECT_EQ(Setting(L"Subscription Email"), L"");
    EXPECT_TRUE(dialog.Command2.Enabled());
    EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::Subscription);
}

TEST_F(SubscriptionPageTest, AnOkayReplyThanksAndMovesOnToTheQualityPage) {
    CORVEN_FORM_2_2& dialog = OpenFilled();
    Answer("[OKAY]\r\n", 1000);
    dialog.Command2.Click();
    ASSERT_EQ(fake.http.requests, std::vector<std::wstring>{Request()});
    EXPECT_EQ(http.enabledDuringRequest, std::optional<bool>(false));
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, EnglishText("SUBSCRIBER", "OK-SERVER-RESPONSE"));
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_EQ(Setting(L"Subscription Email"), L"ann@x.io");
    EXPECT_FALSE(fake.files.FileExists(ReplyFile()));
    EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::QualityProgramme);
    EXPECT_FALSE(dialog.Picture1.Visible());
    EXPECT_TRUE(dialog.Picture5.Visible());
    EXPECT_FALSE(dialog.Unloaded());
}

TEST_F(SubscriptionPageTest, FailedRepliesKeepThePageWithTheButtonEnabled) {
    struct Case {
        std::string head;
        std::size_t length;
        const char* key;
        MessageIcon icon;
    };
    const Case cases[] = {
        {"[ERROR]", 1000, "WRONG-SERVER-RESPONSE", MessageIcon::Information},
        {"[OKAY]", 999, "WRONG-SERVER-RESPONSE", MessageIcon::Warning}, // one short
        {"[OKAY]", 1001, "WRONG-SERVER-RESPONSE", MessageIcon::Warning},
    };
    CORVEN_FORM_2_2& dialog = OpenFilled();
    for (const Case& c : cases) {
        fake.messages.shown.clear();
        Answer(c.head, c.length);
        dialog.Command2.Click();
        ASSERT_EQ(fake.messages.shown.size(), 1u) << c.head << c.length;
        EXPECT_EQ(fake.messages.shown[0].text, EnglishText("SUBSCRIBER", c.key));
        EXPECT_EQ(fake.messages.shown[0].icon, c.icon) << c.head << c.length;
        EXPECT_TRUE(dialog.Command2.Enabled()) << c.head << c.length;
        EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::Subscription);
        EXPECT_FALSE(fake.files.FileExists(ReplyFile()));
    }
    // Nothing answered at all: the same.
    fake.http.bodies.clear();
    fake.messages.shown.clear();
    dialog.Command2.Click();
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, EnglishText("SUBSCRIBER", "WRONG-SERVER-RESPONSE"));
    EXPECT_TRUE(dialog.Command2.Enabled());
    EXPECT_EQ(fake.http.requests.size(), 4u);
}

TEST_F(SubscriptionPageTest, AlreadySubscribedOrUnmarkedRepliesMoveOn) {
    CORVEN_FORM_2_2& dialog = OpenFilled();
    Answer("[ALREADY-SUBSCRIBED]", 1000);
    dialog.Command2.Click();
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, EnglishText("SUBSCRIBER", "ALREADY-SERVER-RESPONSE"));
    EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::QualityProgramme);

    CORVEN_FORM_2_2& second = *static_cast<CORVEN_FORM_2_2*>(&fake.windows.Load(
        std::make_unique<CORVEN_FORM_2_2>(platform, context->facts, context->language)));
    second.FN.UserSetCaption(L"Ann");
    second.LN.UserSetCaption(L"Lee");
    second.Text1.UserSetCaption(L"ann@x.io");
    fake.messages.shown.clear();
    Answer("nothing to say", 1000);
    second.Command2.Click();
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_EQ(second.CurrentPage(), FrameworkPage::QualityProgramme);
}

TEST_F(SubscriptionPageTest, DecliningMovesOnWithoutARequest) {
    CORVEN_FORM_2_2& dialog = OpenFilled();
    dialog.Command1.Click();
    EXPECT_EQ(dialog.CurrentPage(), FrameworkPage::QualityProgramme);
    EXPECT_TRUE(fake.http.requests.empty());
    EXPECT_EQ(Setting(L"Subscription Email"), L"");
    EXPECT_FALSE(dialog.Unloaded());
}

// ---------------------------------------------------------------------------------------------
// The quality-programme page: Save always ends the dialog, and with it the process.

TEST_F(SubscriptionPageTest, JoiningDeletesTheProgrammeFileThanksAndEnds) {
    CORVEN_FORM_2_2& dialog = Open(L"subscribe");
    const std::wstring cip = context->facts.DataFolder + L"\\cip.txt";
    fake.files.AddFile(cip, "x");
    dialog.Command1.Click();
    dialog.Check1.Click();
    ASSERT_EQ(dialog.Check1.Value(), 1);
    dialog.Command8.Click();
    EXPECT_EQ(Setting(L"CIP"), L"YES");
    EXPECT_FALSE(fake.files.FileExists(cip));
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, EnglishText("CIP", "THANKS"));
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Information);
    EXPECT_TRUE(dialog.Command8.Enabled());
    EXPECT_TRUE(dialog.Unloaded());
}

TEST_F(SubscriptionPageTest, NotJoiningSavesNoKeepsTheFileAndEnds) {
    SaveSetting(fake.registry, kAppKey, L"Settings", L"CIP", L"YES");
    CORVEN_FORM_2_2& dialog = Open(L"subscribe");
    const std::wstring cip = context->facts.DataFolder + L"\\cip.txt";
    fake.files.AddFile(cip, "x");
    dialog.Command1.Click();
    ASSERT_EQ(dialog.Check1.Value(), 1);
    dialog.Check1.Click(); // unchecks
    dialog.Command8.Click();
    EXPECT_EQ(Setting(L"CIP"), L"NO");
    EXPECT_TRUE(fake.files.FileExists(cip));
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_TRUE(dialog.Unloaded());
    EXPECT_TRUE(fake.windows.OpenForms().empty());
}

} // namespace
} // namespace vtrl::services
