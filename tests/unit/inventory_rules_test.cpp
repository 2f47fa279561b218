// The pure rules of the inventory: command splitting, folder tokens, rundll32 calls, version
// strings, path cuts, and the resolution of candidates against the fake file system.

#include "inventory/command_resolution.h"
#include "inventory/removable_record.h"
#include "inventory/run_key_scan.h"
#include "inventory/running_programs.h"
#include "inventory/version_string.h"
#include "inventory_test_support.h"

#include <gtest/gtest.h>

#include <limits>

namespace vtrl::inventory {
namespace {

using namespace std::string_literals;
using testing::FakeProfileFacts;
using testing::Utf16Block;

struct SplitCase {
    std::wstring command;
    std::wstring executable;
    std::wstring arguments;
};

class RunCommandSplitting : public ::testing::Test {
protected:
    void ExpectSplits(const std::vector<SplitCase>& cases) {
        for (const SplitCase& split : cases) {
            const CommandParts parts = SplitRunCommand(locale, split.command);
            EXPECT_EQ(parts.executable, split.executable) << split.command;
            EXPECT_EQ(parts.arguments, split.arguments) << split.command;
        }
    }
    fakes::FakeLocale locale;
};

TEST_F(RunCommandSplitting, QuotedCommands) {
    ExpectSplits({
        {L"\"C:\\Program Files\\Tool\\tool.exe\" -min", L"C:\\Program Files\\Tool\\tool.exe",
         L"-min"},
        {L"\"C:\\Tool\\tool.exe\"", L"C:\\Tool\\tool.exe", L""},
        // One character goes whatever it is: an option right after the quote loses its dash.
        {L"\"C:\\Tool\\tool.exe\"-min", L"C:\\Tool\\tool.exe", L"min"},
        // Only the text up to a third quote is used.
        {L"\"C:\\Tool\\tool.exe\" /open \"C:\\My File.txt\"", L"C:\\Tool\\tool.exe", L"/open "},
        // A single character is never dropped.
        {L"\"C:\\Tool\\tool.exe\" ", L"C:\\Tool\\tool.exe", L" "},
        {L"\"C:\\Tool\\tool.exe\" x", L"C:\\Tool\\tool.exe", L"x"},
        // Unterminated quote: everything after it is the executable.
        {L"\"C:\\Tool\\tool.exe -min", L"C:\\Tool\\tool.exe -min", L""},
    });
}

TEST_F(RunCommandSplitting, UnquotedCommands) {
    ExpectSplits({
        {L"C:\\Program Files\\Tool\\tool.exe -min", L"C:\\Program Files\\Tool\\tool.exe", L"-min"},
        {L"C:\\Tool\\TOOL.EXE", L"C:\\Tool\\TOOL.EXE", L""},
        // Runs of blanks stay inside both texts.
        {L"C:\\a  b\\tool.exe  -x  -y", L"C:\\a  b\\tool.exe", L" -x  -y"},
        // No ".exe" or ".dll" anywhere: all of it is the executable candidate.
        {L"C:\\scripts\\start.bat now", L"C:\\scripts\\start.bat now", L""},
        // ".dll" ends the executable too, so a rundll32 call without ".exe" is not split at
        // the program name.
        {L"rundll32 shell32.dll,Control_RunDLL desk.cpl", L"rundll32 shell32.dll,Control_RunDLL",
         L"desk.cpl"},
        // ".exe" inside a piece counts wherever it is.
        {L"C:\\x\\tool.exe.bak -q", L"C:\\x\\tool.exe.bak", L"-q"},
        // A leading blank stays with the candidate.
        {L" C:\\Tool\\tool.exe", L" C:\\Tool\\tool.exe", L""},
        // A trailing blank leaves a one-character argument text, which keeps its blank.
        {L"tool.exe ", L"tool.exe", L" "},
        {L"", L"", L""},
    });
}

class FolderTokens : public ::testing::Test {
protected:
    std::wstring Expand(const std::wstring& text) {
        return ExpandFolderTokens(locale, facts, text);
    }
    fakes::FakeLocale locale;
    services::SystemFacts facts = FakeProfileFacts();
};

TEST_F(FolderTokens, TokenLowerCasesTheWholeText) {
    EXPECT_EQ(Expand(L"%SystemRoot%\\System32\\Tool.EXE /MIN"),
              L"c:\\windows\\system32\\tool.exe /min");
    EXPECT_EQ(Expand(L"%WINDIR%\\a.exe %windir%\\B.txt"), L"c:\\windows\\a.exe c:\\windows\\b.txt");
    EXPECT_EQ(Expand(L"%AppData%\\X\\x.exe"), L"c:\\users\\tester\\appdata\\roaming\\x\\x.exe");
    EXPECT_EQ(Expand(L"\"%ProgramFiles%\\Vendor\\App.exe\" -A"),
              L"\"c:\\program files\\vendor\\app.exe\" -a");
    EXPECT_EQ(Expand(L"%SystemDrive%\\Tools\\t.exe"), L"c:\\tools\\t.exe");
}

TEST_F(FolderTokens, OtherTextsKeepTheirCase) {
    EXPECT_EQ(Expand(L"C:\\Program Files\\Tool.EXE -Min"), L"C:\\Program Files\\Tool.EXE -Min");
    // Not tokens of ours: the 32-bit program-files folder and the local application data.
    EXPECT_EQ(Expand(L"%ProgramFiles(x86)%\\T\\t.exe"), L"%ProgramFiles(x86)%\\T\\t.exe");
    EXPECT_EQ(Expand(L"%LocalAppData%\\T\\t.exe"), L"%LocalAppData%\\T\\t.exe");
    EXPECT_EQ(Expand(L"%systemroot"), L"%systemroot");
}

class RundllCalls : public ::testing::Test {
protected:
    bool Split(std::wstring& executable, std::wstring& arguments) {
        return SplitRundllCall(locale, facts, executable, arguments);
    }
    fakes::FakeLocale locale;
    services::SystemFacts facts = FakeProfileFacts();
};

TEST_F(RundllCalls, NamesTheDllAndKeepsTheRest) {
    std::wstring executable = L"rundll32.exe";
    std::wstring arguments = L"shell32.dll,Control_RunDLL desk.cpl";
    EXPECT_TRUE(Split(executable, arguments));
    EXPECT_EQ(executable, L"shell32.dll");
    EXPECT_EQ(arguments, L"Control_RunDLL desk.cpl");

    executable = L"C:\\WINDOWS\\System32\\RUNDLL32.EXE";
    arguments = L"C:\\x\\a.dll,Entry,one,,two";
    EXPECT_TRUE(Split(executable, arguments));
    EXPECT_EQ(executable, L"C:\\x\\a.dll");
    EXPECT_EQ(arguments, L"Entry,one,,two");

    executable = L"rundll32.exe";
    arguments = L"printui.dll";
    EXPECT_TRUE(Split(executable, arguments));
    EXPECT_EQ(executable, L"printui.dll");
    EXPECT_EQ(arguments, L"");
}

TEST_F(RundllCalls, EmptyArgumentsStillCountAsACall) {
    std::wstring executable = L"rundll32.exe";
    std::wstring arguments;
    EXPECT_TRUE(Split(executable, arguments));
    EXPECT_EQ(executable, L"rundll32.exe");
}

TEST_F(RundllCalls, OtherProgramsAreLeftAlone) {
    for (const std::wstring program :
         {L"C:\\Tools\\rundll32.exe", L"myrundll32.exe", L"rundll32", L"C:\\tool.exe"}) {
        std::wstring executable = program;
        std::wstring arguments = L"a.dll,Entry";
        EXPECT_FALSE(Split(executable, arguments)) << program;
        EXPECT_EQ(executable, program);
        EXPECT_EQ(arguments, L"a.dll,Entry");
    }
}

TEST(PathCuts, FolderAndName) {
    EXPECT_EQ(ParentFolder(L"C:\\PROGRAM FILES\\VENDOR\\TOOL.EXE"), L"C:\\PROGRAM FILES\\VENDOR");
    EXPECT_EQ(ParentFolder(L"C:\\TOOL.EXE"), L"C:");
    EXPECT_EQ(ParentFolder(L"TOOL.EXE"), L"");
    EXPECT_EQ(LastPathComponent(L"C:\\PROGRAM FILES\\VENDOR\\TOOL.EXE"), L"TOOL.EXE");
    EXPECT_EQ(LastPathComponent(L"TOOL.EXE"), L"TOOL.EXE");
}

// Answers only sizes; everything else is unused by GetFileSize.
class SizeOnlyFiles final : public platform::FileSystem {
public:
    bool FileExists(const std::wstring&) override { return false; }
    bool FolderExists(const std::wstring&) override { return false; }
    bool CreateFolder(const std::wstring&) override { return false; }
    std::optional<std::string> ReadAll(const std::wstring&) override { return std::nullopt; }
    bool ReplaceAll(const std::wstring&, std::string_view) override { return false; }
    bool CreateNewEmpty(const std::wstring&) override { return false; }
    bool Remove(const std::wstring&) override { return false; }
    std::optional<std::uint64_t> FileSize(const std::wstring&) override { return size; }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring&,
                                                  const std::wstring&) override {
        return {};
    }
    std::optional<std::uint64_t> size;
};

TEST(FileSizes, ZeroBeyondThirtyTwoBits) {
    SizeOnlyFiles files;
    files.size = 12345;
    EXPECT_EQ(GetFileSize(files, L"x"), 12345);
    files.size = std::numeric_limits<std::int32_t>::max();
    EXPECT_EQ(GetFileSize(files, L"x"), std::numeric_limits<std::int32_t>::max());
    files.size = std::uint64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    EXPECT_EQ(GetFileSize(files, L"x"), 0);
    files.size = 3'000'000'000ull;
    EXPECT_EQ(GetFileSize(files, L"x"), 0);
    files.size = std::nullopt;
    EXPECT_EQ(GetFileSize(files, L"x"), 0);
}

TEST(RunningPrograms, MatchedByFullPathAndByNameOnlyWhereThePathIsUnknown) {
    fakes::FakeProcesses processes;
    fakes::FakeLocale locale;
    processes.processes.clear();
    processes.Start(L"C:\\Windows\\System32\\svchost.exe");
    processes.Start(L"\\\\?\\C:\\Tools\\My.Tool.EXE");
    processes.Start(L"setup.tmp.exe"); // its path cannot be read
    const auto running = ListRunningProcesses(processes);
    ASSERT_EQ(running.size(), 3u);

    EXPECT_TRUE(IsProgramRunning(locale, running, L"C:\\WINDOWS\\SYSTEM32\\svchost.exe"));
    EXPECT_FALSE(IsProgramRunning(locale, running, L"C:\\Users\\x\\svchost.exe"));
    EXPECT_TRUE(IsProgramRunning(locale, running, L"C:\\TOOLS\\my.tool.exe"));
    EXPECT_FALSE(IsProgramRunning(locale, running, L"C:\\Tools\\my.exe"));
    EXPECT_TRUE(IsProgramRunning(locale, running, L"D:\\Any\\SETUP.TMP.EXE"));
    EXPECT_FALSE(IsProgramRunning(locale, running, L"D:\\Any\\setup.exe"));
    // Ending needs the path: the name-only process is never among those started from a file.
    EXPECT_EQ(ProcessesStartedFrom(locale, running, L"D:\\Any\\setup.tmp.exe").size(), 0u);
    EXPECT_EQ(ProcessesStartedFrom(locale, running, L"c:/tools/my.tool.exe").size(), 1u);
    // The scan's index of the same processes answers alike.
    const RunningProgramIndex index(locale, running);
    for (const wchar_t* path :
         {L"C:\\WINDOWS\\SYSTEM32\\svchost.exe", L"C:\\Users\\x\\svchost.exe",
          L"C:\\TOOLS\\my.tool.exe", L"c:/tools/my.tool.exe", L"\\\\?\\C:\\Tools\\MY.TOOL.exe",
          L"C:\\Tools\\my.exe", L"D:\\Any\\SETUP.TMP.EXE", L"D:\\Any\\setup.exe"}) {
        EXPECT_EQ(index.IsRunning(locale, path), IsProgramRunning(locale, running, path)) << path;
    }
    EXPECT_TRUE(index.IsRunning(locale, L"D:\\Any\\SETUP.TMP.EXE"));
    EXPECT_TRUE(index.IsRunning(locale, L"\\\\?\\C:\\Tools\\MY.TOOL.exe"));

    processes.fail = true;
    EXPECT_TRUE(ListRunningProcesses(processes).empty());
}

TEST(RemovableRecords, OnlyRecordsAddressedByTheirOwnNameCanBeRemoved) {
    StartupRecord record;
    record.Kind = kKindRegistry;
    record.Location = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    for (const std::wstring name : {L"", L"Tool", L"a\\b", L" spaced ", L"\u00e9\u4e2d"}) {
        record.EntryName = name;
        EXPECT_TRUE(CanBeRemoved(record)) << name;
    }
    record.EntryName = std::wstring(L"Tool\0x", 6);
    EXPECT_FALSE(CanBeRemoved(record));
    record.EntryName = std::wstring(L"\0", 1);
    EXPECT_FALSE(CanBeRemoved(record));

    record.Kind = kKindShortcut;
    record.Location = L"C:\\Startup";
    record.EntryName = L"Tool.lnk";
    EXPECT_TRUE(CanBeRemoved(record));
    for (const std::wstring& name : {std::wstring(), std::wstring(L"..\\x.lnk"),
                                     std::wstring(L"a/b.lnk"), std::wstring(L"a\0b.lnk", 7)}) {
        record.EntryName = name;
        EXPECT_FALSE(CanBeRemoved(record)) << name;
    }
    record.Kind = L"OTHER";
    record.EntryName = L"Tool.lnk";
    EXPECT_FALSE(CanBeRemoved(record));
}

class VersionStrings : public ::testing::Test {
protected:
    std::wstring Get(std::wstring_view blockText, std::wstring_view key) {
        const auto block = Utf16Block(blockText);
        return GetVersionString(locale, block, key);
    }
    fakes::FakeLocale locale;
};

TEST_F(VersionStrings, ValueAfterKeyAndAlignment) {
    // As a version resource lays them out: header words, key, NUL, padding, value, NUL.
    const std::wstring block = L"\x0034\x000A\x0001"s + L"CompanyName\0\0Acme Tools\0\0"s +
                               L"\x0040\x000C\x0001"s + L"FileDescription\0Acme Helper\0"s;
    EXPECT_EQ(Get(block, L"CompanyName"), L"Acme Tools");
    EXPECT_EQ(Get(block, L"FileDescription"), L"Acme Helper");
    EXPECT_EQ(Get(block, L"companyname"), L"Acme Tools");
    EXPECT_EQ(Get(block, L"ProductName"), L"");
}

TEST_F(VersionStrings, FirstOccurrenceWinsEvenWhenEmpty) {
    EXPECT_EQ(Get(L"CompanyName\0\0\0\0CompanyName\0\0Second\0"s, L"CompanyName"), L"");
    EXPECT_EQ(Get(L"COMPANYNAME\0\0First\0CompanyName\0\0Second\0"s, L"CompanyName"), L"First");
}

TEST_F(VersionStrings, NeverReadsPastTheBlock) {
    EXPECT_EQ(Get(L"CompanyName"s, L"CompanyName"), L"");
    EXPECT_EQ(Get(L"CompanyName\0"s, L"CompanyName"), L"");
    EXPECT_EQ(Get(L"CompanyName\0\0"s, L"CompanyName"), L"");
    EXPECT_EQ(Get(L"CompanyName\0\0Acme"s, L"CompanyName"), L"");
    EXPECT_EQ(Get(L"CompanyName\0\0Acme\0"s, L"CompanyName"), L"Acme");

    const std::vector<std::uint8_t> oneByte{0x43};
    EXPECT_EQ(GetVersionString(locale, oneByte, L"C"), L"");
    // An odd trailing byte is no character.
    auto odd = Utf16Block(L"CompanyName\0X\0"s);
    odd.push_back(0x41);
    EXPECT_EQ(GetVersionString(locale, odd, L"CompanyName"), L"X");
    // A block that is only a key prefix.
    EXPECT_EQ(Get(L"Company"s, L"CompanyName"), L"");
}

} // namespace
} // namespace vtrl::inventory
