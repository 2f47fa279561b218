// Startup commands as Windows starts them: a table of real-world commands, each with the
// program that really runs and why, against a fake profile with Windows' usual files.

#include "fakes/fake_platform.h"
#include "inventory/command_resolver.h"
#include "inventory/launcher_names.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

namespace vtrl::inventory {
namespace {

constexpr wchar_t kSystem[] = L"C:\\windows\\system32";
constexpr wchar_t kWindows[] = L"C:\\windows";

struct Case {
    const wchar_t* why;
    const wchar_t* command;
    const wchar_t* program; // the full path found, or the best reading when not found
    const wchar_t* arguments;
    bool found = true;
    const wchar_t* launcher = L"";
    bool hijack = false;
};

class CommandResolution : public ::testing::Test {
protected:
    CommandResolution() {
        for (const wchar_t* file : {
                 L"C:\\windows\\system32\\rundll32.exe",
                 L"C:\\windows\\system32\\wscript.exe",
                 L"C:\\windows\\system32\\cscript.exe",
                 L"C:\\windows\\system32\\mshta.exe",
                 L"C:\\windows\\system32\\cmd.exe",
                 L"C:\\windows\\system32\\regsvr32.exe",
                 L"C:\\windows\\system32\\shell32.dll",
                 L"C:\\windows\\system32\\notepad.exe",
                 L"C:\\windows\\notepad.exe",
                 L"C:\\windows\\regedit.exe",
                 L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe",
                 L"C:\\Program Files\\PowerShell\\7\\pwsh.exe",
                 L"C:\\Program Files\\Tool\\tool.exe",
                 L"C:\\Program Files\\Tool\\helper.dll",
                 L"C:\\Program Files (x86)\\Old Tool\\old.exe",
                 L"C:\\users\\tester\\AppData\\Roaming\\Sync\\sync.exe",
                 L"C:\\users\\tester\\AppData\\Local\\Updater\\update.exe",
                 L"C:\\users\\tester\\AppData\\Local\\Updater\\Update Helper.exe",
                 L"C:\\users\\tester\\Scripts\\start.vbs",
                 L"C:\\users\\tester\\Scripts\\login.cmd",
                 L"C:\\users\\tester\\Scripts\\map drives.bat",
                 L"C:\\users\\tester\\Scripts\\tray.ps1",
                 L"C:\\users\\tester\\Scripts\\panel.hta",
                 L"C:\\users\\tester\\Temp\\setup.exe",
                 L"C:\\Tools\\bin\\agent.exe",
                 L"C:\\Tools\\bin\\sync.cmd",
                 L"C:\\Vendor App\\app.exe",
                 L"C:\\Vendor.exe",
                 L"C:\\Data\\My.exe",
                 L"C:\\Data\\My Files\\run.exe",
                 L"C:\\Apps\\Editor\\editor.exe",
             }) {
            fake.files.AddFile(file, "MZ");
        }
        fake.environment.Set(L"PATH",
                             L"C:\\windows\\system32;C:\\windows;%SystemDrive%\\Tools\\bin;;"
                             L"%SystemRoot%\\system32\\WindowsPowerShell\\v1.0;"
                             L"\"C:\\users\\tester\\Scripts\"");
        fake.environment.Set(L"ToolHome", L"C:\\Program Files\\Tool");
        const std::wstring appPaths =
            L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\editor.exe";
        fake.registry.CreateKey(platform::Hive::LocalMachine, appPaths);
        fake.registry.SetValue(
            platform::Hive::LocalMachine, appPaths, L"",
            {platform::kRegSz, services::EncodeRegSz(L"\"C:\\Apps\\Editor\\editor.exe\"")});
    }

    ResolvedCommand Resolve(const std::wstring& command) {
        return CommandResolver(fake.Get(), kSystem, kWindows).ResolveCommandLine(command);
    }

