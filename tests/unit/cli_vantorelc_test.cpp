// vantorelc against the fake platform: its options and exit codes, the inventory, the decision
// file and the removal log in their own order, and listings that leave the profile exactly as
// they found it.

#include "cli/decision_output.h"
#include "cli/vantorelc_command.h"
#include "decisions/backup_log.h"
#include "decisions/decision_database.h"
#include "fakes/fake_platform.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "services/system_facts.h"

#include <gtest/gtest.h>

#include <set>

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

    EXPECT_EQ(ParseArguments({L"decisions"})->command, CliCommand::Decisions);
    EXPECT_EQ(ParseArguments({L"decisions"})->format, OutputFormat::Table);
    EXPECT_EQ(ParseArguments({L"decisions", L"--json"})->format, OutputFormat::Json);
    EXPECT_EQ(ParseArguments({L"log"})->command, CliCommand::Log);
    EXPECT_EQ(ParseArguments({L"log", L"--csv"})->format, OutputFormat::Csv);
    EXPECT_EQ(ParseArguments({L"log", L"--help"})->command, CliCommand::Help);
    EXPECT_FALSE(ParseArguments({L"Decisions"}));
    EXPECT_FALSE(ParseArguments({L"log", L"--json", L"--csv"}));
    EXPECT_FALSE(ParseArguments({L"decisions", L"log"}));
}

TEST_F(Vantorelc, HelpAndUsageErrors) {
    const CliResult help = Run({L"--help"});
    EXPECT_EQ(help.exitCode, kExitOk);
    EXPECT_NE(help.standardOutput.find("vantorelc list [--csv | --json]"), std::string::npos);
    EXPECT_NE(help.standardOutput.find("vantorelc decisions [--csv | --json]"), std::string::npos);
    EXPECT_NE(help.standardOutput.find("vantorelc log [--csv | --json]"), std::string::npos);
    EXPECT_NE(help.standardOutput.find("KillIfRunning"), std::string::npos);
    EXPECT_NE(help.standardOutput.find("FullLocation"), std::string::npos);
    EXPECT_TRUE(help.standardError.empty());

    const CliResult unknown = Run({L"list", L"--bogus"});
    EXPECT_EQ(unknown.exitCode, kExitUsage);
    EXPECT_TRUE(unknown.standardOutput.empty());
    EXPECT_EQ(unknown.standardError, UsageText());
}

TEST_F(Vantorelc, NoRecordsIsOneLineOnStandardError) {
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
    EXPECT_EQ(
        csv.standardOutput.substr(csv.standardOutput.find("\r\n") + 2),
        "REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,"
        "Second,C:\\Tools\\second.exe /x,C:\\TOOLS,second.exe,/x,,,2,false,false,true,,false,"
        "REG_SZ,,false,Not signed,"
        "6b51d431df5d7f141cbececcf79edf3dd861c3b4069f0b11661a3eefacbba918,,false,false,false,true,"
        "\r\n"
        "REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,"
        "Missing,C:\\Tools\\missing.exe,C:\\TOOLS,missing.exe,,,,0,false,false,false,,false,"
        "REG_SZ,,false,Not verified (the file could not be read),,,false,false,false,true,\r\n"
        "REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run,"
        "First,\"\"\"C:\\Tools\\first.exe\"\"\",C:\\TOOLS,first.exe,,,,4,false,false,true,,"
        "false,REG_SZ,,false,Not signed,"
        "03ac674216f3e15c761ee1a5e255f067953623c8b388b4459e13f978d7c846f4,,false,false,false,true,"
        "\r\n");
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

// ---------------------------------------------------------------------------------------------
// decisions and log

constexpr wchar_t kDataFolder[] = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";

// One 11-line decision entry as the file holds it: kill flag on line 5, delete flag on line 6.
std::string DecisionText(const std::string& folder, const std::string& name,
                         const std::string& arguments, const std::string& kill,
                         const std::string& remove, const std::string& status) {
    return "\r\n" + folder + "\r\n" + name + "\r\n" + arguments + "\r\n" + kill + "\r\n" + remove +
           "\r\n" + status + "\r\n\r\n\r\n\r\n\r\n";
}

std::string BackupText(const std::string& at, const std::string& kind, const std::string& location,
                       const std::string& folder, const std::string& name,
                       const std::string& arguments, const std::string& command) {
    return std::string(74, '=') + "\r\n" + at + "\r\n1-2-2024\r\n3:4:5\r\n" + kind + "\r\n" +
           location + "\r\n" + folder + "\r\n" + name + "\r\n" + arguments + "\r\n" + command +
           "\r\n";
}

// The fake file system seen through a wrapper that logs every change and can refuse to read a
// file that exists, as a locked one does.
class WatchedFiles final : public platform::FileSystem {
public:
    explicit WatchedFiles(fakes::FakeFileSystem& inner) : inner_(inner) {}
    bool FileExists(const std::wstring& path) override { return inner_.FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return inner_.FolderExists(path); }
    bool CreateFolder(const std::wstring& path) override {
        changed.push_back(path);
        return inner_.CreateFolder(path);
    }
    std::optional<std::string> ReadAll(const std::wstring& path) override {
        if (locked.count(fakes::FoldCase(path)) != 0) {
            return std::nullopt;
        }
        return inner_.ReadAll(path);
    }
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override {
        changed.push_back(path);
        return inner_.ReplaceAll(path, bytes);
    }
    bool CreateNewEmpty(const std::wstring& path) override {
        changed.push_back(path);
        return inner_.CreateNewEmpty(path);
    }
    bool Remove(const std::wstring& path) override {
        changed.push_back(path);
        return inner_.Remove(path);
    }
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
        return inner_.FileSize(path);
    }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override {
        return inner_.ListFolder(folder, pattern);
    }

    std::vector<std::wstring> changed; // every path created, replaced or removed
    std::set<std::wstring> locked;     // folded paths

private:
    fakes::FakeFileSystem& inner_;
};

