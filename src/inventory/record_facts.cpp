#include "inventory/record_facts.h"

#include "inventory/signature_status.h"
#include "inventory/startup_approved_value.h"
#include "inventory/version_string.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace vtrl::inventory {

namespace {

constexpr wchar_t kMachineRoot[] = L"hkey_local_machine\\";
constexpr wchar_t kUserRoot[] = L"hkey_current_user\\";
constexpr wchar_t kMachineSoftware[] = L"hkey_local_machine\\software\\";
constexpr wchar_t kMachineSoftware32[] = L"hkey_local_machine\\software\\wow6432node\\";
// The kinds the scan reads under both registry views of the machine: only for them does the
// view tell one record from another.
constexpr std::array<std::wstring_view, 4> kTwoViewKinds{kKindRegistry, kKindRunOnceEx,
                                                         kKindWinlogon, kKindActiveSetup};
constexpr std::uint64_t kBytesPerKilobyte = 1024;
constexpr wchar_t kFirstPlaceholder[] = L"%1";
constexpr wchar_t kSecondPlaceholder[] = L"%2";

// The text with %1 (and %2) put in; a translation that lost a placeholder still shows the value.
std::wstring Filled(std::wstring pattern, const std::wstring& first,
                    const std::wstring& second = {}) {
    for (const auto& [placeholder, value] :
         {std::pair{kFirstPlaceholder, &first}, std::pair{kSecondPlaceholder, &second}}) {
        const std::size_t at = pattern.find(placeholder);
        if (at != std::wstring::npos) {
            pattern.replace(at, 2, *value);
        } else if (!value->empty()) {
            pattern += L" " + *value;
        }
    }
    return pattern;
}

bool IsFolderKind(const std::wstring& kind) {
    return kind == kKindShortcut || kind == kKindStartupFile;
}

enum class Owner { Unknown, AllUsers, AllUsers64, AllUsers32, You };

Owner OwnerOf(platform::Locale& locale, const services::SystemFacts& facts,
              const StartupRecord& record) {
    const std::wstring location = locale.ToLower(record.Location);
    if (location.starts_with(kMachineSoftware32)) {
        return Owner::AllUsers32;
    }
    if (location.starts_with(kMachineSoftware) &&
        std::find(kTwoViewKinds.begin(), kTwoViewKinds.end(), record.Kind) != kTwoViewKinds.end()) {
        return Owner::AllUsers64;
    }
    if (location.starts_with(kMachineRoot)) {
        return Owner::AllUsers;
    }
    if (location.starts_with(kUserRoot)) {
        return Owner::You;
    }
    if (!facts.CommonStartupFolder.empty() &&
        location == locale.ToLower(facts.CommonStartupFolder)) {
        return Owner::AllUsers;
    }
    if (!facts.StartupFolder.empty() && location == locale.ToLower(facts.StartupFolder)) {
        return Owner::You;
    }
    return Owner::Unknown;
}

std::wstring ProgramPathOf(const StartupRecord& record) {
    if (!record.ProgramPath.empty()) {
        return record.ProgramPath;
    }
    return record.ExeFolder + L"\\" + record.ExeName;
}

bool SameProgram(const StartupRecord& one, const StartupRecord& other) {
    return !one.ExeName.empty() && one.ExeName == other.ExeName && one.ExeFolder == other.ExeFolder;
}

std::wstring ModifiedText(platform::Platform& platform, const std::wstring& path) {
    const auto written = platform.files.LastWriteTime(path);
    if (!written) {
        return {};
    }
    const auto local = platform.clock.LocalOfUtc(UtcOfFileTime(*written));
    return local ? platform.locale.FormatDateTime(*local) : std::wstring();
}

} // namespace

std::wstring PlaceWords(platform::Locale& locale, const services::SystemFacts& facts,
                        const StartupRecord& record, const InterfaceText& text) {
    const std::wstring place = text(L"PLACE-" + record.Kind);
    switch (OwnerOf(locale, facts, record)) {
    case Owner::AllUsers:
        return Filled(text(L"FACTS-ALLUSERS"), place);
    case Owner::AllUsers64:
        return Filled(text(L"FACTS-ALLUSERS64"), place);
    case Owner::AllUsers32:
        return Filled(text(L"FACTS-ALLUSERS32"), place);
    case Owner::You:
        return Filled(text(L"FACTS-YOURS"), place);
    case Owner::Unknown:
        break;
    }
    return place;
}

