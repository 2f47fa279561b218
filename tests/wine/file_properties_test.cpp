// The shell's properties dialog of a file, as the record page opens it: it appears for an
// existing file and closes when cancelled; a path that names nothing opens nothing.

#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_launcher.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace vtrl {
namespace {

// Waits for a top-level window with the caption and cancels it; true when one appeared. Runs
// beside the call, since one shell shows the dialog modally and another on a thread of its own.
bool CancelWindowWhenItAppears(const std::wstring& caption, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < deadline) {
        if (HWND window = FindWindowW(nullptr, caption.c_str())) {
            PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
            for (int i = 0; i < 100 && IsWindow(window); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(FileProperties, OpensTheDialogOfAnExistingFile) {
    const std::wstring own = win32::OwnExecutablePath();
    const std::wstring caption = L"Properties for " + own.substr(own.find_last_of(L'\\') + 1);
    std::atomic<bool> appeared = false;
    std::thread closer(
        [&] { appeared = CancelWindowWhenItAppears(caption, std::chrono::seconds(15)); });
    win32::Win32Launcher launcher;
    const bool accepted = launcher.ShowFileProperties(own);
    closer.join();
    EXPECT_TRUE(accepted);
    EXPECT_TRUE(appeared) << "no window \"" << std::string(caption.begin(), caption.end()) << "\"";
    EXPECT_EQ(FindWindowW(nullptr, caption.c_str()), nullptr) << "the dialog stayed open";
}

TEST(FileProperties, NothingOpensForAMissingFileOrAnEmptyPath) {
    win32::Win32Launcher launcher;
    EXPECT_FALSE(launcher.ShowFileProperties(L""));
    EXPECT_FALSE(launcher.ShowFileProperties(L"C:\\vantorel-no-such-folder\\missing.exe"));
    EXPECT_FALSE(
        CancelWindowWhenItAppears(L"Properties for missing.exe", std::chrono::milliseconds(1500)));
}

} // namespace
} // namespace vtrl
