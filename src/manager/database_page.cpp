#include "manager/database_page.h"

#include "manager/main_window.h"
#include "manager/store_message.h"
#include "services/localisation.h"

namespace vtrl::manager {
namespace {

constexpr ui::Colour kWhite = 0x00FFFFFF;

} // namespace

std::vector<decisions::DecisionEntry> ListedEntries(const decisions::Decisions& decisions,
                                                    bool whiteList) {
    const std::wstring wanted =
        whiteList ? decisions::kStatusApproved : decisions::kStatusRestricted;
    std::vector<decisions::DecisionEntry> listed;
    for (const auto& entry : decisions.DecisionTable) {
        if (entry.InUse && entry.Status == wanted) {
            listed.push_back(entry);
        }
    }
    return listed;
}

void DatabasePage::Build() {
    ui::Font title;
    title.points = 12;
    title.bold = true;
    Deza3.SetFont(title);
    Deza3.SetColours(ui::kDefaultColour, kWhite);
    for (ui::Control* control : {&Deza3, &Option7, &Option8, &OptionPublishers, &List3, &Command13,
                                 &Command12, &Command11}) {
        main_.AddToPage(*control, kDatabasePage);
    }
    // The black list shows first.
    Option8.SetValue(1);
    Option7.onClick = [this] { FillDatabaseLists(); };
    Option8.onClick = [this] { FillDatabaseLists(); };
    OptionPublishers.onClick = [this] { FillDatabaseLists(); };
    Command13.onClick = [this] { Command13_Click(); };
    Command12.onClick = [this] { Command12_Click(); };
    Command11.onClick = [this] { Command11_Click(); };
}

void DatabasePage::LoadTexts() {
    main_.UseLanguageCharset(Deza3);
    const std::pair<ui::Control*, const wchar_t*> keyed[] = {
        {&Deza3, L"MYDB"},
        {&Option7, L"OPTION7"},
        {&Option8, L"OPTION8"},
        {&Command13, L"COMMAND13"},
        {&Command12, L"CLEARLIST"},
        {&Command11, L"OK"},
        {&OptionPublishers, L"OPTIONPUBLISHERS"},
    };
    for (const auto& [control, key] : keyed) {
        control->SetCaption(main_.Text(key));
    }
}

void DatabasePage::FillDatabaseLists() {
    main_.LoadDecisionsAndRules();
    std::vector<std::wstring> names;
    shownEntries_.clear();
    if (OptionPublishers.Value() != 0) {
        names = main_.Publishers().Publishers;
    } else if (Option7.Value() != 0 || Option8.Value() != 0) {
        shownEntries_ = ListedEntries(main_.Decisions(), Option7.Value() != 0);
        for (const auto& entry : shownEntries_) {
            names.push_back(entry.ExeName);
        }
    }
    List3.SetItems(std::move(names));
}

// A box that could not be shown changes nothing, as a No would.
bool DatabasePage::Confirmed() {
    return main_.Platform().messages.Show(main_.Text(L"AREYOUSURE"), services::kProductName,
                                          platform::MessageIcon::Information,
                                          platform::MessageButtons::YesNo) ==
           platform::MessageAnswer::Yes;
}

void DatabasePage::Command13_Click() {
    const int line = List3.ListIndex();
    if (line < 0) {
        return;
    }
    if (OptionPublishers.Value() != 0) {
        RemoveSelectedPublisher(static_cast<std::size_t>(line));
        return;
    }
    if (static_cast<std::size_t>(line) >= shownEntries_.size()) {
        return;
    }
    if (Confirmed()) {
        // A copy: the lists are rebuilt right after.
        const decisions::DecisionEntry entry = shownEntries_[static_cast<std::size_t>(line)];
        ShowStoreProblem(main_, decisions::SaveDecision(main_.Platform(), main_.Facts().DataFolder,
                                                        main_.Decisions(), entry.ExeFolder,
                                                        entry.ExeName, entry.Arguments, false,
                                                        false, decisions::kStatusNoDecision));
    }
    FillDatabaseLists();
}

void DatabasePage::RemoveSelectedPublisher(std::size_t line) {
    const auto& names = List3.Items();
    if (line >= names.size()) {
        return;
    }
    if (Confirmed()) {
        const std::wstring publisher = names[line];
        ShowStoreProblem(main_,
                         decisions::RemovePublisherRule(main_.Platform(), main_.Facts().DataFolder,
                                                        main_.Publishers(), publisher));
    }
    FillDatabaseLists();
}

void DatabasePage::Command12_Click() {
    if (Confirmed()) {
        ShowStoreProblem(main_,
                         decisions::ClearDecisions(main_.Platform().files, main_.Platform().locks,
                                                   main_.Facts().DataFolder, main_.Decisions()));
    }
    FillDatabaseLists();
}

void DatabasePage::Command11_Click() {
    main_.ShowPage(kListPage);
}

} // namespace vtrl::manager
