#include "inventory/launcher_payload.h"

#include "inventory/command_line_parse.h"

#include <algorithm>
#include <cwctype>

namespace vtrl::inventory {

namespace {

std::wstring Lower(std::wstring_view text) {
    std::wstring lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return lower;
}

std::optional<LauncherPayload> Payload(ProgramAndArguments split, Extensions extensions,
                                       bool bareWordMayBeCommand = false) {
    if (TrimBlanks(split.program).empty()) {
        return std::nullopt;
    }
    return LauncherPayload{TrimBlanks(split.program), std::move(split.arguments), extensions,
                           bareWordMayBeCommand};
}

// rundll32 reads the DLL up to the first comma; everything after it is the entry point and its
// arguments, kept exactly as decisions have always been keyed.
std::optional<LauncherPayload> Rundll32(std::wstring_view arguments) {
    const std::size_t comma = arguments.find(L',');
    std::wstring dll = TrimBlanks(arguments.substr(0, comma));
    if (StartsQuoted(dll)) {
        dll = NextArgument(dll).program;
    }
    std::wstring rest;
    if (comma != std::wstring_view::npos) {
        rest = arguments.substr(comma + 1);
    }
    return Payload({std::move(dll), std::move(rest)}, Extensions::Library);
}

// The first argument that is not a switch; switchStart tells a switch ("/" or "//").
std::optional<LauncherPayload>
FirstNonSwitch(std::wstring_view arguments, std::wstring_view switchStart, Extensions extensions) {
    ProgramAndArguments next = NextArgument(arguments);
    while (!next.program.empty() && (next.program.starts_with(switchStart) ||
                                     (switchStart == L"/" && next.program.starts_with(L"-")))) {
        next = NextArgument(next.arguments);
    }
    return Payload(std::move(next), extensions);
}

std::optional<LauncherPayload> Mshta(std::wstring_view arguments) {
    auto payload = FirstNonSwitch(arguments, L"//", Extensions::AsWritten);
    if (!payload) {
        return std::nullopt;
    }
    // A URL or an inline script names no file; a drive letter's colon is no scheme.
    const std::size_t colon = payload->program.find(L':');
    if (colon != std::wstring::npos && colon > 1) {
        return std::nullopt;
    }
    return payload;
}

// Cuts a command of cmd at its first "&" or "|" outside quotes: what follows is another command.
std::wstring_view FirstCommand(std::wstring_view text) {
    bool quoted = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] == L'"') {
            quoted = !quoted;
        } else if (!quoted && (text[at] == L'&' || text[at] == L'|')) {
            return text.substr(0, at);
        }
    }
    return text;
}

std::optional<LauncherPayload> Cmd(std::wstring_view arguments) {
    // The text after the first /c, /k or /r switch is the command; other switches come before.
    std::wstring_view rest = arguments;
    for (;;) {
        const std::size_t at = rest.find_first_not_of(L" \t");
        if (at == std::wstring_view::npos || rest[at] != L'/' || at + 1 >= rest.size()) {
            return std::nullopt;
        }
        const wchar_t letter = static_cast<wchar_t>(std::towlower(rest[at + 1]));
        if (letter == L'c' || letter == L'k' || letter == L'r') {
            rest = rest.substr(at + 2);
            break;
        }
        const std::size_t end = rest.find_first_of(L" \t", at);
        rest = end == std::wstring_view::npos ? std::wstring_view() : rest.substr(end);
    }
    std::wstring command = TrimBlanks(rest);
    // cmd's own quote rule: a command opening with a quote keeps its quotes only when it holds
    // exactly two; otherwise the first character and the last quote go.
    if (command.starts_with(L"\"") && std::count(command.begin(), command.end(), L'"') != 2) {
        command.erase(command.rfind(L'"'), 1);
        command.erase(0, 1);
    }
    command = TrimBlanks(FirstCommand(command));
    ProgramAndArguments next = NextArgument(command);
    const std::wstring word = Lower(next.program);
    if (word == L"call") {
        next = NextArgument(next.arguments);
    } else if (word == L"start") {
        // start's switches and its window title (its first quoted text when something follows)
        // come before the program, in any order.
        std::wstring rest = next.arguments;
        bool titleSeen = false;
        for (;;) {
            next = NextArgument(rest);
            if (next.program.starts_with(L"/")) {
                rest = next.arguments;
            } else if (!titleSeen && StartsQuoted(rest) && !next.arguments.empty()) {
                titleSeen = true;
                rest = next.arguments;
            } else {
                break;
            }
        }
    }
    return Payload(std::move(next), Extensions::PathExt, true);
}

bool Abbreviates(std::wstring_view written, std::wstring_view option, std::size_t shortest) {
    return written.size() >= shortest && option.starts_with(written);
}

