#include "inventory/shortcut_place.h"

#include "inventory/startup_folder_scan.h"

namespace vtrl::inventory {

namespace {

// The attribute bits a file can be given back (SetFileAttributes refuses or ignores the others).
constexpr std::uint32_t kSettableAttributes =
    platform::kAttributeReadOnly | platform::kAttributeHidden | platform::kAttributeSystem |
    platform::kAttributeArchive;

} // namespace

void ShortcutPlace::List(ScanContext& context, const PlaceSite& site) const {
    ScanStartupFolder(context, site.location);
}

bool ShortcutPlace::CanRemove(const StartupRecord& record) const {
    return record.EntryName.find(L'\0') == std::wstring::npos &&
           record.Location.find(L'\0') == std::wstring::npos && !record.EntryName.empty() &&
           record.EntryName.find_first_of(L"\\/") == std::wstring::npos;
}

std::optional<PlaceContent> ShortcutPlace::Read(platform::Platform& platform,
                                                const StartupRecord& record) const {
    const std::wstring path = FullLocation(record);
    const auto size = platform.files.FileSize(path);
    if (!size || *size > kMaxRecordCopyBytes) {
        return std::nullopt;
    }
    auto bytes = platform.files.ReadAll(path);
    if (!bytes || bytes->size() > kMaxRecordCopyBytes) {
        return std::nullopt;
    }
    PlaceContent content;
    content.exactLocation = path;
    // A file system that tells no attributes keeps none: the bytes still come back.
    content.attributes = platform.files.FileAttributes(path).value_or(0);
    content.data = std::move(*bytes);
    return content;
}

bool ShortcutPlace::Remove(platform::Platform& platform, const StartupRecord& record) const {
    platform::FileSystem& files = platform.files;
    const std::wstring path = FullLocation(record);
    if (files.Remove(path) || !files.FileExists(path)) {
        return true;
    }
    // A read-only shortcut is deleted by clearing the attribute first (its backup is written by
    // then); when it still cannot go, it gets its attribute back.
    const auto attributes = files.FileAttributes(path);
    if (!attributes || (*attributes & platform::kAttributeReadOnly) == 0) {
        return false;
    }
    std::uint32_t writable = *attributes & ~platform::kAttributeReadOnly;
    if (writable == 0) {
        writable = platform::kAttributeNormal;
    }
    if (!files.ChangeAttributes(path, writable)) {
        return false;
    }
    if (files.Remove(path)) {
        return true;
    }
    files.ChangeAttributes(path, *attributes);
    return !files.FileExists(path);
}

std::optional<std::wstring> ShortcutPlace::EntryAt(platform::Locale& locale, const PlaceSite& site,
                                                   const std::wstring& fullLocation) const {
    constexpr std::wstring_view kLinkExtension = L".lnk";
    auto name = RestAfter(locale, fullLocation, site.location);
    if (!name || name->size() <= kLinkExtension.size() ||
        name->find_first_of(L"\\/:") != std::wstring::npos ||
        name->find(L'\0') != std::wstring::npos || name->back() == L' ' || name->back() == L'.' ||
        locale.ToLower(name->substr(name->size() - kLinkExtension.size())) != kLinkExtension) {
        return std::nullopt;
    }
    return name;
}

bool ShortcutPlace::WriteBack(platform::Platform& platform, const PlaceSite& site,
                              const std::wstring& entry, const PlaceContent& content) const {
    platform::FileSystem& files = platform.files;
    const std::wstring path = site.location + L"\\" + entry;
    if (!files.ReplaceAll(path, content.data)) {
        const auto present = files.FileAttributes(path);
        if (!present || (*present & platform::kAttributeReadOnly) == 0 ||
            !files.ChangeAttributes(path, platform::kAttributeNormal)) {
            return false;
        }
        if (!files.ReplaceAll(path, content.data)) {
            files.ChangeAttributes(path, *present);
            return false;
        }
    }
    if (content.attributes == 0) {
        return true; // not known when it was removed: left as the write made it
    }
    std::uint32_t wanted = content.attributes & kSettableAttributes;
    if (wanted == 0) {
        wanted = platform::kAttributeNormal;
    }
    const auto now = files.FileAttributes(path);
    if (now && (*now & kSettableAttributes) == (wanted & kSettableAttributes)) {
        return true;
    }
    return files.ChangeAttributes(path, wanted);
}

bool ShortcutPlace::WriteFromLog(platform::Platform& platform, const PlaceSite& site,
                                 const std::wstring& entry, const LoggedRecord& logged) const {
    return platform.links.CreateLink({site.location + L"\\" + entry,
                                      logged.exeFolder + L"\\" + logged.exeName, L"",
                                      logged.exeFolder, logged.arguments, L""});
}

const StartupPlace& StartupFolderShortcuts() {
    static const ShortcutPlace place;
    return place;
}

} // namespace vtrl::inventory
