// Undo puts back exactly what was removed, against the real registry and real shell links: a
// REG_EXPAND_SZ value with its type and bytes, in the registry view it came from, and a shortcut
// file with every byte (working folder, icon, run style, hot key) and its attributes; log entries
// written before exact copies were kept still restore as they always did.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_copy.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "wine_test_support.h"

#include <windows.h>

#include <shlobj.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vtrl {
namespace {

using Microsoft::WRL::ComPtr;

constexpr wchar_t kRunParent[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
constexpr wchar_t kMachine32[] =
    L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring Fixture(const std::wstring& name) {
    const std::wstring own = win32::OwnExecutablePath();
    return own.substr(0, own.find_last_of(L'\\')) + L"\\" + name;
}

// A value's type and raw bytes, exactly as stored.
struct RawValue {
    DWORD type = 0;
    std::string data;
    friend bool operator==(const RawValue&, const RawValue&) = default;
};

std::string Utf16Bytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()),
                       (text.size() + 1) * sizeof(wchar_t));
}

class ExactRestoreWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name(info->name(), info->name() + std::strlen(info->name()));
        tag = L"VtrlExact-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        testing_support::ScratchFolders folders;
        ASSERT_TRUE(testing_support::CreateScratchFolders(facts.TempFolder + L"\\" + tag, folders));
        base = folders.base;
        facts.DataFolder = dataFolder = folders.data;
        facts.StartupFolder = startupFolder = folders.startup;
    }
    void TearDown() override {
        for (const auto& [root, view, key] : written) {
            win32::unique_hkey handle;
            if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE | view, handle.put()) ==
                ERROR_SUCCESS) {
                RegDeleteValueW(handle.get(), tag.c_str());
            } else {
                handle.release();
            }
        }
        // The restored program may still be running for a moment, holding its file.
        for (int attempt = 0; !programFolder.empty() && attempt < 100; ++attempt) {
            testing_support::RemoveFolderTree(programFolder);
            if (GetFileAttributesW(programFolder.c_str()) == INVALID_FILE_ATTRIBUTES) {
                break;
            }
            Sleep(50);
        }
        testing_support::RemoveFolderTree(base);
    }

    void WriteValue(HKEY root, REGSAM view, const std::wstring& key, DWORD type,
                    const std::string& data) {
        win32::unique_hkey handle;
        ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr,
                                  handle.put(), nullptr),
                  ERROR_SUCCESS);
        written.push_back({root, view, key});
        ASSERT_EQ(RegSetValueExW(handle.get(), tag.c_str(), 0, type,
                                 reinterpret_cast<const BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size())),
                  ERROR_SUCCESS);
    }
    std::optional<RawValue> ReadValue(HKEY root, REGSAM view, const std::wstring& key) {
        win32::unique_hkey handle;
        if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE | view, handle.put()) !=
            ERROR_SUCCESS) {
            handle.release();
            return std::nullopt;
        }
        RawValue value;
        DWORD size = 0;
        if (RegQueryValueExW(handle.get(), tag.c_str(), nullptr, &value.type, nullptr, &size) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.data.resize(size);
        if (RegQueryValueExW(handle.get(), tag.c_str(), nullptr, &value.type,
                             reinterpret_cast<BYTE*>(value.data.data()), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.data.resize(size);
        return value;
    }

    inventory::StartupRecord Record(const std::wstring& kind, const std::wstring& location,
                                    const std::wstring& entryName, const std::wstring& command) {
        inventory::StartupRecord record;
        record.InUse = true;
        record.Kind = kind;
        record.Location = location;
        record.EntryName = entryName;
        record.ExeFolder = L"c:\\program files\\vtrl";
        record.ExeName = L"tool.exe";
        record.Arguments = L"-min";
        record.CommandLine = command;
        return record;
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(real.Get().files, real.Get().locale,
                                                   decisions::BackupLogPath(dataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }
    decisions::RestoreOutcome Restore(const decisions::BackupEntry& entry) {
        decisions::Decisions table;
        return decisions::RestoreRemovedRecord(real.Get(), facts, table, entry);
    }

    // Removes the record through the program's removal and restores it from its log entry.
    decisions::RestoreOutcome RemoveAndRestore(const inventory::StartupRecord& record,
                                               const std::function<void()>& whileRemoved) {
        EXPECT_TRUE(decisions::RemoveStartupRecord(real.Get(), dataFolder, record));
        whileRemoved();
        const auto logged = Logged();
        EXPECT_EQ(logged.size(), 1u);
        if (logged.empty()) {
            return {};
        }
        return Restore(logged[0]);
    }

    struct WrittenValue {
        HKEY root;
        REGSAM view;
        std::wstring key;
    };

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    std::wstring tag, base, dataFolder, startupFolder, programFolder;
    std::vector<WrittenValue> written;
};

// The case: mixed case and %ProgramFiles% in a REG_EXPAND_SZ value come back as they
// were, and the restored command starts, which it can only once the variable is expanded.
TEST_F(ExactRestoreWineTest, ExpandValueRestoredByteIdenticalWithItsType) {
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_GT(ExpandEnvironmentStringsW(L"%ProgramFiles%", programFiles, MAX_PATH), 0u);
    const std::wstring folderName = tag + L"-" + std::to_wstring(GetTickCount64());
    programFolder = std::wstring(programFiles) + L"\\" + folderName;
    ASSERT_TRUE(CreateDirectoryW(programFolder.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(Fixture(L"version_none.exe").c_str(),
                          (programFolder + L"\\Tool.EXE").c_str(), FALSE));
    const std::wstring command = L"\"%ProgramFiles%\\" + folderName + L"\\Tool.EXE\" -Min";
    const std::wstring run = std::wstring(kRunParent) + L"Run";
    const RawValue stored{REG_EXPAND_SZ, Utf16Bytes(command)};
    WriteValue(HKEY_CURRENT_USER, 0, run, stored.type, stored.data);

    const auto outcome =
        RemoveAndRestore(Record(L"REGISTRY", L"HKEY_CURRENT_USER\\" + run, tag, command),
                         [&] { EXPECT_FALSE(ReadValue(HKEY_CURRENT_USER, 0, run).has_value()); });
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, 0, run), stored);
}

// A value of the 32-bit view goes back to that view, seen through KEY_WOW64_32KEY as a 32-bit
// program sees it, and not into the 64-bit view.
TEST_F(ExactRestoreWineTest, ThirtyTwoBitViewValueRestoredIntoThatView) {
    const std::wstring run = std::wstring(kRunParent) + L"Run";
    const std::wstring command = L"\"" + Fixture(L"version_none.exe") + L"\" -From32 %SystemRoot%";
    const RawValue stored{REG_EXPAND_SZ, Utf16Bytes(command)};
    WriteValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, run, stored.type, stored.data);
    ASSERT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, run).has_value());

    const auto outcome = RemoveAndRestore(Record(L"REGISTRY", kMachine32, tag, command), [&] {
        EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, run).has_value());
    });
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, run), stored);
    EXPECT_FALSE(ReadValue(HKEY_LOCAL_MACHINE, KEY_WOW64_64KEY, run).has_value());
}

