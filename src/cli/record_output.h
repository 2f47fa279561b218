#pragma once
// The inventory as text for the console companion: an aligned table, CSV (RFC 4180) or a JSON
// array, always UTF-8. Every field of StartupRecord appears under its name in the code.

#include "inventory/startup_record.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vtrl::cli {

enum class OutputFormat { Table, Csv, Json };

// The field names, in output order.
const std::vector<std::wstring_view>& RecordFieldNames();

// The live slots, 0 to LastRecordIndex, in slot order.
std::span<const inventory::StartupRecord> LiveRecords(const inventory::StartupInventory& inventory);

// UTF-8 of UTF-16 text (or of UTF-32, where wchar_t is 32 bits); an unpaired surrogate or an
// invalid code point becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// The columns a text takes on a terminal: East Asian wide characters take two, combining marks
// none. Used only to align the table.
std::size_t DisplayWidth(std::wstring_view text);

// A CSV field, quoted only when it holds a comma, a quote, CR or LF.
std::string CsvField(std::wstring_view text);
// A JSON string literal with its quotes.
std::string JsonString(std::wstring_view text);

// Lines end in CR LF in every format (RFC 4180 asks it of CSV; the others follow suit).
std::string FormatTable(std::span<const inventory::StartupRecord> records);
std::string FormatCsv(std::span<const inventory::StartupRecord> records);
std::string FormatJson(std::span<const inventory::StartupRecord> records);
std::string FormatRecords(std::span<const inventory::StartupRecord> records, OutputFormat format);

} // namespace vtrl::cli
