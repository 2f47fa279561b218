// The manager window without a mouse: the startup list keeps a selection that the arrows, Page
// Up/Down, Home and End move and Enter opens; Enter presses a page's default button; Escape goes
// back to the list and from there closes the window; each page shown takes the focus.

#include "manager/main_window.h"

#include "manager/list_spoken_rows.h"
#include "platform/ui/access_keys.h"

#include <algorithm>

namespace vtrl::manager {

void Main::WireKeyboard() {
    Picture1.SetTabStop(true);
    Picture1.onKey = [this](ui::Key key) { return ListKey(key); };
    Picture1.onFocusChange = [this] {
        // Reached with Tab (not given by the window itself): the selection shows at once.
        if (Picture1.HasFocus() && !focusingByCode_) {
            selectionCue_ = true;
        }
        ShowSelection();
    };
    // The links (the list's, the record page's) are reached with Tab like buttons.
    for (ui::Control* control : Controls()) {
        if (control->Kind() == ui::ControlKind::Label && control->HandCursor()) {
            control->SetTabStop(true);
        }
    }
}

std::vector<ui::Control*> Main::ShownInPage(int page) const {
    const ui::Control* frame = pages_[static_cast<std::size_t>(page)].get();
    std::vector<ui::Control*> shown;
    for (ui::Control* control : Controls()) {
        bool visible = control->Visible();
        bool inPage = false;
        for (const ui::Control* up = control->Parent(); up != nullptr; up = up->Parent()) {
            visible = visible && up->Visible();
            inPage = inPage || up == frame;
        }
        if (inPage && visible) {
            shown.push_back(control);
        }
    }
    return shown;
}

std::vector<int> Main::ShownRows() const {
    return shownRecords_;
}

bool Main::ListKey(ui::Key key) {
    const std::vector<int> shown = ShownRows();
    if (shown.empty()) {
        return false;
    }
    selectionCue_ = true;
    const auto at = std::find(shown.begin(), shown.end(), selectedRow_.value_or(-1));
    int position = at == shown.end() ? 0 : static_cast<int>(at - shown.begin());
    switch (key) {
    case ui::Key::Enter:
        BAexe_Click(shown[static_cast<std::size_t>(position)]);
        return true;
    case ui::Key::Up:
        --position;
        break;
    case ui::Key::Down:
        ++position;
        break;
    case ui::Key::PageUp:
        position -= kRowsInView;
        break;
    case ui::Key::PageDown:
        position += kRowsInView;
        break;
    case ui::Key::Home:
        position = 0;
        break;
    case ui::Key::End:
        position = static_cast<int>(shown.size()) - 1;
        break;
    }
    position = std::clamp(position, 0, static_cast<int>(shown.size()) - 1);
    SelectRow(shown[static_cast<std::size_t>(position)]);
    // The list scrolls just enough to show the selected row.
    int top = VScroll.Value();
    if (position < top) {
        top = position;
    } else if (position >= top + kRowsInView) {
        top = position - kRowsInView + 1;
    }
    if (top != VScroll.Value()) {
        VScroll.SetValue(top);
    }
    return true;
}

void Main::SelectRow(int index) {
    if (index < 0 || index >= RowCount()) {
        return;
    }
    selectedRow_ = index;
    EnsureStatus(index);
    // A screen reader reads the focused list by its name: the selected record, its status and
    // its markers; and the list's rows, with this one selected.
    Picture1.SetCaption(SpokenRowText(Row(index)));
    ShowSpokenRows(Picture1, rows_, shownRecords_, selectedRow_);
    ShowSelection();
}

void Main::ShowSelection() {
    const std::optional<int> wanted =
        selectionCue_ && Picture1.HasFocus() ? selectedRow_ : std::nullopt;
    if (wanted == highlightedRow_) {
        return;
    }
    highlightedRow_ = wanted;
    ShowRowsInView();
}

void Main::FocusPage(int page) {
    const std::vector<ui::Control*> shown = ShownInPage(page);
    // Access keys for what can be pressed; the record's own name and texts keep theirs as data.
    std::vector<ui::Control*> pressable;
    for (ui::Control* control : shown) {
        const ui::ControlKind kind = control->Kind();
        if (kind == ui::ControlKind::Button || kind == ui::ControlKind::CheckBox ||
            kind == ui::ControlKind::OptionButton ||
            (page == kListPage && kind == ui::ControlKind::Label &&
             (control->TabStop() || control == &LabelSearch))) {
            pressable.push_back(control);
        }
    }
    // Buttons choose first: their letters are the ones most looked for.
    std::stable_partition(pressable.begin(), pressable.end(), [](const ui::Control* control) {
        return control->Kind() == ui::ControlKind::Button;
    });
    // The search and sort come last, so that the letters of the list page's older controls
    // stay what users know.
    std::stable_partition(pressable.begin(), pressable.end(), [this](const ui::Control* control) {
        return control != &LabelSearch && control != &SortName && control != &SortPublisher &&
               control != &SortStatus;
    });
    ui::AssignAccessKeys(pressable);
    if (page == kListPage) {
        if (!selectedRow_) {
            const std::vector<int> rows = ShownRows();
            if (!rows.empty()) {
                SelectRow(rows.front());
            }
        }
        focusingByCode_ = true;
        Picture1.SetFocus();
        focusingByCode_ = false;
        return;
    }
    // The page's first control that Tab reaches (controls are made in tab order), a link only
    // when there is nothing else: Enter on a link follows it instead of the default button.
    ui::Control* first = nullptr;
    for (ui::Control* control : shown) {
        const ui::ControlKind kind = control->Kind();
        const bool link = kind == ui::ControlKind::Label && control->TabStop();
        const bool stops =
            link || (kind != ui::ControlKind::Label && kind != ui::ControlKind::Picture &&
                     kind != ui::ControlKind::Frame && kind != ui::ControlKind::VScrollBar);
        if (!stops || !control->Enabled()) {
            continue;
        }
        if (!link) {
            first = control;
            break;
        }
        first = first != nullptr ? first : control;
    }
    if (first != nullptr) {
        first->SetFocus();
    }
}

ui::Control* Main::DefaultButton(int page) {
    switch (page) {
    case kSettingsPage:
        return &settingsPage.Command3;
    case kRecordPage:
        return &recordPage.Command1;
    case kUndoPage:
        return &undoPage.Command7;
    case kDatabasePage:
        return &databasePage.Command11;
    case kCreatePage:
        return &createPage.Command17;
    default:
        return nullptr;
    }
}

void Main::Form_Enter() {
    selectionCue_ = true;
    if (currentPage_ == kListPage) {
        if (selectedRow_) {
            BAexe_Click(*selectedRow_);
        }
        return;
    }
    if (ui::Control* button = DefaultButton(currentPage_)) {
        button->Click();
    }
}

void Main::Form_MouseWheel(int notches, int rowsPerNotch) {
    if (currentPage_ != kListPage || !VScroll.Visible()) {
        return;
    }
    const int step = rowsPerNotch > 0 ? std::min(rowsPerNotch, kRowsInView) : kRowsInView;
    VScroll.SetValue(VScroll.Value() + notches * step); // kept within its range
}

void Main::Form_Escape() {
    selectionCue_ = true;
    switch (currentPage_) {
    case kListPage:
        // In the search box Escape first empties it.
        if (TextSearch.HasFocus() && !TextSearch.Caption().empty()) {
            TextSearch.SetCaption(L"");
            TextSearch_Change();
            break;
        }
        Unload();
        break;
    case kUndoPage:
        // Left as "ok" leaves it: a restore done here still brings a fresh window.
        undoPage.Command7_Click();
        break;
    default:
        ShowPage(kListPage);
        break;
    }
}

} // namespace vtrl::manager
