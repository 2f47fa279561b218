// The startup list's rows: one typed row per record, and only the rows in view made as controls.
// Scrolling shows other records in the same controls, so that a list of a thousand records costs
// what six cost. Icons come from the bitmaps saved in the data folder; those of programs that
// changed since are drawn again once the window is on screen.

#include "manager/main_window.h"

#include "decisions/record_decision.h"
#include "inventory/windows_own.h"
#include "manager/list_row_text.h"
#include "manager/list_spoken_rows.h"
#include "services/error_log.h"
#include "services/icon_bitmap.h"

#include <algorithm>

namespace vtrl::manager {
namespace {

// The first row as designed inside Frame1; the rows below are copies moved down by the pitch.
constexpr ui::TwipsRect kRowImage{240, 120, 480, 480};
constexpr ui::TwipsRect kRowName{960, 120, 2640, 255};
// The status ends where the scroll bar begins and has two lines, so that its longest text
// ("Disabled in Windows (date) - Approved") is not cut off.
constexpr ui::TwipsRect kRowStatus{3660, 120, 1740, 495};
// Under the name: the publisher and where it starts from, then who signed it, in the gap above
// the next row; under the status the markers.
constexpr ui::TwipsRect kRowPlace{960, 375, 2640, 240};
constexpr ui::TwipsRect kRowSigner{960, 615, 2640, 255};
constexpr ui::TwipsRect kRowMarks{3660, 615, 1740, 255};
constexpr int kRowPitch = kRowImage.height + kRowGapTwips;
constexpr int kFrameDesignTop = 120;

constexpr ui::Colour kWhite = 0x00FFFFFF;
constexpr ui::Colour kSelectedRowText = 0x00FFFFFF;
// Markers stand out from the grey texts: dark orange.
constexpr ui::Colour kMarkColour = 0x00005AB4;

// Each tick of the icon refresh draws at most this many icons and looks at at most this many
// records, so that the window answers the user between ticks.
constexpr int kIconsDrawnPerTick = 4;
constexpr int kIconsCheckedPerTick = 64;

} // namespace

void Main::BuildRows() {
    const int records = inventory_.LastRecordIndex + 1;
    const inventory::SignatureWords words = SignatureWords();
    const auto text = [this](const std::wstring& key) { return Text(key); };
    rows_.clear();
    rows_.reserve(static_cast<std::size_t>(std::max(records, 0)));
    for (int i = 0; i < records; ++i) {
        const auto& record = inventory_.Records[static_cast<std::size_t>(i)];
        ListRow row;
        row.name = RowNameText(
            record, [this](const std::wstring& name) { return platform_.locale.ToUpper(name); });
        row.signer = RowSignatureText(record, words);
        row.placeWords = text(L"PLACE-" + record.Kind);
        row.place = RowPlaceText(record, row.placeWords);
        row.marks = RowMarksText(record, [&text](const std::wstring& key) { return text(key); });
        row.command = record.CommandLine;
        rows_.push_back(std::move(row));
    }
    FillListOrder();
}

void Main::MakeRowControls() {
    if (!rowNames_.empty()) {
        return;
    }
    for (int slot = 0; slot < kRowsInView; ++slot) {
        const std::wstring index = L"(" + std::to_wstring(slot) + L")";
        const int offset = kRowPitch * slot;
        const auto at = [offset](const ui::TwipsRect& design) {
            return ui::TwipsRect{design.left, design.top + offset, design.width, design.height};
        };
        auto image = std::make_unique<ui::Control>(ui::ControlKind::Picture, L"BAimg" + index,
                                                   at(kRowImage));
        auto name =
            std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAexe" + index, at(kRowName));
        auto status = std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAinfo" + index,
                                                    at(kRowStatus));
        auto place = std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAplace" + index,
                                                   at(kRowPlace));
        auto signer = std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAsign" + index,
                                                    at(kRowSigner));
        auto marks =
            std::make_unique<ui::Control>(ui::ControlKind::Label, L"BAmark" + index, at(kRowMarks));
        for (auto* control :
             {image.get(), name.get(), status.get(), place.get(), signer.get(), marks.get()}) {
            control->SetParent(&Frame1);
            control->SetColours(ui::kDefaultColour, kWhite);
            control->SetVisible(false);
            if (control != image.get()) {
                UseLanguageCharset(*control);
            }
        }
        name->SetHandCursor(true);
        image->SetHandCursor(true);
        for (auto* grey : {status.get(), place.get(), signer.get()}) {
            grey->SetColours(kStatusGreyText, kWhite);
        }
        marks->SetColours(kMarkColour, kWhite);
        ui::Font nameFont = name->GetFont();
        nameFont.bold = true;
        name->SetFont(nameFont);
        const auto open = [this, slot] {
            if (const std::optional<int> record = RecordInView(slot)) {
                BAexe_Click(*record);
            }
        };
        name->onClick = open;
        image->onClick = open;
        place->onClick = open;
        signer->onClick = open;
        rowImages_.push_back(&AddControl(std::move(image)));
        rowNames_.push_back(&AddControl(std::move(name)));
        rowStatuses_.push_back(&AddControl(std::move(status)));
        rowPlaces_.push_back(&AddControl(std::move(place)));
        rowSigners_.push_back(&AddControl(std::move(signer)));
        rowMarks_.push_back(&AddControl(std::move(marks)));
    }
}

