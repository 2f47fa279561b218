#include "manager/record_page.h"

#include "decisions/decision_database.h"
#include "decisions/record_decision.h"
#include "decisions/record_removal.h"
#include "decisions/record_switch.h"
#include "inventory/record_facts.h"
#include "inventory/windows_switch.h"
#include "manager/link_colour.h"
#include "manager/main_window.h"
#include "manager/program_help.h"
#include "manager/record_facts_panel.h"
#include "manager/record_notes.h"
#include "manager/store_message.h"
#include "services/icon_bitmap.h"
#include "services/web_links.h"

namespace vtrl::manager {
namespace {

constexpr ui::Colour kWhite = 0x00FFFFFF;
// The four options exclude one another; no other option on the page shares the number.
constexpr int kDecisionGroup = 2;
constexpr int kEnlargeFactor = 2;
// The foot of the page: the facts box from its top down to the notes and the publisher link,
// each only as tall as what it shows, above the page's bottom edge.
constexpr int kFactsTop = 3630;
constexpr int kPageBottom = 5295;
constexpr int kFootGap = 45;
constexpr wchar_t kPublisherPlaceholder[] = L"%1";

} // namespace

std::wstring StatusForChoice(bool noDecision, bool approved, bool restricted) {
    if (noDecision) {
        return decisions::kStatusNoDecision;
    }
    if (approved) {
        return decisions::kStatusApproved;
    }
    if (restricted) {
        return decisions::kStatusRestricted;
    }
    return {};
}

std::wstring PublisherLinkText(const std::wstring& pattern, const std::wstring& publisher) {
    std::wstring text = pattern;
    const std::size_t at = text.find(kPublisherPlaceholder);
    if (at == std::wstring::npos) {
        return text + L" " + publisher;
    }
    return text.replace(at, std::char_traits<wchar_t>::length(kPublisherPlaceholder), publisher);
}

void RecordPage::Build() {
    for (ui::Control* control :
         {&Label2,          &Label5,    &Label4,    &Label6,        &Label9,
          &Label7,          &Label10,   &Label1,    &Image1,        &Label14,
          &Option1,         &Option2,   &Option3,   &Check3,        &Check4,
          &Option9,         &Command1,  &Label15,   &CommandSwitch, &LabelCommandLine,
          &TextCommandLine, &LabelCopy, &TextFacts, &LabelPublisher}) {
        control->SetColours(ui::kDefaultColour, kWhite);
        main_.AddToPage(*control, kRecordPage);
    }
    for (ui::Control* text : {&TextCommandLine, &TextFacts}) {
        text->SetReadOnly(true);
    }
    TextFacts.SetMultiLine(true);
    for (ui::Control* option : {&Option1, &Option2, &Option3, &Option9}) {
        option->SetGroup(kDecisionGroup);
    }
    Option1.SetValue(1);
    ui::Font heading;
    heading.bold = true;
    Label2.SetFont(heading);
    Label9.SetFont(heading);
    ui::Font name;
    name.points = 12;
    name.bold = true;
    name.underline = true;
    Label1.SetFont(name);
    ui::Font link;
    link.underline = true;
    for (ui::Control* control :
         {&Label1, &Label4, &Label6, &Label7, &Label10, &LabelPublisher, &LabelCopy}) {
        if (control != &Label1) {
            control->SetFont(link);
        }
        control->SetColours(kLinkColour, kWhite);
        control->SetHandCursor(true);
    }
    UpdateRestrictOptions();

    Option1.onClick = [this] { UpdateRestrictOptions(); };
    Option2.onClick = [this] { UpdateRestrictOptions(); };
    Option3.onClick = [this] { UpdateRestrictOptions(); };
    Command1.onClick = [this] { Command1_Click(); };
    CommandSwitch.onClick = [this] { CommandSwitch_Click(); };
    Label1.onClick = [this] { Label1_Click(); };
    Label4.onClick = [this] { Label4_Click(); };
    Label6.onClick = [this] { Label6_Click(); };
    Label7.onClick = [this] { Label7_Click(); };
    Label10.onClick = [this] { Label10_Click(); };
    LabelPublisher.onClick = [this] { LabelPublisher_Click(); };
    LabelCopy.onClick = [this] { LabelCopy_Click(); };
    LabelPublisher.SetVisible(false);
    CommandSwitch.SetVisible(false);
}

void RecordPage::LoadTexts() {
    for (ui::Control* label :
         {&Label14, &Label1, &Label2, &Label5, &Label4, &Label6, &Label9, &Label7, &Label10,
          &Label15, &LabelPublisher, &LabelCommandLine, &LabelCopy, &TextCommandLine, &TextFacts}) {
        main_.UseLanguageCharset(*label);
    }
    Label14.SetCaption(main_.Text(L"LABEL14"));
    Option1.SetCaption(main_.Text(L"OPTION1"));
    Option2.SetCaption(main_.Text(L"OPTION2"));
    Option3.SetCaption(main_.Text(L"OPTION3"));
    Check3.SetCaption(main_.Text(L"CHECK3"));
    Check4.SetCaption(main_.Text(L"CHECK4"));
    Option9.SetCaption(main_.Text(L"OPTION9"));
    Label2.SetCaption(main_.Text(L"LABEL2"));
    Label5.SetCaption(main_.Text(L"LABEL5"));
    Label4.SetCaption(main_.Text(L"LABEL4"));
    Label6.SetCaption(main_.Text(L"LABEL6"));
    Label9.SetCaption(main_.Text(L"UNDODELETE"));
    Label7.SetCaption(main_.Text(L"LABEL7"));
    Label10.SetCaption(main_.Text(L"UNDODELETE"));
    LabelCopy.SetCaption(main_.Text(L"FACTS-COPY"));
}

void RecordPage::Open(int index) {
    auto& inventory = main_.Inventory();
    if (index < 0 || index > inventory.LastRecordIndex) {
        return;
    }
    auto& platform = main_.Platform();
    auto& record = inventory.Records[static_cast<std::size_t>(index)];
    const std::wstring bitmap = services::IconBitmapPath(main_.Facts().DataFolder, record.ExeName);
    if (platform.files.FileExists(bitmap)) {
        if (auto bytes = platform.files.ReadAll(bitmap)) {
            ShowIconEnlarged(Image1, kEnlargeFactor,
                             std::vector<std::uint8_t>(bytes->begin(), bytes->end()));
        }
    }
    Label1.SetCaption(ShownProgramName(platform.locale, record));
    Label15.SetCaption(
        RecordNotes(record, [this](const std::wstring& key) { return main_.Text(key); }));
    CommandSwitch.SetCaption(main_.Text(record.EnabledInWindows ? L"SWITCHOFF" : L"SWITCHON"));
    CommandSwitch.SetVisible(inventory::CanSwitchInWindows(record));
    openRecord_ = index;
    const FactsPanelText panel = PanelTextOf(
        inventory::RecordFacts(platform, main_.Facts(), inventory, index,
                               [this](const std::wstring& key) { return main_.Text(key); }),
        record.Signature.Sha256);
    LabelCommandLine.SetCaption(panel.commandLabel);
    TextCommandLine.SetCaption(panel.commandLine);
    TextFacts.SetCaption(panel.lines);

    const auto own = decisions::LookupDecision(platform.locale, main_.Decisions(), record);
    const auto decision = decisions::LookupRecordDecision(platform.locale, main_.Decisions(),
                                                          main_.Publishers(), record);
    approvedByPublisher_ = own.Status != decision.Status;
    LabelPublisher.SetCaption(
        PublisherLinkText(main_.Text(L"APPROVEPUBLISHER"), record.Signature.Signer));
    LabelPublisher.SetVisible(
        decisions::PublisherRuleCouldApply(record) &&
        !decisions::HasPublisherRule(main_.Publishers(), record.Signature.Signer));
    Option1.SetValue(1);
    if (decision.Status == decisions::kStatusApproved) {
        Option2.SetValue(1);
    }
    if (decision.Status == decisions::kStatusRestricted) {
        Option3.SetValue(1);
        Check4.SetValue(decision.KillIfRunning ? 1 : 0);
        Check3.SetValue(decision.DeleteRecord ? 1 : 0);
    }
    UpdateRestrictOptions();
    LayOutFoot();
    main_.ShowPage(kRecordPage);
}

void RecordPage::LayOutFoot() {
    int bottom = kPageBottom;
    // An empty label would still cover the box where it lies.
    Label15.SetVisible(!Label15.Caption().empty());
    for (ui::Control* shown : {&LabelPublisher, &Label15}) {
        if (shown->Visible()) {
            bottom -= shown->Rect().height;
            shown->SetTop(bottom);
            bottom -= kFootGap;
        }
    }
    ui::TwipsRect box = TextFacts.Rect();
    box.top = kFactsTop;
    box.height = bottom - kFactsTop;
    TextFacts.Move(box);
}

void RecordPage::UpdateRestrictOptions() {
    const bool restricted = Option3.Value() != 0;
    for (ui::Control* box : {&Check3, &Check4}) {
        box->SetEnabled(restricted);
        if (!restricted) {
            box->SetValue(0);
        }
    }
}

inventory::StartupRecord* RecordPage::OpenRecord() {
    auto& inventory = main_.Inventory();
    if (!openRecord_ || *openRecord_ < 0 || *openRecord_ > inventory.LastRecordIndex) {
        return nullptr;
    }
    return &inventory.Records[static_cast<std::size_t>(*openRecord_)];
}

void RecordPage::Command1_Click() {
    inventory::StartupRecord* record = OpenRecord();
    if (record == nullptr) {
        return;
    }
    auto& platform = main_.Platform();
    const auto& facts = main_.Facts();
    const bool justForNow = Option9.Value() != 0;
    if ((Option3.Value() != 0 || justForNow) && !facts.IsAdmin) {
        platform.messages.Show(main_.Text(L"NOTADMIN"), services::kProductName,
                               platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    }
    const bool killIfRunning = Check4.Value() != 0;
    const bool deleteRecord = Check3.Value() != 0;
    const std::wstring status =
        StatusForChoice(Option1.Value() != 0, Option2.Value() != 0, Option3.Value() != 0);
    if (approvedByPublisher_ && status == decisions::kStatusApproved) {
        main_.ShowPage(kListPage);
        return;
    }
    const auto saved = decisions::SaveDecision(
        platform, facts.DataFolder, main_.Decisions(), record->ExeFolder, record->ExeName,
        record->Arguments, killIfRunning, deleteRecord, status);
    if (ShowStoreProblem(main_, saved)) {
        // Nothing was stored: the page stays, with the user's choice, to be tried again.
        return;
    }
    if (!justForNow) {
        main_.ShowPage(kListPage);
        return;
    }
    // Removes at once, with its backup first; the user hears whether the record is really gone,
    // and the fresh window shows the list as it now is either way.
    const auto removal = decisions::RemoveStartupRecord(platform, facts.DataFolder, *record);
    if (ShowStoreProblem(main_, removal)) {
        return;
    }
    const bool removed = static_cast<bool>(removal);
    platform.messages.Show(main_.Text(removed ? L"DELETED" : L"NOTDELETED"), services::kProductName,
                           removed ? platform::MessageIcon::Information
                                   : platform::MessageIcon::Warning,
                           platform::MessageButtons::Ok);
    main_.Restart();
}

void RecordPage::CommandSwitch_Click() {
    const inventory::StartupRecord* open = OpenRecord();
    if (open == nullptr) {
        return;
    }
    auto& platform = main_.Platform();
    const auto& record = *open;
    if (record.NeedsAdministrator) {
        platform.messages.Show(main_.Text(L"NOTADMIN"), services::kProductName,
                               platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    }
    const bool on = !record.EnabledInWindows;
    const auto switched =
        on ? decisions::SwitchOnStartupRecord(platform, record)
           : decisions::SwitchOffStartupRecord(platform, main_.Facts().DataFolder, record);
    if (ShowStoreProblem(main_, switched)) {
        return;
    }
    const bool done = static_cast<bool>(switched);
    platform.messages.Show(main_.Text(!done ? L"NOTSWITCHED"
                                      : on  ? L"SWITCHEDON"
                                            : L"SWITCHEDOFF"),
                           services::kProductName,
                           done ? platform::MessageIcon::Information
                                : platform::MessageIcon::Warning,
                           platform::MessageButtons::Ok);
    // The fresh window lists the record as Windows now sees it.
    main_.Restart();
}

void RecordPage::Label1_Click() {
    if (const inventory::StartupRecord* record = OpenRecord()) {
        OpenProgramFolder(main_.Platform(), *record);
    }
}

void RecordPage::Label4_Click() {
    if (const inventory::StartupRecord* record = OpenRecord()) {
        ShowProgramProperties(main_.Platform(), main_.Facts(), *record);
    }
}

void RecordPage::Label6_Click() {
    if (const inventory::StartupRecord* record = OpenRecord()) {
        SearchWebForProgram(main_.Platform(), *record);
    }
}

void RecordPage::Label7_Click() {
    services::OpenWebLink(main_.Platform(), main_.Facts(), main_.Language(), services::kTopicHelp,
                          L"", false);
}

void RecordPage::Label10_Click() {
    main_.ShowPage(kUndoPage);
}

void RecordPage::LabelCopy_Click() {
    auto& platform = main_.Platform();
    if (!platform.clipboard.PutText(TextCommandLine.Caption())) {
        platform.messages.Show(main_.Text(L"FACTS-NOTCOPIED"), services::kProductName,
                               platform::MessageIcon::Warning, platform::MessageButtons::Ok);
    }
}

void RecordPage::LabelPublisher_Click() {
    const inventory::StartupRecord* record = OpenRecord();
    if (record == nullptr) {
        return;
    }
    const auto added = decisions::AddPublisherRule(main_.Platform(), main_.Facts().DataFolder,
                                                   main_.Publishers(), record->Signature.Signer);
    if (ShowStoreProblem(main_, added)) {
        return;
    }
    // The page again, now showing the approval the rule gives.
    Open(*openRecord_);
}

} // namespace vtrl::manager
