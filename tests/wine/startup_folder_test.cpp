// The Startup folders against the real API: the known-folder API follows a "User Shell Folders"
// redirection, the shell's associations name the program that opens a file as the fake does, and
// every file of a folder (hidden and system ones too, "desktop.ini" never) is listed, moved into
// the backup with its bytes and attributes and moved back identical.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "inventory/folder_redirection_place.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_folder_items.h"
#include "inventory/startup_folder_redirection.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace vtrl {
namespace {

constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::wstring Lower(std::wstring text) {
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring Fixture(const std::wstring& name) {
    const std::wstring own = win32::OwnExecutablePath();
    return own.substr(0, own.find_last_of(L'\\')) + L"\\" + name;
}

// The user's "Startup" value as stored, put back when the test ends.
class SavedStartupValue {
public:
    SavedStartupValue() {
        DWORD size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", RRF_RT_ANY | RRF_NOEXPAND,
                         &type_, nullptr, &size) == ERROR_SUCCESS) {
            data_.resize(size);
            RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", RRF_RT_ANY | RRF_NOEXPAND,
                         &type_, data_.data(), &size);
            saved_ = true;
        }
    }
    ~SavedStartupValue() {
        if (saved_) {
            RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", type_, data_.data(),
                            static_cast<DWORD>(data_.size()));
        }
    }
    std::optional<std::pair<DWORD, std::vector<BYTE>>> Now() const {
        DWORD type = 0, size = 0;
        if (RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", RRF_RT_ANY | RRF_NOEXPAND,
                         &type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::vector<BYTE> data(size);
        RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", RRF_RT_ANY | RRF_NOEXPAND, &type,
                     data.data(), &size);
        data.resize(size);
        return std::pair(type, data);
    }
    bool saved() const { return saved_; }

private:
    bool saved_ = false;
    DWORD type_ = 0;
    std::vector<BYTE> data_;
};

void SetStartupValue(DWORD type, const std::wstring& text) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, L"Startup", type, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

class StartupFolderWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        base = facts.TempFolder + L"\\VtrlFolders-" + std::to_wstring(GetCurrentProcessId());
        testing_support::ScratchFolders folders;
        ASSERT_TRUE(testing_support::CreateScratchFolders(base, folders));
        facts.DataFolder = folders.data;
        facts.StartupFolder = startup = folders.startup;
    }
    void TearDown() override { testing_support::RemoveFolderTree(base); }

    std::vector<inventory::StartupRecord> Scan(const inventory::ScanSources& sources) {
        inventory::ScanStartupRecords(real.Get(), facts, inventory, {false, true}, sources);
        return {inventory.Records.begin(),
                inventory.Records.begin() + inventory.LastRecordIndex + 1};
    }

    // Restores the log's one entry; an empty outcome when the log does not hold exactly one.
    decisions::RestoreOutcome RestoreTheOnlyEntry() {
        const auto lines = services::ReadTextLines(real.Get().files, real.Get().locale,
                                                   decisions::BackupLogPath(facts.DataFolder));
        const auto logged =
            lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
        EXPECT_EQ(logged.size(), 1u);
        decisions::Decisions table;
        return logged.size() == 1
                   ? decisions::RestoreRemovedRecord(real.Get(), facts, table, logged[0])
                   : decisions::RestoreOutcome{};
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    inventory::StartupInventory inventory;
    std::wstring base, startup;
};

TEST_F(StartupFolderWineTest, KnownFolderFollowsTheRedirectionAndItIsARecord) {
    SavedStartupValue saved;
    ASSERT_TRUE(saved.saved()) << "Windows and Wine both keep the user's Startup value";
    win32::Win32Folders folders;
    const auto standard = folders.KnownFolderPath(platform::KnownFolder::Startup);
    ASSERT_TRUE(standard);
    EXPECT_FALSE(inventory::FindRedirection(real.Get(), inventory::UserStartupSetting()))
        << "the default value is no redirection";
    const auto common = folders.KnownFolderPath(platform::KnownFolder::CommonStartup);
    ASSERT_TRUE(common);
    EXPECT_NE(Lower(*common), Lower(*standard));

    // Redirected to a folder that does not exist yet: still where Windows looks.
    const std::wstring moved = base + L"\\Moved";
    SetStartupValue(REG_EXPAND_SZ, L"%TEMP%" + moved.substr(facts.TempFolder.size()));
    const auto followed = folders.KnownFolderPath(platform::KnownFolder::Startup);
    ASSERT_TRUE(followed);
    EXPECT_EQ(Lower(*followed), Lower(moved));
    EXPECT_EQ(Lower(services::GetStartupFolder(folders, platform::KnownFolder::Startup)),
              Lower(moved));

    inventory::ScanSources sources;
    sources.places = {inventory::RedirectionSite(inventory::UserStartupSetting())};
    const auto records = Scan(sources);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Kind, inventory::kKindFolderRedirection);
    EXPECT_EQ(Lower(records[0].ExeFolder + L"\\" + records[0].ExeName), Lower(moved));

    // Removal writes the default back (the folder Windows uses is the standard one again);
    // restore puts the redirection back with its type and bytes.
    const auto before = saved.Now();
    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), facts.DataFolder, records[0]));
    EXPECT_EQ(Lower(folders.KnownFolderPath(platform::KnownFolder::Startup).value_or(L"")),
              Lower(*standard));
    const auto outcome = RestoreTheOnlyEntry();
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_EQ(saved.Now(), before);
}

