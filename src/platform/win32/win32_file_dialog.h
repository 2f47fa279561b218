#pragma once
// The system's open-file dialog.

#include "platform/ui/window_system.h"

#include <windows.h>

#include <optional>
#include <string>

namespace vtrl::win32 {

// Shows the dialog over the owner (none for null) and waits; the chosen path, or nullopt when the
// user cancels or no dialog could be shown.
std::optional<std::wstring> ShowOpenFileDialog(HWND owner, const ui::OpenFileRequest& request);

} // namespace vtrl::win32
