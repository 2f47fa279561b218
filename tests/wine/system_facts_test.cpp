// Start-up facts, files, shortcuts and the error log against the real Windows API.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/error_log.h"
#include "services/registry_access.h"
#include "services/system_facts.h"
#include "services/text_file.h"

#include <objidl.h>
#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace vtrl {
namespace {

using Microsoft::WRL::ComPtr;

class RealPlatformTest : public ::testing::Test {
protected:
    void SetUp() override { facts = services::FrameworkStartup(real.Get()); }

    std::wstring ScratchFolder() {
        const std::wstring folder =
            facts.TempFolder + L"\\vtrl-test-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder.c_str(), nullptr);
        return folder;
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
};

TEST_F(RealPlatformTest, FoldersAndDataFolder) {
    for (const std::wstring* folder :
         {&facts.StartupFolder, &facts.DesktopFolder, &facts.CommonProgramsFolder,
          &facts.CommonStartupFolder, &facts.CommonDesktopFolder, &facts.AppDataFolder,
          &facts.WindowsFolder, &facts.SystemFolder, &facts.ProgramFilesFolder}) {
        EXPECT_TRUE(real.Get().files.FolderExists(*folder)) << *folder;
        EXPECT_NE(folder->back(), L'\\') << *folder;
    }
    EXPECT_EQ(facts.WindowsDrive, facts.WindowsFolder.substr(0, 1));
    EXPECT_EQ(facts.DataFolder, facts.AppDataFolder + L"\\VTRL1");
    EXPECT_TRUE(real.Get().files.FolderExists(facts.DataFolder));
    EXPECT_TRUE(real.Get().files.FolderExists(facts.TempFolder));
    EXPECT_NE(facts.TempFolder.back(), L'\\');
    EXPECT_EQ(facts.VersionText, L"1.00");
    EXPECT_EQ(services::GetSpecialFolder(real.Get().folders, 0x7FFF),
              services::kInvalidFolderIdText);
}

TEST_F(RealPlatformTest, AdministratorProbeLeavesNoTrace) {
    EXPECT_TRUE(facts.IsAdmin); // the test prefix's user is an administrator
    EXPECT_TRUE(services::RegReadValue(real.Get().registry,
                                       L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Test")
                    .empty());
    EXPECT_FALSE(real.Get().files.FileExists(facts.WindowsDrive + L":\\testwrit"));
}

TEST_F(RealPlatformTest, MachineIdIsStableAndOpaque) {
    const std::wstring guid = services::ReadMachineId(real.Get().registry);
    const services::SystemFacts again = services::FrameworkStartup(real.Get());
    EXPECT_EQ(again.MachineId, facts.MachineId);
    EXPECT_EQ(facts.MachineId.size(), 16u);
    if (!guid.empty()) {
        EXPECT_EQ(facts.MachineId, services::MachineIdFrom(guid));
        EXPECT_EQ(facts.MachineId.find(guid), std::wstring::npos);
    }
}

TEST_F(RealPlatformTest, CountryName) {
    const std::wstring country = services::GetCountryName(real.Get().locale);
    EXPECT_FALSE(country.empty());
    EXPECT_EQ(country.find(L'\0'), std::wstring::npos);
}

TEST_F(RealPlatformTest, ShortPathOfExistingAndMissingFiles) {
    const std::wstring folder = ScratchFolder() + L"\\a folder with a long name";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring file = folder + L"\\some long file name.txt";
    ASSERT_TRUE(real.Get().files.ReplaceAll(file, "x"));
    const std::wstring shortForm = services::GetShortPath(real.Get().folders, file);
    EXPECT_FALSE(shortForm.empty());
    EXPECT_EQ(shortForm.find(L' '), std::wstring::npos) << shortForm;
    EXPECT_TRUE(real.Get().files.FileExists(shortForm));
    EXPECT_EQ(services::GetShortPath(real.Get().folders, folder + L"\\missing.txt"), L"");
}

TEST_F(RealPlatformTest, FilesReplaceAtomicallyAndNeverOverwriteOnCreate) {
    const std::wstring file = ScratchFolder() + L"\\data.txt";
    auto& files = real.Get().files;
    ASSERT_TRUE(files.ReplaceAll(file, "old"));
    ASSERT_TRUE(files.ReplaceAll(file, "new content"));
    EXPECT_EQ(files.ReadAll(file), "new content");
    EXPECT_FALSE(files.CreateNewEmpty(file));
    EXPECT_EQ(files.ReadAll(file), "new content");

    // Only the file itself is left in the folder: no temporary files.
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = file.substr(0, file.find_last_of(L'\\')) + L"\\data.txt*";
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int count = 1;
    while (FindNextFileW(search, &found)) {
        ++count;
    }
    FindClose(search);
    EXPECT_EQ(count, 1);

    EXPECT_TRUE(files.Remove(file));
    EXPECT_FALSE(files.FileExists(file));
    EXPECT_FALSE(files.ReadAll(file).has_value());
    EXPECT_FALSE(files.ReplaceAll(ScratchFolder() + L"\\no such folder\\f.txt", "x"));
}

TEST_F(RealPlatformTest, AnsiTextFileRoundTrip) {
    const std::wstring file = ScratchFolder() + L"\\lines.txt";
    ASSERT_TRUE(services::WriteTextLines(real.Get().files, real.Get().locale, file,
                                         {L"first", L"caf\u00e9"}));
    const auto bytes = real.Get().files.ReadAll(file);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->substr(0, 7), "first\r\n");
    EXPECT_EQ(bytes->substr(bytes->size() - 2), "\r\n");
    const auto lines = services::ReadTextLines(real.Get().files, real.Get().locale, file);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (std::vector<std::wstring>{L"first", L"caf\u00e9"}));
}

// The command interpreter reads a batch file in the OEM code page: a folder named with a letter
// outside ASCII is found and removed by the batch file as written.
TEST_F(RealPlatformTest, BatchFileReachesAFolderWithAGermanLetter) {
    const std::wstring scratch = ScratchFolder();
    const std::wstring folder = scratch + L"\\J\u00fcrgen";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring batch = scratch + L"\\remove.bat";
    ASSERT_TRUE(services::WriteBatchLines(real.Get().files, real.Get().locale, batch,
                                          {L"@echo off", L"rmdir /S /Q \"" + folder + L"\""}));
    std::wstring command = L"cmd.exe /c \"" + batch + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, nullptr, &startup, &started));
    const win32::unique_kernel_handle process(started.hProcess);
    const win32::unique_kernel_handle thread(started.hThread);
    ASSERT_EQ(WaitForSingleObject(process.get(), 30000), WAIT_OBJECT_0);
    EXPECT_FALSE(real.Get().files.FolderExists(folder));
    DeleteFileW(batch.c_str());
}

