#include "platform/win32/win32_shell_link.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <vector>

namespace vtrl::win32 {

using Microsoft::WRL::ComPtr;

namespace {

// Link paths and arguments can exceed MAX_PATH; the shell copies at most the buffer it is given.
constexpr int kLinkTextBuffer = 32768;

std::wstring UpToNul(const std::vector<wchar_t>& buffer) {
    std::size_t length = 0;
    while (length < buffer.size() && buffer[length] != L'\0') {
        ++length;
    }
    return std::wstring(buffer.data(), length);
}

} // namespace

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

std::optional<platform::LinkTarget> Win32ShellLinks::ReadLink(const std::wstring& linkPath) {
    if (linkPath.empty() || linkPath.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    ComPtr<IShellLinkW> shellLink;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&shellLink)))) {
        return std::nullopt;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(shellLink.As(&file)) || FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
        return std::nullopt;
    }
    platform::LinkTarget target;
    std::vector<wchar_t> buffer(kLinkTextBuffer, L'\0');
    // S_FALSE means the link points at a shell item without a path: an empty target.
    if (FAILED(shellLink->GetPath(buffer.data(), kLinkTextBuffer - 1, nullptr, 0))) {
        return std::nullopt;
    }
    target.targetPath = UpToNul(buffer);
    buffer.assign(kLinkTextBuffer, L'\0');
    if (FAILED(shellLink->GetArguments(buffer.data(), kLinkTextBuffer - 1))) {
        return std::nullopt;
    }
    target.arguments = UpToNul(buffer);
    return target;
}

} // namespace vtrl::win32
