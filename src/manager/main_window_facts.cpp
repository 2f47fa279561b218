// The programs' version strings and size for the startup list. Reading a version resource costs
// about a millisecond a file under Wine, most of a scan of a thousand records: the window's scan
// leaves them out, the rows in view get theirs before the first paint, and the others follow a
// few at a time once the window is on screen. A search or a sort reads the rest at once, so that
// it sees every description and publisher. A program that several records name is read once.

#include "inventory/file_facts_reader.h"
#include "manager/list_row_text.h"
#include "manager/main_window.h"

namespace vtrl::manager {
namespace {

// Each tick reads at most this many records' facts (about 20 ms under Wine), so that the window
// answers the user between ticks.
constexpr int kFactsReadPerTick = 24;

} // namespace

bool Main::FileFactsRead(int record) const {
    return record >= 0 && static_cast<std::size_t>(record) < factsRead_.size() &&
           factsRead_[static_cast<std::size_t>(record)];
}

bool Main::ReadFileFacts(int record) {
    if (record < 0 || record >= RowCount() || FileFactsRead(record)) {
        return false;
    }
    if (factsRead_.size() < rows_.size()) {
        factsRead_.resize(rows_.size(), false);
    }
    factsRead_[static_cast<std::size_t>(record)] = true;
    auto& program = inventory_.Records[static_cast<std::size_t>(record)];
    if (!program.Found) {
        return false;
    }
    factsReader_.Fill(platform_, program);
    ListRow& row = rows_[static_cast<std::size_t>(record)];
    row.name = RowNameText(
        program, [this](const std::wstring& name) { return platform_.locale.ToUpper(name); });
    row.place = RowPlaceText(program, row.placeWords);
    if (selectedRow_ == record) {
        SelectRow(record); // the list's accessible name says the new name
    }
    return true;
}

void Main::EnsureFileFacts(int record) {
    if (ReadFileFacts(record)) {
        FillListOrder();
        ShowRowsInView();
    }
}

void Main::ReadFirstFactsAside() {
    factsReadAside_.clear();
    const bool hide = HideWindowsSetting(platform_.registry);
    for (int record = 0; record <= inventory_.LastRecordIndex &&
                         factsReadAside_.size() < static_cast<std::size_t>(kRowsInView);
         ++record) {
        if (!ListsRecord(record, hide)) {
            continue;
        }
        factsReader_.Fill(platform_, inventory_.Records[static_cast<std::size_t>(record)]);
        factsReadAside_.push_back(record);
    }
}

void Main::TakeFactsReadAside() {
    // The rows were made from the records with these facts in.
    factsRead_.resize(rows_.size(), false);
    for (const int record : factsReadAside_) {
        if (static_cast<std::size_t>(record) < factsRead_.size()) {
            factsRead_[static_cast<std::size_t>(record)] = true;
        }
    }
    factsReadAside_.clear();
}

void Main::ReadFactsInView() {
    bool read = false;
    for (int slot = 0; slot < kRowsInView; ++slot) {
        if (const std::optional<int> record = RecordInView(slot)) {
            read = ReadFileFacts(*record) || read;
        }
    }
    if (read) {
        ShowRowsInView();
    }
}

void Main::FactsRefresh_Tick() {
    FinishStatuses();
    // The rows scrolled into view first: they are what the user looks at.
    ReadFactsInView();
    for (int count = 0; factsCursor_ < RowCount() && count < kFactsReadPerTick; ++factsCursor_) {
        if (ReadFileFacts(factsCursor_)) {
            ++count;
        }
    }
    if (factsCursor_ >= RowCount()) {
        FinishFileFacts();
    }
}

void Main::FinishFileFacts() {
    FinishStatuses();
    if (!FactsRefresh.Enabled()) {
        return;
    }
    for (; factsCursor_ < RowCount(); ++factsCursor_) {
        ReadFileFacts(factsCursor_);
    }
    FactsRefresh.SetEnabled(false);
    FillListOrder();
}

} // namespace vtrl::manager
