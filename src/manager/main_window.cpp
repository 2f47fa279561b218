#include "manager/main_window.h"

#include "decisions/record_decision.h"
#include "inventory/inventory_scan.h"
#include "inventory/windows_own.h"
#include "manager/list_row_text.h"
#include "monitor/check_cycle.h"
#include "monitor/tray_agent.h"
#include "services/error_log.h"
#include "services/icon_bitmap.h"
#include "services/settings_store.h"

#include <algorithm>

namespace vtrl::manager {
namespace {

constexpr int kWindowWidthTwips = 9060;
constexpr int kWindowHeightTwips = 6810;
constexpr ui::TwipsRect kPageRect{120, 1440, 8895, 5295};
// Row 0 as it was designed inside Frame1; the other rows are copies moved down.
constexpr ui::TwipsRect kRowImage{240, 120, 480, 480};
constexpr ui::TwipsRect kRowName{960, 120, 2400, 495};
// The status ends where the scroll bar begins, so that its longest text is not cut off.
constexpr ui::TwipsRect kRowStatus{3420, 120, 1260, 255};
// The signer on the line below the name, in the gap above the next row.
constexpr ui::TwipsRect kRowSigner{960, 615, 3720, 255};
constexpr int kRowPitch = kRowImage.height + kRowGapTwips;
constexpr int kFrameDesignTop = 120;

constexpr ui::Colour kWhite = 0x00FFFFFF;
constexpr ui::Colour kAccentColour = 0x00704A1F; // the popup's band
constexpr ui::Colour kLinkBlue = 0x00C05A1E;
constexpr ui::Colour kStatusGrey = 0x00808080;

bool HideWindowsSetting(platform::Platform& platform) {
    return SettingIsOn(services::GetSetting(platform.registry, services::kAppKey,
                                            monitor::kSettingsSection, kHideWindowsKey),
                       SettingSense::OnWhenYes);
}

} // namespace

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

Main::Main(platform::Platform& platform, const services::SystemFacts& facts,
           const services::Language& language, std::wstring preopenExe)
    : ui::Form(L"Vantorel", kWindowWidthTwips, kWindowHeightTwips, ui::FormStyle::Dialog),
      platform_(platform), facts_(facts), language_(language), preopenExe_(std::move(preopenExe)) {
    SetBackground(kWhite);
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
        frame->SetVisible(page == kListPage);
        Add(*frame);
        pages_.push_back(std::move(frame));
    }

