#pragma once
// The inventory as text for the console companion, through text_output. Every field of
// StartupRecord appears under its name in the code.

#include "cli/text_output.h"
#include "inventory/startup_record.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::cli {

// The field names, in output order.
const std::vector<std::wstring_view>& RecordFieldNames();

// A switch-off time as ISO 8601 in UTC ("2026-12-09T09:50:20Z"); empty for 0.
std::wstring SwitchedOffTime(std::uint64_t fileTime);

// The live slots, 0 to LastRecordIndex, in slot order.
std::span<const inventory::StartupRecord> LiveRecords(const inventory::StartupInventory& inventory);

OutputRows RecordRows(std::span<const inventory::StartupRecord> records);

std::string FormatTable(std::span<const inventory::StartupRecord> records);
std::string FormatCsv(std::span<const inventory::StartupRecord> records);
std::string FormatJson(std::span<const inventory::StartupRecord> records);
std::string FormatRecords(std::span<const inventory::StartupRecord> records, OutputFormat format);

} // namespace vtrl::cli
