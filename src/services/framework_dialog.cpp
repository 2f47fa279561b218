#include "services/framework_dialog.h"

#include "services/language_page.h"
#include "services/newsletter.h"
#include "services/quality_programme.h"

#include <algorithm>
#include <memory>

namespace vtrl::services {
namespace {

constexpr int kDialogWidthTwips = 7200;
constexpr int kDialogHeightTwips = 4560;
// The answer file is read after a short pause, as the page always has.
constexpr int kReplyPauseMs = 500;
constexpr ui::Colour kWhite = 0x00FFFFFF;

TwipsRect ToPlacement(const ui::TwipsRect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

ui::TwipsRect FromPlacement(const TwipsRect& rect) {
    return {rect.left, rect.top, rect.width, rect.height};
}

} // namespace

CORVEN_FORM_2_2::CORVEN_FORM_2_2(platform::Platform& platform, const SystemFacts& facts,
                                 Language& language)
    : ui::Form(kProductName, kDialogWidthTwips, kDialogHeightTwips, ui::FormStyle::Dialog),
      platform_(platform), facts_(facts), language_(language) {
    SetBackground(kWhite);
    for (ui::Control* page : {&Picture1, &Picture5, &Picture4}) {
        page->SetColours(ui::kDefaultColour, kWhite);
        Add(*page);
    }
    auto addTo = [this](ui::Control& page, std::initializer_list<ui::Control*> controls) {
        for (ui::Control* control : controls) {
            control->SetParent(&page);
            if (control->Kind() != ui::ControlKind::TextBox &&
                control->Kind() != ui::ControlKind::Button) {
                control->SetColours(ui::kDefaultColour, kWhite);
            }
            Add(*control);
        }
    };
    addTo(Picture1,
          {&Label3, &Label2, &Label11, &FN, &Label17, &LN, &Label1, &Text1, &Command2, &Command1});
    addTo(Picture5, {&Label16, &Label4, &Check1, &Command8});
    langArray_.push_back(&english_);
    addTo(Picture4, {&english_, &File1, &CFlag, &Command3});
    // The file list only enumerates; the user never sees it.
    File1.SetVisible(false);
    CFlag.SetStretch(true);

    ui::Font title;
    title.points = 12;
    title.bold = true;
    Label3.SetFont(title);
    Label16.SetFont(title);

    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
    Command8.onClick = [this] { Command8_Click(); };
    english_.onClick = [this] { LangArray_Click(0); };
    ShowPage(FrameworkPage::Subscription);
}

std::wstring CORVEN_FORM_2_2::Text(const wchar_t* section, const std::wstring& key) {
    return GetText(platform_, language_, section, key);
}

void CORVEN_FORM_2_2::Warn(const wchar_t* section, const std::wstring& key,
                           platform::MessageIcon icon) {
    platform_.messages.Show(Text(section, key), kProductName, icon, platform::MessageButtons::Ok);
}

void CORVEN_FORM_2_2::Form_Load() {
    SetCaption(kProductName);
    for (ui::Control* control : Controls()) {
        ui::Font font = control->GetFont();
        font.charset = language_.FontCharset;
        control->SetFont(font);
    }
    const std::pair<ui::Control*, const wchar_t*> subscriber[] = {
        {&Label11, L"FN"},
        {&Label17, L"LN"},
        {&Label1, L"ENTER-YOUR-EMAIL"},
        {&Label2, L"NEWSLETTER-INFO"},
        {&Label3, L"GET-FREE-UPDATES"},
        {&Command1, L"CANCEL-BUTTON"},
        {&Command2, L"SUBSCRIBE-BUTTON"},
    };
    for (const auto& [control, key] : subscriber) {
        control->SetCaption(Text(kSubscriberSection, key));
    }
    const std::pair<ui::Control*, const wchar_t*> quality[] = {
        {&Label16, L"C1"}, {&Label4, L"C2"}, {&Check1, L"C3"}, {&Command8, L"C4"}};
    for (const auto& [control, key] : quality) {
        control->SetCaption(Text(kCipSection, key));
    }
    // No background picture: the pages cover the whole client area, so it could never be seen.
    // No 96-DPI warning either: every place is in twips and scaled with the window's DPI.
    Text1.SetCaption(SavedSubscriptionEmail(platform_.registry));
    BuildLanguageList();
    Check1.SetValue(QualityConsentGiven(platform_.registry) ? 1 : 0);

    const ui::ScreenMetrics screen = Screen();
    SetPosition(std::max(0, (screen.widthTwips - Width()) / 2),
                std::max(0, (screen.heightTwips - Height()) / 2));
}

void CORVEN_FORM_2_2::BuildLanguageList() {
    const std::vector<std::wstring> files = ListLanguageFiles(platform_.files, language_);
    File1.SetItems(files);
    const LanguageOptions placed =
        PlaceLanguageOptions(files, ToPlacement(english_.Rect()), language_.LanguageName);
    for (std::size_t n = 1; n < placed.options.size(); ++n) {
        const LanguageOption& option = placed.options[n];
        auto element = std::make_unique<ui::Control>(ui::ControlKind::OptionButton,
                                                     L"LangArray(" + std::to_wstring(n) + L")",
                                                     FromPlacement(option.place), option.caption);
        element->SetParent(&Picture4);
        element->SetColours(ui::kDefaultColour, kWhite);
        element->SetFont(english_.GetFont());
        const int index = static_cast<int>(n);
        element->onClick = [this, index] { LangArray_Click(index); };
        langArray_.push_back(&AddControl(std::move(element)));
    }
    english_.SetCaption(kEnglishLanguage);
    LangArray(static_cast<int>(placed.selected)).SetValue(1);
    // Only a language other than English shows its flag from the start.
    if (placed.selected != 0) {
        ShowFlag(placed.options[placed.selected].caption);
    }
}

void CORVEN_FORM_2_2::ShowFlag(const std::wstring& caption) {
    const std::wstring path = FlagPicture(platform_.files, language_, caption);
    auto picture = path.empty() ? std::nullopt : platform_.icons.RenderPictureFile(path);
    CFlag.SetPicture(picture ? std::move(*picture) : std::vector<std::uint8_t>());
}

void CORVEN_FORM_2_2::OpenOn(FrameworkPage page) {
    ShowPage(page);
    Show();
}

void CORVEN_FORM_2_2::ShowPage(FrameworkPage page) {
    currentPage_ = page;
    Picture1.SetVisible(page == FrameworkPage::Subscription);
    Picture5.SetVisible(page == FrameworkPage::QualityProgramme);
    Picture4.SetVisible(page == FrameworkPage::Language);
}

void CORVEN_FORM_2_2::LangArray_Click(int index) {
    ShowFlag(LangArray(index).Caption());
}

void CORVEN_FORM_2_2::Command1_Click() {
    ShowPage(FrameworkPage::QualityProgramme);
}

void CORVEN_FORM_2_2::Command2_Click() {
    const SubscriptionFields fields{FN.Caption(), LN.Caption(), Text1.Caption()};
    if (const auto invalid = ValidateSubscription(fields)) {
        Warn(kSubscriberSection, *invalid, platform::MessageIcon::Warning);
        return;
    }
    // One request at a time: the window goes on handling events while the download runs on a
    // worker, and the answer comes back through the message loop.
    Command2.SetEnabled(false);
    const std::wstring request =
        BeginSubscription(platform_.registry, platform_.locale, facts_, language_, fields);
    auto reply = std::make_shared<std::optional<std::string>>();
    platform::Http& http = platform_.http;
    RunAside([&http, request, reply] { *reply = http.Get(request); },
             [this, reply] { SubscriptionAnswered(*reply); });
}

void CORVEN_FORM_2_2::SubscriptionAnswered(const std::optional<std::string>& reply) {
    const SubscriptionOutcome outcome = FinishSubscription(platform_, facts_, reply);
    Pause(kReplyPauseMs);
    for (const std::wstring& key : outcome.messageKeys) {
        Warn(kSubscriberSection, key, outcome.icon);
    }
    if (!outcome.moveOn) {
        Command2.SetEnabled(true);
        return;
    }
    ShowPage(FrameworkPage::QualityProgramme);
}

void CORVEN_FORM_2_2::Command3_Click() {
    const auto chosen =
        std::find_if(langArray_.begin(), langArray_.end(),
                     [](const ui::Control* option) { return option->Value() != 0; });
    const ui::Control& option = chosen != langArray_.end() ? **chosen : english_;
    SaveLanguageChoice(platform_.registry, language_, option.Caption());
    Unload();
}

void CORVEN_FORM_2_2::Command8_Click() {
    const bool consent = Check1.Value() != 0;
    if (consent) {
        Command8.SetEnabled(false);
    }
    const bool thank = SaveQualityConsent(platform_.files, platform_.registry, facts_, consent);
    Command8.SetEnabled(true);
    if (thank) {
        Warn(kCipSection, L"THANKS", platform::MessageIcon::Information);
    }
    Unload();
}

} // namespace vtrl::services
