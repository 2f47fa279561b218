#include "platform/win32/win32_shell_link.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

namespace vtrl::win32 {

using Microsoft::WRL::ComPtr;

bool Win32ShellLinks::CreateLink(const platform::LinkSpec& link) {
    if (link.linkPath.empty() || link.linkPath.find(L'\0') != std::wstring::npos) {
        return false;
    }
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&shellLink)))) {
        return false;
    }
    if (FAILED(shellLink->SetPath(link.targetPath.c_str())) ||
        FAILED(shellLink->SetDescription(link.description.c_str())) ||
        FAILED(shellLink->SetWorkingDirectory(link.workingDirectory.c_str()))) {
        return false;
    }
    if (!link.iconLocation.empty()) {
        // "path,index" as the shell writes it; a bare path means the first icon.
        std::wstring iconPath = link.iconLocation;
        int iconIndex = 0;
        const auto comma = iconPath.find_last_of(L',');
        if (comma != std::wstring::npos) {
            iconIndex = _wtoi(iconPath.c_str() + comma + 1);
            iconPath.erase(comma);
        }
        if (FAILED(shellLink->SetIconLocation(iconPath.c_str(), iconIndex))) {
            return false;
        }
    }
    if (FAILED(shellLink->SetArguments(link.arguments.c_str()))) {
        return false;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink.As(&file))) {
        return false;
    }
    return SUCCEEDED(file->Save(link.linkPath.c_str(), TRUE));
}

} // namespace vtrl::win32
