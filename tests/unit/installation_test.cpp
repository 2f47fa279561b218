#include "fakes/fake_platform.h"
#include "services/internet_shortcut.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "services/text_file.h"
#include "shell/installation.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vtrl::shell {
namespace {

using platform::MessageAnswer;
using platform::MessageButtons;
using platform::MessageIcon;

constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";
constexpr wchar_t kGroup[] = L"C:\\ProgramData\\Start Menu\\Programs\\Vantorel 1";
constexpr wchar_t kUninstallKey[] =
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel 1";
constexpr wchar_t kScriptFolder[] = L"C:\\users\\tester\\Temp\\Vantorel-uninstall-r1";
constexpr wchar_t kBatch[] = L"C:\\users\\tester\\Temp\\Vantorel-uninstall-r1\\Uninstall.bat";
constexpr wchar_t kScript[] = L"C:\\users\\tester\\Temp\\Vantorel-uninstall-r1\\uninstall.reg";

class InstallationTest : public ::testing::Test {
protected:
    InstallationTest() {
        fake.folders.programName = L"VanTorel";
        facts = services::FrameworkStartup(fake.Get());
        fake.files.AddFile(std::wstring(kLanguages) + L"\\English.ini",
                           "[SHORTCUTS]\r\nTOSITE=Vantorel on the Web\r\n"
                           "CHECK-UPD=Check for updates\r\n"
                           "[UNINSTALL]\r\nR-U-SURE=Remove it?\r\nWHAT-ABOUT-SETTINGS=Keep?\r\n"
                           "REMOVED=is gone.\r\n");
        language.LanguageFolder = kLanguages;
        language.LanguageName = L"English";
        fake.files.AddFolder(L"C:\\users\\tester\\Temp");
        fake.folders.randomNames = {L"r1", L"r2"};
    }
    InstallLayout PlacedLayout() {
        InstallLayout layout = LayoutFor(facts);
        PlaceScripts(layout, kScriptFolder);
        return layout;
    }

