// Shortcut link text: a shortcut's target and arguments joined by "^", and how the Startup-folder
// scan cuts it again. A record's texts must come from the link, whatever "^" or variables it
// holds, and a shortcut that can be read is never left out.

#include "fuzz_support.h"
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

    // The texts the scan must arrive at: the link as read, cut at its first and second "^".
    const std::size_t first = read.find(L'^');
    VTRL_FUZZ_CHECK(first != std::wstring::npos);
    const std::wstring cutTarget = read.substr(0, first);
    const std::size_t second = read.find(L'^', first + 1);
    const std::wstring cutArguments = read.substr(
        first + 1, second == std::wstring::npos ? std::wstring::npos : second - first - 1);
    const std::wstring expandedTarget = fake.environment.Expand(cutTarget);
    if (targetExists && !expandedTarget.empty() &&
        expandedTarget.find(L'\0') == std::wstring::npos) {
        fake.files.AddFile(expandedTarget, "MZ");
    }

    vtrl::inventory::StartupInventory inventory;
    vtrl::inventory::ScanContext context{
        fake.Get(),
        facts,
        inventory,
        {false, true},
        {},
        vtrl::inventory::CommandResolver(fake.Get(), facts.SystemFolder, facts.WindowsFolder)};
    vtrl::inventory::ScanStartupFolder(context, folder);

    // Every readable shortcut is listed, its program found or not, with the link's own texts.
    VTRL_FUZZ_CHECK(vtrl::inventory::ComputeLastRecordIndex(inventory) == 0);
    const vtrl::inventory::StartupRecord& record = inventory.Records[0];
    VTRL_FUZZ_CHECK(record.Kind == vtrl::inventory::kKindShortcut);
    VTRL_FUZZ_CHECK(record.EntryName == kLinkName && record.Location == folder);
    VTRL_FUZZ_CHECK(record.CommandLine == L"\"" + cutTarget + L"\" " + cutArguments);
    const std::wstring expandedArguments = fake.environment.Expand(cutArguments);
    if (record.Launcher.empty()) {
        VTRL_FUZZ_CHECK(record.Arguments == expandedArguments);
    } else if (record.ViaRundll) {
        VTRL_FUZZ_CHECK(vtrl::fuzz::Contains(expandedArguments, record.Arguments));
    } else {
        // A shell's own quote rules may drop characters, never add any.
        VTRL_FUZZ_CHECK(record.Arguments.size() <= expandedArguments.size());
    }
    VTRL_FUZZ_CHECK(record.ValueType.empty());
    return 0;
}
