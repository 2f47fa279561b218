#include "manager/main_window.h"

#include "decisions/record_decision.h"
#include "inventory/inventory_scan.h"
#include "monitor/check_cycle.h"
#include "monitor/tray_agent.h"
#include "services/error_log.h"
#include "services/settings_store.h"

#include <algorithm>

namespace vtrl::manager {
namespace {

constexpr int kWindowWidthTwips = 9060;
constexpr int kWindowHeightTwips = 6810;
constexpr ui::TwipsRect kPageRect{120, 1440, 8895, 5295};

constexpr ui::Colour kWhite = 0x00FFFFFF;
constexpr ui::Colour kAccentColour = 0x00704A1F; // the popup's band

} // namespace

bool HideWindowsSetting(platform::Registry& registry) {
    return SettingIsOn(services::GetSetting(registry, services::kAppKey, services::kSettingsSection,
                                            services::kHideWindowsKey),
                       SettingSense::OnWhenYes);
}

int ScrollMaximum(int recordCount) {
    return recordCount > kRowsInView ? recordCount - kRowsInView : 0;
}

int PreselectIndexFor(platform::Locale& locale, const inventory::StartupInventory& inventory,
                      const std::wstring& preopenExe) {
    int index = 0;
    if (preopenExe.empty()) {
        return index;
    }
    const std::wstring wanted = locale.ToLower(preopenExe);
    for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
        if (locale.ToLower(inventory.Records[static_cast<std::size_t>(i)].ExeName) == wanted) {
            index = i; // the last match wins
        }
    }
    return index;
}

Main::Main(platform::Platform& platform, ui::WindowSystem& windows,
           const services::SystemFacts& facts, const services::Language& language,
           std::wstring preopenExe)
    : ui::Form(L"Vantorel", kWindowWidthTwips, kWindowHeightTwips, ui::FormStyle::Dialog),
      platform_(platform), windows_(windows), facts_(facts), language_(language),
      preopenExe_(std::move(preopenExe)) {
    SetBackground(kWhite);
    // Only the list page's windows are made before the first paint.
    SetLateHiddenContent(true);
    Add(Header);
    Add(HeaderIcon);
    Add(HeaderTitle);
    Header.SetColours(ui::kDefaultColour, kAccentColour);
    HeaderIcon.SetParent(&Header);
    HeaderIcon.SetColours(ui::kDefaultColour, kAccentColour);
    HeaderTitle.SetParent(&Header);
    HeaderTitle.SetColours(kWhite, kAccentColour);
    ui::Font titleFont;
    titleFont.points = 18;
    titleFont.bold = true;
    HeaderTitle.SetFont(titleFont);
    // Pressing the header drags the window like the rest of its free surface.
    Header.onMouseDown = [this] { Form_MouseDown(); };
    HeaderIcon.onMouseDown = [this] { Form_MouseDown(); };

    for (int page = 0; page < kPageCount; ++page) {
        auto frame = std::make_unique<ui::Control>(
            ui::ControlKind::Frame, L"MonsterWindow(" + std::to_wstring(page) + L")", kPageRect);
        frame->SetColours(ui::kDefaultColour, kWhite);
        // The list page too is shown only once its texts are read (Form_Load).
        frame->SetVisible(false);
        Add(*frame);
        pages_.push_back(std::move(frame));
    }

    ui::Font pageTitle;
    pageTitle.points = 12;
    pageTitle.bold = true;
    Deza0.SetFont(pageTitle);
    // Made in the order Tab visits them: the list, the links, the box, the button.
    AddToPage(Deza0, kListPage);
    AddToPage(Deza1, kListPage);
    BuildSearch();
    AddToPage(Picture1, kListPage);
    for (ui::Control* label : {&Deza0, &Deza1}) {
        label->SetColours(ui::kDefaultColour, kWhite);
    }
    Picture1.SetColours(ui::kDefaultColour, kWhite);
    VScroll.SetParent(&Picture1);
    Add(VScroll);
    Frame1.SetParent(&Picture1);
    Frame1.SetColours(ui::kDefaultColour, kWhite);
    // Shown with the list page, its rows hidden until the list is laid out.
    Frame1.SetVisible(false);
    Add(Frame1);
    ListEmpty.SetParent(&Frame1);
    ListEmpty.SetColours(kStatusGreyText, kWhite);
    ListEmpty.SetVisible(false);
    Add(ListEmpty);
    int mark = 0;
    for (ui::Control* link : {&Label22, &Label21, &Label20, &Label23}) {
        AddToPage(*link, kListPage);
        link->SetColours(kLinkColour, kWhite);
        link->SetHandCursor(true);
        // A small square in the header's colour beside each link.
        auto square = std::make_unique<ui::Control>(
            ui::ControlKind::Frame, L"LinkMark(" + std::to_wstring(mark++) + L")",
            ui::TwipsRect{240, link->Rect().top + 75, 120, 120});
        square->SetColours(ui::kDefaultColour, kAccentColour);
        AddToPage(*square, kListPage);
        linkMarks_.push_back(std::move(square));
    }
    AddToPage(CheckHideWindows, kListPage);
    AddToPage(Command6, kListPage);
    Label22.onClick = [this] { Label22_Click(); };
    Label21.onClick = [this] { Label21_Click(); };
    Label20.onClick = [this] { Label20_Click(); };
    Label23.onClick = [this] { Label23_Click(); };
    Command6.onClick = [this] { Command6_Click(); };
    CheckHideWindows.onClick = [this] { CheckHideWindows_Click(); };
    VScroll.onChange = [this] { VScroll_Change(); };
    for (auto& page : pages_) {
        page->onMouseDown = [this] { Form_MouseDown(); };
    }
    Picture1.onMouseDown = [this] { Form_MouseDown(); };
    Frame1.onMouseDown = [this] { Form_MouseDown(); };

    Add(IconRefresh);
    IconRefresh.onTick = [this] { IconRefresh_Tick(); };
    Add(FactsRefresh);
    FactsRefresh.onTick = [this] { FactsRefresh_Tick(); };

    settingsPage.Build();
    recordPage.Build();
    undoPage.Build();
    databasePage.Build();
    createPage.Build();
    WireKeyboard();
}

