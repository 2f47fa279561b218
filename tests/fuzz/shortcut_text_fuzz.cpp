// Shortcut link text: a shortcut's target and arguments joined by "^", and how the Startup-folder
// scan cuts it again. A record's texts must come from the link, whatever "^" or tokens it holds.

#include "fuzz_support.h"
#include "inventory/command_resolution.h"
#include "inventory/startup_folder_scan.h"

namespace {

constexpr wchar_t kLinkName[] = L"Fuzzed.lnk";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    const vtrl::services::SystemFacts facts = vtrl::fuzz::ProfileFacts();
    const bool targetExists = input.ConsumeBool();
    const std::wstring target = vtrl::fuzz::AnsiText(input, 512);
    const std::wstring arguments = vtrl::fuzz::AnsiText(input, 1024);

    const std::wstring folder = facts.StartupFolder;
    const std::wstring linkPath = folder + L"\\" + kLinkName;
    fake.files.AddFile(linkPath, "");
    fake.links.readable[vtrl::fakes::FoldCase(linkPath)] = {target, arguments};

    const std::wstring read = vtrl::inventory::ReadShortcut(fake.links, linkPath);
    VTRL_FUZZ_CHECK(read == target + L"^" + arguments);
    VTRL_FUZZ_CHECK(vtrl::inventory::ReadShortcut(fake.links, folder + L"\\Missing.lnk").empty());

    // The texts the scan must arrive at: the expanded link cut at its first and second "^".
    const std::wstring expanded = vtrl::inventory::ExpandFolderTokens(fake.locale, facts, read);
    const std::size_t first = expanded.find(L'^');
    VTRL_FUZZ_CHECK(first != std::wstring::npos);
    const std::wstring cutTarget = expanded.substr(0, first);
    const std::size_t second = expanded.find(L'^', first + 1);
    const std::wstring cutArguments = expanded.substr(
        first + 1, second == std::wstring::npos ? std::wstring::npos : second - first - 1);
    if (targetExists && !cutTarget.empty() && cutTarget.find(L'\0') == std::wstring::npos) {
        fake.files.AddFile(cutTarget, "MZ");
    }

    vtrl::inventory::StartupInventory inventory;
    vtrl::inventory::ScanContext context{fake.Get(), facts, inventory, {false, true}, {}};
    vtrl::inventory::ScanStartupFolder(context, folder);

    const int last = vtrl::inventory::ComputeLastRecordIndex(inventory);
    VTRL_FUZZ_CHECK(last <= 0);
    if (last < 0) {
        // Only a target that cannot be found is skipped.
        std::wstring executable = cutTarget;
        std::wstring executableArguments = cutArguments;
        vtrl::inventory::SplitRundllCall(fake.locale, facts, executable, executableArguments);
        VTRL_FUZZ_CHECK(!vtrl::inventory::ResolveExecutable(fake.Get(), facts, executable));
        return 0;
    }
    const vtrl::inventory::StartupRecord& record = inventory.Records[0];
    VTRL_FUZZ_CHECK(record.Kind == vtrl::inventory::kKindShortcut);
    VTRL_FUZZ_CHECK(record.EntryName == kLinkName && record.Location == folder);
    VTRL_FUZZ_CHECK(record.CommandLine == L"\"" + cutTarget + L"\" " + cutArguments);
    if (!record.ViaRundll) {
        VTRL_FUZZ_CHECK(record.Arguments == cutArguments);
    } else {
        VTRL_FUZZ_CHECK(vtrl::fuzz::Contains(cutArguments, record.Arguments));
    }
    VTRL_FUZZ_CHECK(record.Arguments.find(L'^') == std::wstring::npos);
    return 0;
}
