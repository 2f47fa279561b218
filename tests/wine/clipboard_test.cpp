// The clipboard through the real API: the text put is what another reader of the clipboard
// gets back, it stays after the call, and a later text replaces it.

#include "platform/win32/win32_clipboard.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace vtrl {
namespace {

// What the clipboard holds as Unicode text, read with the API itself.
std::wstring ClipboardText() {
    if (!OpenClipboard(nullptr)) {
        return L"<not opened>";
    }
    std::wstring text = L"<no text>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

TEST(ClipboardWineTest, PutTextIsWhatTheClipboardHolds) {
    const std::wstring command = L"\"C:\\Program Files\\Tr\u00e4y\\tray.exe\" /min \"a b\"";
    {
        win32::Win32Clipboard clipboard;
        ASSERT_TRUE(clipboard.PutText(command));
        EXPECT_EQ(ClipboardText(), command);
        EXPECT_EQ(clipboard.Text(), command);
        ASSERT_TRUE(clipboard.PutText(L""));
        EXPECT_EQ(ClipboardText(), L"");
        ASSERT_TRUE(clipboard.PutText(command));
    }
    // Its owner gone, the text stays for the programs it was copied for.
    EXPECT_EQ(ClipboardText(), command);
    win32::Win32Clipboard later;
    EXPECT_EQ(later.Text(), command);
}

} // namespace
} // namespace vtrl
