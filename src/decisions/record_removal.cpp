#include "decisions/record_removal.h"

#include "decisions/backup_log.h"
#include "decisions/record_copy.h"
#include "inventory/removable_record.h"
#include "inventory/startup_folder_redirection.h"
#include "services/registry_access.h"

namespace vtrl::decisions {

namespace {

// The Run-type key of a registry record without the trailing backslashes its location may carry.
std::optional<services::RegistryLocation> RecordKey(const inventory::StartupRecord& record) {
    auto location = services::ParseRegistryLocation(record.Location);
    if (location) {
        while (!location->keyPath.empty() && location->keyPath.back() == L'\\') {
            location->keyPath.pop_back();
        }
    }
    return location;
}

bool IsFileKind(const std::wstring& kind) {
    return kind == inventory::kKindShortcut || kind == inventory::kKindStartupFile;
}

// What the record's place holds now, byte for byte: the value's type and data as stored, or the
// shortcut file with its attributes.
std::optional<PlaceContent> ReadPlace(platform::Platform& platform,
                                      const inventory::StartupRecord& record,
                                      const std::wstring& fullLocation) {
    PlaceContent content;
    content.exactLocation = fullLocation;
    if (record.Kind == inventory::kKindRegistry ||
        record.Kind == inventory::kKindFolderRedirection) {
        const auto location = RecordKey(record);
        if (!location) {
            return std::nullopt;
        }
        auto value =
            platform.registry.QueryValue(location->hive, location->keyPath, record.EntryName);
        if (!value || value->data.size() > kMaxRecordCopyBytes) {
            return std::nullopt;
        }
        content.valueType = value->type;
        content.data.assign(value->data.begin(), value->data.end());
        return content;
    }
    if (IsFileKind(record.Kind)) {
        const auto size = platform.files.FileSize(fullLocation);
        if (!size || *size > kMaxRecordCopyBytes) {
            return std::nullopt;
        }
        auto bytes = platform.files.ReadAll(fullLocation);
        if (!bytes || bytes->size() > kMaxRecordCopyBytes) {
            return std::nullopt;
        }
        // A file system that tells no attributes keeps none: the bytes still come back.
        content.attributes = platform.files.FileAttributes(fullLocation).value_or(0);
        content.data = std::move(*bytes);
        return content;
    }
    return std::nullopt;
}

bool RemoveRegistryValue(platform::Platform& platform, const inventory::StartupRecord& record) {
    const auto location = RecordKey(record);
    if (!location) {
        return false;
    }
    const std::wstring& key = location->keyPath;
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

// A read-only file is deleted by clearing the attribute first (its backup is written by
// then); when it still cannot go, it gets its attribute back.
bool RemoveShortcut(platform::FileSystem& files, const std::wstring& path) {
    if (files.Remove(path) || !files.FileExists(path)) {
        return true;
    }
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

// The folder goes back to where Windows puts it by default.
bool RemoveRedirection(platform::Platform& platform, const inventory::StartupRecord& record) {
    const auto setting =
        inventory::StartupSettingAt(platform.locale, record.Location, record.EntryName);
    const auto location = RecordKey(record);
    return setting && location &&
           platform.registry.SetValue(location->hive, location->keyPath, record.EntryName,
                                      inventory::DefaultValueOf(*setting));
}

} // namespace

std::wstring FullLocationOf(const inventory::StartupRecord& record) {
    return record.Location + L"\\" + record.EntryName;
}

StoreResult RemoveStartupRecord(platform::Platform& platform, const std::wstring& dataFolder,
                                const inventory::StartupRecord& record) {
    if (!inventory::CanBeRemoved(record)) {
        return {StoreOutcome::NotRemovable};
    }
    if (record.Kind == inventory::kKindFolderRedirection &&
        !inventory::StartupSettingAt(platform.locale, record.Location, record.EntryName)) {
        return {StoreOutcome::NotRemovable};
    }
    const std::wstring fullLocation = FullLocationOf(record);
    // A Startup-folder file other than a shortcut cannot be written back from the log's lines:
    // it is only deleted once its exact copy is kept.
    const bool needsCopy = record.Kind == inventory::kKindStartupFile;
    if (needsCopy) {
        const auto size = platform.files.FileSize(fullLocation);
        if (size && *size > kMaxRecordCopyBytes) {
            return {StoreOutcome::TooLarge};
        }
    }
    bool copied = false;
    const StoreResult backup =
        BackupAndLogRemoval(platform, dataFolder, record.Kind, fullLocation, record.ExeFolder,
                            record.ExeName, record.Arguments, record.CommandLine, [&] {
                                auto content = ReadPlace(platform, record, fullLocation);
                                copied = content.has_value();
                                return content;
                            });
    if (!backup) {
        return backup;
    }
    bool removed = false;
    if (record.Kind == inventory::kKindRegistry) {
        removed = RemoveRegistryValue(platform, record);
    } else if (record.Kind == inventory::kKindFolderRedirection) {
        removed = RemoveRedirection(platform, record);
    } else if (needsCopy && !copied) {
        removed = !platform.files.FileExists(fullLocation);
    } else if (IsFileKind(record.Kind)) {
        removed = RemoveShortcut(platform.files, fullLocation);
    }
    return {removed ? StoreOutcome::Stored : StoreOutcome::Failed};
}

} // namespace vtrl::decisions
