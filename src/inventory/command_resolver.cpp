#include "inventory/command_resolver.h"

#include "inventory/command_line_parse.h"
#include "inventory/command_resolution.h"
#include "inventory/launcher_payload.h"

namespace vtrl::inventory {

namespace {

constexpr SearchOptions kStartedByShell{Extensions::Program, true};

// What a program not found was meant to be: the shortest reading that names a file with an
// extension, else the first word.
const ProgramAndArguments& BestReading(const std::vector<ProgramAndArguments>& readings) {
    for (const ProgramAndArguments& reading : readings) {
        if (HasExtension(reading.program)) {
            return reading;
        }
    }
    return readings.front();
}

} // namespace

CommandResolver::CommandResolver(platform::Platform& platform, const std::wstring& systemFolder,
                                 const std::wstring& windowsFolder)
    : platform_(platform),
      places_(ReadSearchPlaces(platform.environment, systemFolder, windowsFolder)) {}

std::optional<std::wstring> CommandResolver::Find(const std::wstring& name,
                                                  const SearchOptions& options) {
    std::tuple<std::wstring, Extensions, bool> key{name, options.extensions, options.appPaths};
    if (const auto known = found_.find(key); known != found_.end()) {
        return known->second;
    }
    auto found = FindProgram(platform_.files, platform_.registry, platform_.environment, places_,
                             name, options);
    found_.emplace(std::move(key), found);
    return found;
}

std::wstring CommandResolver::LongForm(const std::wstring& path) {
    return path.find(L'~') == std::wstring::npos ? path : GetLongPath(platform_.folders, path);
}

ResolvedCommand CommandResolver::ResolveCommandLine(const std::wstring& command) {
    const std::wstring expanded = platform_.environment.Expand(command);
    ResolvedCommand resolved;
    if (StartsQuoted(expanded)) {
        const ProgramAndArguments split = SplitQuoted(expanded);
        resolved.Arguments = split.arguments;
        const auto found = Find(split.program, kStartedByShell);
        resolved.Found = found.has_value();
        resolved.Program = found ? *found : split.program;
    } else {
        const std::vector<ProgramAndArguments> readings = BlankEndedReadings(expanded);
        if (readings.empty()) {
            return resolved;
        }
        std::size_t winner = 0;
        std::optional<std::wstring> found;
        for (; winner < readings.size() && !found; ++winner) {
            found = Find(readings[winner].program, kStartedByShell);
        }
        if (!found) {
            const ProgramAndArguments& best = BestReading(readings);
            resolved.Program = best.program;
            resolved.Arguments = best.arguments;
            return resolved;
        }
        const ProgramAndArguments& chosen = readings[winner - 1];
        resolved.Found = true;
        resolved.Program = *found;
        resolved.Arguments = chosen.arguments;
        // Only a reading cut inside a name, with ".exe" added by the system, stands in for a
        // longer one; a program written with its extension is the one meant.
        if (!HasExtension(chosen.program)) {
            for (std::size_t later = winner; later < readings.size(); ++later) {
                if (Find(readings[later].program, kStartedByShell)) {
                    resolved.HijackRisk = true;
                    break;
                }
            }
        }
    }
    if (resolved.Found) {
        resolved.Program = LongForm(resolved.Program);
        LookThroughLauncher(resolved);
    }
    return resolved;
}

ResolvedCommand CommandResolver::ResolveProgram(const std::wstring& program,
                                                const std::wstring& arguments) {
    ResolvedCommand resolved;
    const std::wstring expanded = TrimBlanks(platform_.environment.Expand(program));
    resolved.Arguments = platform_.environment.Expand(arguments);
    const auto found = Find(expanded, kStartedByShell);
    resolved.Found = found.has_value();
    resolved.Program = found ? LongForm(*found) : expanded;
    if (resolved.Found) {
        LookThroughLauncher(resolved);
    }
    return resolved;
}

void CommandResolver::LookThroughLauncher(ResolvedCommand& resolved) {
    const LauncherKind kind = KindOfLauncher(LastPathComponent(resolved.Program));
    if (kind == LauncherKind::None) {
        return;
    }
    resolved.ViaRundll = kind == LauncherKind::Rundll32;
    const auto payload = FindLauncherPayload(kind, resolved.Arguments);
    if (!payload) {
        return;
    }
    const auto found = Find(payload->program, {payload->extensions, false});
    if (!found && payload->bareWordMayBeCommand && !HasFolderPart(payload->program) &&
        !HasExtension(payload->program)) {
        // One of the launcher's own commands: the launcher is the program that runs.
        return;
    }
    resolved.Launcher = resolved.Program;
    resolved.Found = found.has_value();
    resolved.Program = found ? LongForm(*found) : payload->program;
    resolved.Arguments = payload->arguments;
}

} // namespace vtrl::inventory
