#include "cli/text_output.h"

#include "services/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cwchar>

namespace vtrl::cli {

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char32_t kReplacement = 0xFFFD;
constexpr std::size_t kColumnGap = 2;

// The code point at index, moving index past it.
char32_t DecodeNext(std::wstring_view text, std::size_t& index) {
    const auto unit = static_cast<std::uint32_t>(text[index++]);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        if (index < text.size()) {
            const auto low = static_cast<std::uint32_t>(text[index]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                ++index;
                return static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            }
        }
        return kReplacement;
    }
    if ((unit >= 0xDC00 && unit <= 0xDFFF) || unit > 0x10FFFF) {
        return kReplacement;
    }
    return static_cast<char32_t>(unit);
}

bool IsWide(char32_t code) {
    struct Range {
        char32_t first, last;
    };
    static constexpr std::array<Range, 10> kWide{{{0x1100, 0x115F},
                                                  {0x2E80, 0x303E},
                                                  {0x3041, 0x33FF},
                                                  {0x3400, 0x4DBF},
                                                  {0x4E00, 0x9FFF},
                                                  {0xA000, 0xA4CF},
                                                  {0xAC00, 0xD7A3},
                                                  {0xF900, 0xFAFF},
                                                  {0xFF00, 0xFF60},
                                                  {0x20000, 0x3FFFD}}};
    return std::any_of(
               kWide.begin(), kWide.end(),
               [code](const Range& range) { return code >= range.first && code <= range.last; }) ||
           (code >= 0xFFE0 && code <= 0xFFE6) || (code >= 0xFE30 && code <= 0xFE4F) ||
           (code >= 0x1F300 && code <= 0x1F64F);
}

bool IsCombining(char32_t code) {
    return (code >= 0x0300 && code <= 0x036F) || (code >= 0x1AB0 && code <= 0x1AFF) ||
           (code >= 0x1DC0 && code <= 0x1DFF) || (code >= 0x20D0 && code <= 0x20FF) ||
           (code >= 0xFE20 && code <= 0xFE2F) || code == 0x200B || code == 0x200D;
}

// Characters that reorder or hide the text around them on a terminal: the bidirectional
// embeddings, overrides and isolates, the direction marks, and the C1 controls.
bool IsShownEscaped(wchar_t character) {
    const auto code = static_cast<std::uint32_t>(character);
    return (code >= 0x80 && code <= 0x9F) || (code >= 0x202A && code <= 0x202E) ||
           (code >= 0x2066 && code <= 0x2069) || code == 0x200E || code == 0x200F || code == 0x061C;
}

// A table row must stay one line and read as it is stored: C0 controls show as the replacement
// character, the characters above as their escape ("\u202E").
std::wstring TableText(const std::wstring& text) {
    std::wstring shown;
    shown.reserve(text.size());
    for (const wchar_t character : text) {
        if (character < 0x20 || character == 0x7F) {
            shown += static_cast<wchar_t>(kReplacement);
        } else if (IsShownEscaped(character)) {
            wchar_t escaped[8];
            std::swprintf(escaped, 8, L"\\u%04X", static_cast<unsigned>(character));
            shown += escaped;
        } else {
            shown += character;
        }
    }
    return shown;
}

// A spreadsheet takes a cell that starts with one of these as a formula.
bool StartsLikeFormula(std::wstring_view text) {
    return !text.empty() &&
           std::wstring_view(L"=+-@\t\r").find(text.front()) != std::wstring_view::npos;
}

} // namespace

Cell TextCell(std::wstring text) {
    return {CellKind::Text, std::move(text)};
}

Cell NumberCell(long long value) {
    return {CellKind::Number, std::to_wstring(value)};
}

Cell FlagCell(bool value) {
    return {CellKind::Flag, value ? L"true" : L"false"};
}

std::string ToUtf8(std::wstring_view text) {
    return services::Utf8FromText(text);
}

std::size_t DisplayWidth(std::wstring_view text) {
    std::size_t width = 0;
    for (std::size_t index = 0; index < text.size();) {
        const char32_t code = DecodeNext(text, index);
        width += IsCombining(code) ? 0 : IsWide(code) ? 2 : 1;
    }
    return width;
}