class VantorelcData : public ::testing::Test {
protected:
    CliResult Run(std::vector<std::wstring> arguments) {
        return RunVantorelc(platform_, arguments);
    }
    std::wstring DecisionPath() const { return decisions::DecisionFilePath(kDataFolder); }
    std::wstring LogPath() const { return decisions::BackupLogPath(kDataFolder); }
    // Changes inside the data folder; the administrator probe writes only at the drive root.
    std::vector<std::wstring> DataFolderChanges() const {
        std::vector<std::wstring> inside;
        const std::wstring folder = fakes::FoldCase(kDataFolder);
        for (const std::wstring& path : files.changed) {
            if (fakes::FoldCase(path).starts_with(folder)) {
                inside.push_back(path);
            }
        }
        return inside;
    }

    fakes::FakePlatform fake;
    WatchedFiles files{fake.files};

private:
    platform::Platform platform_ = fake.WithFiles(files);
};

TEST_F(VantorelcData, DecisionsInFileOrderWithTheirList) {
    fake.files.AddFile(
        DecisionPath(),
        DecisionText("c:\\tools", "tray.exe", "-a", "Y", "N", "1") +
            DecisionText("c:\\caf\xE9", "ads.exe", "say \"hi\", twice", "N", "Y", "2") +
            DecisionText("c:\\x", "undecided.exe", "", "y", "yes", "0") +
            DecisionText("c:\\x", "blank.exe", "", "N", "N", "") +
            // Cut short by a crash: never listed.
            "\r\nc:\\cut\r\nshort.exe\r\n\r\nY\r\nY\r\n2\r\n");
    const CliResult csv = Run({L"decisions", L"--csv"});
    ASSERT_EQ(csv.exitCode, kExitOk) << csv.standardError;
    EXPECT_TRUE(csv.standardError.empty());
    EXPECT_EQ(csv.standardOutput,
              "ExeFolder,ExeName,Arguments,DeleteRecord,KillIfRunning,Status,List\r\n"
              // An argument that starts with "-" is no formula in a spreadsheet.
              "c:\\tools,tray.exe,'-a,false,true,1,white\r\n"
              "c:\\caf\xC3\xA9,ads.exe,\"say \"\"hi\"\", twice\",true,false,2,black\r\n"
              "c:\\x,undecided.exe,,false,false,0,none\r\n"
              "c:\\x,blank.exe,,false,false,,none\r\n");

    const CliResult json = Run({L"decisions", L"--json"});
    ASSERT_EQ(json.exitCode, kExitOk);
    EXPECT_EQ(json.standardOutput,
              "[\r\n"
              "  {\"ExeFolder\": \"c:\\\\tools\", \"ExeName\": \"tray.exe\", \"Arguments\": "
              "\"-a\", \"DeleteRecord\": false, \"KillIfRunning\": true, \"Status\": \"1\", "
              "\"List\": \"white\"},\r\n"
              "  {\"ExeFolder\": \"c:\\\\caf\xC3\xA9\", \"ExeName\": \"ads.exe\", \"Arguments\": "
              "\"say \\\"hi\\\", twice\", \"DeleteRecord\": true, \"KillIfRunning\": false, "
              "\"Status\": \"2\", \"List\": \"black\"},\r\n"
              "  {\"ExeFolder\": \"c:\\\\x\", \"ExeName\": \"undecided.exe\", \"Arguments\": \"\", "
              "\"DeleteRecord\": false, \"KillIfRunning\": false, \"Status\": \"0\", "
              "\"List\": \"none\"},\r\n"
              "  {\"ExeFolder\": \"c:\\\\x\", \"ExeName\": \"blank.exe\", \"Arguments\": \"\", "
              "\"DeleteRecord\": false, \"KillIfRunning\": false, \"Status\": \"\", "
              "\"List\": \"none\"}\r\n"
              "]\r\n");

    const CliResult table = Run({L"decisions"});
    ASSERT_EQ(table.exitCode, kExitOk);
    // Aligned by display width: the accented letter takes one column in two bytes.
    EXPECT_EQ(
        table.standardOutput,
        "ExeFolder  ExeName        Arguments        DeleteRecord  KillIfRunning  Status  List\r\n"
        "c:\\tools   tray.exe       -a               false         true           1       white\r\n"
        "c:\\caf\xC3\xA9    ads.exe        say \"hi\", twice  true          false          2       "
        "black\r\n"
        "c:\\x       undecided.exe                   false         false          0       none\r\n"
        "c:\\x       blank.exe                       false         false                  "
        "none\r\n");
}