std::optional<int> Main::RecordInView(int slot) const {
    const int position = VScroll.Value() + slot;
    if (slot < 0 || slot >= kRowsInView || position >= static_cast<int>(shownRecords_.size())) {
        return std::nullopt;
    }
    return shownRecords_[static_cast<std::size_t>(position)];
}

void Main::ReadRowIcon(ListRow& row, const inventory::StartupRecord& record) {
    if (row.iconRead) {
        return;
    }
    row.iconRead = true;
    const std::wstring bitmap = services::IconBitmapPath(facts_.DataFolder, record.ExeName);
    if (bitmap.empty()) {
        return;
    }
    if (auto bytes = platform_.files.ReadAll(bitmap)) {
        row.icon.assign(bytes->begin(), bytes->end());
    }
}

void Main::ShowRowsInView() {
    for (int slot = 0; slot < static_cast<int>(rowNames_.size()); ++slot) {
        const std::optional<int> record = RecordInView(slot);
        ui::Control* parts[] = {&BAimg(slot),   &BAexe(slot),  &BAinfo(slot),
                                &BAplace(slot), &BAsign(slot), &BAmark(slot)};
        if (!record) {
            // An empty row says nothing, not what it showed before.
            for (ui::Control* part : parts) {
                part->SetVisible(false);
                if (!part->Caption().empty()) {
                    part->SetCaption(L"");
                }
            }
            if (!BAexe(slot).ToolTip().empty()) {
                BAexe(slot).SetToolTip(L"");
            }
            continue;
        }
        EnsureStatus(*record);
        ListRow& row = rows_[static_cast<std::size_t>(*record)];
        ReadRowIcon(row, inventory_.Records[static_cast<std::size_t>(*record)]);
        // Only what changed reaches the windows: a scroll step repaints no more than it must.
        const std::pair<ui::Control*, const std::wstring*> texts[] = {{&BAexe(slot), &row.name},
                                                                      {&BAinfo(slot), &row.status},
                                                                      {&BAplace(slot), &row.place},
                                                                      {&BAsign(slot), &row.signer},
                                                                      {&BAmark(slot), &row.marks}};
        for (const auto& [control, text] : texts) {
            if (control->Caption() != *text) {
                control->SetCaption(*text);
            }
        }
        if (BAexe(slot).ToolTip() != row.command) {
            BAexe(slot).SetToolTip(row.command);
        }
        if (BAimg(slot).Picture() != row.icon) {
            BAimg(slot).SetPicture(row.icon);
        }
        const bool highlighted = highlightedRow_ == record;
        const ui::Colour ink = highlighted ? kSelectedRowText : ui::kDefaultColour;
        const ui::Colour paper = highlighted ? kSelectedRowBackground : kWhite;
        if (BAexe(slot).Foreground() != ink || BAexe(slot).Background() != paper) {
            BAexe(slot).SetColours(ink, paper);
        }
        // A line with nothing to say is no window to draw.
        const bool shown[] = {true, true, true, true, !row.signer.empty(), !row.marks.empty()};
        for (std::size_t part = 0; part < std::size(parts); ++part) {
            if (parts[part]->Visible() != shown[part]) {
                parts[part]->SetVisible(shown[part]);
            }
        }
    }
}

