#pragma once
// Which records the startup list shows, and in which order: a search over the texts the user
// sees (and the command and place behind them), and a sort by name, publisher or status. Pure:
// the caller hands in the texts and how the interface folds letter case.

#include <functional>
#include <string>
#include <vector>

namespace vtrl::manager {

// Scan keeps the order the scan found the records in.
enum class ListSort { Scan, Name, Publisher, Status };

// The texts of one record that the search looks in and the sort orders by.
struct ListRowTexts {
    std::wstring name;      // the description, or the file name when there is none
    std::wstring publisher; // the company; empty when unknown
    std::wstring status;
    std::wstring command;  // the full command line
    std::wstring location; // the key or folder it starts from, and the place in words
};

class ListOrder {
public:
    // Folds a text for comparison without regard to case (the interface's lower-casing).
    using Fold = std::function<std::wstring(const std::wstring&)>;
    explicit ListOrder(Fold fold) : fold_(std::move(fold)) {}

    // One entry per record, by record index. The texts are folded when a search or a sort first
    // needs them, so that a list shown as found costs no folding.
    void SetRows(std::vector<ListRowTexts> rows);
    // A record's status changed (a decision was saved).
    void SetStatus(int record, const std::wstring& status);
    int Size() const { return static_cast<int>(rows_.size()); }

    // The candidates (record indexes, in list order) that contain the query in any text, without
    // regard to case, sorted by the chosen key (Scan leaves their order). The sort keeps the
    // candidates' order among equal keys and breaks ties of publisher or status by name; a row
    // without publisher comes after those with one. An empty query keeps every candidate; an index
    // outside the rows is dropped.
    std::vector<int> Order(const std::vector<int>& candidates, const std::wstring& query,
                           ListSort sort) const;

private:
    // The rows folded, made on first need and kept until the rows change.
    const std::vector<ListRowTexts>& Folded() const;

    Fold fold_;
    std::vector<ListRowTexts> rows_; // as given
    mutable std::vector<ListRowTexts> folded_;
    mutable bool foldedCurrent_ = false;
};

} // namespace vtrl::manager
