// No character lost and no outside text or picture trusted, against the real API: the ANSI code
// page's loss detection, a decision and a backup for a folder named outside it, the uninstall
// scripts' folder and quoting run by the real cmd, bitmap rejection in the real drawing path, and
// the download limit against a loopback server.

#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "decisions/record_restore.h"
#include "monitor/check_cycle.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_bitmap_drawing.h"
#include "services/system_facts.h"
#include "services/text_file.h"
#include "shell/installation.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vtrl {
namespace {

using testing_support::LoopbackHttpServer;
using testing_support::ReadFileBytes;

// Records program starts instead of starting them: a restored record must not run here.
class NoStartLauncher final : public platform::Launcher {
public:
    explicit NoStartLauncher(platform::Launcher& real) : real_(real) {}
    bool ShellOpen(const std::wstring& target) override {
        started.push_back(target);
        return true;
    }
    bool StartProgram(const std::wstring& commandLine) override {
        started.push_back(commandLine);
        return true;
    }
    bool StartProgramHidden(const std::wstring& commandLine) override {
        started.push_back(commandLine);
        return true;
    }
    std::wstring WebBrowserCommand() override { return real_.WebBrowserCommand(); }
    std::vector<std::wstring> started;

private:
    platform::Launcher& real_;
};

class SafeTextWineTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(r);
        scratch = facts.TempFolder + L"\\vtrl-safe-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(scratch.c_str(), nullptr);
        ASSERT_TRUE(r.files.FolderExists(scratch));
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str());
        // The scratch tree goes with the prefix; rmdir /S removes what the test left.
        std::wstring command = L"cmd.exe /c rmdir /S /Q \"" + scratch + L"\"";
        RunAndWait(command);
    }
    static DWORD RunAndWait(std::wstring command) {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                            nullptr, nullptr, &startup, &started)) {
            return WAIT_FAILED;
        }
        const win32::unique_kernel_handle process(started.hProcess);
        const win32::unique_kernel_handle thread(started.hThread);
        return WaitForSingleObject(process.get(), 30000);
    }

    win32::Win32Platform real;
    platform::Platform& r = real.Get();
    services::SystemFacts facts;
    std::wstring scratch;
    std::wstring key = L"Software\\VantorelTests\\safe-" + std::to_wstring(GetCurrentProcessId());
    // Restores write only to the Run keys the scan reads, so the round trip uses the real one
    // under a value name of this process's own.
    static constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    std::wstring valueName = L"VtrlSafe-" + std::to_wstring(GetCurrentProcessId());
};

// The prefix runs with the Western code page, where "\u0141" has no byte of its own.
TEST_F(SafeTextWineTest, AnsiConversionDetectsLoss) {
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(r.locale.ToAnsiExact(L"caf\u00e9 \u20ac?"), "caf\xe9 \x80?");
    EXPECT_FALSE(r.locale.ToAnsiExact(L"\u0141ukasz").has_value());
    EXPECT_FALSE(r.locale.ToAnsiExact(L"\u8bb0\u4e8b\u672c").has_value());
    // Without best fit the lost letter is never a look-alike that names another folder.
    EXPECT_NE(r.locale.ToAnsi(L"\u0141ukasz"), "Lukasz");
    EXPECT_FALSE(r.locale.ToOemExact(L"\u0141").has_value());
    EXPECT_EQ(r.locale.FromAnsiExact("caf\xe9"), L"caf\u00e9");

    const std::wstring file = scratch + L"\\lines.txt";
    ASSERT_TRUE(services::WriteTextLines(r.files, r.locale, file, {L"\u0141ukasz", L"caf\u00e9"}));
    EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF\xC5\x81ukasz\r\ncaf\xC3\xA9\r\n");
    ASSERT_TRUE(services::WriteTextLines(r.files, r.locale, file, {L"caf\u00e9"}));
    EXPECT_EQ(ReadFileBytes(file), "caf\xe9\r\n");
}

