#include "cli/fact_output.h"

#include <algorithm>
#include <optional>

namespace vtrl::cli {

namespace {

constexpr char kLineEnd[] = "\r\n";

// The slot a text of decimal digits numbers; nullopt for any other text or a number too large.
std::optional<int> SlotNumber(const std::wstring& text) {
    constexpr std::size_t kMostDigits = 9;
    if (text.empty() || text.size() > kMostDigits) {
        return std::nullopt;
    }
    int number = 0;
    for (const wchar_t digit : text) {
        if (digit < L'0' || digit > L'9') {
            return std::nullopt;
        }
        number = number * 10 + (digit - L'0');
    }
    return number;
}

} // namespace

const std::vector<std::wstring_view>& FactFieldNames() {
    static const std::vector<std::wstring_view> names = {L"Index",
                                                         inventory::kFactLocation,
                                                         inventory::kFactEntryName,
                                                         inventory::kFactCommandLine,
                                                         inventory::kFactProgramPath,
                                                         inventory::kFactDescription,
                                                         inventory::kFactCompany,
                                                         inventory::kFactVersion,
                                                         inventory::kFactSize,
                                                         inventory::kFactModified,
                                                         inventory::kFactRunning,
                                                         inventory::kFactSignature,
                                                         inventory::kFactAlsoStartedFrom};
    return names;
}

std::vector<int> RecordsNamedBy(platform::Locale& locale,
                                const inventory::StartupInventory& inventory,
                                const std::wstring& argument) {
    const int live =
        std::min(inventory.LastRecordIndex + 1, static_cast<int>(inventory.Records.size()));
    if (const auto slot = SlotNumber(argument); slot && *slot < live) {
        return {*slot};
    }
    std::vector<int> named;
    const std::wstring wanted = locale.ToLower(argument);
    for (int index = 0; index < live; ++index) {
        if (locale.ToLower(inventory.Records[static_cast<std::size_t>(index)].EntryName) ==
            wanted) {
            named.push_back(index);
        }
    }
    return named;
}

std::string FormatShownRecords(std::span<const ShownRecord> records, OutputFormat format) {
    if (format == OutputFormat::Table) {
        std::string out;
        for (const ShownRecord& record : records) {
            out += out.empty() ? "" : kLineEnd;
            // Appended piece by piece: "#" + to_string trips GCC 12's -Wrestrict at -O3.
            out += '#';
            out += std::to_string(record.index);
            out += kLineEnd;
            std::vector<std::pair<std::wstring, std::wstring>> lines;
            for (const inventory::RecordFact& fact : record.facts) {
                lines.emplace_back(fact.label, fact.value);
            }
            out += LabelledLines(lines);
        }
        return out;
    }
    OutputRows rows{FactFieldNames(), {}};
    for (const ShownRecord& record : records) {
        std::vector<Cell> row{NumberCell(record.index)};
        for (const inventory::RecordFact& fact : record.facts) {
            row.push_back(TextCell(fact.value));
        }
        rows.rows.push_back(std::move(row));
    }
    return FormatRows(rows, format);
}

} // namespace vtrl::cli
