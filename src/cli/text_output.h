#pragma once
// Rows of named fields as text for the console companion: an aligned table, CSV (RFC 4180) or a
// JSON array of objects, always UTF-8 with CR LF. The record, decision and log listings all go
// through here, so quoting and alignment are the same everywhere.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vtrl::cli {

enum class OutputFormat { Table, Csv, Json };

// How a value is written in JSON: text as a string, the others bare.
enum class CellKind { Text, Number, Flag };

struct Cell {
    CellKind kind = CellKind::Text;
    std::wstring text;
};

Cell TextCell(std::wstring text);
Cell NumberCell(long long value);
Cell FlagCell(bool value);

// The field names in output order, and one cell per field in every row.
struct OutputRows {
    std::vector<std::wstring_view> names;
    std::vector<std::vector<Cell>> rows;
};

// UTF-8 of UTF-16 text (or of UTF-32, where wchar_t is 32 bits); an unpaired surrogate or an
// invalid code point becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);

// The columns a text takes on a terminal: East Asian wide characters take two, combining marks
// none. Used only to align the table.
std::size_t DisplayWidth(std::wstring_view text);

// A CSV field, quoted only when it holds a comma, a quote, CR or LF.
std::string CsvField(std::wstring_view text);
// A cell as a CSV field. A text that starts with "=", "+", "-", "@", a tab or a CR gets a single
// quote in front, so that a spreadsheet shows it instead of running it as a formula; numbers and
// flags stay as they are.
std::string CsvCell(const Cell& cell);
// A JSON string literal with its quotes.
std::string JsonString(std::wstring_view text);

// The header line, then one line per row; control characters show as U+FFFD so a row stays
// one line, and the bidirectional controls, direction marks and C1 controls as "\uXXXX" so
// that no text can reorder or hide what follows it.
std::string RowsAsTable(const OutputRows& rows);
// One "label: value" line per pair whose value is not empty, each text shown as in the table.
std::string LabelledLines(const std::vector<std::pair<std::wstring, std::wstring>>& lines);
// A header row, then one row per row.
std::string RowsAsCsv(const OutputRows& rows);
// One object per row, one per line; "[]" when there are none.
std::string RowsAsJson(const OutputRows& rows);
std::string FormatRows(const OutputRows& rows, OutputFormat format);

} // namespace vtrl::cli