    ui::Font pageTitle;
    pageTitle.points = 12;
    pageTitle.bold = true;
    Deza0.SetFont(pageTitle);
    // Made in the order Tab visits them: the list, the links, the box, the button.
    for (ui::Control* control : {&Deza0, &Deza1, &Picture1}) {
        AddToPage(*control, kListPage);
    }
    for (ui::Control* label : {&Deza0, &Deza1}) {
        label->SetColours(ui::kDefaultColour, kWhite);
    }
    Picture1.SetColours(ui::kDefaultColour, kWhite);
    VScroll.SetParent(&Picture1);
    Add(VScroll);
    Frame1.SetParent(&Picture1);
    Frame1.SetColours(ui::kDefaultColour, kWhite);
    Add(Frame1);
    int mark = 0;
    for (ui::Control* link : {&Label22, &Label21, &Label20, &Label23}) {
        AddToPage(*link, kListPage);
        link->SetColours(kLinkBlue, kWhite);
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

    settingsPage.Build();
    recordPage.Build();
    undoPage.Build();
    databasePage.Build();
    createPage.Build();
    WireKeyboard();
}

std::wstring Main::Text(const std::wstring& key) {
    return services::GetText(platform_, language_, L"INTERFACE", key);
}

void Main::LoadDecisionsAndRules() {
    decisions::LoadDecisions(platform_, facts_.DataFolder, decisions_);
    decisions::LoadPublisherRules(platform_, facts_.DataFolder, publishers_);
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
    settingsPage.LoadTexts();
    recordPage.LoadTexts();
    undoPage.LoadTexts();
    databasePage.LoadTexts();
    createPage.LoadTexts();

    SetCaption(services::ProductTitle());
    HeaderTitle.SetCaption(L"Vantorel");
    const std::wstring ownExe = facts_.ProgramFolder + L"\\" + facts_.ProgramName + L".exe";
    if (auto icon = platform_.icons.RenderIconBitmap(ownExe, services::kIconBitmapSize)) {
        HeaderIcon.SetPicture(std::move(*icon));
    }
    settingsPage.LoadSettingsPage();
    platform_.desktop.CloseWindowByTitle(monitor::kTrayAgentCaption, false);

    inventory::ScanOptions options;
    options.withIcons = true;
    if (inventory::ScanStartupRecords(platform_, facts_, inventory_, options) ==
        inventory::ScanOutcome::NoRecords) {
        monitor::WarnNoRecords(platform_, language_);
        Unload();
        return;
    }
    PreselectIndex = PreselectIndexFor(platform_.locale, inventory_, preopenExe_);
    BuildRows();
    LoadDecisionsAndRules();

    CheckHideWindows.SetValue(HideWindowsSetting(platform_) ? 1 : 0);
    LayOutRows();
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
}

void Main::BuildRows() {
    const int records = inventory_.LastRecordIndex + 1;
    for (int i = 0; i < records; ++i) {
        const auto& record = inventory_.Records[static_cast<std::size_t>(i)];
        const std::wstring index = L"(" + std::to_wstring(i) + L")";
        const int offset = kRowPitch * i;
        auto image =
            std::make_unique<ui::Control>(ui::ControlKind::Picture, L"BAimg" + index,
                                          ui::TwipsRect{kRowImage.left, kRowImage.top + offset,
                                                        kRowImage.width, kRowImage.height});
        auto name = std::make_unique<ui::Control>(
            ui::ControlKind::Label, L"BAexe" + index,
            ui::TwipsRect{kRowName.left, kRowName.top + offset, kRowName.width, kRowName.height},
            platform_.locale.ToUpper(record.ExeName));
        auto status =
            std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAinfo" + index,
                                          ui::TwipsRect{kRowStatus.left, kRowStatus.top + offset,
                                                        kRowStatus.width, kRowStatus.height});
        auto signer =
            std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAsign" + index,
                                          ui::TwipsRect{kRowSigner.left, kRowSigner.top + offset,
                                                        kRowSigner.width, kRowSigner.height},
                                          RowSignatureText(record, SignatureWords()));
        for (auto* control : {image.get(), name.get(), status.get(), signer.get()}) {
            control->SetParent(&Frame1);
            control->SetColours(ui::kDefaultColour, kWhite);
        }
        name->SetHandCursor(true);
        image->SetHandCursor(true);
        status->SetColours(kStatusGrey, kWhite);
        signer->SetColours(kStatusGrey, kWhite);
        UseLanguageCharset(*name);
        UseLanguageCharset(*status);
        UseLanguageCharset(*signer);
        ui::Font nameFont = name->GetFont();
        nameFont.bold = true;
        name->SetFont(nameFont);
        const std::wstring bitmap = services::IconBitmapPath(facts_.DataFolder, record.ExeName);
        if (platform_.files.FileExists(bitmap)) {
            if (auto bytes = platform_.files.ReadAll(bitmap)) {
                image->SetPicture(std::vector<std::uint8_t>(bytes->begin(), bytes->end()));
            }
        }
        name->onClick = [this, i] { BAexe_Click(i); };
        image->onClick = [this, i] { BAimg_Click(i); };
        signer->onClick = [this, i] { BAexe_Click(i); };
        rowImages_.push_back(&AddControl(std::move(image)));
        rowNames_.push_back(&AddControl(std::move(name)));
        rowStatuses_.push_back(&AddControl(std::move(status)));
        rowSigners_.push_back(&AddControl(std::move(signer)));
    }
    Frame1.Move({Frame1.Rect().left, kFrameDesignTop, Frame1.Rect().width,
                 std::max(kRowPitch, kRowPitch * records)});
}