TEST(VantorelcDecisionList, FollowsTheStatusExactly) {
    EXPECT_EQ(ListOf(L"1"), L"white");
    EXPECT_EQ(ListOf(L"2"), L"black");
    EXPECT_EQ(ListOf(L"0"), L"none");
    EXPECT_EQ(ListOf(L""), L"none");
    EXPECT_EQ(ListOf(L" 1"), L"none");
    EXPECT_EQ(ListOf(L"12"), L"none");
}

TEST_F(VantorelcData, LogInFileOrderWithEveryField) {
    fake.files.AddFile(
        LogPath(),
        BackupText("1/2/2024 3:04:05 AM", "REGISTRY",
                   "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Tray",
                   "c:\\tools", "tray.exe", "-a", "\"c:\\tools\\tray.exe\" -a") +
            // A stray line between entries costs neither.
            "stray\r\n" +
            BackupText("", "SHORTCUT", "C:\\Startup\\Ads, Inc.lnk", "c:\\ads", "ads.exe", "",
                       "c:\\ads\\ads.exe"));
    const CliResult json = Run({L"log", L"--json"});
    ASSERT_EQ(json.exitCode, kExitOk) << json.standardError;
    EXPECT_EQ(json.standardOutput,
              "[\r\n"
              "  {\"RemovedAt\": \"1/2/2024 3:04:05 AM\", \"RemovedDate\": \"1-2-2024\", "
              "\"RemovedTime\": \"3:4:5\", \"Kind\": \"REGISTRY\", \"FullLocation\": "
              "\"HKEY_CURRENT_USER\\\\Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run"
              "\\\\Tray\", \"ExeFolder\": \"c:\\\\tools\", \"ExeName\": \"tray.exe\", "
              "\"Arguments\": \"-a\", \"CommandLine\": \"\\\"c:\\\\tools\\\\tray.exe\\\" -a\"},\r\n"
              "  {\"RemovedAt\": \"\", \"RemovedDate\": \"1-2-2024\", \"RemovedTime\": \"3:4:5\", "
              "\"Kind\": \"SHORTCUT\", \"FullLocation\": \"C:\\\\Startup\\\\Ads, Inc.lnk\", "
              "\"ExeFolder\": \"c:\\\\ads\", \"ExeName\": \"ads.exe\", \"Arguments\": \"\", "
              "\"CommandLine\": \"c:\\\\ads\\\\ads.exe\"}\r\n"
              "]\r\n");

    const CliResult csv = Run({L"log", L"--csv"});
    ASSERT_EQ(csv.exitCode, kExitOk);
    EXPECT_EQ(csv.standardOutput,
              "RemovedAt,RemovedDate,RemovedTime,Kind,FullLocation,ExeFolder,ExeName,Arguments,"
              "CommandLine\r\n"
              "1/2/2024 3:04:05 AM,1-2-2024,3:4:5,REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft"
              "\\Windows\\CurrentVersion\\Run\\Tray,c:\\tools,tray.exe,'-a,"
              "\"\"\"c:\\tools\\tray.exe\"\" -a\"\r\n"
              ",1-2-2024,3:4:5,SHORTCUT,\"C:\\Startup\\Ads, Inc.lnk\",c:\\ads,ads.exe,,"
              "c:\\ads\\ads.exe\r\n");

    const CliResult table = Run({L"log"});
    ASSERT_EQ(table.exitCode, kExitOk);
    EXPECT_TRUE(table.standardOutput.starts_with("RemovedAt            RemovedDate  "))
        << table.standardOutput;
}

