#include "decisions/record_removal.h"

#include "decisions/backup_log.h"
#include "services/registry_access.h"

namespace vtrl::decisions {

namespace {

bool RemoveRegistryValue(platform::Platform& platform, const inventory::StartupRecord& record) {
    const auto location = services::ParseRegistryLocation(record.Location);
    if (!location) {
        return false;
    }
    std::wstring key = location->keyPath;
    while (!key.empty() && key.back() == L'\\') {
        key.pop_back();
    }
    // The value is named directly rather than through a path text: a path ending in "\" would
    // name the whole Run key when the record is the key's default value.
    if (platform.registry.DeleteValue(location->hive, key, record.EntryName)) {
        return true;
    }
    const auto names = platform.registry.ListValueNames(location->hive, key);
    if (!names) {
        return false;
    }
    const std::wstring wanted = platform.locale.ToLower(record.EntryName);
    for (const std::wstring& name : *names) {
        if (platform.locale.ToLower(name) == wanted) {
            return false;
        }
    }
    return true;
}

bool RemoveShortcut(platform::FileSystem& files, const std::wstring& path) {
    return files.Remove(path) || !files.FileExists(path);
}

} // namespace

std::wstring FullLocationOf(const inventory::StartupRecord& record) {
    return record.Location + L"\\" + record.EntryName;
}

bool RemoveStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                         const inventory::StartupRecord& record) {
    const std::wstring fullLocation = FullLocationOf(record);
    if (!BackupAndLogRemoval(platform, dataFolder, record.Kind, fullLocation, record.ExeFolder,
                             record.ExeName, record.Arguments, record.CommandLine)) {
        return false;
    }
    if (record.Kind == inventory::kKindRegistry) {
        return RemoveRegistryValue(platform, record);
    }
    if (record.Kind == inventory::kKindShortcut) {
        return RemoveShortcut(platform.files, fullLocation);
    }
    return false;
}

} // namespace vtrl::decisions