std::string CsvField(std::wstring_view text) {
    if (text.find_first_of(L",\"\r\n") == std::wstring_view::npos) {
        return ToUtf8(text);
    }
    std::string out = "\"";
    for (const char byte : ToUtf8(text)) {
        out += byte;
        if (byte == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

std::string CsvCell(const Cell& cell) {
    if (cell.kind == CellKind::Text && StartsLikeFormula(cell.text)) {
        return CsvField(L"'" + cell.text);
    }
    return CsvField(cell.text);
}

std::string JsonString(std::wstring_view text) {
    std::string out = "\"";
    for (const char byte : ToUtf8(text)) {
        switch (byte) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(byte) < 0x20) {
                char escaped[7];
                std::snprintf(escaped, sizeof(escaped), "\\u%04x",
                              static_cast<unsigned>(static_cast<unsigned char>(byte)));
                out += escaped;
            } else {
                out += byte;
            }
        }
    }
    return out + "\"";
}

std::string RowsAsTable(const OutputRows& rows) {
    std::vector<std::vector<std::wstring>> lines;
    lines.emplace_back(rows.names.begin(), rows.names.end());
    for (const std::vector<Cell>& row : rows.rows) {
        std::vector<std::wstring> line;
        for (const Cell& cell : row) {
            line.push_back(TableText(cell.text));
        }
        lines.push_back(std::move(line));
    }
    std::vector<std::size_t> widths(rows.names.size(), 0);
    for (const auto& line : lines) {
        for (std::size_t column = 0; column < line.size() && column < widths.size(); ++column) {
            widths[column] = std::max(widths[column], DisplayWidth(line[column]));
        }
    }
    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t column = 0; column < line.size(); ++column) {
            text += ToUtf8(line[column]);
            if (column + 1 < line.size() && column < widths.size()) {
                text.append(widths[column] - DisplayWidth(line[column]) + kColumnGap, ' ');
            }
        }
        // An empty last column would leave the padding of the one before it.
        text.erase(text.find_last_not_of(' ') + 1);
        out += text + kLineEnd;
    }
    return out;
}

std::string LabelledLines(const std::vector<std::pair<std::wstring, std::wstring>>& lines) {
    std::string out;
    for (const auto& [label, value] : lines) {
        if (!value.empty()) {
            out += ToUtf8(TableText(label) + L": " + TableText(value)) + kLineEnd;
        }
    }
    return out;
}

std::string RowsAsCsv(const OutputRows& rows) {
    std::string out;
    for (std::size_t column = 0; column < rows.names.size(); ++column) {
        out += column == 0 ? "" : ",";
        out += CsvField(rows.names[column]);
    }
    out += kLineEnd;
    for (const std::vector<Cell>& row : rows.rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            out += column == 0 ? "" : ",";
            out += CsvCell(row[column]);
        }
        out += kLineEnd;
    }
    return out;
}

std::string RowsAsJson(const OutputRows& rows) {
    if (rows.rows.empty()) {
        return std::string("[]") + kLineEnd;
    }
    std::string out = std::string("[") + kLineEnd;
    for (std::size_t index = 0; index < rows.rows.size(); ++index) {
        const std::vector<Cell>& row = rows.rows[index];
        out += "  {";
        for (std::size_t column = 0; column < row.size() && column < rows.names.size(); ++column) {
            out += column == 0 ? "" : ", ";
            out += JsonString(rows.names[column]) + ": ";
            out += row[column].kind == CellKind::Text ? JsonString(row[column].text)
                                                      : ToUtf8(row[column].text);
        }
        out += index + 1 < rows.rows.size() ? "}," : "}";
        out += kLineEnd;
    }
    return out + "]" + kLineEnd;
}

std::string FormatRows(const OutputRows& rows, OutputFormat format) {
    switch (format) {
    case OutputFormat::Csv:
        return RowsAsCsv(rows);
    case OutputFormat::Json:
        return RowsAsJson(rows);
    case OutputFormat::Table:
        break;
    }
    return RowsAsTable(rows);
}

} // namespace vtrl::cli