// A restricted program in "...\\\u0141ukasz\\tool.exe" is removed by the check pass with its
// backup, and restored from it; both files read back as they were written.
TEST_F(SafeTextWineTest, DecisionForAFolderOutsideTheAnsiCodePageIsRemovedAndRestored) {
    ASSERT_EQ(GetACP(), 1252u);
    const std::wstring user = scratch + L"\\\u0141ukasz";
    const std::wstring folder = user + L"\\Tools";
    facts.DataFolder = user + L"\\data";
    for (const auto& path : {user, folder, facts.DataFolder}) {
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    }
    const std::wstring target = folder + L"\\tool.exe";
    ASSERT_TRUE(
        CopyFileW((facts.ProgramFolder + L"\\version_none.exe").c_str(), target.c_str(), FALSE));
    const std::wstring command = L"\"" + target + L"\" wait";
    {
        win32::unique_hkey handle;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                  handle.put(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegSetValueExW(handle.get(), valueName.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(command.c_str()),
                                 static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    decisions::Decisions table;
    decisions::LoadDecisions(r.files, r.locale, facts.DataFolder, table);
    ASSERT_TRUE(decisions::SaveDecision(r, facts.DataFolder, table, folder, L"tool.exe", L"wait",
                                        false, true, decisions::kStatusRestricted));
    const auto stored =
        services::ReadTextFile(r.files, r.locale, decisions::DecisionFilePath(facts.DataFolder));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->encoding, services::TextEncoding::Utf8);
    EXPECT_TRUE(stored->clean);
    EXPECT_EQ(stored->lines, decisions::FormatDecisionLines(table));

    NoStartLauncher launcher(r.launcher);
    platform::Platform quiet{r.registry, r.files, r.folders,     r.links,      r.locale,
                             r.version,  r.clock, r.processes,   r.ini,        r.messages,
                             launcher,   r.http,  r.icons,       r.sound,      r.desktop,
                             r.changes,  r.locks, r.environment, r.signatures, r.clipboard};
    inventory::StartupInventory inventory;
    inventory::ScanSources sources;
    sources.places = {inventory::RunKeySite(std::wstring(L"HKEY_CURRENT_USER\\") + kRunKey)};
    monitor::RunCheckCycle(quiet, facts, inventory, table, sources);
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str(), RRF_RT_ANY, nullptr,
                           nullptr, nullptr),
              ERROR_SUCCESS)
        << "the restricted record should be gone";

    const auto log =
        services::ReadTextFile(r.files, r.locale, decisions::BackupLogPath(facts.DataFolder));
    ASSERT_TRUE(log);
    EXPECT_EQ(log->encoding, services::TextEncoding::Utf8);
    EXPECT_TRUE(log->clean);
    const auto entries = decisions::ParseBackupLines(log->lines);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].CommandLine, command);
    EXPECT_EQ(decisions::FormatBackupLines(entries), log->lines);

    const auto outcome = decisions::RestoreRemovedRecord(quiet, facts, table, entries[0]);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_TRUE(outcome.approved);
    wchar_t restored[1024] = {};
    DWORD size = sizeof(restored);
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, kRunKey, valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                           restored, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(restored), command);
    decisions::Decisions reloaded;
    decisions::LoadDecisions(r.files, r.locale, facts.DataFolder, reloaded);
    inventory::StartupRecord record;
    record.ExeFolder = folder;
    record.ExeName = L"tool.exe";
    record.Arguments = L"wait";
    EXPECT_EQ(decisions::LookupDecision(r.locale, reloaded, record).Status,
              decisions::kStatusApproved);
}

// The uninstall batch file, run by the real cmd exactly as the uninstall starts it, acts on paths
// with blanks and percent signs as they are on disk, then removes itself and its folder.
TEST_F(SafeTextWineTest, UninstallBatchInItsOwnFolderActsOnQuotedPaths) {
    const auto first = r.folders.CreateUniqueFolder(scratch, shell::kUninstallFolderPrefix);
    const auto second = r.folders.CreateUniqueFolder(scratch, shell::kUninstallFolderPrefix);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->size(),
              scratch.size() + 1 + std::wstring(shell::kUninstallFolderPrefix).size() + 16);
    EXPECT_TRUE(r.files.FolderExists(*first));
    EXPECT_FALSE(r.folders.CreateUniqueFolder(scratch + L"\\missing", L"x").has_value());

    // %PATH% and %VtrlTries% would expand if the percent signs were not doubled.
    const std::wstring program = scratch + L"\\Program 100%PATH%";
    const std::wstring data = scratch + L"\\data %VtrlTries% & more";
    ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(data.c_str(), nullptr));
    ASSERT_TRUE(r.files.ReplaceAll(program + L"\\victim.exe", "x"));
    ASSERT_TRUE(r.files.ReplaceAll(data + L"\\ActionsDB.txt", "x"));

    shell::InstallLayout layout;
    layout.exePath = program + L"\\victim.exe";
    layout.dataFolderIsOwn = true;
    shell::PlaceScripts(layout, *first);
    services::SystemFacts batchFacts = facts;
    batchFacts.DataFolder = data;
    ASSERT_TRUE(services::WriteBatchLines(
        r.files, r.locale, layout.batchPath,
        shell::UninstallBatchLines(layout, batchFacts, L"victim.exe", false)));
    ASSERT_TRUE(r.launcher.StartProgramHidden(shell::BatchCommand(facts, layout.batchPath)));
    // The last line deletes the batch file, then its folder.
    for (int tries = 0; tries < 300 && r.files.FileExists(layout.batchPath); ++tries) {
        Sleep(100);
    }
    Sleep(500);
    EXPECT_FALSE(r.files.FileExists(program + L"\\victim.exe"));
    EXPECT_FALSE(r.files.FolderExists(data));
    EXPECT_FALSE(r.files.FileExists(layout.batchPath));
    // Windows' cmd reads a batch file line by line and closes it in between, so the folder is
    // empty and goes; Wine's cmd keeps the file open to the end, so there the folder stays,
    // empty.
    EXPECT_TRUE(r.files.ListFolder(*first, L"*").empty());
    EXPECT_TRUE(r.files.FolderExists(*second));
}

