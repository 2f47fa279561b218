#pragma once
// Where forms get their native windows, and the message loop that keeps the process alive while
// any of them is open.

#include "platform/ui/form.h"

#include <memory>

namespace vtrl::ui {

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Gives the form its native window (hidden), attaches its controls and runs its load
    // handler. The window system owns the form from now on and drops it after it is unloaded;
    // the returned reference is valid until then.
    virtual Form& Load(std::unique_ptr<Form> form) = 0;
    // Handles window events until no form is left; returns at once when none is loaded.
    virtual void RunMessageLoop() = 0;
};

} // namespace vtrl::ui
