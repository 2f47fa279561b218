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

} // namespace

// The download blocks the calling thread and handles no window messages: a nested message pump
// would let the user close the window whose handler is waiting here. A window that must keep
// answering runs it on a worker (Form::RunAside) and hears of its end from the message loop.
std::optional<std::string> Win32Http::Get(const std::wstring& url) {
    unique_hinternet session(
        InternetOpenW(platform::kHttpAgentName, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) {
        return std::nullopt;
    }
    unique_hinternet request(
        InternetOpenUrlW(session.get(), url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0));
    if (!request) {
        return std::nullopt;
    }
    std::string body;
    char chunk[platform::kHttpChunkBytes];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.get(), chunk, sizeof(chunk), &read) || read == 0) {
            break;
        }
        if (read > platform::kHttpReplyLimit - body.size()) {
            return std::nullopt;
        }
        body.append(chunk, read);
    }
    return body;
}

} // namespace vtrl::win32