TEST_F(StartupFolderWineTest, AssociationsNameTheOpenerAsTheFakeDoes) {
    platform::Launcher& launcher = real.Get().launcher;
    const auto script = launcher.AssociatedProgram(startup + L"\\run.VBS");
    ASSERT_TRUE(script) << "Windows and Wine register the script host for .vbs";
    EXPECT_TRUE(Lower(*script).ends_with(L"\\wscript.exe")) << *script;
    EXPECT_FALSE(launcher.AssociatedProgram(startup + L"\\run.vtrlunknown"));
    EXPECT_FALSE(launcher.AssociatedProgram(L"C:\\dir.vbs\\noextension"));
    EXPECT_EQ(Lower(inventory::OpenerOf(real.Get().locale, launcher, facts.SystemFolder,
                                        startup + L"\\run.bat")),
              Lower(facts.SystemFolder + L"\\cmd.exe"));
}

TEST_F(StartupFolderWineTest, EveryFileListedAndMovedOutAndBackExactly) {
    const std::wstring program = startup + L"\\tool.exe";
    ASSERT_TRUE(CopyFileW(Fixture(L"version_none.exe").c_str(), program.c_str(), FALSE));
    const std::string bytes = testing_support::ReadFileBytes(program);
    constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                             FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE;
    ASSERT_TRUE(SetFileAttributesW(program.c_str(), kMarks));
    ASSERT_TRUE(real.Get().files.ReplaceAll(startup + L"\\run.bat", "@exit\r\n"));
    ASSERT_TRUE(real.Get().files.ReplaceAll(startup + L"\\desktop.ini", "[.ShellClassInfo]"));
    SetFileAttributesW((startup + L"\\desktop.ini").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(CreateDirectoryW((startup + L"\\Sub").c_str(), nullptr));

    inventory::ScanSources sources;
    sources.places = {inventory::StartupFolderSite(startup), inventory::StartupFileSite(startup)};
    auto records = Scan(sources);
    ASSERT_EQ(records.size(), 2u) << "desktop.ini and the subfolder are not listed";
    std::sort(records.begin(), records.end(),
              [](const auto& a, const auto& b) { return a.ExeName < b.ExeName; });
    EXPECT_EQ(records[0].ExeName, L"run.bat");
    EXPECT_EQ(Lower(records[0].Opener), Lower(facts.SystemFolder + L"\\cmd.exe"));
    EXPECT_FALSE(records[0].HiddenFile);
    const inventory::StartupRecord tool = records[1];
    EXPECT_EQ(tool.Kind, inventory::kKindStartupFile);
    EXPECT_TRUE(tool.HiddenFile && tool.SystemFile);
    EXPECT_EQ(Lower(tool.Opener), Lower(program));

    ASSERT_TRUE(decisions::RemoveStartupRecord(real.Get(), facts.DataFolder, tool));
    EXPECT_EQ(GetFileAttributesW(program.c_str()), INVALID_FILE_ATTRIBUTES);
    const auto outcome = RestoreTheOnlyEntry();
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started) << "the shell opened the restored program";
    EXPECT_EQ(testing_support::ReadFileBytes(program), bytes);
    EXPECT_EQ(GetFileAttributesW(program.c_str()), kMarks);
    // The started program may hold its file for a moment; clear the marks for the clean-up.
    SetFileAttributesW(program.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (int attempt = 0; attempt < 100 && !DeleteFileW(program.c_str()); ++attempt) {
        Sleep(50);
    }
}

} // namespace
} // namespace vtrl