std::wstring Main::Text(const std::wstring& key) {
    return texts_(key);
}

void Main::LoadDecisionsAndRules() {
    decisions::LoadDecisions(platform_.files, platform_.locale, facts_.DataFolder, decisions_);
    decisions::LoadPublisherRules(platform_.files, platform_.locale, facts_.DataFolder,
                                  publishers_);
}

inventory::SignatureWords Main::SignatureWords() {
    return {Text(L"SIGVERIFIED"), Text(L"SIGNOTVERIFIED"), Text(L"SIGNOTSIGNED")};
}

void Main::AddToPage(ui::Control& control, int page) {
    if (control.Parent() == nullptr) {
        control.SetParent(&MonsterWindow(page));
    }
    Add(control);
}

void Main::UseLanguageCharset(ui::Control& label) {
    ui::Font font = label.GetFont();
    font.charset = language_.FontCharset;
    label.SetFont(font);
}

void Main::Form_Initialize(ui::AsideWork& aside) {
    // The scan runs beside the making of the window, the reading of the list page's texts and
    // the making of its windows; the list is filled once both are done (FinishLoad). The icons
    // come after the first paint (IconRefresh), from the bitmaps saved before, and so do the
    // file facts of the rows out of view (FactsRefresh).
    aside.RunAside(
        [this] {
            try {
                inventory::ScanOptions options;
                options.withFileFacts = false;
                scanOutcome_ =
                    inventory::ScanStartupRecords(platform_, facts_, inventory_, options);
                if (scanOutcome_ == inventory::ScanOutcome::Records) {
                    ReadFirstFactsAside();
                }
            } catch (...) {
                scanFailure_ = std::current_exception();
            }
        },
        [this] {
            scanDone_ = true;
            FinishLoad();
        });
}

void Main::Form_Load() {
    for (ui::Control* label : {&Deza0, &Deza1, &Label22, &Label21, &Label20, &Label23}) {
        UseLanguageCharset(*label);
    }
    Deza0.SetCaption(Text(L"MAIN1"));
    Deza1.SetCaption(Text(L"MAIN2"));
    Label22.SetCaption(Text(L"UNDODELETE"));
    Label21.SetCaption(Text(L"MYDB"));
    Label20.SetCaption(Text(L"SETTINGS"));
    Label23.SetCaption(Text(L"LABEL23"));
    Command6.SetCaption(Text(L"APPLYANDCLOSE"));
    CheckHideWindows.SetCaption(Text(L"HIDEWINDOWS"));
    LoadSearchTexts();
    // The other pages read theirs when first shown (LoadPageTexts).

    SetCaption(services::ProductTitle());
    HeaderTitle.SetCaption(L"Vantorel");
    settingsPage.LoadSettingsPage();
    platform_.desktop.CloseWindowByTitle(services::kTrayAgentCaption, false);
    // The list page's windows, made with their texts, and the rows' windows: all made while the
    // scan may still run, so that only filling them waits for it.
    MonsterWindow(kListPage).SetVisible(true);
    MakeRowControls();
    Frame1.SetVisible(true);
    pageReady_ = true;
    FinishLoad();
}

