#include "platform/win32/win32_launcher.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <memory>
#include <vector>

namespace vtrl::win32 {

using Microsoft::WRL::ComPtr;

bool Win32Launcher::ShellOpen(const std::wstring& target) {
    if (target.empty()) {
        return false;
    }
    // The shell may hand the request to COM or DDE, which want an apartment on this thread;
    // when the caller already has one this only balances the count.
    ComApartment apartment;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

namespace {

bool StartWithShowState(const std::wstring& commandLine, WORD showWindow, DWORD creationFlags) {
    if (commandLine.empty()) {
        return false;
    }
    // CreateProcessW may write into the command line, so it gets its own copy.
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = showWindow;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, creationFlags, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    unique_kernel_handle process(started.hProcess);
    unique_kernel_handle thread(started.hThread);
    return true;
}

struct PidlDeleter {
    void operator()(ITEMIDLIST* pidl) const noexcept { ILFree(pidl); }
};

bool InvokeContextMenuVerb(const std::wstring& path, const char* verb) {
    std::unique_ptr<ITEMIDLIST, PidlDeleter> pidl(ILCreateFromPathW(path.c_str()));
    if (!pidl) {
        return false;
    }
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD child = nullptr;
    if (FAILED(SHBindToParent(pidl.get(), IID_PPV_ARGS(&parent), &child))) {
        return false;
    }
    ComPtr<IContextMenu> menu;
    if (FAILED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr,
                                     reinterpret_cast<void**>(menu.GetAddressOf())))) {
        return false;
    }
    CMINVOKECOMMANDINFO command{};
    command.cbSize = sizeof(command);
    command.fMask = CMIC_MASK_FLAG_NO_UI;
    command.lpVerb = verb;
    command.nShow = SW_SHOWNORMAL;
    return SUCCEEDED(menu->InvokeCommand(&command));
}

} // namespace

bool Win32Launcher::StartProgram(const std::wstring& commandLine) {
    return StartWithShowState(commandLine, SW_SHOWNORMAL, 0);
}

bool Win32Launcher::StartProgramHidden(const std::wstring& commandLine) {
    // A console program started from a windowed one would otherwise get a console window of its
    // own; SW_HIDE alone covers only windowed programs.
    return StartWithShowState(commandLine, SW_HIDE, CREATE_NO_WINDOW);
}

bool Win32Launcher::ShowFileProperties(const std::wstring& path) {
    if (path.empty()) {
        return false;
    }
    // The dialog is a shell extension reached through COM; it runs on a thread of its own.
    ComApartment apartment;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"properties";
    info.lpFile = path.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (ShellExecuteExW(&info)) {
        // No process is started for this verb, but a handler may still hand one back.
        unique_kernel_handle process(info.hProcess);
        return true;
    }
    // Some shells (Wine's among them) refuse the verb through ShellExecuteEx but carry it out
    // through the file's own context menu, the object the verb is defined on.
    return InvokeContextMenuVerb(path, "properties");
}

std::wstring Win32Launcher::WebBrowserCommand() {
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"HTTP\\shell\\open\\command", 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS) {
        return {};
    }
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || bytes == 0) {
        return {};
    }
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD size = static_cast<DWORD>((data.size() - 1) * sizeof(wchar_t));
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                         &size) != ERROR_SUCCESS) {
        return {};
    }
    return std::wstring(data.data());
}

std::optional<std::wstring> Win32Launcher::AssociatedProgram(const std::wstring& path) {
    // Asked by the type alone, as the shell chooses the program for any file of it.
    const std::size_t dot = path.find_last_of(L'.');
    const std::size_t slash = path.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ||
        path.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    const std::wstring extension = path.substr(dot);
    constexpr ASSOCF kFlags = ASSOCF_INIT_IGNOREUNKNOWN | ASSOCF_NOTRUNCATE;
    DWORD length = 0;
    if (FAILED(AssocQueryStringW(kFlags, ASSOCSTR_EXECUTABLE, extension.c_str(), L"open", nullptr,
                                 &length)) ||
        length == 0) {
        return std::nullopt;
    }
    std::vector<wchar_t> buffer(length + 1, L'\0');
    length = static_cast<DWORD>(buffer.size());
    if (AssocQueryStringW(kFlags, ASSOCSTR_EXECUTABLE, extension.c_str(), L"open", buffer.data(),
                          &length) != S_OK) {
        return std::nullopt;
    }
    std::wstring program(buffer.data());
    if (program.empty()) {
        return std::nullopt;
    }
    return program;
}

} // namespace vtrl::win32
