#pragma once
// A drawn list as screen readers see it: the accessible object a drawn control answers
// WM_GETOBJECT with once it shows a list (role list, one list item per row, the selected row
// selected, and focused while the control has the focus), and the events that make a reader
// follow a change. What the object does not know itself (where the control lies, its parent,
// its name) it asks the system's standard object of the control's client area.

#include "platform/ui/control.h"

#include <windows.h>

#include <wrl/client.h>

#include <memory>
#include <optional>

namespace vtrl::win32 {

class ListAccessibleObject;

// One drawn control's list for screen readers. The object handed to readers keeps its own copy
// of the rows and never reaches back into the control, so a reader that holds it after the
// window is gone gets errors, not freed memory.
class ListAccessibility {
public:
    ListAccessibility();
    ~ListAccessibility();
    ListAccessibility(const ListAccessibility&) = delete;
    ListAccessibility& operator=(const ListAccessibility&) = delete;

    // The rows and selection now shown by the window; a reader is told what changed.
    void Show(HWND window, const ui::AccessibleList& list);
    // The window took the focus: a reader goes on to the selected row.
    void FocusCame(HWND window);
    // WM_GETOBJECT: the list's object for the client area; nullopt when the window answers as
    // any other (no list shown, another object asked for, or oleacc missing).
    std::optional<LRESULT> Answer(HWND window, WPARAM flags, LPARAM objectId);
    // The window is going: readers still holding the object are cut off.
    void Disconnect();

private:
    std::shared_ptr<const ui::AccessibleList> list_;
    Microsoft::WRL::ComPtr<ListAccessibleObject> object_;
};

} // namespace vtrl::win32