    std::wstring Setting(const std::wstring& key) {
        return services::GetSetting(fake.registry, services::kMakerKey, services::kAppKey, key);
    }
    std::wstring Opened(std::size_t index) {
        return index < fake.launcher.opened.size() ? fake.launcher.opened[index] : L"";
    }
    std::wstring TopicOf(const std::wstring& link) {
        const auto from = link.find(L"&to=") + 4;
        return link.substr(from, link.find(L'&', from) - from);
    }
    const platform::LinkSpec* LinkAt(const std::wstring& path) {
        for (const auto& link : fake.links.created) {
            if (link.linkPath == path) {
                return &link;
            }
        }
        return nullptr;
    }
    std::vector<std::wstring> FileLines(const std::wstring& path) {
        const auto content = fake.files.Content(path);
        return content ? services::SplitLines(fake.locale.FromAnsi(*content))
                       : std::vector<std::wstring>{L"<missing>"};
    }
    void RunUninstall() {
        Uninstall(fake.Get(), facts, language,
                  [this](std::chrono::milliseconds time) { pauses.push_back(time); });
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts;
    services::Language language;
    std::vector<std::chrono::milliseconds> pauses;
};

// The loop's lines, the same in every batch file of the fake profile.
std::vector<std::wstring> LoopLines() {
    const std::wstring exe = L"\"C:\\Program Files\\Vantorel\\VanTorel.exe\"";
    return {L"@Echo off",
            L"set /a VtrlTries=0",
            L":S",
            L"\"C:\\windows\\system32\\taskkill.exe\" /F /IM \"vantorel.exe\"",
            L"Del " + exe,
            L"If Not Exist " + exe + L" Goto Cleanup",
            L"set /a VtrlTries+=1",
            L"If %VtrlTries% GEQ 30 Goto Cleanup",
            L"ping -n 2 127.0.0.1 >nul",
            L"If Exist " + exe + L" Goto S",
            L":Cleanup"};
}

std::vector<std::wstring> Joined(std::vector<std::wstring> head,
                                 const std::vector<std::wstring>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

const std::vector<std::wstring> kRemovalTail = {
    L"Del \"C:\\users\\Public\\Desktop\\Vantorel 1.lnk\"",
    L"rmdir /S /Q \"C:\\ProgramData\\Start Menu\\Programs\\Vantorel 1\"",
    L"rmdir /S /Q \"C:\\Program Files\\Vantorel 1\"",
    L"Del \"C:\\users\\tester\\Temp\\Vantorel-uninstall-r1\\Uninstall.bat\" & rmdir "
    L"\"C:\\users\\tester\\Temp\\Vantorel-uninstall-r1\""};

TEST_F(InstallationTest, BatchAndScriptWhenTheSettingsAreKept) {
    const InstallLayout layout = PlacedLayout();
    EXPECT_EQ(UninstallBatchLines(layout, facts, L"vantorel.exe", true),
              Joined(LoopLines(), kRemovalTail));
    EXPECT_EQ(UninstallScriptLines(layout, true),
              (std::vector<std::wstring>{L"REGEDIT4", L"[-" + std::wstring(kUninstallKey) + L"]"}));
}

TEST_F(InstallationTest, BatchAndScriptWhenTheSettingsAreRemoved) {
    const InstallLayout layout = PlacedLayout();
    EXPECT_EQ(
        UninstallBatchLines(layout, facts, L"vantorel.exe", false),
        Joined(Joined(LoopLines(), {L"rmdir /S /Q \"C:\\users\\tester\\AppData\\Roaming\\VTRL1\""}),
               kRemovalTail));
    EXPECT_EQ(UninstallScriptLines(layout, false),
              (std::vector<std::wstring>{
                  L"REGEDIT4", L"[-HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\VTRL]",
                  L"[-" + std::wstring(kUninstallKey) + L"]"}));
}

TEST_F(InstallationTest, NoFolderIsRemovedUnlessItIsTheProgramsOwn) {
    // What the start-up leaves in a shell folder it could not resolve, and other wrong parents.
    facts.AppDataFolder = services::kInvalidFolderIdText;
    facts.DataFolder = facts.AppDataFolder + L"\\VTRL1";
    facts.CommonProgramsFolder = std::wstring(services::kFolderBufferLength, L'\0');
    facts.ProgramFilesFolder = L"";
    facts.CommonDesktopFolder = services::kFolderMissingText;
    const InstallLayout layout = PlacedLayout();
    EXPECT_FALSE(layout.dataFolderIsOwn);
    EXPECT_FALSE(layout.programGroupIsOwn);
    EXPECT_FALSE(layout.installFolderIsOwn);
    EXPECT_FALSE(layout.desktopShortcutIsOwn);
    EXPECT_EQ(UninstallBatchLines(layout, facts, L"vantorel.exe", false),
              Joined(LoopLines(), {kRemovalTail.back()}));
}

TEST_F(InstallationTest, OwnFolderNeedsAProperParentAndTheExactName) {
    EXPECT_TRUE(IsOwnFolder(L"C:\\Program Files\\Vantorel 1", L"C:\\Program Files", L"Vantorel 1"));
    EXPECT_TRUE(IsOwnFolder(L"\\\\srv\\home\\VTRL1", L"\\\\srv\\home", L"VTRL1"));
    EXPECT_FALSE(IsOwnFolder(L"\\VTRL1", L"", L"VTRL1"));                   // unresolved
    EXPECT_FALSE(IsOwnFolder(L"C:\\\\Vantorel 1", L"C:\\", L"Vantorel 1")); // drive root
    EXPECT_FALSE(IsOwnFolder(L"C:\\Vantorel 1", L"C:", L"Vantorel 1"));     // drive-relative
    EXPECT_FALSE(IsOwnFolder(L"C:\\x\\..\\Vantorel 1", L"C:\\x\\..", L"Vantorel 1"));
    EXPECT_FALSE(IsOwnFolder(L"C:\\Windows", L"C:\\Windows", L""));
    EXPECT_FALSE(IsOwnFolder(L"C:\\a\\..", L"C:\\a", L".."));
    EXPECT_FALSE(IsOwnFolder(L"C:\\a\\b\\c", L"C:\\a", L"b\\c"));
    EXPECT_FALSE(IsOwnFolder(L"C:\\a\\VTRL2", L"C:\\a", L"VTRL1"));
    EXPECT_FALSE(IsOwnFolder(L"\\\\srv\\VTRL1", L"\\\\srv", L"VTRL1")); // no share
    EXPECT_FALSE(IsOwnFolder(L"C:\\a*b\\VTRL1", L"C:\\a*b", L"VTRL1"));
}

TEST_F(InstallationTest, MajorVersionIsTheLeadingNumber) {
    EXPECT_EQ(MajorVersion(L"3.51"), 3);
    EXPECT_EQ(MajorVersion(L"12.05"), 12);
    EXPECT_EQ(MajorVersion(L""), 0);
    facts.VersionText = L"3.51";
    const InstallLayout layout = LayoutFor(facts);
    EXPECT_EQ(layout.programGroup, L"C:\\ProgramData\\Start Menu\\Programs\\Vantorel 3");
    // The data folder is named after the running build's version, 1, not 3.
    EXPECT_FALSE(layout.dataFolderIsOwn);
}

TEST_F(InstallationTest, FirstInstallCreatesEverything) {
    fake.files.AddFolder(kGroup);
    fake.files.AddFile(std::wstring(kGroup) + L"\\Vantorel 0.9.lnk", "old");
    fake.files.AddFile(std::wstring(kGroup) + L"\\readme.txt", "old");
    fake.files.AddFile(std::wstring(kGroup) + L"\\desktop.ini", "hidden");
    fake.files.SetAttributes(std::wstring(kGroup) + L"\\desktop.ini",
                             platform::kAttributeHidden | platform::kAttributeSystem);
    fake.folders.shortForms[L"C:\\Program Files\\Vantorel 1\\VanTorel.exe"] =
        L"C:\\PROGRA~1\\VANTOR~1\\VANTOREL.EXE";

    Install(fake.Get(), facts, language);

    ASSERT_EQ(fake.launcher.opened.size(), 1u);
    EXPECT_EQ(TopicOf(Opened(0)), L"install");

    const std::wstring exe = L"C:\\Program Files\\Vantorel\\VanTorel.exe";
    const std::wstring folder = L"C:\\Program Files\\Vantorel";
    const std::vector<platform::LinkSpec> expected = {
        {L"C:\\users\\tester\\Start Menu\\Programs\\Startup\\Vantorel.lnk", exe, L"Vantorel",
         folder, L"startup", L""},
        {L"C:\\users\\Public\\Desktop\\Vantorel 1.lnk", exe, L"", folder, L"", L""},
        {std::wstring(kGroup) + L"\\Vantorel 1.lnk", exe, L"", folder, L"", L""},
        {std::wstring(kGroup) + L"\\Check for updates.lnk", exe, L"", folder, L"updates", L""},
    };
    ASSERT_EQ(fake.links.created.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& link = fake.links.created[i];
        EXPECT_EQ(link.linkPath, expected[i].linkPath);
        EXPECT_EQ(link.targetPath, expected[i].targetPath) << link.linkPath;
        EXPECT_EQ(link.description, expected[i].description) << link.linkPath;
        EXPECT_EQ(link.workingDirectory, expected[i].workingDirectory) << link.linkPath;
        EXPECT_EQ(link.arguments, expected[i].arguments) << link.linkPath;
        EXPECT_EQ(link.iconLocation, L"") << link.linkPath;
    }

    // The old group's listed files are gone; a hidden system file is not listed and stays.
    EXPECT_FALSE(fake.files.FileExists(std::wstring(kGroup) + L"\\Vantorel 0.9.lnk"));
    EXPECT_FALSE(fake.files.FileExists(std::wstring(kGroup) + L"\\readme.txt"));
    EXPECT_TRUE(fake.files.FileExists(std::wstring(kGroup) + L"\\desktop.ini"));

    const auto urlLines = FileLines(std::wstring(kGroup) + L"\\Vantorel on the Web.url");
    ASSERT_EQ(urlLines.size(), 4u);
    EXPECT_EQ(urlLines[0], L"[InternetShortcut]");
    EXPECT_EQ(TopicOf(urlLines[1].substr(4)), L"site");
    EXPECT_TRUE(urlLines[1].starts_with(L"URL=https://"));
    EXPECT_EQ(urlLines[2], L"IconIndex=");
    EXPECT_EQ(urlLines[3], L"IconFile=");

    EXPECT_EQ(Setting(L"Reload-Month"), L"12");
    EXPECT_EQ(Setting(L"Reload-Year"), L"2026");
    EXPECT_EQ(
        services::RegReadValue(fake.registry, std::wstring(kUninstallKey) + L"\\UninstallString"),
        L"C:\\PROGRA~1\\VANTOR~1\\VANTOREL.EXE uninstall");
    EXPECT_EQ(services::RegReadValue(fake.registry, std::wstring(kUninstallKey) + L"\\DisplayName"),
              L"Vantorel 1.00");
}

TEST_F(InstallationTest, SecondInstallIsAReinstallation) {
    fake.clock.now.month = 3;
    Install(fake.Get(), facts, language);
    fake.clock.now = {2027, 1, 2, 8, 0, 0};
    Install(fake.Get(), facts, language);
    ASSERT_EQ(fake.launcher.opened.size(), 2u);
    EXPECT_EQ(TopicOf(Opened(0)), L"install");
    EXPECT_EQ(TopicOf(Opened(1)), L"reinstall");
    EXPECT_EQ(Setting(L"Reload-Month"), L"1");
    EXPECT_EQ(Setting(L"Reload-Year"), L"2027");
}

TEST_F(InstallationTest, UninstallStringIsOnlyTheWordWithoutTheExpectedExecutable) {
    Install(fake.Get(), facts, language);
    EXPECT_EQ(
        services::RegReadValue(fake.registry, std::wstring(kUninstallKey) + L"\\UninstallString"),
        L" uninstall");
}

TEST_F(InstallationTest, UninstallStringRunsTheSetupProgramsUninstallerBesideTheExecutable) {
    // Also when the executable is at the expected folder too: the setup program's copy is the
    // one its uninstaller removes, and both write this one entry.
    fake.folders.shortForms[L"C:\\Program Files\\Vantorel 1\\VanTorel.exe"] =
        L"C:\\PROGRA~1\\VANTOR~1\\VANTOREL.EXE";
    fake.files.AddFile(L"C:\\Program Files\\Vantorel\\Uninstall.exe", "MZ");
    Install(fake.Get(), facts, language);
    EXPECT_EQ(
        services::RegReadValue(fake.registry, std::wstring(kUninstallKey) + L"\\UninstallString"),
        L"\"C:\\Program Files\\Vantorel\\Uninstall.exe\"");
    EXPECT_EQ(services::RegReadValue(fake.registry, std::wstring(kUninstallKey) + L"\\DisplayName"),
              L"Vantorel 1.00");
}

TEST_F(InstallationTest, UninstallAnsweredNoChangesNothing) {
    const std::wstring agent = L"C:\\users\\tester\\Start Menu\\Programs\\Startup\\Vantorel.lnk";
    fake.files.AddFile(agent, "link");
    const std::size_t files = fake.files.FileCount();
    fake.messages.answers = {MessageAnswer::No};
    RunUninstall();
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Remove it?\r\n\r\nVantorel");
    EXPECT_EQ(fake.messages.shown[0].caption, L"Vantorel");
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(fake.messages.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(fake.files.FileExists(agent));
    EXPECT_EQ(fake.files.FileCount(), files);
    EXPECT_TRUE(fake.desktop.closes.empty());
    EXPECT_TRUE(fake.launcher.startedHidden.empty());
    EXPECT_TRUE(fake.launcher.opened.empty());
}

TEST_F(InstallationTest, UninstallKeepingSettingsRunsTheStepsInOrder) {
    const std::wstring agent = L"C:\\users\\tester\\Start Menu\\Programs\\Startup\\Vantorel.lnk";
    fake.files.AddFile(agent, "link");
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok};

    RunUninstall();

    EXPECT_FALSE(fake.files.FileExists(agent));
    ASSERT_EQ(fake.desktop.closes.size(), 1u);
    EXPECT_EQ(fake.desktop.closes[0], std::make_pair(std::wstring(L"Vantorel tray agent"), false));

    ASSERT_EQ(fake.messages.shown.size(), 3u);
    EXPECT_EQ(fake.messages.shown[1].text, L"Keep?");
    EXPECT_EQ(fake.messages.shown[1].icon, MessageIcon::Information);
    EXPECT_EQ(fake.messages.shown[1].buttons, MessageButtons::YesNo);
    EXPECT_EQ(fake.messages.shown[2].text, L"Vantorel is gone.");
    EXPECT_EQ(fake.messages.shown[2].icon, MessageIcon::Information);
    EXPECT_EQ(fake.messages.shown[2].buttons, MessageButtons::Ok);

    EXPECT_EQ(
        fake.launcher.startedHidden,
        (std::vector<std::wstring>{
            L"\"C:\\windows\\regedit.exe\" /S \"" + std::wstring(kScript) + L"\"",
            L"\"C:\\windows\\system32\\cmd.exe\" /s /c \"\"" + std::wstring(kBatch) + L"\"\""}));
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{kRegeditPause}));
    ASSERT_EQ(fake.launcher.opened.size(), 1u);
    EXPECT_EQ(TopicOf(Opened(0)), L"uninstall");