TEST_F(RealPlatformTest, TraceStepWritesAndClearsItsMarker) {
    const std::wstring marker = facts.DataFolder + L"\\fileerror.txt";
    services::TraceStep(real.Get().files, real.Get().locale, facts, services::kStepExtractFileIcon);
    EXPECT_EQ(real.Get().files.ReadAll(marker), "x|ver:1.00|EXTRACTFILEICON\r\n");
    services::TraceStep(real.Get().files, real.Get().locale, facts, services::kStepScrollChange);
    EXPECT_EQ(real.Get().files.ReadAll(marker), "x|ver:1.00|SCROLLCHANGE\r\n");
    services::TraceStep(real.Get().files, real.Get().locale, facts, L"");
    EXPECT_FALSE(real.Get().files.FileExists(marker));
}

TEST_F(RealPlatformTest, CreateLinkFileWritesARealShortcut) {
    const std::wstring folder = ScratchFolder();
    const std::wstring link = folder + L"\\Vantorel test.lnk";
    const std::wstring target = facts.SystemFolder + L"\\notepad.exe";
    services::CreateLinkFile(real.Get().links, link, target, L"A description", folder, L"startup",
                             L"");
    ASSERT_TRUE(real.Get().files.FileExists(link));

    ComPtr<IShellLinkW> shellLink;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_PPV_ARGS(&shellLink))));
    ComPtr<IPersistFile> file;
    ASSERT_TRUE(SUCCEEDED(shellLink.As(&file)));
    ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
    wchar_t text[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(shellLink->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)));
    EXPECT_EQ(_wcsicmp(text, target.c_str()), 0) << text;
    ASSERT_TRUE(SUCCEEDED(shellLink->GetArguments(text, MAX_PATH)));
    EXPECT_STREQ(text, L"startup");
    ASSERT_TRUE(SUCCEEDED(shellLink->GetDescription(text, MAX_PATH)));
    EXPECT_STREQ(text, L"A description");
    ASSERT_TRUE(SUCCEEDED(shellLink->GetWorkingDirectory(text, MAX_PATH)));
    EXPECT_EQ(_wcsicmp(text, folder.c_str()), 0) << text;

    // A link in a folder that does not exist is not written, and nothing is reported.
    services::CreateLinkFile(real.Get().links, folder + L"\\missing\\x.lnk", target, L"", L"", L"",
                             L"");
    EXPECT_FALSE(real.Get().files.FileExists(folder + L"\\missing\\x.lnk"));
}

