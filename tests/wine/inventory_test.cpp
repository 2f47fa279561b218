// The inventory against the real API: Run values in a registry key of the test's own, shortcuts
// made through the shell-link interface, version resources of fixture programs, and the
// process list with fixture programs running.

#include "inventory/command_resolution.h"
#include "inventory/inventory_scan.h"
#include "inventory/run_key_scan.h"
#include "inventory/running_programs.h"
#include "inventory/startup_folder_scan.h"
#include "inventory/version_string.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_folders.h"
#include "platform/win32/win32_platform.h"
#include "services/registry_access.h"
#include "services/system_facts.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace vtrl {
namespace {

using inventory::StartupRecord;

constexpr wchar_t kTestRoot[] = L"Software\\VantorelTests";

std::wstring FixturePath(const std::wstring& name) {
    const std::wstring own = win32::OwnExecutablePath();
    return own.substr(0, own.find_last_of(L'\\')) + L"\\" + name;
}

void WriteRegSz(const std::wstring& key, const std::wstring& name, const std::wstring& data,
                DWORD type = REG_SZ) {
    win32::unique_hkey handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              handle.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(handle.get(), name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(data.c_str()),
                             static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

void WriteDword(const std::wstring& key, const std::wstring& name, DWORD number) {
    win32::unique_hkey handle;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              handle.put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(handle.get(), name.c_str(), 0, REG_DWORD,
                             reinterpret_cast<const BYTE*>(&number), sizeof(number)),
              ERROR_SUCCESS);
}

// The key's value names in the registry's own enumeration order (Wine sorts them by name,
// Windows keeps them as created); the scan must follow it either way.
std::vector<std::wstring> RawValueNames(const std::wstring& key) {
    std::vector<std::wstring> names;
    win32::unique_hkey handle;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) {
        handle.release();
        return names;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD length = 256;
        if (RegEnumValueW(handle.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::vector<std::wstring> Without(std::vector<std::wstring> names,
                                  const std::vector<std::wstring>& dropped) {
    std::erase_if(names, [&](const std::wstring& name) {
        return std::find(dropped.begin(), dropped.end(), name) != dropped.end();
    });
    return names;
}

// A started fixture program, ended when the test is done with it.
class RunningProgram {
public:
    explicit RunningProgram(const std::wstring& path) {
        std::wstring commandLine = L"\"" + path + L"\" wait";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           nullptr, &startup, &info)) {
            process_.reset(info.hProcess);
            CloseHandle(info.hThread);
        }
    }
    ~RunningProgram() {
        if (process_) {
            TerminateProcess(process_.get(), 0);
            WaitForSingleObject(process_.get(), 5000);
        }
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    bool Started() const { return static_cast<bool>(process_); }

private:
    win32::unique_kernel_handle process_;
};

class InventoryWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::wstring name(info->name(), info->name() + std::strlen(info->name()));
        key = std::wstring(kTestRoot) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
              name + L"\\Run";
        RegDeleteTreeW(HKEY_CURRENT_USER, ParentKey().c_str());
        folder = facts.TempFolder + L"\\vtrl-inventory-" + std::to_wstring(GetCurrentProcessId()) +
                 L"-" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        ASSERT_TRUE(real.Get().files.FolderExists(folder));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, ParentKey().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kTestRoot);
        for (const auto& entry : real.Get().files.ListFolder(folder, L"*")) {
            const std::wstring path = folder + L"\\" + entry.name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(path.c_str());
        }
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring ParentKey() const { return key.substr(0, key.rfind(L'\\')); }
    std::wstring Location() const { return L"HKEY_CURRENT_USER\\" + key; }

    // Scans the test key and the test folder through the real scan driver, leaving no trace.
    inventory::ScanOutcome Scan() {
        return inventory::ScanStartupRecords(
            real.Get(), facts, records, {.readOnly = true},
            {{inventory::RunKeySite(Location()), inventory::StartupFolderSite(folder),
              inventory::StartupFileSite(folder)}});
    }
    const StartupRecord* Find(const std::wstring& entryName) const {
        for (int i = 0; i <= records.LastRecordIndex; ++i) {
            if (records.Records[static_cast<std::size_t>(i)].EntryName == entryName) {
                return &records.Records[static_cast<std::size_t>(i)];
            }
        }
        return nullptr;
    }
    std::vector<std::wstring> Entries() const {
        std::vector<std::wstring> names;
        for (int i = 0; i <= records.LastRecordIndex; ++i) {
            names.push_back(records.Records[static_cast<std::size_t>(i)].EntryName);
        }
        return names;
    }
    std::wstring Upper(const std::wstring& text) { return real.Get().locale.ToUpper(text); }
    std::wstring Lower(const std::wstring& text) { return real.Get().locale.ToLower(text); }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    inventory::StartupInventory records;
    std::wstring key;
    std::wstring folder;
};

TEST_F(InventoryWineTest, RunValuesOfTheRealRegistry) {
    const std::wstring full = FixturePath(L"version_full.exe");
    const std::wstring none = FixturePath(L"version_none.exe");
    WriteRegSz(key, L"quoted", L"\"" + full + L"\" -min");
    WriteRegSz(key, L"unquoted", none + L" /a  /b");
    WriteRegSz(key, L"", L"\"" + full + L"\"");
    WriteDword(key, L"flags", 1);
    WriteRegSz(key, L"missing", L"C:\\nowhere\\gone.exe -x");
    WriteRegSz(key, L"token", L"%SystemRoot%\\System32\\Notepad.exe /P", REG_EXPAND_SZ);
    WriteRegSz(key, L"bare", L"notepad.exe");
    WriteRegSz(key, L"panel", L"rundll32.exe shell32.dll,Control_RunDLL desk.cpl");

    ASSERT_EQ(Scan(), inventory::ScanOutcome::Records);
    // The DWORD value adds nothing; the rest, the missing program too, keep the registry's order.
    EXPECT_EQ(Entries(), Without(RawValueNames(key), {L"flags"}));
    EXPECT_EQ(Entries().size(), 7u);
    const StartupRecord* missing = Find(L"missing");
    ASSERT_NE(missing, nullptr);
    EXPECT_FALSE(missing->Found);
    EXPECT_EQ(missing->ExeFolder, L"C:\\NOWHERE");
    EXPECT_EQ(missing->ExeName, L"gone.exe");
    EXPECT_EQ(missing->Arguments, L"-x");

    const StartupRecord* quoted = Find(L"quoted");
    ASSERT_NE(quoted, nullptr);
    EXPECT_EQ(quoted->Kind, L"REGISTRY");
    EXPECT_EQ(quoted->Location, Location());
    EXPECT_EQ(quoted->ExeFolder, Upper(full.substr(0, full.rfind(L'\\'))));
    EXPECT_EQ(quoted->ExeName, L"version_full.exe");
    EXPECT_EQ(quoted->Arguments, L"-min");
    EXPECT_EQ(quoted->Company, L"Acme Tools Ltd");
    EXPECT_EQ(quoted->Description, L"Acme Startup Helper");
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExW(full.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(quoted->FileSize, static_cast<std::int32_t>(data.nFileSizeLow));

    EXPECT_EQ(Find(L"unquoted")->Arguments, L"/a  /b");
    EXPECT_EQ(Find(L"unquoted")->Company, L"");

    const StartupRecord* token = Find(L"token");
    ASSERT_NE(token, nullptr);
    // Stored as written; the user's environment finds the program.
    EXPECT_EQ(token->CommandLine, L"%SystemRoot%\\System32\\Notepad.exe /P");
    EXPECT_EQ(token->ValueType, L"REG_EXPAND_SZ");
    EXPECT_TRUE(token->Found);
    EXPECT_EQ(token->ExeFolder, Upper(facts.SystemFolder));
    EXPECT_EQ(token->Arguments, L"/P");

    // A bare name that the Windows folder and the system folder both hold: the system folder,
    // searched first as process creation does.
    EXPECT_EQ(Find(L"bare")->ExeFolder, Upper(facts.SystemFolder));
    const StartupRecord* panel = Find(L"panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->ViaRundll);
    EXPECT_EQ(panel->ExeName, L"shell32.dll");
    EXPECT_EQ(panel->ExeFolder, Upper(facts.SystemFolder));
    EXPECT_EQ(panel->Arguments, L"Control_RunDLL desk.cpl");
    EXPECT_EQ(Upper(panel->Launcher), Upper(facts.SystemFolder + L"\\rundll32.exe"));
}

TEST_F(InventoryWineTest, ShortPathsResolveToTheLongForm) {
    // A long name of our own, so that the file system must give it a distinct 8.3 alias.
    const std::wstring longPath = folder + L"\\Startup Fixture Program.exe";
    ASSERT_TRUE(CopyFileW(FixturePath(L"version_full.exe").c_str(), longPath.c_str(), FALSE));
    const std::wstring shortPath = services::GetShortPath(real.Get().folders, longPath);
    ASSERT_FALSE(shortPath.empty());
    ASSERT_NE(shortPath.find(L'~'), std::wstring::npos) << shortPath;

    WriteRegSz(key, L"short", shortPath + L" -s");
    ASSERT_EQ(Scan(), inventory::ScanOutcome::Records);
    ASSERT_NE(Find(L"short"), nullptr);
    EXPECT_EQ(Find(L"short")->ExeName, L"startup fixture program.exe");
    EXPECT_EQ(Find(L"short")->Company, L"Acme Tools Ltd");
}

TEST_F(InventoryWineTest, ShortcutsMadeThroughTheShell) {
    const std::wstring full = FixturePath(L"version_full.exe");
    const auto makeLink = [&](const std::wstring& name, const std::wstring& target,
                              const std::wstring& arguments) {
        ASSERT_TRUE(real.Get().links.CreateLink(
            {folder + L"\\" + name, target, L"", folder, arguments, L""}))
            << name;
    };
    makeLink(L"with args.lnk", full, L"-tray --x=1");
    makeLink(L"no args.lnk", FixturePath(L"version_two_tables.exe"), L"");
    makeLink(L"Vantorel.lnk", full, L"startup");
    makeLink(L"hidden.lnk", full, L"");
    SetFileAttributesW((folder + L"\\hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN);
    makeLink(L"gone.lnk", folder + L"\\deleted.exe", L"");
    {
        const std::wstring broken = folder + L"\\broken.lnk";
        win32::unique_file file(CreateFileW(broken.c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        DWORD written = 0;
        WriteFile(file.get(), "not a shortcut", 14, &written, nullptr);
    }
    CopyFileW(full.c_str(), (folder + L"\\direct.exe").c_str(), FALSE);

    const auto read = real.Get().links.ReadLink(folder + L"\\with args.lnk");
    ASSERT_TRUE(read);
    EXPECT_EQ(Lower(read->targetPath), Lower(full));
    EXPECT_EQ(read->arguments, L"-tray --x=1");
    EXPECT_EQ(inventory::ReadShortcut(real.Get().links, folder + L"\\broken.lnk"), L"");
    EXPECT_EQ(inventory::ReadShortcut(real.Get().links, folder + L"\\absent.lnk"), L"");

    ASSERT_EQ(Scan(), inventory::ScanOutcome::Records);
    std::vector<std::wstring> entries = Entries();
    std::sort(entries.begin(), entries.end());
    // Every file Windows starts is listed, the hidden one too; the shortcut to a deleted program
    // is listed, not found; the damaged one cannot be read and is listed as the file it is.
    EXPECT_EQ(entries,
              (std::vector<std::wstring>{L"broken.lnk", L"direct.exe", L"gone.lnk", L"hidden.lnk",
                                         L"no args.lnk", L"with args.lnk"}));
    EXPECT_EQ(Find(L"broken.lnk")->Kind, inventory::kKindStartupFile);
    EXPECT_TRUE(Find(L"hidden.lnk")->HiddenFile);
    EXPECT_EQ(Find(L"hidden.lnk")->Kind, inventory::kKindShortcut);
    const StartupRecord* gone = Find(L"gone.lnk");
    ASSERT_NE(gone, nullptr);
    EXPECT_FALSE(gone->Found);
    EXPECT_EQ(gone->ExeName, L"deleted.exe");

    const StartupRecord* withArgs = Find(L"with args.lnk");
    ASSERT_NE(withArgs, nullptr);
    EXPECT_EQ(withArgs->Kind, L"SHORTCUT");
    EXPECT_EQ(withArgs->Location, folder);
    EXPECT_EQ(withArgs->Arguments, L"-tray --x=1");
    EXPECT_EQ(Lower(withArgs->CommandLine), Lower(L"\"" + full + L"\" -tray --x=1"));
    const StartupRecord* noArgs = Find(L"no args.lnk");
    ASSERT_NE(noArgs, nullptr);
    EXPECT_EQ(noArgs->Arguments, L"");
    EXPECT_EQ(noArgs->CommandLine.back(), L' ');
    EXPECT_EQ(noArgs->Company, L"Erste Firma GmbH");

    // Only the exact spelling is the program's own shortcut.
    ASSERT_TRUE(DeleteFileW((folder + L"\\Vantorel.lnk").c_str()));
    makeLink(L"VANTOREL.lnk", full, L"startup");
    ASSERT_EQ(Scan(), inventory::ScanOutcome::Records);
    ASSERT_NE(Find(L"VANTOREL.lnk"), nullptr);
    EXPECT_EQ(Find(L"VANTOREL.lnk")->Arguments, L"startup");
}

TEST_F(InventoryWineTest, VersionStringsOfFixturePrograms) {
    struct Expected {
        const wchar_t* program;
        const wchar_t* company;
        const wchar_t* description;
    };
    for (const Expected& expected : {
             Expected{L"version_full.exe", L"Acme Tools Ltd", L"Acme Startup Helper"},
             Expected{L"version_empty_company.exe", L"", L"No Company Here"},
             Expected{L"version_two_tables.exe", L"Erste Firma GmbH", L"Erstes Werkzeug"},
         }) {
        const auto block = real.Get().version.ReadVersionBlock(FixturePath(expected.program));
        ASSERT_TRUE(block) << expected.program;
        EXPECT_EQ(inventory::GetVersionString(real.Get().locale, *block, L"CompanyName"),
                  expected.company)
            << expected.program;
        EXPECT_EQ(inventory::GetVersionString(real.Get().locale, *block, L"FileDescription"),
                  expected.description)
            << expected.program;
    }
    EXPECT_FALSE(real.Get().version.ReadVersionBlock(FixturePath(L"version_none.exe")));
    EXPECT_FALSE(real.Get().version.ReadVersionBlock(folder + L"\\absent.exe"));

    const auto facts = inventory::GatherFileFacts(real.Get(), FixturePath(L"version_none.exe"));
    EXPECT_EQ(facts.Company, L"");
    EXPECT_EQ(facts.FileName, L"VERSION_NONE.EXE");
    EXPECT_GT(facts.Size, 0);
}

TEST_F(InventoryWineTest, RunningProgramsByName) {
    const std::wstring dotted = folder + L"\\my.tool.exe";
    ASSERT_TRUE(CopyFileW(FixturePath(L"version_full.exe").c_str(), dotted.c_str(), FALSE));
    const std::wstring full = FixturePath(L"version_two_tables.exe");
    RunningProgram first(full);
    RunningProgram second(dotted);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(second.Started());

    const auto running = inventory::ListRunningProcesses(real.Get().processes);
    const auto own = std::find_if(running.begin(), running.end(), [](const auto& process) {
        return process.id == GetCurrentProcessId();
    });
    ASSERT_NE(own, running.end());
    EXPECT_EQ(own->exeFile, L"vantorel_wine_tests.exe");
    EXPECT_TRUE(own->imagePath.ends_with(L"\\vantorel_wine_tests.exe")) << own->imagePath;
    platform::Locale& locale = real.Get().locale;
    EXPECT_TRUE(inventory::IsProgramRunning(locale, running, locale.ToUpper(full)));
    EXPECT_TRUE(inventory::IsProgramRunning(locale, running, dotted));
    EXPECT_FALSE(inventory::IsProgramRunning(locale, running, folder + L"\\my.exe"));
    EXPECT_FALSE(inventory::IsProgramRunning(locale, running, folder + L"\\version_two_tables.exe"))
        << "a namesake in another folder";
    EXPECT_FALSE(inventory::IsProgramRunning(locale, running, FixturePath(L"version_none.exe")));

    WriteRegSz(key, L"running", L"\"" + full + L"\"");
    WriteRegSz(key, L"dotted", L"\"" + dotted + L"\"");
    WriteRegSz(key, L"idle", L"\"" + FixturePath(L"version_none.exe") + L"\"");
    ASSERT_EQ(Scan(), inventory::ScanOutcome::Records);
    EXPECT_TRUE(Find(L"running")->IsRunning);
    EXPECT_TRUE(Find(L"dotted")->IsRunning);
    EXPECT_FALSE(Find(L"idle")->IsRunning);
}

TEST_F(InventoryWineTest, ManyEntriesAreAllKept) {
    const std::wstring full = FixturePath(L"version_full.exe");
    for (int i = 0; i < 150; ++i) {
        WriteRegSz(key, L"entry" + std::to_wstring(i), L"\"" + full + L"\" " + std::to_wstring(i));
    }
    ASSERT_EQ(Scan(), inventory::ScanOutcome::Records);
    ASSERT_EQ(records.LastRecordIndex, 149);
    const std::vector<std::wstring> order = RawValueNames(key);
    ASSERT_EQ(order.size(), 150u);
    for (std::size_t i = 0; i < 150; ++i) {
        EXPECT_TRUE(records.Records[i].InUse);
        EXPECT_EQ(records.Records[i].EntryName, order[i]);
        EXPECT_EQ(L"entry" + records.Records[i].Arguments, order[i]);
    }
}

TEST_F(InventoryWineTest, NoTextValueIsReported) {
    WriteDword(key, L"flags", 1);
    EXPECT_EQ(Scan(), inventory::ScanOutcome::NoRecords);
    EXPECT_EQ(records.LastRecordIndex, -1);
}

} // namespace
} // namespace vtrl
