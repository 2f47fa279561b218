#pragma once
// The exact copy of a removed startup record, kept beside the backup-and-log file: the registry
// value's type and raw data, or the shortcut file's own bytes and attributes. The log's 10-line
// entry stays as it always was; the copy lives in the folder "Backups" of the data folder, one
// file per place, and names the log entry it belongs to (kind, full location, time of removal),
// so that a restore uses it only for exactly that entry and otherwise writes back from the log.

#include "decisions/backup_log.h"
#include "inventory/place_content.h"
#include "platform/files.h"
#include "platform/locale.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vtrl::decisions {

inline constexpr wchar_t kRecordCopyFolderName[] = L"Backups";
using inventory::kMaxRecordCopyBytes;

struct RecordCopy {
    // Lines 5, 6 and 2 of the log entry it belongs to, as the log reads them back.
    std::wstring Kind;
    std::wstring FullLocation;
    std::wstring RemovedAt;
    PlaceContent content;
    friend bool operator==(const RecordCopy&, const RecordCopy&) = default;
};

// The copy's file as bytes, and back; nullopt for anything that is not a whole, well-formed copy.
std::string FormatRecordCopy(const RecordCopy& copy);
std::optional<RecordCopy> ParseRecordCopy(std::string_view bytes);

std::wstring RecordCopyFolder(const std::wstring& dataFolder);
// The copy's file for a place (kind and full location as the log holds them): named after the
// place compared as SamePlace compares it, so a newer removal of the place replaces it just as
// its log entry is replaced.
std::wstring RecordCopyPath(platform::Locale& locale, const std::wstring& dataFolder,
                            const std::wstring& kind, const std::wstring& fullLocation);

// The copy that belongs to exactly this log entry; nullopt when there is none, it cannot be read,
// or it belongs to another removal (an entry written before copies were kept, or by a removal
// whose copy was replaced since).
std::optional<RecordCopy> FindRecordCopy(platform::FileSystem& files, platform::Locale& locale,
                                         const std::wstring& dataFolder, const BackupEntry& entry);

// What a copy's file held before a removal replaced it, to be put back when the log entry the new
// copy belongs to could not be written.
struct PreviousCopy {
    std::wstring path;
    std::optional<std::string> bytes; // nullopt: there was no file
};
// Writes the copy that belongs to the log entry `added` (as the log will read it back), replacing
// the place's older copy; with no content, the older copy is removed, since it no longer belongs
// to the place's entry. nullopt when the new copy could not be written: nothing changed then.
std::optional<PreviousCopy> StoreRecordCopy(platform::FileSystem& files, platform::Locale& locale,
                                            const std::wstring& dataFolder,
                                            const BackupEntry& added,
                                            const std::optional<PlaceContent>& content);
void PutBackPreviousCopy(platform::FileSystem& files, const PreviousCopy& previous);

// Removes every copy; true when none is left.
bool ClearRecordCopies(platform::FileSystem& files, const std::wstring& dataFolder);

} // namespace vtrl::decisions
