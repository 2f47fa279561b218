// The startup list's search and sort, away from the window: what a query keeps and in which
// order the rows come for each sort key.

#include "manager/list_order.h"

#include <gtest/gtest.h>

#include <cwctype>

namespace vtrl::manager {
namespace {

std::wstring Lower(const std::wstring& text) {
    std::wstring lower = text;
    for (wchar_t& c : lower) {
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return lower;
}

class ListOrderTest : public ::testing::Test {
protected:
    ListOrderTest() {
        order.SetRows({
            {L"Zip Helper", L"Archive Works", L"Approved", L"\"C:\\Zip\\ziphelp.exe\" /tray",
             L"HKEY_CURRENT_USER\\...\\Run Registry (this user)"},
            {L"updater.exe", L"", L"No decision yet", L"C:\\Upd\\updater.exe -quiet",
             L"HKEY_LOCAL_MACHINE\\...\\Run Registry (all users)"},
            {L"Audio Tray", L"Sound Corp", L"Restricted", L"C:\\Snd\\atray.exe",
             L"C:\\Users\\me\\Startup Startup folder"},
            {L"Backup Agent", L"Archive Works", L"No decision yet", L"C:\\Bk\\agent.exe",
             L"HKEY_CURRENT_USER\\...\\Run Registry (this user)"},
        });
    }
    std::vector<int> Order(const std::wstring& query, ListSort sort = ListSort::Name) const {
        return order.Order(all, query, sort);
    }
    ListOrder order{Lower};
    std::vector<int> all{0, 1, 2, 3};
};

TEST_F(ListOrderTest, QueryMatchesAnyTextWithoutRegardToCase) {
    EXPECT_EQ(Order(L"ARCHIVE"), (std::vector<int>{3, 0})) << "publisher";
    EXPECT_EQ(Order(L"helper"), (std::vector<int>{0})) << "name";
    EXPECT_EQ(Order(L"-QUIET"), (std::vector<int>{1})) << "command";
    EXPECT_EQ(Order(L"startup folder"), (std::vector<int>{2})) << "location";
    EXPECT_EQ(Order(L"restricted"), (std::vector<int>{2})) << "status";
    EXPECT_EQ(Order(L"local_machine"), (std::vector<int>{1})) << "a key's hive";
    EXPECT_EQ(Order(L"nothing like this"), std::vector<int>{}) << "no match shows no row";
    EXPECT_EQ(Order(L"Zip Helperx"), std::vector<int>{}) << "the whole query must occur";
}

TEST_F(ListOrderTest, EmptyQueryKeepsEveryCandidateAndOnlyThem) {
    EXPECT_EQ(Order(L""), (std::vector<int>{2, 3, 1, 0}));
    // Windows' own left out by the caller stay out; an index beyond the rows is dropped.
    EXPECT_EQ(order.Order({0, 3, 7, -1}, L"", ListSort::Name), (std::vector<int>{3, 0}));
    EXPECT_EQ(order.Order({}, L"zip", ListSort::Name), std::vector<int>{});
}

TEST_F(ListOrderTest, SortsByPublisherAndStatusWithTiesByName) {
    // Equal publishers by name; the row without a publisher last.
    EXPECT_EQ(Order(L"", ListSort::Scan), (std::vector<int>{0, 1, 2, 3})) << "as found";
    EXPECT_EQ(Order(L"", ListSort::Publisher), (std::vector<int>{3, 0, 2, 1}));
    EXPECT_EQ(Order(L"", ListSort::Status), (std::vector<int>{0, 3, 1, 2}));
    EXPECT_EQ(Order(L"archive", ListSort::Status), (std::vector<int>{0, 3}))
        << "the search and the sort together";
}

TEST_F(ListOrderTest, SortIsStableAndFollowsStatusChanges) {
    ListOrder same{Lower};
    same.SetRows({{L"Same", L"", L"b", L"one", L""},
                  {L"same", L"", L"a", L"two", L""},
                  {L"SAME", L"", L"a", L"three", L""}});
    EXPECT_EQ(same.Order({2, 0, 1}, L"", ListSort::Name), (std::vector<int>{2, 0, 1}))
        << "equal names keep the list's order";
    EXPECT_EQ(same.Order({0, 1, 2}, L"", ListSort::Status), (std::vector<int>{1, 2, 0}));
    same.SetStatus(0, L"A");
    same.SetStatus(9, L"out of range, ignored");
    EXPECT_EQ(same.Order({0, 1, 2}, L"", ListSort::Status), (std::vector<int>{0, 1, 2}));
    same.SetStatus(1, L"Kept Back");
    EXPECT_EQ(same.Order({0, 1, 2}, L"KEPT", ListSort::Status), (std::vector<int>{1}))
        << "the new status is searched folded";
}

TEST(ListOrderFolding, FoldsNothingUntilASearchOrSortNeedsItThenEachTextOnce) {
    int folds = 0;
    ListOrder order{[&folds](const std::wstring& text) {
        ++folds;
        return Lower(text);
    }};
    order.SetRows({{L"Beta", L"", L"New", L"b.exe", L""}, {L"Alpha", L"", L"New", L"a.exe", L""}});
    EXPECT_EQ(order.Order({1, 0, 5}, L"", ListSort::Scan), (std::vector<int>{1, 0}));
    EXPECT_EQ(folds, 0) << "the list as found needs no folding";
    order.SetStatus(0, L"Restricted");
    EXPECT_EQ(order.Order({0, 1}, L"RESTR", ListSort::Scan), (std::vector<int>{0}))
        << "a status set before the first search is searched";
    EXPECT_EQ(folds, 11) << "five texts a row, and the query";
    EXPECT_EQ(order.Order({0, 1}, L"", ListSort::Name), (std::vector<int>{1, 0}));
    EXPECT_EQ(folds, 12) << "the rows are folded once";
    order.SetStatus(1, L"Kept Back");
    EXPECT_EQ(order.Order({0, 1}, L"kept", ListSort::Scan), (std::vector<int>{1}));
    order.SetRows({{L"Gamma", L"", L"", L"", L""}});
    EXPECT_EQ(order.Order({0}, L"gam", ListSort::Scan), (std::vector<int>{0}))
        << "new rows are folded afresh";
}

} // namespace
} // namespace vtrl::manager
