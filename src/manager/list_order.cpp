#include "manager/list_order.h"

#include <algorithm>
#include <iterator>

namespace vtrl::manager {

void ListOrder::SetRows(std::vector<ListRowTexts> rows) {
    rows_ = std::move(rows);
    folded_.clear();
    foldedCurrent_ = false;
}

void ListOrder::SetStatus(int record, const std::wstring& status) {
    if (record < 0 || record >= Size()) {
        return;
    }
    const auto at = static_cast<std::size_t>(record);
    rows_[at].status = status;
    if (foldedCurrent_) {
        folded_[at].status = fold_(status);
    }
}

const std::vector<ListRowTexts>& ListOrder::Folded() const {
    if (!foldedCurrent_) {
        folded_.clear();
        folded_.reserve(rows_.size());
        for (const ListRowTexts& row : rows_) {
            folded_.push_back({fold_(row.name), fold_(row.publisher), fold_(row.status),
                               fold_(row.command), fold_(row.location)});
        }
        foldedCurrent_ = true;
    }
    return folded_;
}

std::vector<int> ListOrder::Order(const std::vector<int>& candidates, const std::wstring& query,
                                  ListSort sort) const {
    if (query.empty() && sort == ListSort::Scan) {
        std::vector<int> shown;
        shown.reserve(candidates.size());
        std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(shown),
                     [this](int record) { return record >= 0 && record < Size(); });
        return shown;
    }
    const std::vector<ListRowTexts>& rows = Folded();
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
        const ListRowTexts& row = rows[static_cast<std::size_t>(record)];
        if (wanted.empty() || contains(row.name) || contains(row.publisher) ||
            contains(row.status) || contains(row.command) || contains(row.location)) {
            shown.push_back(record);
        }
    }
    if (sort == ListSort::Scan) {
        return shown;
    }
    const auto key = [&rows, sort](int record) -> const std::wstring& {
        const ListRowTexts& row = rows[static_cast<std::size_t>(record)];
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
        return rows[static_cast<std::size_t>(a)].name < rows[static_cast<std::size_t>(b)].name;
    });
    return shown;
}

} // namespace vtrl::manager
