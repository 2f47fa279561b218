#include "platform/win32/win32_message_box.h"

#include <windows.h>

namespace vtrl::win32 {

platform::MessageAnswer Win32MessageBoxes::Show(const std::wstring& text,
                                                const std::wstring& caption,
                                                platform::MessageIcon icon,
                                                platform::MessageButtons buttons) {
    UINT style = buttons == platform::MessageButtons::YesNo ? MB_YESNO : MB_OK;
    switch (icon) {
    case platform::MessageIcon::None:
        break;
    case platform::MessageIcon::Information:
        style |= MB_ICONINFORMATION;
        break;
    case platform::MessageIcon::Warning:
        style |= MB_ICONWARNING;
        break;
    case platform::MessageIcon::Error:
        style |= MB_ICONERROR;
        break;
    }
    // No owner: the box belongs to the task, which may not have a window of its own yet.
    style |= MB_TASKMODAL | MB_SETFOREGROUND;
    switch (MessageBoxW(nullptr, text.c_str(), caption.c_str(), style)) {
    case IDOK:
        return platform::MessageAnswer::Ok;
    case IDYES:
        return platform::MessageAnswer::Yes;
    case IDNO:
        return platform::MessageAnswer::No;
    default:
        return platform::MessageAnswer::Failed;
    }
}

} // namespace vtrl::win32
