#include "inventory/startup_folder_items.h"

#include <array>
#include <functional>
#include <string_view>

namespace vtrl::inventory {

namespace {

constexpr std::array<std::wstring_view, 3> kProgramExtensions = {L".exe", L".com", L".scr"};
constexpr std::array<std::wstring_view, 2> kBatchExtensions = {L".bat", L".cmd"};
constexpr wchar_t kCommandProcessor[] = L"cmd.exe";
// What an association says for "the file itself" ("\"%1\" %*").
constexpr wchar_t kFileItselfMark[] = L"%1";

// The lower-case extension with its point; empty when the name has none.
std::wstring ExtensionOf(platform::Locale& locale, const std::wstring& path) {
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        return {};
    }
    return locale.ToLower(path.substr(dot));
}

template <std::size_t N>
bool OneOf(const std::wstring& extension, const std::array<std::wstring_view, N>& list) {
    for (const std::wstring_view item : list) {
        if (extension == item) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<StartupItem> StartupItems(platform::Locale& locale,
                                      const std::vector<platform::FolderEntry>& entries) {
    std::vector<StartupItem> items;
    for (const platform::FolderEntry& entry : entries) {
        if ((entry.attributes & platform::kAttributeDirectory) != 0 ||
            locale.ToLower(entry.name) == kFolderSettingsFile) {
            continue;
        }
        items.push_back({entry.name, (entry.attributes & platform::kAttributeHidden) != 0,
                         (entry.attributes & platform::kAttributeSystem) != 0});
    }
    return items;
}

bool IsShortcutName(platform::Locale& locale, const std::wstring& name) {
    return ExtensionOf(locale, name) == L".lnk";
}

namespace {

std::wstring OpenerWith(platform::Locale& locale, const std::wstring& systemFolder,
                        const std::wstring& path,
                        const std::function<std::optional<std::wstring>()>& association) {
    const std::wstring extension = ExtensionOf(locale, path);
    if (OneOf(extension, kProgramExtensions)) {
        return path;
    }
    // Started through the command processor whatever the association says.
    if (OneOf(extension, kBatchExtensions)) {
        return systemFolder + L"\\" + kCommandProcessor;
    }
    const auto program = association();
    if (!program) {
        return {};
    }
    if (program->find(kFileItselfMark) != std::wstring::npos) {
        return path;
    }
    return *program;
}

} // namespace

std::wstring OpenerOf(platform::Locale& locale, platform::Launcher& launcher,
                      const std::wstring& systemFolder, const std::wstring& path) {
    return OpenerWith(locale, systemFolder, path, [&] { return launcher.AssociatedProgram(path); });
}

std::wstring Openers::Of(const std::wstring& path) {
    return OpenerWith(locale_, systemFolder_, path, [&] {
        const std::wstring extension = ExtensionOf(locale_, path);
        const auto known = associations_.find(extension);
        if (known != associations_.end()) {
            return known->second;
        }
        return associations_[extension] = launcher_.AssociatedProgram(path);
    });
}

} // namespace vtrl::inventory
