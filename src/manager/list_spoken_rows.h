#pragma once
// The startup list as a screen reader hears it: the list is named by the selected row, and
// each row says its record's name, status and markers.

#include "manager/main_window.h"

#include <optional>
#include <string>
#include <vector>

namespace vtrl::manager {

// What a reader says of one row: "name, status", then ", markers" when there are any.
std::wstring SpokenRowText(const ListRow& row);

// Gives the drawn list the spoken text of each shown record, in the order shown, with the
// selected record's row selected (none when it is not shown).
void ShowSpokenRows(ui::Control& list, const std::vector<ListRow>& rows,
                    const std::vector<int>& shownRecords, std::optional<int> selectedRecord);

} // namespace vtrl::manager
