#include "decisions/record_restore.h"

#include "decisions/record_copy.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_folder_items.h"
#include "inventory/startup_record.h"
#include "services/registry_access.h"

namespace vtrl::decisions {

namespace {

// The rest of `text` after `prefix` + "\", compared as Windows compares paths.
std::optional<std::wstring> RestAfter(platform::Locale& locale, const std::wstring& text,
                                      const std::wstring& prefix) {
    if (prefix.empty() || text.size() <= prefix.size() || text[prefix.size()] != L'\\' ||
        locale.ToLower(text.substr(0, prefix.size())) != locale.ToLower(prefix)) {
        return std::nullopt;
    }
    return text.substr(prefix.size() + 1);
}

// A file's own name: no folder part, no stream, no device-like dots.
bool IsPlainFileName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos &&
           name.find(L'\0') == std::wstring::npos && name.back() != L' ' && name.back() != L'.';
}

// A shortcut file's own name: a plain name ending in ".lnk".
bool IsPlainLinkName(platform::Locale& locale, const std::wstring& name) {
    return IsPlainFileName(name) && inventory::IsShortcutName(locale, name) && name.size() > 4;
}

// What a Startup folder may get back: any file Windows would start from it.
bool IsPlainStartupFileName(platform::Locale& locale, const std::wstring& name) {
    return IsPlainFileName(name) && locale.ToLower(name) != inventory::kFolderSettingsFile;
}

bool WriteRegistryRecord(platform::Platform& platform, const RestoreTarget& target,
                         const platform::RegistryValue& value) {
    const auto location = services::ParseRegistryLocation(target.runKey);
    if (!location || !platform.registry.CreateKey(location->hive, location->keyPath)) {
        return false;
    }
    return platform.registry.SetValue(location->hive, location->keyPath, target.valueName, value);
}

// The attribute bits a file can be given back (SetFileAttributes refuses or ignores the others).
constexpr std::uint32_t kSettableAttributes =
    platform::kAttributeReadOnly | platform::kAttributeHidden | platform::kAttributeSystem |
    platform::kAttributeArchive;

// The shortcut file's own bytes at its old path, replacing a read-only file there too, then its
// attributes as they were.
bool WriteShortcutFile(platform::FileSystem& files, const std::wstring& path,
                       const PlaceContent& content) {
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

// The target of the copy's exact location, which differs from the entry's only where the log
// cannot hold a character; nullopt when that is not a scanned place.
std::optional<RestoreTarget> ExactTarget(platform::Locale& locale,
                                         const services::SystemFacts& facts,
                                         const BackupEntry& entry, const RecordCopy& copy) {
    BackupEntry exact = entry;
    exact.FullLocation = copy.content.exactLocation;
    return ScannedRestoreTarget(locale, facts, exact);
}

} // namespace

std::optional<RestoreTarget> ScannedRestoreTarget(platform::Locale& locale,
                                                  const services::SystemFacts& facts,
                                                  const BackupEntry& entry) {
    // Every place the scan can look, also those it skips for this user.
    services::SystemFacts everywhere = facts;
    everywhere.IsAdmin = true;
    const inventory::ScanSources scanned = inventory::DefaultScanSources(everywhere);
    if (entry.Kind == inventory::kKindRegistry) {
        for (const std::wstring& runKey : scanned.runKeys) {
            // Everything after the key is the value's name, backslashes included: records come
            // from the values directly under the key.
            if (auto name = RestAfter(locale, entry.FullLocation, runKey)) {
                return RestoreTarget{runKey, std::move(*name), L""};
            }
        }
    } else if (entry.Kind == inventory::kKindShortcut ||
               entry.Kind == inventory::kKindStartupFile) {
        const bool shortcut = entry.Kind == inventory::kKindShortcut;
        for (const std::wstring& folder : scanned.startupFolders) {
            const auto name = RestAfter(locale, entry.FullLocation, folder);
            if (name && (shortcut ? IsPlainLinkName(locale, *name)
                                  : IsPlainStartupFileName(locale, *name))) {
                return RestoreTarget{L"", L"", entry.FullLocation};
            }
        }
    } else if (entry.Kind == inventory::kKindFolderRedirection) {
        for (const inventory::StartupFolderSetting& setting : scanned.folderSettings) {
            const auto name = RestAfter(locale, entry.FullLocation, setting.keyText);
            if (name && locale.ToLower(*name) == locale.ToLower(setting.valueName)) {
                return RestoreTarget{setting.keyText, setting.valueName, L""};
            }
        }
    }
    return std::nullopt;
}

std::wstring RestoreQuestion(const std::wstring& prompt, const BackupEntry& entry) {
    return prompt + L"\r\n\r\n" + entry.FullLocation + L"\r\n" + entry.CommandLine;
}

RestoreOutcome RestoreRemovedRecord(platform::Platform& platform,
                                    const services::SystemFacts& facts, Decisions& decisions,
                                    const BackupEntry& entry) {
    RestoreOutcome outcome;
    const auto target = ScannedRestoreTarget(platform.locale, facts, entry);
    if (!target) {
        outcome.refused = true;
        return outcome;
    }
    const auto copy = FindRecordCopy(platform, facts.DataFolder, entry);
    const auto exactTarget =
        copy ? ExactTarget(platform.locale, facts, entry, *copy) : std::nullopt;
    if (exactTarget) {
        outcome.exactCopy = true;
        const PlaceContent& content = copy->content;
        if (!exactTarget->runKey.empty()) {
            outcome.recordWritten = WriteRegistryRecord(
                platform, *exactTarget,
                {content.valueType,
                 std::vector<std::uint8_t>(content.data.begin(), content.data.end())});
        } else {
            outcome.recordWritten =
                WriteShortcutFile(platform.files, exactTarget->linkPath, content);
        }
    } else if (entry.Kind == inventory::kKindFolderRedirection) {
        // Windows writes these as expandable text.
        outcome.recordWritten = WriteRegistryRecord(
            platform, *target, {platform::kRegExpandSz, services::EncodeRegSz(entry.CommandLine)});
    } else if (!target->runKey.empty()) {
        outcome.recordWritten = WriteRegistryRecord(
            platform, *target, {platform::kRegSz, services::EncodeRegSz(entry.CommandLine)});
    } else if (entry.Kind == inventory::kKindShortcut) {
        outcome.recordWritten =
            platform.links.CreateLink({target->linkPath, entry.ExeFolder + L"\\" + entry.ExeName,
                                       L"", entry.ExeFolder, entry.Arguments, L""});
    }
    // A file other than a shortcut exists only in its exact copy: without one nothing is written.
    if (entry.Kind == inventory::kKindStartupFile) {
        // Started as Windows starts it at logon: the shell opens the file.
        outcome.started = outcome.recordWritten && platform.launcher.ShellOpen(target->linkPath);
    } else if (entry.Kind != inventory::kKindFolderRedirection) {
        // The command as stored may name variables (a REG_EXPAND_SZ value, %ProgramFiles%);
        // started as Windows starts such a value. An already expanded command stays as it is.
        outcome.started =
            platform.launcher.StartProgram(platform.environment.Expand(entry.CommandLine));
    }
    outcome.approved = SaveDecision(platform, facts.DataFolder, decisions, entry.ExeFolder,
                                    entry.ExeName, entry.Arguments, false, false, kStatusApproved);
    return outcome;
}

} // namespace vtrl::decisions
