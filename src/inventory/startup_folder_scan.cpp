#include "inventory/startup_folder_scan.h"

#include "inventory/legacy_key.h"

namespace vtrl::inventory {

namespace {

constexpr wchar_t kLinkPattern[] = L"*.lnk";
constexpr wchar_t kLinkExtension[] = L".lnk";
constexpr wchar_t kLinkSeparator = L'^';

// What the folder listing shows: files that are neither hidden nor system.
bool Listed(platform::Locale& locale, const platform::FolderEntry& entry) {
    constexpr std::uint32_t kNotListed =
        platform::kAttributeDirectory | platform::kAttributeHidden | platform::kAttributeSystem;
    // The pattern also matches through 8.3 aliases ("x.lnkx" as "X~1.LNK"); only real ".lnk"
    // names are shortcuts.
    return (entry.attributes & kNotListed) == 0 &&
           locale.ToLower(entry.name).ends_with(kLinkExtension);
}

} // namespace

std::wstring ReadShortcut(platform::ShellLinks& links, const std::wstring& linkPath) {
    const auto link = links.ReadLink(linkPath);
    if (!link) {
        return {};
    }
    return link->targetPath + kLinkSeparator + link->arguments;
}

void ScanStartupFolder(ScanContext& context, const std::wstring& folder) {
    platform::Platform& platform = context.platform;
    for (const platform::FolderEntry& entry : platform.files.ListFolder(folder, kLinkPattern)) {
        if (!Listed(platform.locale, entry) || entry.name == kOwnStartupShortcut) {
            continue;
        }
        const std::wstring read = ReadShortcut(platform.links, folder + L"\\" + entry.name);
        if (read.empty()) {
            continue;
        }
        // The target ends at the first "^" and the arguments at the second, as they always did.
        const std::size_t first = read.find(kLinkSeparator);
        const std::wstring target = read.substr(0, first);
        std::wstring arguments;
        if (first != std::wstring::npos) {
            const std::size_t second = read.find(kLinkSeparator, first + 1);
            arguments = read.substr(first + 1, second == std::wstring::npos ? std::wstring::npos
                                                                            : second - first - 1);
        }
        const ResolvedCommand resolved = context.resolver.ResolveProgram(target, arguments);

        StartupRecord record;
        record.Kind = kKindShortcut;
        record.Location = folder;
        record.EntryName = entry.name;
        // Shown as the user would type it, from the link as read.
        record.CommandLine = L"\"" + target + L"\" " + arguments;
        record.LegacyKey =
            LegacyShortcutKey(platform.locale, context.facts, target, arguments, resolved);
        AddResolvedRecord(context, std::move(record), resolved);
    }
}

} // namespace vtrl::inventory
