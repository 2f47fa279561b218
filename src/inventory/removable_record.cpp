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
    // A shortcut is a file directly in its folder.
    return record.Kind == kKindShortcut && !record.EntryName.empty() &&
           record.EntryName.find_first_of(L"\\/") == std::wstring::npos;
}

} // namespace vtrl::inventory
