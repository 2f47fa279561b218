#include "cli/vantorelc_command.h"

#include "inventory/inventory_scan.h"
#include "services/localisation.h"
#include "services/settings_store.h"
#include "services/system_facts.h"

namespace vtrl::cli {

namespace {

constexpr wchar_t kListCommand[] = L"list";
constexpr wchar_t kInterfaceSection[] = L"INTERFACE";
constexpr wchar_t kNoRecordsKey[] = L"NORECORDS";
// Only when no language file can be read, for instance when the tool was copied elsewhere.
constexpr wchar_t kNoRecordsFallback[] =
    L"Vantorel found no programs that start automatically with Windows, so there is nothing to "
    L"check.";

bool IsHelp(const std::wstring& argument) {
    return argument == L"--help" || argument == L"-h" || argument == L"/?";
}

// The warning the windows show, in the user's saved language when there is one. Nothing is
// saved here: a first start would choose and store a language, the tool only reads.
std::wstring NoRecordsMessage(platform::Platform& platform, const services::SystemFacts& facts) {
    services::Language language;
    language.LanguageFolder = facts.ProgramFolder + L"\\" + services::kLanguagesFolderName;
    language.LanguageName = services::GetSetting(platform.registry, services::kAppKey, L"Settings",
                                                 L"Language", services::kEnglishLanguage);
    for (const std::wstring& name :
         {language.LanguageName, std::wstring(services::kEnglishLanguage)}) {
        std::wstring text = services::IniRead(platform, kInterfaceSection, kNoRecordsKey,
                                              services::LanguageFilePath(language, name));
        if (!text.empty()) {
            return text;
        }
    }
    return kNoRecordsFallback;
}

} // namespace

std::optional<CliRequest> ParseArguments(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) {
        return std::nullopt;
    }
    CliRequest request;
    if (IsHelp(arguments[0])) {
        return arguments.size() == 1 ? std::optional(request) : std::nullopt;
    }
    if (arguments[0] != kListCommand) {
        return std::nullopt;
    }
    request.command = CliCommand::List;
    bool formatGiven = false;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::wstring& option = arguments[index];
        if (IsHelp(option)) {
            request.command = CliCommand::Help;
            continue;
        }
        // One format only: "--csv --json" is more likely a slip than a wish.
        if ((option != L"--csv" && option != L"--json") || formatGiven) {
            return std::nullopt;
        }
        formatGiven = true;
        request.format = option == L"--csv" ? OutputFormat::Csv : OutputFormat::Json;
    }
    return request;
}

std::string UsageText() {
    return "Usage: vantorelc list [--csv | --json]\r\n"
           "       vantorelc --help\r\n"
           "\r\n"
           "list     Prints the programs that start automatically when you log on, in scan\r\n"
           "         order: the Run, RunOnce and RunOnceEx values of HKEY_LOCAL_MACHINE (for\r\n"
           "         administrators) and HKEY_CURRENT_USER, then the shortcuts of your Startup\r\n"
           "         folder and (for administrators) the all-users one. Entries whose program\r\n"
           "         cannot be found are left out. Nothing is changed: no setting, icon or\r\n"
           "         file is written.\r\n"
           "           (default)  an aligned table\r\n"
           "           --csv      CSV with a header row (RFC 4180), UTF-8\r\n"
           "           --json     a JSON array of objects, UTF-8\r\n"
           "         Fields: Kind, Location, EntryName, CommandLine, ExeFolder, ExeName,\r\n"
           "         Arguments, Company, Description, FileSize, IsRunning, ViaRundll.\r\n"
           "--help   Shows this text.\r\n"
           "\r\n"
           "Exit codes: 0 listed, 1 no startup records found (message on standard error),\r\n"
           "2 unknown command or option.\r\n";
}

CliResult RunVantorelc(platform::Platform& platform, const std::vector<std::wstring>& arguments) {
    const std::optional<CliRequest> request = ParseArguments(arguments);
    if (!request) {
        return {"", UsageText(), kExitUsage};
    }
    if (request->command == CliCommand::Help) {
        return {UsageText(), "", kExitOk};
    }
    const services::SystemFacts facts =
        services::FrameworkStartup(platform, {.createDataFolder = false});
    inventory::StartupInventory inventory;
    const inventory::ScanOutcome outcome = inventory::ScanStartupRecords(
        platform, facts, inventory, {.withIcons = false, .readOnly = true});
    if (outcome == inventory::ScanOutcome::NoRecords) {
        return {"", ToUtf8(NoRecordsMessage(platform, facts)) + "\r\n", kExitNoRecords};
    }
    return {FormatRecords(LiveRecords(inventory), request->format), "", kExitOk};
}

} // namespace vtrl::cli