    // The script was imported, then deleted; the batch file deletes itself when it has run.
    EXPECT_FALSE(fake.files.FileExists(kScript));
    EXPECT_EQ(FileLines(kBatch), Joined(LoopLines(), kRemovalTail));
}

TEST_F(InstallationTest, UninstallRemovingSettingsWritesTheirRemoval) {
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Ok};
    RunUninstall();
    EXPECT_EQ(fake.launcher.startedHidden.size(), 2u);
    const auto batch = FileLines(kBatch);
    EXPECT_NE(std::find(batch.begin(), batch.end(),
                        L"rmdir /S /Q \"C:\\users\\tester\\AppData\\Roaming\\VTRL1\""),
              batch.end());
}

// cmd reads a batch file in the OEM code page: a user folder with a German letter must reach
// rmdir as it is on disk, not as its ANSI byte read as an OEM one.
TEST_F(InstallationTest, BatchFileIsWrittenForTheCommandInterpreter) {
    facts.AppDataFolder = L"C:\\users\\J\u00fcrgen\\AppData\\Roaming";
    facts.DataFolder = facts.AppDataFolder + L"\\VTRL1";
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Ok};
    RunUninstall();
    const auto bytes = fake.files.Content(kBatch);
    ASSERT_TRUE(bytes);
    EXPECT_NE(bytes->find("rmdir /S /Q \"C:\\users\\J\x81rgen\\AppData\\Roaming\\VTRL1\"\r\n"),
              std::string::npos)
        << *bytes;
    EXPECT_EQ(bytes->find('\xfc'), std::string::npos);
}

