#include "cli/decision_output.h"

namespace vtrl::cli {

const std::vector<std::wstring_view>& DecisionFieldNames() {
    static const std::vector<std::wstring_view> names = {
        L"ExeFolder",     L"ExeName", L"Arguments", L"DeleteRecord",
        L"KillIfRunning", L"Status",  L"List"};
    return names;
}

std::wstring_view ListOf(const std::wstring& status) {
    if (status == decisions::kStatusApproved) {
        return kWhiteList;
    }
    if (status == decisions::kStatusRestricted) {
        return kBlackList;
    }
    return kNoList;
}

OutputRows DecisionRows(std::span<const decisions::DecisionEntry> entries) {
    OutputRows rows{DecisionFieldNames(), {}};
    rows.rows.reserve(entries.size());
    for (const decisions::DecisionEntry& entry : entries) {
        rows.rows.push_back({
            TextCell(entry.ExeFolder),
            TextCell(entry.ExeName),
            TextCell(entry.Arguments),
            FlagCell(entry.DeleteRecord),
            FlagCell(entry.KillIfRunning),
            TextCell(entry.Status),
            TextCell(std::wstring(ListOf(entry.Status))),
        });
    }
    return rows;
}

const std::vector<std::wstring_view>& BackupFieldNames() {
    static const std::vector<std::wstring_view> names = {
        L"RemovedAt", L"RemovedDate", L"RemovedTime", L"Kind",       L"FullLocation",
        L"ExeFolder", L"ExeName",     L"Arguments",   L"CommandLine"};
    return names;
}

OutputRows BackupRows(std::span<const decisions::BackupEntry> entries) {
    OutputRows rows{BackupFieldNames(), {}};
    rows.rows.reserve(entries.size());
    for (const decisions::BackupEntry& entry : entries) {
        std::vector<Cell> row;
        // DataRowsOf keeps the file's order, which is the order of the names above.
        for (std::wstring& text : decisions::DataRowsOf(entry)) {
            row.push_back(TextCell(std::move(text)));
        }
        rows.rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace vtrl::cli