bool Main::ListsRecord(int record, bool hideWindowsOwn) const {
    return !hideWindowsOwn ||
           !inventory::IsWindowsOwnProgram(platform_.locale, facts_.WindowsFolder,
                                           inventory_.Records[static_cast<std::size_t>(record)]);
}

void Main::LayOutRows() {
    const bool hide = CheckHideWindows.Value() != 0;
    candidateRecords_.clear();
    for (int i = 0; i <= inventory_.LastRecordIndex && i < RowCount(); ++i) {
        if (ListsRecord(i, hide)) {
            candidateRecords_.push_back(i);
        }
    }
    ApplyListOrder(true);
}

void Main::ApplyListOrder(bool fromTop) {
    shownRecords_ = listOrder_.Order(candidateRecords_, TextSearch.Caption(), sort_);
    const int shown = static_cast<int>(shownRecords_.size());
    if (fromTop) {
        VScroll.SetValue(0);
        Frame1.Move(
            {Frame1.Rect().left, kFrameDesignTop, Frame1.Rect().width, kRowPitch * kRowsInView});
    }
    // The range keeps the scroll value within the rows now shown.
    VScroll.SetRange(0, ScrollMaximum(shown));
    VScroll.SetVisible(shown > kRowsInView);
    ListEmpty.SetVisible(shown == 0 && !candidateRecords_.empty());
    // The selection is always on a record shown: one the search hides, or none (after a search
    // that matched nothing), moves to the first record shown, so that Enter opens what is seen.
    if (!selectedRow_ || std::find(shownRecords_.begin(), shownRecords_.end(), *selectedRow_) ==
                             shownRecords_.end()) {
        selectedRow_.reset();
        highlightedRow_.reset();
        if (!shownRecords_.empty()) {
            SelectRow(shownRecords_.front());
        } else {
            Picture1.SetCaption(ListEmpty.Caption());
        }
    }
    ShowSpokenRows(Picture1, rows_, shownRecords_, selectedRow_);
    ShowRowsInView();
}

bool Main::EnsureStatus(int record) {
    if (record < 0 || record > inventory_.LastRecordIndex || record >= RowCount()) {
        return false;
    }
    const auto at = static_cast<std::size_t>(record);
    if (statusKnown_.size() != rows_.size()) {
        statusKnown_.assign(rows_.size(), false);
    }
    if (statusKnown_[at]) {
        return false;
    }
    statusKnown_[at] = true;
    const auto decision = decisions::LookupRecordDecision(platform_.locale, decisions_, publishers_,
                                                          inventory_.Records[at]);
    rows_[at].status = RowStatusText(inventory_.Records[at], decision.Status,
                                     [this](const std::wstring& key) { return Text(key); });
    listOrder_.SetStatus(record, rows_[at].status);
    return true;
}

void Main::FinishStatuses() {
    bool found = false;
    for (int i = 0; i < RowCount(); ++i) {
        found = EnsureStatus(i) || found;
    }
    // The list's name says every row's status.
    if (found && selectedRow_) {
        SelectRow(*selectedRow_);
    }
}