TEST_F(VantorelcData, EmptyFilesListNothing) {
    fake.files.AddFile(DecisionPath(), "");
    fake.files.AddFile(LogPath(), "");
    EXPECT_EQ(Run({L"decisions", L"--json"}).standardOutput, "[]\r\n");
    EXPECT_EQ(Run({L"log", L"--json"}).exitCode, kExitOk);
    EXPECT_EQ(Run({L"log", L"--csv"}).standardOutput,
              "RemovedAt,RemovedDate,RemovedTime,Kind,FullLocation,ExeFolder,ExeName,Arguments,"
              "CommandLine\r\n");
}

TEST_F(VantorelcData, MissingFilesAreOneLineOnStandardError) {
    const CliResult decisions = Run({L"decisions", L"--json"});
    EXPECT_EQ(decisions.exitCode, kExitNoFile);
    EXPECT_TRUE(decisions.standardOutput.empty());
    EXPECT_EQ(decisions.standardError, "No white or black list yet: C:\\users\\tester\\AppData\\"
                                       "Roaming\\VTRL1\\ActionsDB.txt does not exist.\r\n");

    fake.files.AddFolder(kDataFolder);
    const CliResult log = Run({L"log"});
    EXPECT_EQ(log.exitCode, kExitNoFile);
    EXPECT_TRUE(log.standardOutput.empty());
    EXPECT_EQ(log.standardError, "No removal log yet: C:\\users\\tester\\AppData\\Roaming\\VTRL1"
                                 "\\BackupAndLog.txt does not exist.\r\n");
}

TEST_F(VantorelcData, UnreadableFilesAreReportedNotListed) {
    fake.files.AddFile(DecisionPath(), DecisionText("c:\\tools", "tray.exe", "", "N", "N", "1"));
    files.locked.insert(fakes::FoldCase(DecisionPath()));
    const CliResult locked = Run({L"decisions", L"--csv"});
    EXPECT_EQ(locked.exitCode, kExitNoFile);
    EXPECT_TRUE(locked.standardOutput.empty());
    EXPECT_EQ(locked.standardError,
              "Cannot read C:\\users\\tester\\AppData\\Roaming\\VTRL1\\ActionsDB.txt.\r\n");

    // A folder where the log should be is there but cannot be read as a file.
    fake.files.AddFolder(LogPath());
    const CliResult folder = Run({L"log", L"--json"});
    EXPECT_EQ(folder.exitCode, kExitNoFile);
    EXPECT_TRUE(folder.standardOutput.empty());
    EXPECT_TRUE(folder.standardError.starts_with("Cannot read ")) << folder.standardError;
}