void Main::Form_MouseDown() {
    BeginDrag();
}

void Main::ShowPage(int page) {
    if (page < 0 || page >= kPageCount) {
        return;
    }
    for (auto& frame : pages_) {
        frame->SetVisible(false);
    }
    MonsterWindow(page).SetVisible(true);
    currentPage_ = page;
    if (page == kListPage) {
        RefreshRecordStatuses();
        // The settings page may have changed the setting.
        const int hide = HideWindowsSetting(platform_) ? 1 : 0;
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
    services::SaveSetting(platform_.registry, services::kAppKey, monitor::kSettingsSection,
                          kHideWindowsKey,
                          StoredSetting(CheckHideWindows.Value() != 0, SettingSense::OnWhenYes));
    LayOutRows();
}

void Main::LayOutRows() {
    const bool hide = CheckHideWindows.Value() != 0;
    int shown = 0;
    for (int i = 0; i <= inventory_.LastRecordIndex && i < RowCount(); ++i) {
        const auto& record = inventory_.Records[static_cast<std::size_t>(i)];
        const bool visible = !hide || !inventory::IsWindowsOwnProgram(platform_.locale,
                                                                      facts_.WindowsFolder, record);
        const int offset = kRowPitch * shown;
        const std::pair<ui::Control*, ui::TwipsRect> parts[] = {{&BAimg(i), kRowImage},
                                                                {&BAexe(i), kRowName},
                                                                {&BAinfo(i), kRowStatus},
                                                                {&BAsign(i), kRowSigner}};
        for (const auto& [control, design] : parts) {
            control->SetVisible(visible);
            control->SetTop(design.top + offset);
        }
        if (visible) {
            ++shown;
        }
    }
    Frame1.Move({Frame1.Rect().left, kFrameDesignTop, Frame1.Rect().width,
                 std::max(kRowPitch, kRowPitch * shown)});
    VScroll.SetValue(0);
    if (shown <= kRowsInView) {
        VScroll.SetVisible(false);
    } else {
        VScroll.SetRange(0, ScrollMaximum(shown));
        VScroll.SetVisible(true);
    }
}

void Main::RefreshRecordStatuses() {
    for (int i = 0; i <= inventory_.LastRecordIndex && i < RowCount(); ++i) {
        auto& record = inventory_.Records[static_cast<std::size_t>(i)];
        const auto decision =
            decisions::LookupRecordDecision(platform_.locale, decisions_, publishers_, record);
        BAinfo(i).SetCaption(RowStatusText(record, decision.Status,
                                           [this](const std::wstring& key) { return Text(key); }));
    }
}

void Main::BAexe_Click(int index) {
    if (index < 0 || index > inventory_.LastRecordIndex) {
        return;
    }
    SelectRow(index);
    recordPage.Open(index);
}

void Main::VScroll_Change() {
    services::TraceStep(platform_, facts_, services::kStepScrollChange);
    int top = -kRowPitch * VScroll.Value();
    if (VScroll.Value() == 0) {
        top = 0;
    }
    Frame1.SetTop(top);
    services::TraceStep(platform_, facts_, L"");
}

void Main::Label22_Click() {
    undoPage.FillUndoList();
    ShowPage(kUndoPage);
}

void Main::Label21_Click() {
    databasePage.FillDatabaseLists();
    ShowPage(kDatabasePage);
}

void Main::Label20_Click() {
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
            monitor::OwnCommandLine(facts_, monitor::kStartupWord, L""));
    }
    Unload();
}

void Main::Restart() {
    platform_.launcher.StartProgram(monitor::OwnCommandLine(facts_, L"", L""));
    Unload();
}

} // namespace vtrl::manager
