// The startup list's search box and sort links: the list shows the records whose texts hold
// what was typed, in the order chosen; the selection, the scroll bar and Enter follow that
// order.

#include "manager/main_window.h"

#include <algorithm>

namespace vtrl::manager {
namespace {

constexpr ui::Colour kWhite = 0x00FFFFFF;

} // namespace

void Main::BuildSearch() {
    // Made before the list, so that Tab reaches the search first; the label's access key goes
    // to the box made after it.
    for (ui::Control* control :
         {&LabelSearch, &TextSearch, &LabelSort, &SortName, &SortPublisher, &SortStatus}) {
        AddToPage(*control, kListPage);
    }
    for (ui::Control* label : {&LabelSearch, &LabelSort}) {
        label->SetColours(ui::kDefaultColour, kWhite);
    }
    for (ui::Control* link : {&SortName, &SortPublisher, &SortStatus}) {
        link->SetColours(kLinkColour, kWhite);
        link->SetHandCursor(true);
    }
    TextSearch.onChange = [this] { TextSearch_Change(); };
    SortName.onClick = [this] { SortBy(ListSort::Name); };
    SortPublisher.onClick = [this] { SortBy(ListSort::Publisher); };
    SortStatus.onClick = [this] { SortBy(ListSort::Status); };
}

void Main::LoadSearchTexts() {
    const std::pair<ui::Control*, const wchar_t*> texts[] = {
        {&LabelSearch, L"SEARCH"},     {&LabelSort, L"SORTBY"},
        {&SortName, L"SORT-NAME"},     {&SortPublisher, L"SORT-PUBLISHER"},
        {&SortStatus, L"SORT-STATUS"}, {&ListEmpty, L"LIST-NOMATCH"}};
    for (const auto& [label, key] : texts) {
        UseLanguageCharset(*label);
        label->SetCaption(Text(key));
    }
}

void Main::FillListOrder() {
    std::vector<ListRowTexts> texts;
    texts.reserve(rows_.size());
    for (int i = 0; i < RowCount(); ++i) {
        const auto& record = inventory_.Records[static_cast<std::size_t>(i)];
        const ListRow& row = rows_[static_cast<std::size_t>(i)];
        // Line breaks part the location's texts, so that no query matches across two of them.
        texts.push_back({row.name, record.Company, row.status, record.CommandLine,
                         record.Location + L"\n" + record.EntryName + L"\n" + row.place});
    }
    listOrder_.SetRows(std::move(texts));
}

void Main::TextSearch_Change() {
    FinishFileFacts();
    ApplyListOrder(true);
}

void Main::SortBy(ListSort sort) {
    FinishFileFacts();
    sort_ = sort_ == sort ? ListSort::Scan : sort;
    // The key the list is sorted by is drawn bold.
    const std::pair<ui::Control*, ListSort> links[] = {{&SortName, ListSort::Name},
                                                       {&SortPublisher, ListSort::Publisher},
                                                       {&SortStatus, ListSort::Status}};
    for (const auto& [link, key] : links) {
        ui::Font font = link->GetFont();
        if (font.bold != (key == sort_)) {
            font.bold = key == sort_;
            link->SetFont(font);
        }
    }
    ApplyListOrder(true);
}

} // namespace vtrl::manager
