// vantorelc against the fake platform: its options and exit codes, the inventory in slot order,
// and a listing that leaves the profile exactly as it found it.

#include "cli/vantorelc_command.h"
#include "fakes/fake_platform.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "services/system_facts.h"

#include <gtest/gtest.h>

namespace vtrl::cli {
namespace {

using platform::Hive;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class Vantorelc : public ::testing::Test {
protected:
    void SetRun(const std::wstring& name, const std::wstring& command) {
        ASSERT_TRUE(fake.registry.CreateKey(Hive::CurrentUser, kRunKey));
        ASSERT_TRUE(fake.registry.SetValue(Hive::CurrentUser, kRunKey, name,
                                           {platform::kRegSz, services::EncodeRegSz(command)}));
    }
    CliResult Run(std::vector<std::wstring> arguments) {
        return RunVantorelc(fake.Get(), arguments);
    }
    fakes::FakePlatform fake;
};

TEST(VantorelcArguments, CommandsAndFormats) {
    const auto list = ParseArguments({L"list"});
    ASSERT_TRUE(list);
    EXPECT_EQ(list->command, CliCommand::List);
    EXPECT_EQ(list->format, OutputFormat::Table);
    EXPECT_EQ(ParseArguments({L"list", L"--csv"})->format, OutputFormat::Csv);
    EXPECT_EQ(ParseArguments({L"list", L"--json"})->format, OutputFormat::Json);
    EXPECT_EQ(ParseArguments({L"--help"})->command, CliCommand::Help);
    EXPECT_EQ(ParseArguments({L"list", L"--help"})->command, CliCommand::Help);

    EXPECT_FALSE(ParseArguments({}));
    EXPECT_FALSE(ParseArguments({L"LIST"})) << "options are case-sensitive";
    EXPECT_FALSE(ParseArguments({L"list", L"--xml"}));
    EXPECT_FALSE(ParseArguments({L"list", L"--csv", L"--json"}));
    EXPECT_FALSE(ParseArguments({L"list", L"--csv", L"--csv"}));
    EXPECT_FALSE(ParseArguments({L"remove"}));
    EXPECT_FALSE(ParseArguments({L"--help", L"list"}));
}

TEST_F(Vantorelc, HelpAndUsageErrors) {
    const CliResult help = Run({L"--help"});
    EXPECT_EQ(help.exitCode, kExitOk);
    EXPECT_NE(help.standardOutput.find("vantorelc list [--csv | --json]"), std::string::npos);
    EXPECT_TRUE(help.standardError.empty());

    const CliResult unknown = Run({L"list", L"--bogus"});
    EXPECT_EQ(unknown.exitCode, kExitUsage);
    EXPECT_TRUE(unknown.standardOutput.empty());
    EXPECT_EQ(unknown.standardError, UsageText());
}

TEST_F(Vantorelc, NoRecordsIsOneLineOnStandardError) {
    SetRun(L"Gone", L"C:\\nowhere\\gone.exe");
    const CliResult result = Run({L"list", L"--json"});
    EXPECT_EQ(result.exitCode, kExitNoRecords);
    EXPECT_TRUE(result.standardOutput.empty());
    // Without language files the built-in English text stands in.
    EXPECT_EQ(result.standardError, "Vantorel found no programs that start automatically with "
                                    "Windows, so there is nothing to check.\r\n");
}

TEST_F(Vantorelc, NoRecordsMessageInTheSavedLanguage) {
    const std::wstring languages = fake.folders.programFolder + L"\\Languages";
    fake.files.AddFile(languages + L"\\English.ini", "[INTERFACE]\r\nNORECORDS=Nothing here.\r\n");
    fake.files.AddFile(languages + L"\\German.ini",
                       "[INTERFACE]\r\nNORECORDS=Nichts gefunden (\xE4).\r\n");
    EXPECT_EQ(Run({L"list"}).standardError, "Nothing here.\r\n");
    services::SaveSetting(fake.registry, services::kAppKey, L"Settings", L"Language", L"German");
    // The file is in the ANSI code page; the console gets UTF-8.
    EXPECT_EQ(Run({L"list"}).standardError, "Nichts gefunden (\xC3\xA4).\r\n");
}

TEST_F(Vantorelc, ListsTheInventoryInSlotOrder) {
    fake.files.AddFile(L"C:\\Tools\\first.exe", "1234");
    fake.files.AddFile(L"C:\\Tools\\second.exe", "12");
    SetRun(L"Second", L"C:\\Tools\\second.exe /x");
    SetRun(L"Missing", L"C:\\Tools\\missing.exe");
    SetRun(L"First", L"\"C:\\Tools\\first.exe\"");
    const CliResult csv = Run({L"list", L"--csv"});
    ASSERT_EQ(csv.exitCode, kExitOk) << csv.standardError;
    EXPECT_EQ(csv.standardOutput.substr(csv.standardOutput.find("\r\n") + 2),
              "REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,"
              "Second,C:\\Tools\\second.exe /x,C:\\TOOLS,second.exe,/x,,,2,false,false\r\n"
              "REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,"
              "First,\"\"\"C:\\Tools\\first.exe\"\"\",C:\\TOOLS,first.exe,,,,4,false,false\r\n");
    const CliResult table = Run({L"list"});
    EXPECT_EQ(table.exitCode, kExitOk);
    EXPECT_TRUE(table.standardOutput.starts_with("Kind  ")) << table.standardOutput;
}

// The administrator probe writes and removes its value whatever the caller; beyond it, the
// listing makes no registry write, creates no file and no data folder, and stamps nothing.
TEST_F(Vantorelc, ListingChangesNothing) {
    fake.files.AddFile(L"C:\\Tools\\first.exe", "1234");
    SetRun(L"First", L"C:\\Tools\\first.exe");

    fakes::FakePlatform probeOnly;
    const std::size_t probeBefore = probeOnly.registry.MutatingCalls();
    services::FrameworkStartup(probeOnly.Get(), {.createDataFolder = false});
    const std::size_t probeCalls = probeOnly.registry.MutatingCalls() - probeBefore;
    ASSERT_GT(probeCalls, 0u);

    const std::size_t callsBefore = fake.registry.MutatingCalls();
    const std::size_t filesBefore = fake.files.FileCount();
    ASSERT_EQ(Run({L"list", L"--json"}).exitCode, kExitOk);
    EXPECT_EQ(fake.registry.MutatingCalls() - callsBefore, probeCalls);
    EXPECT_EQ(fake.files.FileCount(), filesBefore);
    EXPECT_FALSE(fake.files.FolderExists(L"C:\\users\\tester\\AppData\\Roaming\\VTRL1"));
    EXPECT_FALSE(fake.registry.KeyExists(Hive::CurrentUser,
                                         services::SettingsKeyPath(services::kAppKey, L"Data")));
    EXPECT_FALSE(fake.registry.KeyExists(Hive::CurrentUser,
                                         services::SettingsKeyPath(services::kAppKey, L"Remind")));
}

} // namespace
} // namespace vtrl::cli