// The scripts' folder is made for this run: a folder someone prepared under the first name, with
// a batch file of their own in it, is neither used nor touched.
TEST_F(InstallationTest, ScriptsGoIntoAFolderNobodyPrepared) {
    fake.files.AddFolder(kScriptFolder);
    fake.files.AddFile(kBatch, "planted");
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok};
    RunUninstall();
    EXPECT_EQ(fake.files.Content(kBatch), "planted");
    const std::wstring own = L"C:\\users\\tester\\Temp\\Vantorel-uninstall-r2\\Uninstall.bat";
    ASSERT_TRUE(fake.files.FileExists(own));
    ASSERT_EQ(fake.launcher.startedHidden.size(), 2u);
    EXPECT_NE(fake.launcher.startedHidden[1].find(own), std::wstring::npos);

    // No folder of its own at all: neither script is written or started.
    fake.launcher.startedHidden.clear();
    fake.folders.files = nullptr;
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::Yes, MessageAnswer::Ok};
    RunUninstall();
    EXPECT_TRUE(fake.launcher.startedHidden.empty());
}

TEST_F(InstallationTest, PercentSignsInPathsReachCmdAsTheyAre) {
    EXPECT_EQ(BatchQuoted(L"C:\\100%\\%TEMP%"), L"\"C:\\100%%\\%%TEMP%%\"");
    facts.AppDataFolder = L"C:\\users\\a%PATH%b\\AppData\\Roaming";
    facts.DataFolder = facts.AppDataFolder + L"\\VTRL1";
    const auto lines = UninstallBatchLines(PlacedLayout(), facts, L"vantorel.exe", false);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        L"rmdir /S /Q \"C:\\users\\a%%PATH%%b\\AppData\\Roaming\\VTRL1\""),
              lines.end());
}