// The decision database's own load creates a missing file; the listing must not, and must not
// make the data folder either.
TEST_F(VantorelcData, ListingWritesNothing) {
    ASSERT_EQ(Run({L"decisions", L"--json"}).exitCode, kExitNoFile);
    ASSERT_EQ(Run({L"log", L"--csv"}).exitCode, kExitNoFile);
    EXPECT_FALSE(fake.files.FolderExists(kDataFolder));
    EXPECT_EQ(DataFolderChanges(), std::vector<std::wstring>{});

    const std::string decisionText = DecisionText("c:\\tools", "tray.exe", "", "N", "N", "1");
    const std::string logText =
        BackupText("", "REGISTRY", "HKEY_CURRENT_USER\\Run\\x", "c:\\x", "x.exe", "", "x.exe");
    fake.files.AddFile(DecisionPath(), decisionText);
    fake.files.AddFile(LogPath(), logText);
    const std::size_t filesBefore = fake.files.FileCount();
    for (const auto& arguments : std::vector<std::vector<std::wstring>>{
             {L"decisions"}, {L"decisions", L"--csv"}, {L"log"}, {L"log", L"--json"}}) {
        ASSERT_EQ(Run(arguments).exitCode, kExitOk);
    }
    EXPECT_EQ(DataFolderChanges(), std::vector<std::wstring>{});
    EXPECT_EQ(fake.files.FileCount(), filesBefore);
    EXPECT_EQ(fake.files.Content(DecisionPath()), decisionText);
    EXPECT_EQ(fake.files.Content(LogPath()), logText);
    EXPECT_FALSE(fake.registry.KeyExists(Hive::CurrentUser,
                                         services::SettingsKeyPath(services::kAppKey, L"Data")));
}

// ---------------------------------------------------------------------------------------------
// show

TEST(VantorelcShowArguments, OneRecordAndOneFormat) {
    const auto byName = ParseArguments({L"show", L"TrayHelper"});
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->command, CliCommand::Show);
    EXPECT_EQ(byName->record, L"TrayHelper");
    EXPECT_EQ(byName->format, OutputFormat::Table);
    EXPECT_EQ(ParseArguments({L"show", L"--json", L"3"})->record, L"3");
    EXPECT_EQ(ParseArguments({L"show", L"3", L"--csv"})->format, OutputFormat::Csv);
    EXPECT_EQ(ParseArguments({L"show", L""})->record, L"") << "a key's default value";
    EXPECT_EQ(ParseArguments({L"show", L"--help"})->command, CliCommand::Help);
    EXPECT_FALSE(ParseArguments({L"show"})) << "which record?";
    EXPECT_FALSE(ParseArguments({L"show", L"--csv"}));
    EXPECT_FALSE(ParseArguments({L"show", L"a", L"b"}));
    EXPECT_FALSE(ParseArguments({L"show", L"a", L"--hide-windows"}));
}