    fakes::FakePlatform fake;
};

const Case kCases[] = {
    // Quoted programs: the program ends at the closing quote, whatever blanks it holds.
    {L"quoted path with blanks and an option", L"\"C:\\Program Files\\Tool\\tool.exe\" -min",
     L"C:\\Program Files\\Tool\\tool.exe", L"-min"},
    {L"quoted path without arguments", L"\"C:\\Program Files\\Tool\\tool.exe\"",
     L"C:\\Program Files\\Tool\\tool.exe", L""},
    {L"an option right after the quote keeps its first character",
     L"\"C:\\Program Files\\Tool\\tool.exe\"/background", L"C:\\Program Files\\Tool\\tool.exe",
     L"/background"},
    {L"quoted arguments stay whole", L"\"C:\\Program Files\\Tool\\tool.exe\" \"a b\" c",
     L"C:\\Program Files\\Tool\\tool.exe", L"\"a b\" c"},
    {L"quoted name without extension gets .exe", L"\"C:\\Program Files\\Tool\\tool\" /s",
     L"C:\\Program Files\\Tool\\tool.exe", L"/s"},
    {L"quoted missing program is listed as written", L"\"C:\\Program Files\\Gone\\gone.exe\" -x",
     L"C:\\Program Files\\Gone\\gone.exe", L"-x", false},
    {L"leading blanks before a quote are skipped", L"   \"C:\\Vendor App\\app.exe\" go",
     L"C:\\Vendor App\\app.exe", L"go"},
    // Unquoted programs with blanks: each blank-ended reading in turn, first existing wins.
    {L"unquoted path with blanks: the full program is the first reading that exists",
     L"C:\\Program Files\\Tool\\tool.exe -min", L"C:\\Program Files\\Tool\\tool.exe", L"-min"},
    {L"hijack: update.exe beside \"Update Helper.exe\" runs in its stead",
     L"C:\\users\\tester\\AppData\\Local\\Updater\\Update Helper.exe --tray",
     L"C:\\users\\tester\\AppData\\Local\\Updater\\Update.exe", L"Helper.exe --tray", true, L"",
     true},
    {L"a program name holding a blank, quoted, is taken whole",
     L"\"C:\\users\\tester\\AppData\\Local\\Updater\\Update Helper.exe\" --tray",
     L"C:\\users\\tester\\AppData\\Local\\Updater\\Update Helper.exe", L"--tray"},
    {L"unquoted without extension: .exe appended to the reading",
     L"C:\\Program Files\\Tool\\tool -min", L"C:\\Program Files\\Tool\\tool.exe", L"-min"},
    {L"runs of blanks separate once", L"C:\\Tools\\bin\\agent.exe    --quiet",
     L"C:\\Tools\\bin\\agent.exe", L"--quiet"},
    {L"hijack: C:\\Vendor.exe runs before C:\\Vendor App\\app.exe", L"C:\\Vendor App\\app.exe /a",
     L"C:\\Vendor.exe", L"App\\app.exe /a", true, L"", true},
    {L"hijack: C:\\Data\\My.exe runs before C:\\Data\\My Files\\run.exe",
     L"C:\\Data\\My Files\\run.exe", L"C:\\Data\\My.exe", L"Files\\run.exe", true, L"", true},
    {L"no hijack when the winning reading was written with its extension",
     L"C:\\Data\\My.exe Files\\run.exe", L"C:\\Data\\My.exe", L"Files\\run.exe"},
    {L"unquoted missing program: the reading with an extension is the best guess",
     L"C:\\Program Files\\Gone\\gone.exe -min", L"C:\\Program Files\\Gone\\gone.exe", L"-min",
     false},
    {L"text that is no command at all is listed as written", L"yes please", L"yes", L"please",
     false},
    // Environment variables of every kind, expanded as Windows does.
    {L"REG_EXPAND_SZ style system root", L"%SystemRoot%\\system32\\notepad.exe /p",
     L"C:\\windows\\system32\\notepad.exe", L"/p"},
    {L"variable names ignore case", L"%systemroot%\\System32\\Notepad.exe",
     L"C:\\windows\\System32\\Notepad.exe", L""},
    {L"per-user local application data (unknown to the old tokens)",
     L"\"%LOCALAPPDATA%\\Updater\\update.exe\" --processStart",
     L"C:\\users\\tester\\AppData\\Local\\Updater\\update.exe", L"--processStart"},
    {L"roaming application data", L"%APPDATA%\\Sync\\sync.exe",
     L"C:\\users\\tester\\AppData\\Roaming\\Sync\\sync.exe", L""},
    {L"32-bit program files of 64-bit Windows", L"\"%ProgramFiles(x86)%\\Old Tool\\old.exe\"",
     L"C:\\Program Files (x86)\\Old Tool\\old.exe", L""},
    {L"the user's profile", L"%USERPROFILE%\\Scripts\\login.cmd",
     L"C:\\users\\tester\\Scripts\\login.cmd", L""},
    {L"system drive", L"%SystemDrive%\\Tools\\bin\\agent.exe", L"C:\\Tools\\bin\\agent.exe", L""},
    {L"the temporary folder", L"%TEMP%\\setup.exe /resume", L"C:\\users\\tester\\Temp\\setup.exe",
     L"/resume"},
    {L"a variable of the user's own", L"\"%ToolHome%\\tool.exe\" -min",
     L"C:\\Program Files\\Tool\\tool.exe", L"-min"},
    {L"an undefined variable stays, and the program is not found", L"%NOSUCHVAR%\\tool.exe",
     L"%NOSUCHVAR%\\tool.exe", L"", false},
    {L"variables in the arguments are expanded too", L"C:\\Tools\\bin\\agent.exe %APPDATA%\\x",
     L"C:\\Tools\\bin\\agent.exe", L"C:\\users\\tester\\AppData\\Roaming\\x"},
    // Bare names: App Paths, the system folder, the Windows folder, then PATH, with PATHEXT.
    {L"bare name in both folders: the system folder wins", L"notepad.exe",
     L"C:\\windows\\system32\\notepad.exe", L""},
    {L"bare name without extension gets .exe", L"notepad C:\\x.txt",
     L"C:\\windows\\system32\\notepad.exe", L"C:\\x.txt"},
    {L"bare name only in the Windows folder", L"regedit /s C:\\x.reg", L"C:\\windows\\regedit.exe",
     L"/s C:\\x.reg"},
    {L"bare name registered under App Paths", L"editor.exe --restore",
     L"C:\\Apps\\Editor\\editor.exe", L"--restore"},
    {L"App Paths key found for a name written without .exe", L"editor",
     L"C:\\Apps\\Editor\\editor.exe", L""},
    {L"bare name found through PATH (with a variable in PATH)", L"agent.exe --tray",
     L"C:\\Tools\\bin\\agent.exe", L"--tray"},
    {L"bare name nowhere", L"ghost.exe /q", L"ghost.exe", L"/q", false},
    {L"a relative path with folders is read from the Windows folder", L"system32\\notepad.exe",
     L"C:\\windows\\system32\\notepad.exe", L""},
    // Launchers: the record names the script or program behind them.
    {L"rundll32 loads a DLL by bare name", L"rundll32.exe shell32.dll,Control_RunDLL desk.cpl",
     L"C:\\windows\\system32\\shell32.dll", L"Control_RunDLL desk.cpl", true,
     L"C:\\windows\\system32\\rundll32.exe"},
    {L"rundll32 written without .exe, with a quoted DLL path and several commas",
     L"rundll32 \"C:\\Program Files\\Tool\\helper.dll\",Start,a,b",
     L"C:\\Program Files\\Tool\\helper.dll", L"Start,a,b", true,
     L"C:\\windows\\system32\\rundll32.exe"},
    {L"rundll32 with its DLL missing", L"rundll32.exe C:\\gone\\evil.dll,Run",
     L"C:\\gone\\evil.dll", L"Run", false, L"C:\\windows\\system32\\rundll32.exe"},
    {L"wscript with host options before the script",
     L"wscript.exe //B //Nologo \"C:\\users\\tester\\Scripts\\start.vbs\" /quiet",
     L"C:\\users\\tester\\Scripts\\start.vbs", L"/quiet", true,
     L"C:\\windows\\system32\\wscript.exe"},
    {L"cscript in the system folder with a variable",
     L"%windir%\\system32\\cscript.exe "
     L"%USERPROFILE%\\Scripts\\start.vbs",
     L"C:\\users\\tester\\Scripts\\start.vbs", L"", true, L"C:\\windows\\system32\\cscript.exe"},
    {L"mshta runs an .hta file", L"mshta.exe C:\\users\\tester\\Scripts\\panel.hta",
     L"C:\\users\\tester\\Scripts\\panel.hta", L"", true, L"C:\\windows\\system32\\mshta.exe"},
    {L"mshta with an inline script names no file", L"mshta vbscript:Execute(\"CreateObject(1)\")",
     L"C:\\windows\\system32\\mshta.exe", L"vbscript:Execute(\"CreateObject(1)\")"},
    {L"cmd /c runs a batch file (.cmd)", L"cmd /c C:\\users\\tester\\Scripts\\login.cmd",
     L"C:\\users\\tester\\Scripts\\login.cmd", L"", true, L"C:\\windows\\system32\\cmd.exe"},
    {L"cmd /c with outer quotes around a quoted .bat with blanks",
     L"cmd.exe /q /c \"\"C:\\users\\tester\\Scripts\\map drives.bat\" /persist\"",
     L"C:\\users\\tester\\Scripts\\map drives.bat", L"/persist", true,
     L"C:\\windows\\system32\\cmd.exe"},
    {L"cmd /c start with a title runs the program after it",
     L"cmd /c start \"\" /min \"C:\\Program Files\\Tool\\tool.exe\" -min",
     L"C:\\Program Files\\Tool\\tool.exe", L"-min", true, L"C:\\windows\\system32\\cmd.exe"},
    {L"cmd /c bare script name found through PATH with PATHEXT, first command only",
     L"cmd /c sync --all && echo done", L"C:\\Tools\\bin\\sync.CMD", L"--all", true,
     L"C:\\windows\\system32\\cmd.exe"},
    {L"cmd's own command names no file: cmd is the program", L"cmd /c echo hello",
     L"C:\\windows\\system32\\cmd.exe", L"/c echo hello"},
    {L"powershell -File with options that take values",
     L"powershell.exe -NoProfile -ExecutionPolicy Bypass -WindowStyle Hidden -File "
     L"\"C:\\users\\tester\\Scripts\\tray.ps1\" -Mode quiet",
     L"C:\\users\\tester\\Scripts\\tray.ps1", L"-Mode quiet", true,
     L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe"},
    {L"powershell -Command with the call operator",
     L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe -nop -c "
     L"\"& 'C:\\users\\tester\\Scripts\\tray.ps1'\"",
     L"C:\\users\\tester\\Scripts\\tray.ps1", L"", true,
     L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe"},
    {L"powershell Start-Process of a program",
     L"%SystemRoot%\\system32\\WindowsPowerShell\\v1.0\\powershell.exe -w hidden -Command "
     L"Start-Process -FilePath 'C:\\Tools\\bin\\agent.exe'",
     L"C:\\Tools\\bin\\agent.exe", L"", true,
     L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe"},
    {L"powershell -EncodedCommand names no file",
     L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe -enc SQBFAFgA",
     L"C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe", L"-enc SQBFAFgA"},
    {L"pwsh runs its first positional argument as a script",
     L"\"C:\\Program Files\\PowerShell\\7\\pwsh.exe\" -NoLogo C:\\users\\tester\\Scripts\\tray.ps1",
     L"C:\\users\\tester\\Scripts\\tray.ps1", L"", true,
     L"C:\\Program Files\\PowerShell\\7\\pwsh.exe"},
    {L"regsvr32 with switches registers a DLL", L"regsvr32 /s /n /i:user helper.dll", L"helper.dll",
     L"", false, L"C:\\windows\\system32\\regsvr32.exe"},
    {L"regsvr32 with a full DLL path", L"regsvr32.exe /s \"C:\\Program Files\\Tool\\helper.dll\"",
     L"C:\\Program Files\\Tool\\helper.dll", L"", true, L"C:\\windows\\system32\\regsvr32.exe"},
    {L"a .vbs started directly is itself the program", L"\"C:\\users\\tester\\Scripts\\start.vbs\"",
     L"C:\\users\\tester\\Scripts\\start.vbs", L""},
};

TEST_F(CommandResolution, RealWorldCommandsResolveAsWindowsStartsThem) {
    ASSERT_GE(std::size(kCases), 40u);
    for (const Case& test : kCases) {
        SCOPED_TRACE(test.why);
        SCOPED_TRACE(test.command);
        const ResolvedCommand resolved = Resolve(test.command);
        EXPECT_EQ(resolved.Program, test.program);
        EXPECT_EQ(resolved.Arguments, test.arguments);
        EXPECT_EQ(resolved.Found, test.found);
        EXPECT_EQ(resolved.Launcher, test.launcher);
        EXPECT_EQ(resolved.HijackRisk, test.hijack);
        EXPECT_EQ(resolved.ViaRundll,
                  std::wstring_view(test.command).find(L"rundll32") != std::wstring_view::npos);
    }
}

TEST_F(CommandResolution, AppPathsOfTheUserComeBeforeTheMachineAndPathextOrderHolds) {
    const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\editor.exe";
    fake.files.AddFile(L"C:\\users\\tester\\Apps\\editor.exe", "MZ");
    fake.registry.CreateKey(platform::Hive::CurrentUser, key);
    fake.registry.SetValue(
        platform::Hive::CurrentUser, key, L"",
        {platform::kRegExpandSz, services::EncodeRegSz(L"%USERPROFILE%\\Apps\\editor.exe")});
    EXPECT_EQ(Resolve(L"editor").Program, L"C:\\users\\tester\\Apps\\editor.exe");

    // A .com beside an .exe of the same name runs first under cmd: PATHEXT lists .COM first.
    fake.files.AddFile(L"C:\\Tools\\bin\\agent.com", "MZ");
    EXPECT_EQ(Resolve(L"cmd /c agent").Program, L"C:\\Tools\\bin\\agent.COM");
    // Process creation itself appends only .exe.
    EXPECT_EQ(Resolve(L"agent").Program, L"C:\\Tools\\bin\\agent.exe");
    // Without PATHEXT (Wine leaves it unset) Windows' own list stands in.
    fake.environment.variables.erase(L"pathext");
    EXPECT_EQ(Resolve(L"cmd /c sync").Program, L"C:\\Tools\\bin\\sync.CMD");
}

TEST_F(CommandResolution, ShortcutTargetsAreTakenWholeAndLookedThrough) {
    CommandResolver resolver(fake.Get(), kSystem, kWindows);
    // A shortcut names its program exactly: blanks in it are no readings to try.
    const ResolvedCommand direct =
        resolver.ResolveProgram(L"C:\\Vendor App\\app.exe", L"--from-link");
    EXPECT_TRUE(direct.Found);
    EXPECT_FALSE(direct.HijackRisk);
    EXPECT_EQ(direct.Program, L"C:\\Vendor App\\app.exe");

    const ResolvedCommand script = resolver.ResolveProgram(
        L"%SystemRoot%\\System32\\wscript.exe", L"\"%USERPROFILE%\\Scripts\\start.vbs\" /x");
    EXPECT_EQ(script.Program, L"C:\\users\\tester\\Scripts\\start.vbs");
    EXPECT_EQ(script.Launcher, L"C:\\windows\\System32\\wscript.exe");
    EXPECT_EQ(script.Arguments, L"/x");

    const ResolvedCommand missing = resolver.ResolveProgram(L"D:\\Gone\\gone.exe", L"");
    EXPECT_FALSE(missing.Found);
    EXPECT_EQ(missing.Program, L"D:\\Gone\\gone.exe");
}

TEST_F(CommandResolution, OneResolverLooksForEachProgramOnceWhateverItsArguments) {
    CommandResolver resolver(fake.Get(), kSystem, kWindows);
    EXPECT_TRUE(resolver.ResolveCommandLine(L"\"C:\\Program Files\\Tool\\tool.exe\" /n 1").Found);
    EXPECT_FALSE(resolver.ResolveCommandLine(L"C:\\Tools\\bin\\gone.exe /n 1").Found);
    // What the files say now reaches a new resolver (a new scan), not the one that looked.
    fake.files.Remove(L"C:\\Program Files\\Tool\\tool.exe");
    fake.files.AddFile(L"C:\\Tools\\bin\\gone.exe", "MZ");
    const ResolvedCommand again =
        resolver.ResolveCommandLine(L"\"C:\\Program Files\\Tool\\tool.exe\" /n 2");
    EXPECT_TRUE(again.Found);
    EXPECT_EQ(again.Arguments, L"/n 2");
    EXPECT_FALSE(resolver.ResolveCommandLine(L"C:\\Tools\\bin\\gone.exe /n 2").Found);
    EXPECT_FALSE(Resolve(L"\"C:\\Program Files\\Tool\\tool.exe\" /n 2").Found);
    EXPECT_TRUE(Resolve(L"C:\\Tools\\bin\\gone.exe /n 2").Found);
}

TEST(LauncherNames, TheEightLaunchersWithOrWithoutExeInAnyCase) {
    for (const wchar_t* name : {L"rundll32.exe", L"WScript.EXE", L"cscript", L"MSHTA.exe",
                                L"cmd.exe", L"PowerShell.exe", L"pwsh", L"regsvr32.exe"}) {
        EXPECT_TRUE(IsLauncherName(name)) << std::wstring(name).size();
    }
    for (const wchar_t* name : {L"notepad.exe", L"cmdx.exe", L"cmd.exe.exe", L".exe", L""}) {
        EXPECT_FALSE(IsLauncherName(name)) << std::wstring(name).size();
    }
}

} // namespace
} // namespace vtrl::inventory
