// The executable's entry: common controls, COM for the shell interfaces, the real platform,
// then the shared start-up, dispatch and message loop.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "shell/entry.h"

#include <windows.h>
#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    vtrl::win32::ComApartment com;
    vtrl::win32::Win32Platform platform;

    vtrl::shell::RunEntry(platform.Get(), platform.Windows(),
                          commandLine != nullptr ? commandLine : L"");
    return 0;
}
