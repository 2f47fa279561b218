#include "platform/win32/win32_clipboard.h"

#include <cstring>

namespace vtrl::win32 {
namespace {

// Another program may hold the clipboard open for a moment: a few tries, a little apart.
constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMs = 20;

bool OpenWithRetry(HWND owner) {
    for (int attempt = 0; attempt < kOpenTries; ++attempt) {
        if (OpenClipboard(owner)) {
            return true;
        }
        Sleep(kOpenPauseMs);
    }
    return false;
}

// Closes the clipboard when the scope ends.
struct OpenClipboardScope {
    ~OpenClipboardScope() { CloseClipboard(); }
};

struct GlobalFreeIfOwned {
    HGLOBAL memory;
    ~GlobalFreeIfOwned() {
        if (memory != nullptr) {
            GlobalFree(memory);
        }
    }
};

} // namespace

HWND Win32Clipboard::Owner() {
    if (!owner_) {
        owner_.reset(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleW(nullptr), nullptr));
    }
    return owner_.get();
}

bool Win32Clipboard::PutText(const std::wstring& text) {
    HWND owner = Owner();
    if (owner == nullptr) {
        return false;
    }
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    GlobalFreeIfOwned memory{GlobalAlloc(GMEM_MOVEABLE, bytes)};
    if (memory.memory == nullptr) {
        return false;
    }
    void* target = GlobalLock(memory.memory);
    if (target == nullptr) {
        return false;
    }
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.memory);
    if (!OpenWithRetry(owner)) {
        return false;
    }
    OpenClipboardScope scope;
    if (!EmptyClipboard() || SetClipboardData(CF_UNICODETEXT, memory.memory) == nullptr) {
        return false;
    }
    // The system owns the memory now.
    memory.memory = nullptr;
    return true;
}

std::optional<std::wstring> Win32Clipboard::Text() {
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenWithRetry(Owner())) {
        return std::nullopt;
    }
    OpenClipboardScope scope;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) {
        return std::nullopt;
    }
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(data));
    if (chars == nullptr) {
        return std::nullopt;
    }
    // Bounded by the block's size: a text without its terminating null is not read past.
    const std::size_t most = GlobalSize(data) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < most && chars[length] != L'\0') {
        ++length;
    }
    std::wstring text(chars, length);
    GlobalUnlock(data);
    return text;
}

} // namespace vtrl::win32