std::optional<LauncherPayload> PowerShellCommand(std::wstring_view text) {
    // A command passed as one quoted argument loses those quotes before PowerShell reads it.
    std::wstring command(text);
    if (StartsQuoted(command)) {
        const ProgramAndArguments outer = NextArgument(command);
        command = outer.arguments.empty() ? outer.program : outer.program + L" " + outer.arguments;
    }
    ProgramAndArguments next = NextArgument(command, true);
    if (next.program.starts_with(L"{") || next.program == L"-") {
        return std::nullopt;
    }
    if (next.program == L"&" || next.program == L".") {
        next = NextArgument(next.arguments, true);
    }
    const std::wstring word = Lower(next.program);
    if (word == L"start-process" || word == L"start" || word == L"saps") {
        next = NextArgument(next.arguments, true);
        if (Abbreviates(Lower(next.program), L"-filepath", 2)) {
            next = NextArgument(next.arguments, true);
        }
    }
    return Payload(std::move(next), Extensions::PathExt, true);
}

std::optional<LauncherPayload> PowerShell(std::wstring_view arguments, bool positionalIsFile) {
    // Options that take a value of their own, by the shortest abbreviation PowerShell accepts.
    constexpr std::pair<std::wstring_view, std::size_t> kWithValue[] = {{L"executionpolicy", 2},
                                                                        {L"ep", 2},
                                                                        {L"windowstyle", 1},
                                                                        {L"version", 1},
                                                                        {L"inputformat", 2},
                                                                        {L"if", 2},
                                                                        {L"outputformat", 1},
                                                                        {L"of", 2},
                                                                        {L"configurationname", 4},
                                                                        {L"workingdirectory", 2},
                                                                        {L"wd", 2},
                                                                        {L"settingsfile", 2},
                                                                        {L"custompipename", 2},
                                                                        {L"encodedarguments", 9},
                                                                        {L"ea", 2},
                                                                        {L"psconsolefile", 3}};
    std::wstring rest(arguments);
    ProgramAndArguments next = NextArgument(rest);
    while (!next.program.empty()) {
        const bool isOption = next.program.starts_with(L"-") || next.program.starts_with(L"/");
        if (!isOption) {
            // Without -File or -Command, Windows PowerShell runs the rest as a command and
            // PowerShell 7 runs the first word as a script file.
            if (positionalIsFile) {
                return Payload(std::move(next), Extensions::AsWritten);
            }
            return PowerShellCommand(rest);
        }
        const std::wstring name = Lower(next.program.substr(1));
        if (Abbreviates(name, L"file", 1)) {
            return Payload(NextArgument(next.arguments), Extensions::AsWritten);
        }
        if (Abbreviates(name, L"command", 1)) {
            return PowerShellCommand(next.arguments);
        }
        if (Abbreviates(name, L"encodedcommand", 1) || name == L"ec") {
            return std::nullopt;
        }
        const bool takesValue =
            std::any_of(std::begin(kWithValue), std::end(kWithValue), [&name](const auto& option) {
                return Abbreviates(name, option.first, option.second);
            });
        rest = next.arguments;
        if (takesValue) {
            rest = NextArgument(rest).arguments;
        }
        next = NextArgument(rest);
    }
    return std::nullopt;
}

} // namespace

LauncherKind KindOfLauncher(std::wstring_view fileName) {
    std::wstring name = Lower(fileName);
    if (name.ends_with(L".exe")) {
        name.resize(name.size() - 4);
    }
    constexpr std::pair<std::wstring_view, LauncherKind> kKinds[] = {
        {L"rundll32", LauncherKind::Rundll32},     {L"regsvr32", LauncherKind::Regsvr32},
        {L"wscript", LauncherKind::ScriptHost},    {L"cscript", LauncherKind::ScriptHost},
        {L"mshta", LauncherKind::Mshta},           {L"cmd", LauncherKind::Cmd},
        {L"powershell", LauncherKind::PowerShell}, {L"pwsh", LauncherKind::Pwsh}};
    for (const auto& [launcher, kind] : kKinds) {
        if (name == launcher) {
            return kind;
        }
    }
    return LauncherKind::None;
}

std::optional<LauncherPayload> FindLauncherPayload(LauncherKind kind, std::wstring_view arguments) {
    switch (kind) {
    case LauncherKind::Rundll32:
        return Rundll32(arguments);
    case LauncherKind::Regsvr32:
        return FirstNonSwitch(arguments, L"/", Extensions::Library);
    case LauncherKind::ScriptHost:
        return FirstNonSwitch(arguments, L"//", Extensions::AsWritten);
    case LauncherKind::Mshta:
        return Mshta(arguments);
    case LauncherKind::Cmd:
        return Cmd(arguments);
    case LauncherKind::PowerShell:
        return PowerShell(arguments, false);
    case LauncherKind::Pwsh:
        return PowerShell(arguments, true);
    case LauncherKind::None:
        break;
    }
    return std::nullopt;
}

} // namespace vtrl::inventory
