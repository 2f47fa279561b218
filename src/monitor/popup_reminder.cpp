#include "monitor/popup_reminder.h"

#include "monitor/check_cycle.h"
#include "services/error_log.h"
#include "services/icon_bitmap.h"
#include "services/settings_store.h"
#include "services/web_links.h"

namespace vtrl::monitor {
namespace {

constexpr int kPopupWidthTwips = 6000;
constexpr int kPopupHeightTwips = 2250;
constexpr ui::Colour kWhite = 0x00FFFFFF;
constexpr ui::Colour kLinkBlue = 0x00C05A1E;
// The band along the left edge carries the program's own colour and icon.
constexpr ui::Colour kAccentColour = 0x00704A1F;

} // namespace

PopupReminder::PopupReminder(platform::Platform& platform, const services::SystemFacts& facts,
                             const services::Language& language)
    : ui::Form(L"Vantorel", kPopupWidthTwips, kPopupHeightTwips, ui::FormStyle::Borderless),
      platform_(platform), facts_(facts), language_(language) {
    for (ui::Control* control : {&Accent, &AccentIcon, &PicBuffer, &Label2, &Label1, &Label3,
                                 &Command2, &Command1, &Label4}) {
        Add(*control);
    }
    Add(Timer1);
    Add(Timer2);
    Add(AutoClose);
    Add(SlideOut);
    SetBackground(kWhite);
    Accent.SetColours(ui::kDefaultColour, kAccentColour);
    AccentIcon.SetParent(&Accent);
    AccentIcon.SetColours(ui::kDefaultColour, kAccentColour);
    PicBuffer.SetColours(ui::kDefaultColour, kWhite);
    ui::Font title;
    title.points = 11.25;
    title.bold = true;
    Label2.SetFont(title);
    for (ui::Control* label : {&Label2, &Label3, &Label4}) {
        label->SetColours(ui::kDefaultColour, kWhite);
    }
    Label1.SetColours(kLinkBlue, kWhite);
    Label1.SetHandCursor(true);

    Timer1.onTick = [this] { Timer1_Timer(); };
    Timer2.onTick = [this] { Timer2_Timer(); };
    AutoClose.onTick = [this] { AutoClose_Timer(); };
    SlideOut.onTick = [this] { SlideOut_Timer(); };
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
    Label1.onClick = [this] { Label1_Click(); };
}

void PopupReminder::Form_Load() {
    SetCaption(L"Vantorel");
    for (ui::Control* label : {&Label1, &Label2, &Label3}) {
        ui::Font font = label->GetFont();
        font.charset = language_.FontCharset;
        label->SetFont(font);
    }
    Command1.SetCaption(services::GetText(platform_, language_, L"INTERFACE", L"OK"));
    Command2.SetCaption(L"Vantorel");
    const ui::ScreenMetrics screen = Screen();
    SetPosition(screen.widthTwips - Width() - Width() / 2, -Height());
    MakeTopmost();
    if (services::GetSetting(platform_.registry, services::kAppKey, services::kSettingsSection,
                             services::kAutoCloseKey) == L"YES") {
        AutoClose.SetEnabled(true);
        AutoCloseCountdown = kAutoCloseSeconds;
        Label4.SetCaption(std::to_wstring(kAutoCloseSeconds - 1));
        Label4.SetVisible(true);
    } else {
        Label4.SetVisible(false);
    }
    const std::wstring ownExe = facts_.ProgramFolder + L"\\" + facts_.ProgramName + L".exe";
    if (auto icon = platform_.icons.RenderIconBitmap(ownExe, services::kIconBitmapSize)) {
        AccentIcon.SetPicture(std::move(*icon));
    }
}

void PopupReminder::Activate(const std::wstring& PathsIs, const std::wstring& EXE,
                             PopupNotice notice) {
    services::TraceStep(platform_.files, platform_.locale, facts_, services::kStepActivating);
    if (auto icon =
            services::SaveIconBitmap(platform_.files, platform_.icons, facts_.DataFolder,
                                     PathsIs + L"\\" + EXE, services::kIconBitmapSize, EXE)) {
        PicBuffer.SetPicture(std::move(icon->picture));
    }
    services::TraceStep(platform_.files, platform_.locale, facts_, L"");
    Label1.SetCaption(PathsIs);
    Label2.SetCaption(platform_.locale.ToUpper(EXE));
    if (notice == PopupNotice::Removed) {
        Command2.SetVisible(false);
        Label3.SetCaption(services::GetText(platform_, language_, L"INTERFACE", L"NOTIFY-DEL"));
    } else if (notice == PopupNotice::SwitchedOff) {
        Command2.SetVisible(false);
        Label3.SetCaption(
            services::GetText(platform_, language_, L"INTERFACE", L"NOTIFY-SWITCHOFF"));
    } else if (notice == PopupNotice::AdminOnly) {
        Command2.SetVisible(false);
        Label3.SetCaption(services::GetText(platform_, language_, L"INTERFACE", L"NOTIFY-ADMIN"));
    } else {
        Command2.SetVisible(true);
        Label3.SetCaption(services::GetText(platform_, language_, L"INTERFACE", L"NOTIFY-NEW"));
    }
    Show();
}

void PopupReminder::Form_MouseDown() {
    BeginDrag();
}

void PopupReminder::Timer1_Timer() {
    Timer1.SetEnabled(false);
    PlayNotificationSound(platform_, facts_);
}

void PopupReminder::Timer2_Timer() {
    const int step = kSlideStepPixels * Screen().twipsPerPixel;
    int top = Top() + step;
    if (top > -step) {
        top = 0;
        Timer2.SetEnabled(false);
    }
    SetTop(top);
}

void PopupReminder::AutoClose_Timer() {
    --AutoCloseCountdown;
    Label4.SetCaption(std::to_wstring(AutoCloseCountdown));
    if (AutoCloseCountdown < 1) {
        AutoClose.SetEnabled(false);
        Command1_Click();
    }
}

void PopupReminder::Command1_Click() {
    // A second close, or the slide-in still moving the other way, must not keep the popup on
    // screen for ever.
    if (closing_) {
        return;
    }
    closing_ = true;
    Timer2.SetEnabled(false);
    AutoClose.SetEnabled(false);
    SlideOut.SetEnabled(true);
}

void PopupReminder::SlideOut_Timer() {
    if (Top() < -Height()) {
        SlideOut.SetEnabled(false);
        Unload();
        return;
    }
    SetTop(Top() - kSlideStepPixels * Screen().twipsPerPixel);
}

void PopupReminder::Command2_Click() {
    platform_.launcher.StartProgram(
        services::OwnCommandLine(facts_, services::kPreopenWord, Label2.Caption()));
    Unload();
}

void PopupReminder::Label1_Click() {
    if (platform_.files.FolderExists(Label1.Caption())) {
        services::OpenInBrowser(platform_, Label1.Caption());
    }
}

} // namespace vtrl::monitor
