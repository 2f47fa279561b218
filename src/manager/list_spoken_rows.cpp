#include "manager/list_spoken_rows.h"

namespace vtrl::manager {

std::wstring SpokenRowText(const ListRow& row) {
    return row.name + L", " + row.status + (row.marks.empty() ? L"" : L", " + row.marks);
}

void ShowSpokenRows(ui::Control& list, const std::vector<ListRow>& rows,
                    const std::vector<int>& shownRecords, std::optional<int> selectedRecord) {
    std::vector<std::wstring> spoken;
    std::optional<std::size_t> selected;
    spoken.reserve(shownRecords.size());
    for (const int record : shownRecords) {
        // A record the rows no longer have (read again since) is not spoken of.
        if (record < 0 || static_cast<std::size_t>(record) >= rows.size()) {
            continue;
        }
        if (record == selectedRecord) {
            selected = spoken.size();
        }
        spoken.push_back(SpokenRowText(rows[static_cast<std::size_t>(record)]));
    }
    list.SetAccessibleList(std::move(spoken), selected);
}

} // namespace vtrl::manager
