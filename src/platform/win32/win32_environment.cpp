#include "platform/win32/win32_environment.h"

#include <windows.h>

#include <vector>

namespace vtrl::win32 {

namespace {

// The system expands at most this many characters at once.
constexpr std::size_t kExpandLimit = 32000;

} // namespace

std::wstring Win32Environment::Expand(const std::wstring& text) {
    if (text.find(L'%') == std::wstring::npos) {
        return text;
    }
    if (text.size() >= kExpandLimit) {
        return ExpandLong(text);
    }
    // The answer counts the terminating NUL; a variable may change between the two calls, so
    // the size is asked again until the text fits.
    std::vector<wchar_t> buffer(text.size() + 64);
    for (;;) {
        const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), buffer.data(),
                                                       static_cast<DWORD>(buffer.size()));
        if (needed == 0) {
            return text;
        }
        if (needed <= buffer.size()) {
            return std::wstring(buffer.data(), needed - 1);
        }
        buffer.resize(needed);
    }
}

std::wstring Win32Environment::ExpandLong(const std::wstring& text) {
    return platform::ExpandNames(text, [this](const std::wstring& name) { return Variable(name); });
}

std::optional<std::wstring> Win32Environment::Variable(const std::wstring& name) {
    std::vector<wchar_t> buffer(256);
    for (;;) {
        SetLastError(ERROR_SUCCESS);
        const DWORD length =
            GetEnvironmentVariableW(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::wstring();
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        buffer.resize(length);
    }
}

} // namespace vtrl::win32
