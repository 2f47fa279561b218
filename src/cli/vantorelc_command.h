#pragma once
// vantorelc, the console companion: what it prints and its exit code for a command line, apart
// from where the bytes go, so the whole tool runs against the fake platform too.

#include "cli/record_output.h"
#include "platform/platform.h"

#include <optional>
#include <string>
#include <vector>

namespace vtrl::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitNoRecords = 1;
// "decisions" and "log": the file is missing or cannot be read.
inline constexpr int kExitNoFile = 1;
inline constexpr int kExitUsage = 2;

enum class CliCommand { Help, List, Decisions, Log, Show };

struct CliRequest {
    CliCommand command = CliCommand::Help;
    OutputFormat format = OutputFormat::Table;
    // "list --hide-windows": Windows' own entries left out.
    bool hideWindows = false;
    // "show": the record's number or EntryName, as given (it may be empty: a default value).
    std::wstring record;
};

// The request for the arguments after the program name; nullopt for anything it does not know.
std::optional<CliRequest> ParseArguments(const std::vector<std::wstring>& arguments);

std::string UsageText();

struct CliResult {
    std::string standardOutput; // UTF-8
    std::string standardError;  // UTF-8
    int exitCode = kExitOk;
};

// Runs the tool. "list" and "show" read the inventory, "decisions" the decision file and "log" the
// backup-and-log file, all without writing a setting, an icon, a marker, a file or the data
// folder.
CliResult RunVantorelc(platform::Platform& platform, const std::vector<std::wstring>& arguments);

} // namespace vtrl::cli