// Message boxes that note whether a script waits, written but not started, while they wait for
// the user.
class ScriptWatchingBoxes final : public platform::MessageBoxes {
public:
    ScriptWatchingBoxes(fakes::FakePlatform& fake) : fake_(fake) {}
    platform::MessageAnswer Show(const std::wstring& text, const std::wstring& caption,
                                 platform::MessageIcon icon,
                                 platform::MessageButtons buttons) override {
        const auto present = [this](const std::wstring& name) {
            for (const auto& entry : fake_.files.ListFolder(L"C:\\users\\tester\\Temp", L"*")) {
                if (fake_.files.FileExists(L"C:\\users\\tester\\Temp\\" + entry.name + L"\\" +
                                           name)) {
                    return true;
                }
            }
            return false;
        };
        // Written and not yet started: the batch file at any box, the registry script before
        // regedit runs.
        const bool regeditStarted = !fake_.launcher.startedHidden.empty();
        waitingScriptSeen = waitingScriptSeen || present(kUninstallBatchName) ||
                            (present(kUninstallScriptName) && !regeditStarted);
        return fake_.messages.Show(text, caption, icon, buttons);
    }
    bool waitingScriptSeen = false;

private:
    fakes::FakePlatform& fake_;
};

TEST_F(InstallationTest, NoQuestionWhileAScriptWaitsToBeStarted) {
    ScriptWatchingBoxes boxes(fake);
    platform::Platform& f = fake.Get();
    platform::Platform watched{f.registry, f.files, f.folders,     f.links,      f.locale,
                               f.version,  f.clock, f.processes,   f.ini,        boxes,
                               f.launcher, f.http,  f.icons,       f.sound,      f.desktop,
                               f.changes,  f.locks, f.environment, f.signatures, f.clipboard};
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Ok};
    Uninstall(watched, facts, language, [](std::chrono::milliseconds) {});
    EXPECT_EQ(fake.messages.shown.size(), 3u);
    EXPECT_EQ(fake.launcher.startedHidden.size(), 2u);
    EXPECT_FALSE(boxes.waitingScriptSeen);
}