class VantorelcShow : public Vantorelc {
protected:
    void SetUp() override {
        fake.files.AddFile(
            fake.folders.programFolder + L"\\Languages\\English.ini",
            "[INTERFACE]\r\nFACTS-LOCATION=Location\r\nFACTS-VALUENAME=Value name\r\n"
            "FACTS-COMMANDLINE=Command line\r\nFACTS-PROGRAM=Program\r\nFACTS-NONE=(none)\r\n"
            "FACTS-YOURS=Your %1\r\nPLACE-REGISTRY=Run key\r\nFACTS-BYTES=%1 bytes\r\n"
            "FACTS-RUNNING=Running now\r\nFACTS-NO=No\r\nFACTS-ALSO=Also started from\r\n"
            "FACTS-ALLUSERS64=%1 for all users (64-bit)\r\n");
        fake.files.AddFile(L"C:\\Tools\\tray.exe", "1234");
        // Scanned in this order: the machine's Run key before the user's.
        const wchar_t machineRun[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
        ASSERT_TRUE(fake.registry.CreateKey(Hive::LocalMachine, machineRun));
        ASSERT_TRUE(fake.registry.SetValue(
            Hive::LocalMachine, machineRun, L"TRAY",
            {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\tray.exe /third")}));
        SetRun(L"Tray", L"C:\\Tools\\tray.exe");
        SetRun(L"Other", L"C:\\Tools\\tray.exe /second");
    }
};

TEST_F(VantorelcShow, ByNumberAsListCountsThem) {
    const CliResult shown = Run({L"show", L"2"});
    ASSERT_EQ(shown.exitCode, kExitOk) << shown.standardError;
    const std::string run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    // Labels and words from the language file; a key it lacks stands for its text.
    EXPECT_EQ(shown.standardOutput,
              "#2\r\nLocation: Your Run key: " + run +
                  "\r\nValue name: Other\r\nCommand line: C:\\Tools\\tray.exe /second\r\n"
                  "Program: C:\\Tools\\tray.exe\r\nFACTS-DESCRIPTION: (none)\r\n"
                  "FACTS-COMPANY: (none)\r\nFACTS-VERSION: (none)\r\n"
                  "FACTS-SIZE: 4 bytes\r\nFACTS-MODIFIED: FACTS-UNKNOWN\r\n"
                  "Running now: No\r\nFACTS-SIGNATURE: SIGNOTSIGNED\r\n"
                  "Also started from: Run key for all users (64-bit): TRAY; Your Run key: "
                  "Tray\r\n");
    EXPECT_TRUE(shown.standardError.empty());
}

TEST_F(VantorelcShow, ByNameEveryRecordOfThatNameInEachFormat) {
    const CliResult table = Run({L"show", L"TRAY"});
    ASSERT_EQ(table.exitCode, kExitOk);
    EXPECT_TRUE(table.standardOutput.starts_with("#0\r\nLocation: ")) << table.standardOutput;
    EXPECT_NE(table.standardOutput.find("\r\n\r\n#1\r\nLocation: "), std::string::npos);
    EXPECT_EQ(table.standardOutput.find("#2\r\n"), std::string::npos);

    const CliResult csv = Run({L"show", L"tray", L"--csv"});
    ASSERT_EQ(csv.exitCode, kExitOk);
    const std::string header =
        "Index,Location,EntryName,CommandLine,ProgramPath,Description,Company,Version,Size,"
        "Modified,Running,Signature,AlsoStartedFrom\r\n";
    ASSERT_TRUE(csv.standardOutput.starts_with(header)) << csv.standardOutput;
    const std::string rows = csv.standardOutput.substr(header.size());
    EXPECT_TRUE(rows.starts_with("0,Run key for all users (64-bit): HKEY_LOCAL_MACHINE\\")) << rows;
    EXPECT_NE(rows.find("\r\n1,Your Run key: HKEY_CURRENT_USER\\"), std::string::npos) << rows;
    EXPECT_NE(rows.find(",Your Run key: Tray; Your Run key: Other\r\n1,"), std::string::npos);
    EXPECT_EQ(rows.find("\r\n2,"), std::string::npos);

    const CliResult json = Run({L"show", L"1", L"--json"});
    ASSERT_EQ(json.exitCode, kExitOk);
    EXPECT_TRUE(json.standardOutput.starts_with("[\r\n  {\"Index\": 1, \"Location\": \"Your Run "
                                                "key: HKEY_CURRENT_USER\\\\Software"))
        << json.standardOutput;
    EXPECT_NE(json.standardOutput.find("\"EntryName\": \"Tray\", \"CommandLine\": "
                                       "\"C:\\\\Tools\\\\tray.exe\""),
              std::string::npos);
}

TEST_F(VantorelcShow, UnknownRecordIsOneLineOnStandardError) {
    for (const std::wstring& record : {std::wstring(L"Nothing"), std::wstring(L"3")}) {
        const CliResult result = Run({L"show", record, L"--json"});
        EXPECT_EQ(result.exitCode, kExitNoRecords);
        EXPECT_TRUE(result.standardOutput.empty());
        EXPECT_EQ(result.standardError, "No startup record has the number or the name \"" +
                                            ToUtf8(record) +
                                            "\". \"vantorelc list\" shows them all.\r\n");
    }
    EXPECT_NE(Run({L"--help"}).standardOutput.find("vantorelc show <number or EntryName>"),
              std::string::npos);
}

TEST(VantorelcShowNoRecords, SaysSoAsList) {
    fakes::FakePlatform fake;
    const CliResult result = RunVantorelc(fake.Get(), {L"show", L"0"});
    EXPECT_EQ(result.exitCode, kExitNoRecords);
    EXPECT_TRUE(result.standardError.starts_with("Vantorel found no programs"))
        << result.standardError;
}

TEST(VantorelcLabelledLines, ValuesStayOnOneLine) {
    EXPECT_EQ(LabelledLines({{L"Command line", L"a\r\nb\x202E"}, {L"Empty", L""}}),
              "Command line: a\xEF\xBF\xBD\xEF\xBF\xBD"
              "b\\u202E\r\n");
}

} // namespace
} // namespace vtrl::cli