void Main::RefreshRecordStatuses() {
    statusKnown_.assign(rows_.size(), false);
    // Before the first paint only the rows in view (ShowRowsInView) and the selected one get
    // theirs: the others follow at the first tick of the file facts.
    if (Visible() || sort_ == ListSort::Status || !TextSearch.Caption().empty()) {
        FinishStatuses();
    }
    // The list's name says the selected record's status too.
    if (selectedRow_) {
        SelectRow(*selectedRow_);
    }
    // A new status may move a row in or out of the search, or along the status order.
    if (sort_ == ListSort::Status || !TextSearch.Caption().empty()) {
        ApplyListOrder(false);
    } else {
        ShowRowsInView();
    }
}

void Main::VScroll_Change() {
    services::TraceStep(platform_.files, platform_.locale, facts_, services::kStepScrollChange);
    // The rows stay where they are and show the records from the scroll value on; the frame
    // sits at the top of the viewport from the first scroll on, as when it moved.
    Frame1.SetTop(0);
    ShowRowsInView();
    services::TraceStep(platform_.files, platform_.locale, facts_, L"");
}

bool Main::RefreshIcon(int index) {
    const auto& record = inventory_.Records[static_cast<std::size_t>(index)];
    if (!record.Found || !iconsDone_.insert(record.ExeName).second) {
        return false;
    }
    const std::wstring program = record.ExeFolder + L"\\" + record.ExeName;
    const std::wstring bitmap = services::IconBitmapPath(facts_.DataFolder, record.ExeName);
    const std::optional<platform::FileStamp> stamp = platform_.signatures.Stamp(program);
    if (bitmap.empty() || (stamp && services::IconIsCurrent(*iconStamps_, record.ExeName, *stamp) &&
                           platform_.files.FileExists(bitmap))) {
        return false;
    }
    services::TraceStep(platform_.files, platform_.locale, facts_, services::kStepExtractFileIcon);
    auto icon = services::SaveIconBitmap(platform_.files, platform_.icons, facts_.DataFolder,
                                         program, services::kIconBitmapSize, record.ExeName);
    services::TraceStep(platform_.files, platform_.locale, facts_, L"");
    if (!icon) {
        return true;
    }
    if (icon->saved && stamp) {
        (*iconStamps_)[record.ExeName] = *stamp;
        iconStampsChanged_ = true;
    }
    // Every row of the same program shows the one bitmap saved under its name.
    for (int i = 0; i < RowCount(); ++i) {
        if (inventory_.Records[static_cast<std::size_t>(i)].ExeName == record.ExeName) {
            rows_[static_cast<std::size_t>(i)].icon = icon->picture;
            rows_[static_cast<std::size_t>(i)].iconRead = true;
        }
    }
    return true;
}

void Main::IconRefresh_Tick() {
    if (!iconStamps_) {
        iconStamps_ =
            services::LoadIconStamps(platform_.files, platform_.locale, facts_.DataFolder);
        // The header's own icon too waits for the first paint.
        const std::wstring ownExe = facts_.ProgramFolder + L"\\" + facts_.ProgramName + L".exe";
        if (auto icon = platform_.icons.RenderIconBitmap(ownExe, services::kIconBitmapSize)) {
            HeaderIcon.SetPicture(std::move(*icon));
        }
    }
    int drawn = 0;
    // The rows in view first: they are what the user looks at.
    for (int slot = 0; slot < kRowsInView; ++slot) {
        if (const std::optional<int> record = RecordInView(slot); record && RefreshIcon(*record)) {
            ++drawn;
        }
    }
    for (int checked = 0;
         iconCursor_ < RowCount() && drawn < kIconsDrawnPerTick && checked < kIconsCheckedPerTick;
         ++checked) {
        if (RefreshIcon(iconCursor_++)) {
            ++drawn;
        }
    }
    if (drawn > 0) {
        ShowRowsInView();
    }
    if (iconCursor_ >= RowCount()) {
        IconRefresh.SetEnabled(false);
        SaveIconStamps();
    }
}

void Main::SaveIconStamps() {
    if (iconStamps_ && iconStampsChanged_) {
        services::SaveIconStamps(platform_.files, platform_.locale, facts_.DataFolder,
                                 *iconStamps_);
        iconStampsChanged_ = false;
    }
}

} // namespace vtrl::manager
