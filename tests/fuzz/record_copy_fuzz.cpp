// Exact copies kept beside the backup log: any bytes read either as no copy or as one that
// formats back to exactly those bytes; a copy counts only for its own log entry, and a restore
// from whatever the file holds writes nowhere but the entry's own place.

#include "decisions/record_copy.h"
#include "decisions/record_restore.h"
#include "fuzz_support.h"
#include "services/registry_access.h"

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kStartup[] = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vtrl;
    FuzzedDataProvider input(data, size);
    const bool shortcut = input.ConsumeBool();
    const std::string file = fuzz::RestAsFile(input);

    const auto parsed = decisions::ParseRecordCopy(file);
    if (parsed) {
        VTRL_FUZZ_CHECK(decisions::FormatRecordCopy(*parsed) == file);
    }

    fakes::FakePlatform fake;
    fake.files.AddFolder(fuzz::kDataFolder);
    fake.files.AddFolder(kStartup);
    fake.registry.CreateKey(platform::Hive::CurrentUser, kRunKey);
    const decisions::BackupEntry entry{L"12/8/2026 5:34:07 AM",
                                       L"8-12-2026",
                                       L"5:34:7",
                                       shortcut ? L"SHORTCUT" : L"REGISTRY",
                                       shortcut ? std::wstring(kStartup) + L"\\Tool.lnk"
                                                : L"HKEY_CURRENT_USER\\" + std::wstring(kRunKey) +
                                                      L"\\Tool",
                                       L"c:\\tools",
                                       L"tool.exe",
                                       L"",
                                       L"c:\\tools\\tool.exe"};
    fake.files.AddFolder(decisions::RecordCopyFolder(fuzz::kDataFolder));
    fake.files.AddFile(
        decisions::RecordCopyPath(fake.locale, fuzz::kDataFolder, entry.Kind, entry.FullLocation),
        file);
    const auto found = decisions::FindRecordCopy(fake.files, fake.locale, fuzz::kDataFolder, entry);
    if (found) {
        VTRL_FUZZ_CHECK(found == parsed);
        VTRL_FUZZ_CHECK(found->Kind == entry.Kind && found->FullLocation == entry.FullLocation &&
                        found->RemovedAt == entry.RemovedAt);
    }

    services::SystemFacts facts = inventory::testing::FakeProfileFacts(false);
    facts.DataFolder = fuzz::kDataFolder;
    // A copy is written back only where its exact location names a place the scan looks at; one
    // that names none (a NUL inside the Startup folder's path, which no file can have) is left
    // unused and the record is written from the log's lines.
    decisions::BackupEntry exact = entry;
    if (found) {
        exact.FullLocation = found->content.exactLocation;
    }
    const bool used =
        found && decisions::ScannedRestoreTarget(fake.locale, facts, exact).has_value();
    decisions::Decisions table;
    const auto outcome = decisions::RestoreRemovedRecord(fake.Get(), facts, table, entry);
    VTRL_FUZZ_CHECK(!outcome.refused && outcome.exactCopy == used);
    // Whatever the copy says, only the entry's own value or shortcut file may exist afterwards.
    const auto names = fake.registry.ListValueNames(platform::Hive::CurrentUser, kRunKey);
    const auto links = fake.files.ListFolder(kStartup, L"*");
    if (shortcut) {
        VTRL_FUZZ_CHECK(names && names->empty());
        VTRL_FUZZ_CHECK(links.size() <= 1);
        if (used) {
            VTRL_FUZZ_CHECK(links.size() == 1 && links[0].name == L"Tool.lnk");
            VTRL_FUZZ_CHECK(fake.files.Content(entry.FullLocation) == found->content.data);
        }
    } else {
        VTRL_FUZZ_CHECK(links.empty());
        VTRL_FUZZ_CHECK(names && *names == std::vector<std::wstring>{L"Tool"});
        const auto value = fake.registry.QueryValue(platform::Hive::CurrentUser, kRunKey, L"Tool");
        VTRL_FUZZ_CHECK(value.has_value());
        if (used) {
            VTRL_FUZZ_CHECK(value->type == found->content.valueType &&
                            std::string(value->data.begin(), value->data.end()) ==
                                found->content.data);
        } else {
            VTRL_FUZZ_CHECK(value->type == platform::kRegSz &&
                            services::DecodeRegSz(value->data) == entry.CommandLine);
        }
    }
    return 0;
}
