#include "cli/vantorelc_command.h"

#include "cli/decision_output.h"
#include "cli/fact_output.h"
#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "inventory/inventory_scan.h"
#include "inventory/windows_own.h"
#include "services/localisation.h"
#include "services/settings_store.h"
#include "services/system_facts.h"
#include "services/text_file.h"

#include <algorithm>
#include <array>
#include <utility>
#include <variant>

namespace vtrl::cli {

namespace {

struct CommandName {
    const wchar_t* word;
    CliCommand command;
};
constexpr std::array<CommandName, 4> kCommands{{{L"list", CliCommand::List},
                                                {L"decisions", CliCommand::Decisions},
                                                {L"log", CliCommand::Log},
                                                {L"show", CliCommand::Show}}};
constexpr wchar_t kInterfaceSection[] = L"INTERFACE";
constexpr wchar_t kNoRecordsKey[] = L"NORECORDS";
// Only when no language file can be read, for instance when the tool was copied elsewhere.
constexpr wchar_t kNoRecordsFallback[] =
    L"Vantorel found no programs that start automatically with Windows, so there is nothing to "
    L"check.";

bool IsHelp(const std::wstring& argument) {
    return argument == L"--help" || argument == L"-h" || argument == L"/?";
}

// The interface texts in the user's saved language, else in English; empty when neither file has
// the key. Nothing is saved here: a first start would choose and store a language, the tool only
// reads.
inventory::InterfaceText InterfaceTexts(platform::Platform& platform,
                                        const services::SystemFacts& facts) {
    services::Language language;
    language.LanguageFolder = facts.ProgramFolder + L"\\" + services::kLanguagesFolderName;
    language.LanguageName = services::GetSetting(platform.registry, services::kAppKey, L"Settings",
                                                 L"Language", services::kEnglishLanguage);
    return [&platform, language](const std::wstring& key) {
        for (const std::wstring& name :
             {language.LanguageName, std::wstring(services::kEnglishLanguage)}) {
            std::wstring text = services::IniRead(platform, kInterfaceSection, key,
                                                  services::LanguageFilePath(language, name));
            if (!text.empty()) {
                return text;
            }
        }
        return std::wstring();
    };
}

// The warning the windows show, in the user's language.
std::wstring NoRecordsMessage(platform::Platform& platform, const services::SystemFacts& facts) {
    std::wstring text = InterfaceTexts(platform, facts)(kNoRecordsKey);
    return text.empty() ? kNoRecordsFallback : text;
}

// The facts of the records the argument names, labelled in the user's language; without any
// language file the keys stand in for the words.
CliResult ShowRecords(platform::Platform& platform, const services::SystemFacts& facts,
                      const inventory::StartupInventory& inventory, const CliRequest& request) {
    const std::vector<int> named = RecordsNamedBy(platform.locale, inventory, request.record);
    if (named.empty()) {
        return {"",
                ToUtf8(L"No startup record has the number or the name \"" + request.record +
                       L"\". \"vantorelc list\" shows them all.") +
                    "\r\n",
                kExitNoRecords};
    }
    const inventory::InterfaceText found = InterfaceTexts(platform, facts);
    const inventory::InterfaceText text = [&found](const std::wstring& key) {
        std::wstring words = found(key);
        return words.empty() ? key : words;
    };
    std::vector<ShownRecord> shown;
    for (const int index : named) {
        shown.push_back({index, inventory::RecordFacts(platform, facts, inventory, index, text)});
    }
    return {FormatShownRecords(shown, request.format), "", kExitOk};
}

CliResult NoFile(std::wstring_view message) {
    return {"", ToUtf8(message) + "\r\n", kExitNoFile};
}

// The lines of a data file, or the failure to report. Only reads: the decision database's own
// load would create a missing file.
std::variant<std::vector<std::wstring>, CliResult>
ReadDataFile(platform::Platform& platform, const std::wstring& path, std::wstring_view missing) {
    auto lines = services::ReadTextLines(platform.files, platform.locale, path);
    if (lines) {
        return std::move(*lines);
    }
    if (!platform.files.FileExists(path) && !platform.files.FolderExists(path)) {
        return NoFile(std::wstring(missing) + L": " + path + L" does not exist.");
    }
    return NoFile(L"Cannot read " + path + L".");
}

CliResult ListDecisions(platform::Platform& platform, const std::wstring& dataFolder,
                        OutputFormat format) {
    auto lines = ReadDataFile(platform, decisions::DecisionFilePath(dataFolder),
                              L"No white or black list yet");
    if (auto* failure = std::get_if<CliResult>(&lines)) {
        return std::move(*failure);
    }
    const auto entries = decisions::ParseDecisionLines(std::get<std::vector<std::wstring>>(lines));
    return {FormatRows(DecisionRows(entries), format), "", kExitOk};
}

CliResult ListBackupLog(platform::Platform& platform, const std::wstring& dataFolder,
                        OutputFormat format) {
    auto lines =
        ReadDataFile(platform, decisions::BackupLogPath(dataFolder), L"No removal log yet");
    if (auto* failure = std::get_if<CliResult>(&lines)) {
        return std::move(*failure);
    }
    const auto entries = decisions::ParseBackupLines(std::get<std::vector<std::wstring>>(lines));
    return {FormatRows(BackupRows(entries), format), "", kExitOk};
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
    const auto named = std::find_if(kCommands.begin(), kCommands.end(),
                                    [&](const CommandName& c) { return arguments[0] == c.word; });
    if (named == kCommands.end()) {
        return std::nullopt;
    }
    request.command = named->command;
    bool formatGiven = false;
    bool recordGiven = false;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::wstring& option = arguments[index];
        if (IsHelp(option)) {
            request.command = CliCommand::Help;
            continue;
        }
        if (named->command == CliCommand::Show && !recordGiven && option != L"--csv" &&
            option != L"--json") {
            recordGiven = true;
            request.record = option;
            continue;
        }
        if (option == L"--hide-windows" && request.command == CliCommand::List &&
            !request.hideWindows) {
            request.hideWindows = true;
            continue;
        }
        // One format only: "--csv --json" is more likely a slip than a wish.
        if ((option != L"--csv" && option != L"--json") || formatGiven) {
            return std::nullopt;
        }
        formatGiven = true;
        request.format = option == L"--csv" ? OutputFormat::Csv : OutputFormat::Json;
    }
    if (request.command == CliCommand::Show && !recordGiven) {
        return std::nullopt;
    }
    return request;
}

std::string UsageText() {
    return "Usage: vantorelc list [--csv | --json] [--hide-windows]\r\n"
           "       vantorelc decisions [--csv | --json]\r\n"
           "       vantorelc log [--csv | --json]\r\n"
           "       vantorelc show <number or EntryName> [--csv | --json]\r\n"
           "       vantorelc --help\r\n"
           "\r\n"
           "list       Prints the programs that start automatically when you log on, in scan\r\n"
           "           order: the Run, RunOnce and RunOnceEx values of HKEY_LOCAL_MACHINE and\r\n"
           "           HKEY_CURRENT_USER, the shortcuts of your Startup folder and the "
           "all-users\r\n"
           "           one, then the other places Windows starts programs from (Kind tells\r\n"
           "           which). Every text value is listed, also one whose program cannot be\r\n"
           "           found (Found false).\r\n"
           "           Fields: Kind, Location, EntryName, CommandLine, ExeFolder, ExeName,\r\n"
           "           Arguments, Company, Description, FileSize, IsRunning, ViaRundll,\r\n"
           "           Found, Launcher, HijackRisk, ValueType,\r\n"
           "           Signer, Verified, SignatureStatus, Sha256: who signed the program, "
           "whether\r\n"
           "           that signature verifies (\"Verified: <signer>\", \"Not verified "
           "(<reason>)\"\r\n"
           "           or \"Not signed\") and the SHA-256 of its bytes.\r\n"
           "           NeedsAdministrator: a machine-wide record you cannot change yourself.\r\n"
           "           --hide-windows leaves out programs in the Windows folder whose signature\r\n"
           "           verifies as Microsoft's; an unverified program is always listed.\r\n"
           "decisions  Prints the white list and the black list: every entry of ActionsDB.txt\r\n"
           "           in the data folder, in file order.\r\n"
           "           Fields: ExeFolder, ExeName, Arguments, DeleteRecord, KillIfRunning,\r\n"
           "           Status, and List: white (status 1), black (status 2) or none.\r\n"
           "log        Prints the removal log: every entry of BackupAndLog.txt in the data\r\n"
           "           folder, oldest first.\r\n"
           "           Fields: RemovedAt, RemovedDate, RemovedTime, Kind, FullLocation,\r\n"
           "           ExeFolder, ExeName, Arguments, CommandLine.\r\n"
           "show       Prints what the record page tells about one startup record: where it\r\n"
           "           lives, its command line, its program with description, company,\r\n"
           "           version, size and last change, whether it runs, its signature, and the\r\n"
           "           other records that start the same program. The record is given by its\r\n"
           "           number, counted from 0 in the order \"list\" prints them (without\r\n"
           "           --hide-windows), or by its EntryName, ignoring case; every record of\r\n"
           "           that name is shown. A number that names no record is read as a name.\r\n"
           "           The table labels each fact in your interface language; CSV and JSON\r\n"
           "           name the fields Index, Location, EntryName, CommandLine, ProgramPath,\r\n"
           "           Description, Company, Version, Size, Modified, Running, Signature,\r\n"
           "           AlsoStartedFrom.\r\n"
           "--help     Shows this text.\r\n"
           "\r\n"
           "Formats:   (default)  an aligned table\r\n"
           "           --csv      CSV with a header row (RFC 4180), UTF-8\r\n"
           "           --json     a JSON array of objects, UTF-8\r\n"
           "Nothing is changed: no setting, icon or file is written, no folder is made.\r\n"
           "\r\n"
           "Exit codes: 0 listed, 1 no startup records found (list, show: also when no\r\n"
           "record has the number or name) or the file is missing or cannot be read\r\n"
           "(decisions, log), with a message on standard error, 2 unknown command or option.\r\n";
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
    if (request->command == CliCommand::Decisions) {
        return ListDecisions(platform, facts.DataFolder, request->format);
    }
    if (request->command == CliCommand::Log) {
        return ListBackupLog(platform, facts.DataFolder, request->format);
    }
    inventory::StartupInventory inventory;
    const inventory::ScanOutcome outcome = inventory::ScanStartupRecords(
        platform, facts, inventory, {.withIcons = false, .readOnly = true});
    if (outcome == inventory::ScanOutcome::NoRecords) {
        return {"", ToUtf8(NoRecordsMessage(platform, facts)) + "\r\n", kExitNoRecords};
    }
    if (request->command == CliCommand::Show) {
        return ShowRecords(platform, facts, inventory, *request);
    }
    std::vector<inventory::StartupRecord> shown;
    for (const inventory::StartupRecord& record : LiveRecords(inventory)) {
        if (!request->hideWindows ||
            !inventory::IsWindowsOwnProgram(platform.locale, facts.WindowsFolder, record)) {
            shown.push_back(record);
        }
    }
    return {FormatRecords(shown, request->format), "", kExitOk};
}

} // namespace vtrl::cli
