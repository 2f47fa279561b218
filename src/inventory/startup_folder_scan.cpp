#include "inventory/startup_folder_scan.h"

#include "inventory/command_resolution.h"

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
        const std::wstring link = ExpandFolderTokens(platform.locale, context.facts, read);
        const std::size_t first = link.find(kLinkSeparator);
        const std::wstring target = link.substr(0, first);
        std::wstring arguments;
        if (first != std::wstring::npos) {
            const std::size_t second = link.find(kLinkSeparator, first + 1);
            arguments = link.substr(first + 1, second == std::wstring::npos ? std::wstring::npos
                                                                            : second - first - 1);
        }

        std::wstring executable = target;
        std::wstring executableArguments = arguments;
        const bool viaRundll =
            SplitRundllCall(platform.locale, context.facts, executable, executableArguments);
        if (!ResolveExecutable(platform, context.facts, executable)) {
            continue;
        }
        FileFacts file =
            GatherFileFacts(platform, context.facts, executable, !context.options.readOnly);

        StartupRecord record;
        record.Kind = kKindShortcut;
        record.ViaRundll = viaRundll;
        record.Location = folder;
        record.EntryName = entry.name;
        // Shown as the user would type it, from the link text before any rundll32 or path work.
        record.CommandLine = L"\"" + target + L"\" " + arguments;
        record.ExeFolder = std::move(file.Folder);
        record.ExeName = std::move(file.FileName);
        record.Arguments = std::move(executableArguments);
        record.Company = std::move(file.Company);
        record.Description = std::move(file.Description);
        record.FileSize = file.Size;
        AddRecord(context, std::move(record));
    }
}

} // namespace vtrl::inventory
