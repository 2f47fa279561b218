#include "inventory/program_search.h"

#include "inventory/command_line_parse.h"
#include "services/registry_access.h"

namespace vtrl::inventory {

namespace {

constexpr wchar_t kDefaultPathExt[] = L".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC";
constexpr wchar_t kAppPathsKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

std::wstring Joined(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') {
        return folder + name;
    }
    return folder + L"\\" + name;
}

// The names to try for one written name, in order.
std::vector<std::wstring> Spellings(const std::wstring& name, const SearchPlaces& places,
                                    Extensions extensions) {
    if (HasExtension(name) || extensions == Extensions::AsWritten) {
        return {name};
    }
    switch (extensions) {
    case Extensions::Program:
        return {name + L".exe"};
    case Extensions::Library:
        return {name + L".dll"};
    case Extensions::PathExt: {
        std::vector<std::wstring> spellings;
        for (const std::wstring& extension : places.extensions) {
            spellings.push_back(name + extension);
        }
        return spellings;
    }
    case Extensions::AsWritten:
        break;
    }
    return {name};
}

std::optional<std::wstring> FirstExisting(platform::FileSystem& files, const std::wstring& folder,
                                          const std::vector<std::wstring>& spellings) {
    for (const std::wstring& spelling : spellings) {
        const std::wstring path = folder.empty() ? spelling : Joined(folder, spelling);
        if (files.FileExists(path)) {
            return path;
        }
    }
    return std::nullopt;
}

// The registered path of a program under App Paths, current user first; the key is named with
// the extension (".exe" added when the name has none).
std::optional<std::wstring> AppPath(platform::FileSystem& files, platform::Registry& registry,
                                    platform::Environment& environment, const std::wstring& name) {
    const std::wstring keyName = HasExtension(name) ? name : name + L".exe";
    for (const platform::Hive hive : {platform::Hive::CurrentUser, platform::Hive::LocalMachine}) {
        const auto value = registry.QueryValue(hive, kAppPathsKey + keyName, L"");
        if (!value || (value->type != platform::kRegSz && value->type != platform::kRegExpandSz)) {
            continue;
        }
        std::wstring path = TrimBlanks(environment.Expand(services::DecodeRegSz(value->data)));
        if (StartsQuoted(path)) {
            path = NextArgument(path).program;
        }
        if (!path.empty() && files.FileExists(path)) {
            return path;
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<std::wstring> SplitList(const std::wstring& list) {
    std::vector<std::wstring> entries;
    std::size_t from = 0;
    while (from <= list.size()) {
        std::size_t end = list.find(L';', from);
        if (end == std::wstring::npos) {
            end = list.size();
        }
        std::wstring entry = TrimBlanks(std::wstring_view(list).substr(from, end - from));
        if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"') {
            entry = entry.substr(1, entry.size() - 2);
        }
        if (!entry.empty()) {
            entries.push_back(std::move(entry));
        }
        from = end + 1;
    }
    return entries;
}

SearchPlaces ReadSearchPlaces(platform::Environment& environment, const std::wstring& systemFolder,
                              const std::wstring& windowsFolder) {
    SearchPlaces places{systemFolder, windowsFolder, {}, {}};
    for (const std::wstring& folder : SplitList(environment.Variable(L"PATH").value_or(L""))) {
        // A PATH read from the registry may still hold variables of its own.
        places.pathFolders.push_back(environment.Expand(folder));
    }
    places.extensions = SplitList(environment.Variable(L"PATHEXT").value_or(kDefaultPathExt));
    return places;
}

std::optional<std::wstring> FindProgram(platform::FileSystem& files, platform::Registry& registry,
                                        platform::Environment& environment,
                                        const SearchPlaces& places, const std::wstring& name,
                                        const SearchOptions& options) {
    if (name.empty()) {
        return std::nullopt;
    }
    const std::vector<std::wstring> spellings = Spellings(name, places, options.extensions);
    if (HasFolderPart(name)) {
        // A full path is only ever itself. A relative one is read from the current folder,
        // which for what starts at logon is the system or the Windows folder, never ours.
        const bool full = (name.size() >= 2 && name[1] == L':') || name.starts_with(L"\\") ||
                          name.starts_with(L"/");
        if (full) {
            return FirstExisting(files, L"", spellings);
        }
    } else if (options.appPaths) {
        if (auto found = AppPath(files, registry, environment, name)) {
            return found;
        }
    }
    if (auto found = FirstExisting(files, places.systemFolder, spellings)) {
        return found;
    }
    if (auto found = FirstExisting(files, places.windowsFolder, spellings)) {
        return found;
    }
    if (HasFolderPart(name)) {
        return std::nullopt;
    }
    for (const std::wstring& folder : places.pathFolders) {
        if (auto found = FirstExisting(files, folder, spellings)) {
            return found;
        }
    }
    return std::nullopt;
}

} // namespace vtrl::inventory
