#include "manager/record_notes.h"

#include "inventory/windows_switch.h"

#include <vector>

namespace vtrl::manager {

std::wstring RecordNotes(const inventory::StartupRecord& record,
                         const std::function<std::wstring(const std::wstring&)>& text) {
    std::vector<std::wstring> notes;
    if (!record.Found) {
        notes.push_back(text(L"REC-NOTFOUND"));
    }
    if (!record.Launcher.empty()) {
        notes.push_back(text(L"REC-LAUNCHER") + L" " + record.Launcher);
    }
    if (record.HijackRisk) {
        notes.push_back(text(L"REC-HIJACK"));
    }
    // A Startup-folder file: what opens it and the marks that hide it from a folder view.
    if (record.Kind == inventory::kKindStartupFile && !record.Opener.empty()) {
        notes.push_back(text(L"REC-OPENER") + L" " + record.Opener);
    }
    if (record.HiddenFile) {
        notes.push_back(text(L"REC-HIDDENFILE"));
    }
    if (record.SystemFile) {
        notes.push_back(text(L"REC-SYSTEMFILE"));
    }
    if (record.Kind == inventory::kKindFolderRedirection) {
        notes.push_back(text(L"REC-REDIRECTED"));
    }
    if (record.NeedsAdministrator) {
        notes.push_back(text(L"REC-ADMIN"));
    }
    if (!record.EnabledInWindows) {
        notes.push_back(text(L"REC-WINOFF") + (record.DisabledSinceText.empty()
                                                   ? std::wstring()
                                                   : L" (" + record.DisabledSinceText + L")"));
    }
    if (!inventory::CanSwitchInWindows(record)) {
        notes.push_back(text(L"REC-NOSWITCH"));
    }
    std::wstring joined;
    for (const std::wstring& note : notes) {
        joined += (joined.empty() ? L"" : L"\r\n") + note;
    }
    return joined;
}

} // namespace vtrl::manager
