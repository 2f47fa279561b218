// Writes one shortcut through the shell's link interface, as an installer would:
//   make_shortcut LINK TARGET [ARGUMENTS]
// Exit 0 when written, 1 when the shell refused, 2 for a wrong command line.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_shell_link.h"

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 4) {
        std::fputs("usage: make_shortcut LINK TARGET [ARGUMENTS]\n", stderr);
        return 2;
    }
    vtrl::win32::ComApartment com;
    const std::wstring target = argv[2];
    const std::size_t slash = target.find_last_of(L'\\');
    const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash);
    vtrl::win32::Win32ShellLinks links;
    const bool written =
        links.CreateLink({argv[1], target, L"", folder, argc == 4 ? argv[3] : L"", L""});
    return written ? 0 : 1;
}