void Main::FinishLoad() {
    if (!scanDone_ || !pageReady_ || loadFinished_) {
        return;
    }
    loadFinished_ = true;
    if (scanFailure_) {
        Unload();
        std::rethrow_exception(scanFailure_);
    }
    if (scanOutcome_ == inventory::ScanOutcome::NoRecords) {
        monitor::WarnNoRecords(platform_, language_);
        Unload();
        return;
    }
    PreselectIndex = PreselectIndexFor(platform_.locale, inventory_, preopenExe_);
    BuildRows();
    TakeFactsReadAside();
    LoadDecisionsAndRules();

    CheckHideWindows.SetValue(HideWindowsSetting(platform_.registry) ? 1 : 0);
    LayOutRows();
    ReadFactsInView();
    // The window opens in the middle of the screen.
    const ui::ScreenMetrics screen = Screen();
    SetPosition(std::max(0, (screen.widthTwips - Width()) / 2),
                std::max(0, (screen.heightTwips - Height()) / 2));
    if (!preopenExe_.empty()) {
        BAexe_Click(PreselectIndex);
    } else {
        ShowPage(kListPage);
    }
    Show();
    FocusPage(currentPage_);
    IconRefresh.SetEnabled(true);
    FactsRefresh.SetEnabled(true);
}

void Main::Form_QueryUnload() {
    SaveIconStamps();
}

void Main::Form_MouseDown() {
    BeginDrag();
}

void Main::LoadPageTexts(int page) {
    if (page < 0 || page >= kPageCount || pageTextsRead_[static_cast<std::size_t>(page)]) {
        return;
    }
    pageTextsRead_[static_cast<std::size_t>(page)] = true;
    switch (page) {
    case kSettingsPage:
        settingsPage.LoadTexts();
        break;
    case kRecordPage:
        recordPage.LoadTexts();
        break;
    case kUndoPage:
        undoPage.LoadTexts();
        break;
    case kDatabasePage:
        databasePage.LoadTexts();
        break;
    case kCreatePage:
        createPage.LoadTexts();
        break;
    default:
        break; // the list's are read with the window
    }
}

void Main::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) {
        return;
    }
    LoadPageTexts(page);
    for (auto& frame : pages_) {
        frame->SetVisible(false);
    }
    MonsterWindow(page).SetVisible(true);
    currentPage_ = page;
    if (page == kListPage) {
        RefreshRecordStatuses();
        // The settings page may have changed the setting.
        const int hide = HideWindowsSetting(platform_.registry) ? 1 : 0;
        if (hide != CheckHideWindows.Value()) {
            CheckHideWindows.SetValue(hide);
            LayOutRows();
        }
    }
    if (Visible()) {
        FocusPage(page);
    }
}

void Main::CheckHideWindows_Click() {
    services::SaveSetting(platform_.registry, services::kAppKey, services::kSettingsSection,
                          services::kHideWindowsKey,
                          StoredSetting(CheckHideWindows.Value() != 0, SettingSense::OnWhenYes));
    LayOutRows();
}

void Main::BAexe_Click(int index) {
    if (index < 0 || index > inventory_.LastRecordIndex) {
        return;
    }
    SelectRow(index);
    EnsureFileFacts(index);
    LoadPageTexts(kRecordPage);
    recordPage.Open(index);
}

void Main::Label22_Click() {
    LoadPageTexts(kUndoPage);
    undoPage.FillUndoList();
    ShowPage(kUndoPage);
}

void Main::Label21_Click() {
    LoadPageTexts(kDatabasePage);
    databasePage.FillDatabaseLists();
    ShowPage(kDatabasePage);
}

void Main::Label20_Click() {
    LoadPageTexts(kSettingsPage);
    settingsPage.LoadSettingsPage();
    ShowPage(kSettingsPage);
}

void Main::Label23_Click() {
    ShowPage(kCreatePage);
}

void Main::Command6_Click() {
    inventory::StartupInventory passInventory;
    decisions::Decisions passDecisions;
    if (monitor::RunCheckCycle(platform_, facts_, passInventory, passDecisions) ==
        inventory::ScanOutcome::NoRecords) {
        monitor::WarnNoRecords(platform_, language_);
    } else if (settingsPage.StartsAgentOnClose()) {
        platform_.launcher.StartProgram(
            services::OwnCommandLine(facts_, services::kStartupWord, L""));
    }
    Unload();
}

void Main::Restart() {
    platform_.launcher.StartProgram(services::OwnCommandLine(facts_, L"", L""));
    Unload();
}

} // namespace vtrl::manager