// A shortcut with a working folder, an icon, arguments, a hot key and a run style, read-only:
// the same file comes back, not one re-created from the log's lines.
TEST_F(ExactRestoreWineTest, ShortcutRestoredByteIdenticalWithItsAttributes) {
    const std::wstring link = startupFolder + L"\\Mixed Case.lnk";
    {
        ComPtr<IShellLinkW> shell;
        ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_PPV_ARGS(&shell))));
        shell->SetPath(Fixture(L"version_none.exe").c_str());
        shell->SetArguments(L"/Tray \"Now\"");
        shell->SetWorkingDirectory(base.c_str());
        shell->SetIconLocation((facts.SystemFolder + L"\\shell32.dll").c_str(), 3);
        shell->SetHotkey(MAKEWORD('V', HOTKEYF_CONTROL | HOTKEYF_ALT));
        shell->SetShowCmd(SW_SHOWMINNOACTIVE);
        shell->SetDescription(L"Mixed Case");
        ComPtr<IPersistFile> file;
        ASSERT_TRUE(SUCCEEDED(shell.As(&file)));
        ASSERT_TRUE(SUCCEEDED(file->Save(link.c_str(), TRUE)));
    }
    ASSERT_TRUE(SetFileAttributesW(link.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE));
    const std::string bytes = testing_support::ReadFileBytes(link);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    ASSERT_GT(bytes.size(), 76u); // more than the header: the shortcut was written
    ASSERT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0u);

    const auto record = Record(L"SHORTCUT", startupFolder, L"Mixed Case.lnk",
                               L"\"" + Fixture(L"version_none.exe") + L"\" /Tray \"Now\"");
    const auto outcome = RemoveAndRestore(
        record, [&] { EXPECT_EQ(GetFileAttributesW(link.c_str()), INVALID_FILE_ATTRIBUTES); });
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.started);
    EXPECT_EQ(testing_support::ReadFileBytes(link), bytes);
    EXPECT_EQ(GetFileAttributesW(link.c_str()), attributes);

    // Restored again over itself, read-only as it is (Windows refuses to replace such a file,
    // Wine does not): the same file once more.
    EXPECT_TRUE(Restore(Logged().at(0)).recordWritten);
    EXPECT_EQ(testing_support::ReadFileBytes(link), bytes);
    EXPECT_EQ(GetFileAttributesW(link.c_str()), attributes);
}

