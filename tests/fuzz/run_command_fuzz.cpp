// Run-value texts: folder-token expansion, the split into executable and arguments, and the
// rundll32 split. Every piece must be text of the expanded command, never invented or cut wrong.

#include "fuzz_support.h"
#include "inventory/command_resolution.h"
#include "inventory/run_key_scan.h"

#include <array>

namespace {

using vtrl::fuzz::Contains;

constexpr std::array<const wchar_t*, 5> kTokens = {L"%systemroot%", L"%appdata%", L"%programfiles%",
                                                   L"%systemdrive%", L"%windir%"};

void CheckExpansion(vtrl::fakes::FakeLocale& locale, const std::wstring& command,
                    const std::wstring& expanded) {
    const std::wstring lowerCommand = locale.ToLower(command);
    bool anyToken = false;
    for (const wchar_t* token : kTokens) {
        anyToken = anyToken || Contains(lowerCommand, token);
        // The replacements hold no '%', so no token can survive or be formed anew.
        VTRL_FUZZ_CHECK(!Contains(locale.ToLower(expanded), token));
    }
    if (!anyToken) {
        VTRL_FUZZ_CHECK(expanded == command);
    }
}

void CheckSplit(const std::wstring& command, const vtrl::inventory::CommandParts& parts) {
    if (command.empty()) {
        VTRL_FUZZ_CHECK(parts.executable.empty() && parts.arguments.empty());
        return;
    }
    if (command.front() == L'"') {
        // Between the first two quotes, and after the second less one character.
        const std::size_t second = command.find(L'"', 1);
        const std::wstring inQuotes =
            command.substr(1, second == std::wstring::npos ? std::wstring::npos : second - 1);
        VTRL_FUZZ_CHECK(parts.executable == inQuotes);
        VTRL_FUZZ_CHECK(parts.executable.find(L'"') == std::wstring::npos);
        VTRL_FUZZ_CHECK(parts.arguments.find(L'"') == std::wstring::npos);
        if (second == std::wstring::npos) {
            VTRL_FUZZ_CHECK(parts.arguments.empty());
        } else {
            VTRL_FUZZ_CHECK(Contains(command.substr(second + 1), parts.arguments));
        }
        return;
    }
    // Unquoted: the executable is where the command starts and the arguments where it ends.
    VTRL_FUZZ_CHECK(command.starts_with(parts.executable));
    VTRL_FUZZ_CHECK(command.ends_with(parts.arguments));
    VTRL_FUZZ_CHECK(parts.executable.size() + parts.arguments.size() <= command.size() + 1);
    if (!parts.arguments.empty() && parts.arguments != L" ") {
        // Nothing is lost between them: one blank joins the two halves.
        VTRL_FUZZ_CHECK(parts.executable + L" " + parts.arguments == command);
    }
}

void CheckRundll(vtrl::fakes::FakeLocale& locale, const vtrl::services::SystemFacts& facts,
                 const vtrl::inventory::CommandParts& parts) {
    std::wstring executable = parts.executable;
    std::wstring arguments = parts.arguments;
    const bool isRundll = vtrl::inventory::SplitRundllCall(locale, facts, executable, arguments);
    if (!isRundll || parts.arguments.empty()) {
        VTRL_FUZZ_CHECK(executable == parts.executable && arguments == parts.arguments);
        return;
    }
    // The DLL and its entry point are the old arguments cut at their first comma.
    if (parts.arguments.find(L',') == std::wstring::npos) {
        VTRL_FUZZ_CHECK(executable == parts.arguments && arguments.empty());
    } else {
        VTRL_FUZZ_CHECK(executable + L"," + arguments == parts.arguments);
        VTRL_FUZZ_CHECK(executable.find(L',') == std::wstring::npos);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakeLocale locale;
    const vtrl::services::SystemFacts facts = vtrl::fuzz::ProfileFacts();
    // Latin-1 text most of the time, so that tokens and ".exe" turn up; any code unit otherwise.
    const std::wstring command =
        input.ConsumeBool() ? vtrl::fuzz::WideText(input, 4096) : vtrl::fuzz::AnsiText(input, 4096);

    const std::wstring expanded = vtrl::inventory::ExpandFolderTokens(locale, facts, command);
    CheckExpansion(locale, command, expanded);

    const vtrl::inventory::CommandParts parts = vtrl::inventory::SplitRunCommand(locale, expanded);
    CheckSplit(expanded, parts);
    CheckRundll(locale, facts, parts);
    return 0;
}
