#pragma once
// Where forms get their native windows, and the message loop that keeps the process alive while
// any of them is open.

#include "platform/ui/form.h"

#include <memory>
#include <optional>
#include <string>

namespace vtrl::ui {

// How the system's open-file dialog starts.
struct OpenFileRequest {
    std::wstring title;
    std::wstring initialFolder;
    // Description and pattern pairs joined by '|': "Executable Files (*.exe)|*.exe".
    std::wstring filter;
    std::wstring fileName; // what the name box shows at first
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Gives the form its native window (hidden), attaches its controls and runs its load
    // handler. The window system owns the form from now on and drops it after it is unloaded;
    // the returned reference is valid until then.
    virtual Form& Load(std::unique_ptr<Form> form) = 0;
    // Handles window events until no form is left; returns at once when none is loaded.
    virtual void RunMessageLoop() = 0;
    // Shows the system's open-file dialog over the owner's window (none for null) and waits; the
    // chosen path, or nullopt when the user cancels or no dialog could be shown.
    virtual std::optional<std::wstring> ChooseOpenFile(const Form* owner,
                                                       const OpenFileRequest& request) = 0;
};

} // namespace vtrl::ui
