#include "inventory/startup_folder_scan.h"

#include "inventory/command_resolution.h"
#include "inventory/legacy_key.h"
#include "inventory/startup_folder_items.h"

namespace vtrl::inventory {

namespace {

constexpr wchar_t kEveryFile[] = L"*";
constexpr wchar_t kLinkPattern[] = L"*.lnk";
constexpr wchar_t kLinkSeparator = L'^';

// A shortcut Windows follows to its target: the record names that target, as it always did.
bool AddShortcutRecord(ScanContext& context, StartupRecord record, const std::wstring& path) {
    platform::Platform& platform = context.platform;
    const std::wstring read = ReadShortcut(platform.links, path);
    if (read.empty()) {
        return false;
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
    record.Kind = kKindShortcut;
    // Shown as the user would type it, from the link as read.
    record.CommandLine = L"\"" + target + L"\" " + arguments;
    record.Opener = target;
    record.LegacyKey =
        LegacyShortcutKey(platform.locale, context.facts, target, arguments, resolved);
    AddResolvedRecord(context, std::move(record), resolved);
    return true;
}

// Any other file: the record names the file itself and the program that opens it.
void AddFileRecord(ScanContext& context, Openers& openers, StartupRecord record,
                   const std::wstring& path) {
    record.Kind = kKindStartupFile;
    record.CommandLine = L"\"" + path + L"\"";
    record.Opener = openers.Of(path);
    ResolvedCommand resolved;
    resolved.Program = path;
    resolved.Found = true; // the listing has just seen it
    AddResolvedRecord(context, std::move(record), resolved);
}

StartupRecord ItemRecord(const std::wstring& folder, const StartupItem& item) {
    StartupRecord record;
    record.Location = folder;
    record.EntryName = item.name;
    record.HiddenFile = item.hidden;
    record.SystemFile = item.system;
    return record;
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
    Openers openers(platform.locale, platform.launcher, context.facts.SystemFolder);
    for (const StartupItem& item :
         StartupItems(platform.locale, platform.files.ListFolder(folder, kLinkPattern))) {
        // The pattern also matches through 8.3 aliases ("x.lnkx" as "X~1.LNK"): those files are
        // listed with the others.
        if (item.name == kOwnStartupShortcut || !IsShortcutName(platform.locale, item.name)) {
            continue;
        }
        const std::wstring path = folder + L"\\" + item.name;
        StartupRecord record = ItemRecord(folder, item);
        // A shortcut that cannot be read still starts something: it is listed as a file.
        if (!AddShortcutRecord(context, record, path)) {
            AddFileRecord(context, openers, std::move(record), path);
        }
    }
}

void ScanStartupFolderFiles(ScanContext& context, const std::wstring& folder) {
    platform::Platform& platform = context.platform;
    Openers openers(platform.locale, platform.launcher, context.facts.SystemFolder);
    for (const StartupItem& item :
         StartupItems(platform.locale, platform.files.ListFolder(folder, kEveryFile))) {
        if (!IsShortcutName(platform.locale, item.name)) {
            AddFileRecord(context, openers, ItemRecord(folder, item), folder + L"\\" + item.name);
        }
    }
}

void ScanFolderRedirection(ScanContext& context, const StartupFolderSetting& setting) {
    platform::Platform& platform = context.platform;
    const auto redirection = FindRedirection(platform, setting);
    if (!redirection) {
        return;
    }
    StartupRecord record;
    record.Kind = kKindFolderRedirection;
    record.Location = setting.keyText;
    record.EntryName = setting.valueName;
    record.CommandLine = redirection->stored;
    record.ValueType =
        redirection->valueType == platform::kRegExpandSz ? kValueTypeExpandSz : kValueTypeSz;
    // The folder stands where a program would: it is what the user approves or restricts.
    record.ExeFolder = platform.locale.ToUpper(ParentFolder(redirection->folder));
    record.ExeName = LastPathComponent(redirection->folder);
    record.Found = platform.files.FolderExists(redirection->folder);
    AddRecord(context, std::move(record));
}

} // namespace vtrl::inventory