// The shipped executable carries the version, names and manifest the program relies on.
TEST(ProgramResources, VersionInfoIconAndManifest) {
    std::wstring exe = win32::OwnExecutablePath();
    exe = exe.substr(0, exe.find_last_of(L'\\')) + L"\\vantorel.exe";
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource in " << exe;
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), 0);
    for (const auto& [name, expected] :
         {std::pair{L"ProductName", L"Vantorel"}, std::pair{L"FileDescription", L"Vantorel"}}) {
        wchar_t* text = nullptr;
        const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(
            VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_STREQ(text, expected);
    }
    wchar_t* company = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\StringFileInfo\\040904B0\\CompanyName",
                               reinterpret_cast<void**>(&company), &length));
    EXPECT_GT(wcslen(company), 0u);

    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
    FreeLibrary(module);
}

} // namespace
} // namespace vtrl

namespace vtrl {
namespace {

TEST(RealLocale, DatesRoundTripAndCaseFollowsWindows) {
    win32::Win32Locale locale;
    win32::Win32Clock clock;
    const platform::LocalTime now = clock.Now();
    EXPECT_GE(now.year, 2020);
    const platform::LocalTime sample{2026, 2, 28, 23, 4, 5};
    const std::wstring text = locale.FormatDateTime(sample);
    ASSERT_FALSE(text.empty());
    const auto back = locale.ParseDateTime(text);
    ASSERT_TRUE(back.has_value()) << text;
    EXPECT_EQ(*back, sample) << text;
    EXPECT_FALSE(locale.ParseDateTime(L"not a date").has_value());
    EXPECT_FALSE(locale.ParseDateTime(L"").has_value());

    EXPECT_EQ(locale.ToLower(L"C:\\PROGRAM FILES\\\u00c4BC.EXE"),
              L"c:\\program files\\\u00e4bc.exe");
    EXPECT_EQ(locale.ToUpper(L"c:\\windows\\\u00e9t\u00e9"), L"C:\\WINDOWS\\\u00c9T\u00c9");
}

} // namespace
} // namespace vtrl

namespace vtrl {
namespace {

TEST(RealFiles, SizesAndFolderListing) {
    win32::Win32FileSystem files;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"vtrl-list-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(files.ReplaceAll(folder + L"\\One.lnk", "12345"));
    ASSERT_TRUE(files.ReplaceAll(folder + L"\\two.LNK", ""));
    ASSERT_TRUE(files.ReplaceAll(folder + L"\\three.txt", "x"));
    CreateDirectoryW((folder + L"\\sub.lnk").c_str(), nullptr);
    SetFileAttributesW((folder + L"\\two.LNK").c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_EQ(files.FileSize(folder + L"\\One.lnk"), 5u);
    EXPECT_EQ(files.FileSize(folder + L"\\two.LNK"), 0u);
    EXPECT_FALSE(files.FileSize(folder + L"\\missing").has_value());
    EXPECT_FALSE(files.FileSize(folder).has_value());

    std::map<std::wstring, std::uint32_t> listed;
    for (const auto& entry : files.ListFolder(folder, L"*.lnk")) {
        listed[entry.name] = entry.attributes;
    }
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_TRUE(listed.count(L"One.lnk"));
    EXPECT_NE(listed[L"two.LNK"] & platform::kAttributeHidden, 0u);
    EXPECT_NE(listed[L"sub.lnk"] & platform::kAttributeDirectory, 0u);
    EXPECT_TRUE(files.ListFolder(folder + L"\\nothing here", L"*").empty());
}

TEST(RealFiles, LastWriteTimeIsTheFilesOwnInUtc) {
    win32::Win32FileSystem files;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path =
        std::wstring(temp) + L"vtrl-time-" + std::to_wstring(GetCurrentProcessId()) + L".exe";
    ASSERT_TRUE(files.ReplaceAll(path, "MZ"));
    // A time no write of this test could give by chance: 2001-02-03 04:05:06 UTC.
    SYSTEMTIME utc{2001, 2, 0, 3, 4, 5, 6, 0};
    FILETIME stamp{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &stamp));
    {
        win32::unique_file file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &stamp));
    }
    const auto written = files.LastWriteTime(path);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written,
              (static_cast<std::uint64_t>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime);
    EXPECT_FALSE(files.LastWriteTime(path + L".missing").has_value());
    EXPECT_FALSE(files.LastWriteTime(std::wstring(temp)).has_value()) << "a folder";
    DeleteFileW(path.c_str());
}

} // namespace
} // namespace vtrl
