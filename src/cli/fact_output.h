#pragma once
// The facts of chosen records as text for the console companion ("vantorelc show"), through
// text_output: labelled lines in the interface language, or CSV and JSON under the facts' stable
// field names.

#include "cli/text_output.h"
#include "inventory/record_facts.h"
#include "inventory/startup_record.h"
#include "platform/locale.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::cli {

struct ShownRecord {
    int index = 0; // the live slot, as "list" orders the records
    std::vector<inventory::RecordFact> facts;
};

// Index, then the facts' field names in their order.
const std::vector<std::wstring_view>& FactFieldNames();

// The live slots an argument names: the one it numbers when it is a number of a live slot
// (0-based, "list" order), otherwise every record whose EntryName equals it ignoring case, in
// slot order.
std::vector<int> RecordsNamedBy(platform::Locale& locale,
                                const inventory::StartupInventory& inventory,
                                const std::wstring& argument);

// Table: per record a "#index" line, then "label: value" lines (a fact without a value left
// out), records apart by an empty line. CSV and JSON: one row per record, every field.
std::string FormatShownRecords(std::span<const ShownRecord> records, OutputFormat format);

} // namespace vtrl::cli