// A 2 x 2 bitmap file of one colour, 24 bits per pixel.
std::vector<std::uint8_t> SolidBitmap(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    info.biSize = sizeof(info);
    info.biWidth = 2;
    info.biHeight = 2;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::vector<std::uint8_t> bytes(file.bfOffBits + 16, 0);
    file.bfSize = static_cast<DWORD>(bytes.size());
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    for (std::size_t row = 0; row < 2; ++row) {
        for (std::size_t column = 0; column < 2; ++column) {
            std::uint8_t* pixel = bytes.data() + file.bfOffBits + row * 8 + column * 3;
            pixel[0] = blue;
            pixel[1] = green;
            pixel[2] = red;
        }
    }
    return bytes;
}

TEST(BitmapDrawingWineTest, InconsistentBitmapsAreNotDrawn) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = 2;
    format.bmiHeader.biHeight = -2;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    const win32::unique_memory_dc dc(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    void* bits = nullptr;
    const win32::unique_bitmap target(
        CreateDIBSection(dc.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(target && bits);
    const HGDIOBJ old = SelectObject(dc.get(), target.get());
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const auto firstPixel = [&] {
        GdiFlush();
        return pixels[0] & 0x00FFFFFF;
    };

    EXPECT_TRUE(win32::DrawBitmapFile(dc.get(), SolidBitmap(0, 0, 255), 0, 0, 96));
    EXPECT_EQ(firstPixel(), 0x00FF0000u) << "a sound bitmap is drawn";

    // An 8-bit picture whose colour table runs into its pixels and past the end of the file, and
    // one whose rows are cut short: neither reaches the drawing call.
    auto palette = SolidBitmap(0, 255, 0);
    reinterpret_cast<BITMAPINFOHEADER*>(palette.data() + sizeof(BITMAPFILEHEADER))->biBitCount = 8;
    reinterpret_cast<BITMAPINFOHEADER*>(palette.data() + sizeof(BITMAPFILEHEADER))->biClrUsed = 256;
    EXPECT_FALSE(win32::DrawBitmapFile(dc.get(), palette, 0, 0, 96));
    auto cut = SolidBitmap(0, 255, 0);
    cut.resize(cut.size() - 1);
    EXPECT_FALSE(win32::DrawBitmapFile(dc.get(), cut, 0, 0, 96));
    auto huge = SolidBitmap(0, 255, 0);
    reinterpret_cast<BITMAPINFOHEADER*>(huge.data() + sizeof(BITMAPFILEHEADER))->biWidth = 100000;
    EXPECT_FALSE(win32::DrawBitmapFile(dc.get(), huge, 0, 0, 96));
    EXPECT_EQ(firstPixel(), 0x00FF0000u) << "nothing was drawn over the first picture";
    SelectObject(dc.get(), old);
}

TEST_F(SafeTextWineTest, DownloadOverTheLimitFailsInsteadOfBeingCut) {
    LoopbackHttpServer server([](const std::string& request) {
        const auto slash = request.find('/');
        return std::string(std::strtoul(request.c_str() + slash + 1, nullptr, 10), 'a');
    });
    ASSERT_NE(server.Port(), 0);
    const auto atLimit = r.http.Get(server.Url(std::to_wstring(platform::kHttpReplyLimit)));
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(atLimit->size(), platform::kHttpReplyLimit);
    EXPECT_FALSE(r.http.Get(server.Url(std::to_wstring(platform::kHttpReplyLimit + 1))));
    EXPECT_EQ(r.http.Get(server.Url(L"10")), std::string(10, 'a'));
}

} // namespace
} // namespace vtrl
