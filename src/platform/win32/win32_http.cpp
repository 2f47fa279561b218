#include "platform/win32/win32_http.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <wininet.h>

namespace vtrl::win32 {

namespace {

struct InternetHandleTraits {
    using pointer = HINTERNET;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer handle) noexcept { InternetCloseHandle(handle); }
};
using unique_hinternet = unique_handle<InternetHandleTraits>;

// Lets the windows of this thread repaint and answer while a download runs on it.
void ProcessPendingEvents() {
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Leave the quit for the main loop, which ends the process.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace

std::string Win32Http::Get(const std::wstring& url) {
    std::string body;
    unique_hinternet session(
        InternetOpenW(platform::kHttpAgentName, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return body;
    }
    unique_hinternet request(
        InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    if (!request) {
        return body;
    }
    char chunk[platform::kHttpChunkBytes];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.get(), chunk, sizeof(chunk), &read) || read == 0) {
            break;
        }
        body.append(chunk, read);
        ProcessPendingEvents();
    }
    return body;
}

} // namespace vtrl::win32
