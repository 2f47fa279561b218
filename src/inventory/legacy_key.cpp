#include "inventory/legacy_key.h"

#include "inventory/command_resolution.h"
#include "inventory/run_key_scan.h"

namespace vtrl::inventory {

namespace {

// The old scans resolved the launcher itself, or rundll32's DLL, and never listed a program
// they could not find, so only a found program has a key of old.
ProgramKey KeyOf(platform::Locale& locale, const ResolvedCommand& resolved,
                 std::wstring arguments) {
    if (!resolved.Found && resolved.Launcher.empty()) {
        return {};
    }
    const std::wstring& program =
        resolved.Launcher.empty() || resolved.ViaRundll ? resolved.Program : resolved.Launcher;
    return {locale.ToLower(ParentFolder(program)), locale.ToLower(LastPathComponent(program)),
            std::move(arguments)};
}

} // namespace

ProgramKey LegacyRunValueKey(platform::Locale& locale, const services::SystemFacts& facts,
                             const std::wstring& command, const ResolvedCommand& resolved) {
    CommandParts parts = SplitRunCommand(locale, ExpandFolderTokens(locale, facts, command));
    SplitRundllCall(locale, facts, parts.executable, parts.arguments);
    return KeyOf(locale, resolved, std::move(parts.arguments));
}

ProgramKey LegacyShortcutKey(platform::Locale& locale, const services::SystemFacts& facts,
                             const std::wstring& target, const std::wstring& arguments,
                             const ResolvedCommand& resolved) {
    // The old scan replaced the tokens over the target and the arguments as one text.
    const std::wstring link = ExpandFolderTokens(locale, facts, target + L"^" + arguments);
    const std::size_t first = link.find(L'^');
    std::wstring executable = link.substr(0, first);
    std::wstring oldArguments;
    if (first != std::wstring::npos) {
        const std::size_t second = link.find(L'^', first + 1);
        oldArguments = link.substr(first + 1, second == std::wstring::npos ? std::wstring::npos
                                                                           : second - first - 1);
    }
    SplitRundllCall(locale, facts, executable, oldArguments);
    return KeyOf(locale, resolved, std::move(oldArguments));
}

} // namespace vtrl::inventory
