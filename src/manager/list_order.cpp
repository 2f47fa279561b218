#include "manager/list_order.h"

#include <algorithm>

namespace vtrl::manager {

void ListOrder::SetRows(const std::vector<ListRowTexts>& rows) {
    rows_.clear();
    rows_.reserve(rows.size());
    for (const ListRowTexts& row : rows) {
        rows_.push_back({fold_(row.name), fold_(row.publisher), fold_(row.status),
                         fold_(row.command), fold_(row.location)});
    }
}

void ListOrder::SetStatus(int record, const std::wstring& status) {
    if (record >= 0 && record < Size()) {
        rows_[static_cast<std::size_t>(record)].status = fold_(status);
    }
}

std::vector<int> ListOrder::Order(const std::vector<int>& candidates, const std::wstring& query,
                                  ListSort sort) const {
    const std::wstring wanted = fold_(query);
    const auto contains = [&wanted](const std::wstring& text) {
        return text.find(wanted) != std::wstring::npos;
    };
    std::vector<int> shown;
    shown.reserve(candidates.size());
    for (const int record : candidates) {
        if (record < 0 || record >= Size()) {
            continue;
        }
        const ListRowTexts& row = rows_[static_cast<std::size_t>(record)];
        if (wanted.empty() || contains(row.name) || contains(row.publisher) ||
            contains(row.status) || contains(row.command) || contains(row.location)) {
            shown.push_back(record);
        }
    }
    if (sort == ListSort::Scan) {
        return shown;
    }
    const auto key = [this, sort](int record) -> const std::wstring& {
        const ListRowTexts& row = rows_[static_cast<std::size_t>(record)];
        return sort == ListSort::Publisher ? row.publisher
               : sort == ListSort::Status  ? row.status
                                           : row.name;
    };
    std::stable_sort(shown.begin(), shown.end(), [&](int a, int b) {
        const std::wstring& keyA = key(a);
        const std::wstring& keyB = key(b);
        if (keyA.empty() != keyB.empty()) {
            return keyB.empty(); // unknown publishers (or statuses) last
        }
        if (keyA != keyB) {
            return keyA < keyB;
        }
        return rows_[static_cast<std::size_t>(a)].name < rows_[static_cast<std::size_t>(b)].name;
    });
    return shown;
}

} // namespace vtrl::manager