// A user folder the OEM code page cannot hold is named by its 8.3 form; with none, no batch file
// is written or started rather than one that names another folder.
TEST_F(InstallationTest, BatchNamesAFolderOutsideTheOemCodePageByItsShortForm) {
    facts.AppDataFolder = L"C:\\users\\\u0141ukasz\\AppData\\Roaming";
    facts.DataFolder = facts.AppDataFolder + L"\\VTRL1";
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Ok};
    RunUninstall();
    EXPECT_EQ(fake.launcher.startedHidden.size(), 1u) << "only regedit";
    EXPECT_FALSE(fake.files.FileExists(kBatch));

    fake.folders.shortForms[facts.DataFolder] = L"C:\\users\\UKASZ~1\\AppData\\Roaming\\VTRL1";
    fake.launcher.startedHidden.clear();
    fake.messages.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Ok};
    RunUninstall();
    ASSERT_EQ(fake.launcher.startedHidden.size(), 2u);
    const std::wstring batch = L"C:\\users\\tester\\Temp\\Vantorel-uninstall-r2\\Uninstall.bat";
    const auto lines = FileLines(batch);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        L"rmdir /S /Q \"C:\\users\\UKASZ~1\\AppData\\Roaming\\VTRL1\""),
              lines.end());
}

TEST(InternetShortcutTest, FourLinesReplacingAnOldFile) {
    fakes::FakePlatform fake;
    const std::wstring path = L"C:\\users\\tester\\Desktop\\site.url";
    fake.files.AddFile(path, "an older and much longer file that must not leave its tail behind");
    services::CreateUrlFile(fake.Get().files, fake.Get().locale, path,
                            L"https://example.test/?a=1&b=2", L"0", L"C:\\x.ico");
    EXPECT_EQ(*fake.files.Content(path), "[InternetShortcut]\r\nURL=https://example.test/?a=1&b=2"
                                         "\r\nIconIndex=0\r\nIconFile=C:\\x.ico\r\n");
}

} // namespace
} // namespace vtrl::shell
