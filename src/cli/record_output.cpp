#include "cli/record_output.h"

#include "inventory/signature_status.h"
#include "inventory/startup_approved_value.h"

#include <algorithm>
#include <cwchar>

namespace vtrl::cli {

const std::vector<std::wstring_view>& RecordFieldNames() {
    static const std::vector<std::wstring_view> names = {
        L"Kind",         L"Location",   L"EntryName",  L"CommandLine",        L"ExeFolder",
        L"ExeName",      L"Arguments",  L"Company",    L"Description",        L"FileSize",
        L"IsRunning",    L"ViaRundll",  L"Found",      L"Launcher",           L"HijackRisk",
        L"ValueType",    L"Signer",     L"Verified",   L"SignatureStatus",    L"Sha256",
        L"Opener",       L"HiddenFile", L"SystemFile", L"NeedsAdministrator", L"EnabledInWindows",
        L"DisabledSince"};
    return names;
}

std::wstring SwitchedOffTime(std::uint64_t fileTime) {
    if (fileTime == 0) {
        return {};
    }
    const platform::LocalTime utc = inventory::UtcOfFileTime(fileTime);
    wchar_t text[32] = {};
    std::swprintf(text, 32, L"%04d-%02d-%02dT%02d:%02d:%02dZ", utc.year, utc.month, utc.day,
                  utc.hour, utc.minute, utc.second);
    return text;
}

std::span<const inventory::StartupRecord>
LiveRecords(const inventory::StartupInventory& inventory) {
    const auto count = static_cast<std::size_t>(std::max(inventory.LastRecordIndex + 1, 0));
    return std::span(inventory.Records).first(std::min(count, inventory.Records.size()));
}

OutputRows RecordRows(std::span<const inventory::StartupRecord> records) {
    OutputRows rows{RecordFieldNames(), {}};
    rows.rows.reserve(records.size());
    for (const inventory::StartupRecord& record : records) {
        rows.rows.push_back({
            TextCell(record.Kind),
            TextCell(record.Location),
            TextCell(record.EntryName),
            TextCell(record.CommandLine),
            TextCell(record.ExeFolder),
            TextCell(record.ExeName),
            TextCell(record.Arguments),
            TextCell(record.Company),
            TextCell(record.Description),
            NumberCell(record.FileSize),
            FlagCell(record.IsRunning),
            FlagCell(record.ViaRundll),
            FlagCell(record.Found),
            TextCell(record.Launcher),
            FlagCell(record.HijackRisk),
            TextCell(record.ValueType),
            TextCell(record.Signature.Signer),
            FlagCell(record.Signature.Status == inventory::SignatureStatus::Verified),
            TextCell(inventory::SignatureText(record.Signature, {})),
            TextCell(record.Signature.Sha256),
            TextCell(record.Opener),
            FlagCell(record.HiddenFile),
            FlagCell(record.SystemFile),
            FlagCell(record.NeedsAdministrator),
            FlagCell(record.EnabledInWindows),
            TextCell(SwitchedOffTime(record.DisabledSince)),
        });
    }
    return rows;
}

std::string FormatTable(std::span<const inventory::StartupRecord> records) {
    return RowsAsTable(RecordRows(records));
}

std::string FormatCsv(std::span<const inventory::StartupRecord> records) {
    return RowsAsCsv(RecordRows(records));
}

std::string FormatJson(std::span<const inventory::StartupRecord> records) {
    return RowsAsJson(RecordRows(records));
}

std::string FormatRecords(std::span<const inventory::StartupRecord> records, OutputFormat format) {
    return FormatRows(RecordRows(records), format);
}

} // namespace vtrl::cli
