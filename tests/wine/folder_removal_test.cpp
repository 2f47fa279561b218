// Removing an empty folder against the real API, as the in-memory file system of the unit tests
// does it: a folder with anything inside, even a hidden file or an empty subfolder, stays.

#include "platform/win32/win32_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace vtrl {
namespace {

TEST(RealFolderRemoval, OnlyAnEmptyFolderGoes) {
    win32::Win32FileSystem files;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"vtrl-group-" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(files.CreateFolder(folder));
    ASSERT_TRUE(files.CreateFolder(folder + L"\\Sub"));
    ASSERT_TRUE(files.ReplaceAll(folder + L"\\desktop.ini", "x"));
    SetFileAttributesW((folder + L"\\desktop.ini").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);

    EXPECT_FALSE(files.RemoveEmptyFolder(folder)) << "a hidden file and a subfolder inside";
    EXPECT_FALSE(files.RemoveEmptyFolder(folder + L"\\desktop.ini")) << "a file is no folder";
    ASSERT_TRUE(files.Remove(folder + L"\\desktop.ini"));
    EXPECT_FALSE(files.RemoveEmptyFolder(folder)) << "an empty subfolder inside";
    EXPECT_TRUE(files.RemoveEmptyFolder(folder + L"\\Sub"));
    EXPECT_TRUE(files.RemoveEmptyFolder(folder));
    EXPECT_FALSE(files.FolderExists(folder));
    EXPECT_FALSE(files.RemoveEmptyFolder(folder)) << "a missing folder";
    EXPECT_FALSE(files.RemoveEmptyFolder(L""));
}

} // namespace
} // namespace vtrl