// What the fake file system copies: a file replaced through a temporary one is a new file and
// carries none of the old file's attributes.
TEST_F(ExactRestoreWineTest, ReplacedFileHasAttributesOfItsOwn) {
    const std::wstring path = startupFolder + L"\\held.lnk";
    ASSERT_TRUE(real.Get().files.ReplaceAll(path, "old"));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    ASSERT_TRUE(real.Get().files.ReplaceAll(path, "new"));
    EXPECT_EQ(testing_support::ReadFileBytes(path), "new");
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}

// Entries an older version wrote, with no copy beside them, restore as before: a REG_SZ value of
// the command line, and a shortcut re-created from folder, name and arguments.
TEST_F(ExactRestoreWineTest, OldFormatEntriesRestoreAsBefore) {
    const std::wstring run = std::wstring(kRunParent) + L"Run";
    const std::wstring program = Fixture(L"version_none.exe");
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    const std::wstring command = L"\"" + program + L"\" -old";
    const std::wstring link = startupFolder + L"\\Old.lnk";
    written.push_back({HKEY_CURRENT_USER, 0, run});
    const std::vector<std::wstring> lines = {decisions::kBackupSeparator,
                                             L"12/8/2026 5:34:07 AM",
                                             L"8-12-2026",
                                             L"5:34:7",
                                             L"REGISTRY",
                                             L"HKEY_CURRENT_USER\\" + run + L"\\" + tag,
                                             folder,
                                             L"version_none.exe",
                                             L"-old",
                                             command,
                                             decisions::kBackupSeparator,
                                             L"12/8/2026 5:34:08 AM",
                                             L"8-12-2026",
                                             L"5:34:8",
                                             L"SHORTCUT",
                                             link,
                                             folder,
                                             L"version_none.exe",
                                             L"-old",
                                             command};
    ASSERT_TRUE(services::WriteTextLines(real.Get().files, real.Get().locale,
                                         decisions::BackupLogPath(dataFolder), lines));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 2u);

    for (const auto& entry : logged) {
        const auto outcome = Restore(entry);
        EXPECT_FALSE(outcome.exactCopy);
        EXPECT_TRUE(outcome.recordWritten);
        EXPECT_TRUE(outcome.started);
    }
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, 0, run), (RawValue{REG_SZ, Utf16Bytes(command)}));
    const auto target = real.Get().links.ReadLink(link);
    ASSERT_TRUE(target.has_value());
    EXPECT_EQ(real.Get().locale.ToLower(target->targetPath), real.Get().locale.ToLower(program));
    EXPECT_EQ(target->arguments, L"-old");
}

} // namespace
} // namespace vtrl
