#include "manager/undo_page.h"

#include "decisions/record_restore.h"
#include "manager/main_window.h"
#include "manager/store_message.h"

namespace vtrl::manager {
namespace {

constexpr ui::Colour kWhite = 0x00FFFFFF;

} // namespace

void UndoPage::Build() {
    for (ui::Control* control :
         {&Deza4, &Label8, &List1, &Check10, &Command8, &Command9, &Command7}) {
        control->SetColours(ui::kDefaultColour, kWhite);
        main_.AddToPage(*control, kUndoPage);
    }
    Check10.SetValue(1);
    ui::Font title;
    title.points = 12;
    title.bold = true;
    Deza4.SetFont(title);

    Check10.onClick = [this] { FillUndoList(); };
    Command8.onClick = [this] { Command8_Click(); };
    Command9.onClick = [this] { Command9_Click(); };
    Command7.onClick = [this] { Command7_Click(); };
}

void UndoPage::LoadTexts() {
    main_.UseLanguageCharset(Deza4);
    main_.UseLanguageCharset(Label8);
    Deza4.SetCaption(main_.Text(L"UNDODELETE"));
    Label8.SetCaption(main_.Text(L"YOUSHOULDUNDO"));
    Check10.SetCaption(main_.Text(L"SHOWPAST7DAYS"));
    Command8.SetCaption(main_.Text(L"UNDO"));
    Command9.SetCaption(main_.Text(L"CLEARLIST"));
    Command7.SetCaption(main_.Text(L"OK"));
}

void UndoPage::FillUndoList() {
    listing_ = decisions::ListBackupEntries(main_.Platform(), main_.Facts().DataFolder,
                                            Check10.Value() != 0);
    List1.SetItems(listing_.displayLines);
}

std::optional<decisions::BackupEntry> UndoPage::EntryOfLine(int line) const {
    if (line < 0) {
        return std::nullopt;
    }
    return decisions::ListedEntry(listing_, static_cast<std::size_t>(line));
}

void UndoPage::Command8_Click() {
    const auto entry = EntryOfLine(List1.ListIndex());
    if (!entry) {
        return;
    }
    auto& platform = main_.Platform();
    const auto& facts = main_.Facts();
    // The log is a file any process of the user can edit: a place the scan never looks at is
    // refused before the question, so an edited entry writes nothing anywhere.
    if (!decisions::ScannedRestoreTarget(platform.locale, facts, *entry)) {
        platform.messages.Show(main_.Text(L"NOTRESTORABLE") + L"\r\n\r\n" + entry->FullLocation,
                               services::kProductName, platform::MessageIcon::Warning,
                               platform::MessageButtons::Ok);
        return;
    }
    const std::wstring question = decisions::RestoreQuestion(main_.Text(L"AREYOUSUREUNDO"), *entry);
    if (platform.messages.Show(question, services::kProductName, platform::MessageIcon::Information,
                               platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }
    const auto outcome =
        decisions::RestoreRemovedRecord(platform, facts, main_.Decisions(), *entry);
    RestartPending = true;
    // The record is back either way; only its approval may have to be given again.
    if (ShowStoreProblem(main_, outcome.approved)) {
        return;
    }
    platform.messages.Show(main_.Text(L"RESTORED"), services::kProductName,
                           platform::MessageIcon::Information, platform::MessageButtons::Ok);
}

void UndoPage::Command9_Click() {
    auto& platform = main_.Platform();
    if (platform.messages.Show(main_.Text(L"AREYOUSURE"), services::kProductName,
                               platform::MessageIcon::Information,
                               platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
        return;
    }
    ShowStoreProblem(
        main_, decisions::ClearBackupLog(platform.files, platform.locks, main_.Facts().DataFolder));
    FillUndoList();
}

void UndoPage::Command7_Click() {
    if (RestartPending) {
        main_.Restart();
        return;
    }
    main_.ShowPage(kListPage);
}

} // namespace vtrl::manager
