#include "inventory/removable_record.h"

namespace vtrl::inventory {

bool CanBeRemoved(const StartupRecord& record) {
    if (record.EntryName.find(L'\0') != std::wstring::npos ||
        record.Location.find(L'\0') != std::wstring::npos) {
        return false;
    }
    if (record.Kind == kKindRegistry) {
        return true;
    }
    // A redirection is removed by writing its setting's default; the removal knows which.
    if (record.Kind == kKindFolderRedirection) {
        return !record.EntryName.empty();
    }
    // A shortcut or other Startup-folder file is a file directly in its folder.
    return (record.Kind == kKindShortcut || record.Kind == kKindStartupFile) &&
           !record.EntryName.empty() &&
           record.EntryName.find_first_of(L"\\/") == std::wstring::npos;
}

} // namespace vtrl::inventory