std::wstring SizeText(std::uint64_t bytes, const InterfaceText& text) {
    const std::wstring exact = std::to_wstring(bytes);
    if (bytes < kBytesPerKilobyte) {
        return Filled(text(L"FACTS-BYTES"), exact);
    }
    const std::uint64_t kilobytes = (bytes + kBytesPerKilobyte - 1) / kBytesPerKilobyte;
    return Filled(text(L"FACTS-KB"), std::to_wstring(kilobytes), exact);
}

std::vector<RecordFact> RecordFacts(platform::Platform& platform,
                                    const services::SystemFacts& facts,
                                    const StartupInventory& inventory, int index,
                                    const InterfaceText& text) {
    std::vector<RecordFact> list;
    if (index < 0 || index > inventory.LastRecordIndex ||
        static_cast<std::size_t>(index) >= inventory.Records.size()) {
        return list;
    }
    const StartupRecord& record = inventory.Records[static_cast<std::size_t>(index)];
    const auto add = [&](std::wstring_view field, const wchar_t* labelKey, std::wstring value) {
        list.push_back({field, text(labelKey), std::move(value)});
    };
    // What the user still needs to hear when a fact has no text of its own.
    const auto orNone = [&](std::wstring value) {
        return value.empty() ? text(L"FACTS-NONE") : value;
    };
    const std::wstring notFound = text(L"REC-NOTFOUND");
    const std::wstring path = ProgramPathOf(record);

    add(kFactLocation, L"FACTS-LOCATION",
        PlaceWords(platform.locale, facts, record, text) + L": " + record.Location);
    add(kFactEntryName, IsFolderKind(record.Kind) ? L"FACTS-FILENAME" : L"FACTS-VALUENAME",
        orNone(record.EntryName));
    add(kFactCommandLine, L"FACTS-COMMANDLINE", orNone(record.CommandLine));
    if (!record.Found) {
        // The best reading of the command, said to be missing; nothing about a file that is not.
        add(kFactProgramPath, L"FACTS-PROGRAM", notFound + L": " + path);
        for (const auto& [field, key] :
             {std::pair{kFactDescription, L"FACTS-DESCRIPTION"},
              std::pair{kFactCompany, L"FACTS-COMPANY"}, std::pair{kFactVersion, L"FACTS-VERSION"},
              std::pair{kFactSize, L"FACTS-SIZE"}, std::pair{kFactModified, L"FACTS-MODIFIED"}}) {
            add(field, key, notFound);
        }
    } else {
        add(kFactProgramPath, L"FACTS-PROGRAM", path);
        add(kFactDescription, L"FACTS-DESCRIPTION", orNone(record.Description));
        add(kFactCompany, L"FACTS-COMPANY", orNone(record.Company));
        const auto block = platform.version.ReadVersionBlock(path);
        add(kFactVersion, L"FACTS-VERSION",
            orNone(block ? FileVersionText(platform.locale, *block) : std::wstring()));
        const auto size = platform.files.FileSize(path);
        add(kFactSize, L"FACTS-SIZE", size ? SizeText(*size, text) : text(L"FACTS-UNKNOWN"));
        const std::wstring modified = ModifiedText(platform, path);
        add(kFactModified, L"FACTS-MODIFIED", modified.empty() ? text(L"FACTS-UNKNOWN") : modified);
    }
    add(kFactRunning, L"FACTS-RUNNING", text(record.IsRunning ? L"FACTS-YES" : L"FACTS-NO"));
    add(kFactSignature, L"FACTS-SIGNATURE",
        record.Found
            ? SignatureText(record.Signature,
                            {text(L"SIGVERIFIED"), text(L"SIGNOTVERIFIED"), text(L"SIGNOTSIGNED")})
            : notFound);

    std::wstring others;
    for (int other = 0; other <= inventory.LastRecordIndex; ++other) {
        const StartupRecord& candidate = inventory.Records[static_cast<std::size_t>(other)];
        if (other == index || !candidate.InUse || !SameProgram(record, candidate)) {
            continue;
        }
        others += (others.empty() ? L"" : kFactListSeparator) +
                  PlaceWords(platform.locale, facts, candidate, text) + L": " + candidate.EntryName;
    }
    add(kFactAlsoStartedFrom, L"FACTS-ALSO", others);
    return list;
}

} // namespace vtrl::inventory
