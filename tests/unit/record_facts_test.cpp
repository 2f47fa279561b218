// The facts of one record, from a scan of the fake profile: a Run value, a shortcut, a record
// whose program is missing, and two records of one program.

#include "inventory/inventory_scan.h"
#include "inventory/record_facts.h"
#include "inventory/startup_approved_value.h"
#include "inventory/version_string.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

#include <map>

namespace vtrl::inventory {
namespace {

using platform::Hive;
using namespace std::string_literals;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kMachineRun32[] =
    L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

// The English texts the facts use, as the language file has them.
const std::map<std::wstring, std::wstring>& EnglishTexts() {
    static const std::map<std::wstring, std::wstring> texts = {
        {L"FACTS-LOCATION", L"Location"},
        {L"FACTS-VALUENAME", L"Value name"},
        {L"FACTS-FILENAME", L"File name"},
        {L"FACTS-COMMANDLINE", L"Command line"},
        {L"FACTS-PROGRAM", L"Program"},
        {L"FACTS-DESCRIPTION", L"Description"},
        {L"FACTS-COMPANY", L"Company"},
        {L"FACTS-VERSION", L"Version"},
        {L"FACTS-SIZE", L"Size"},
        {L"FACTS-MODIFIED", L"Modified"},
        {L"FACTS-RUNNING", L"Running now"},
        {L"FACTS-SIGNATURE", L"Signature"},
        {L"FACTS-ALSO", L"Also started from"},
        {L"FACTS-YES", L"Yes"},
        {L"FACTS-NO", L"No"},
        {L"FACTS-NONE", L"(none)"},
        {L"FACTS-UNKNOWN", L"(unknown)"},
        {L"FACTS-BYTES", L"%1 bytes"},
        {L"FACTS-KB", L"%1 KB (%2 bytes)"},
        {L"FACTS-ALLUSERS", L"%1 for all users"},
        {L"FACTS-ALLUSERS64", L"%1 for all users (64-bit)"},
        {L"FACTS-ALLUSERS32", L"%1 for all users (32-bit)"},
        {L"FACTS-YOURS", L"Your %1"},
        {L"REC-NOTFOUND", L"File not found"},
        {L"PLACE-REGISTRY", L"Run key"},
        {L"PLACE-SHORTCUT", L"Startup folder"},
        {L"SIGVERIFIED", L"Verified:"},
        {L"SIGNOTVERIFIED", L"Not verified"},
        {L"SIGNOTSIGNED", L"Not signed"},
    };
    return texts;
}

std::wstring English(const std::wstring& key) {
    const auto found = EnglishTexts().find(key);
    return found == EnglishTexts().end() ? L"?" + key : found->second;
}

// A version block whose fixed part says 2.5.1024.7, behind the header Windows writes.
std::vector<std::uint8_t> VersionBlock() {
    // Its length, the fixed part's length (52), its type, the key, then alignment to 32 bits.
    std::vector<std::uint8_t> block = {0x5C, 0x03, 0x34, 0x00, 0x00, 0x00};
    const auto key = testing::Utf16Block(L"VS_VERSION_INFO\0"s);
    block.insert(block.end(), key.begin(), key.end());
    block.insert(block.end(), {0x00, 0x00});
    for (const std::uint32_t word : {0xFEEF04BDu, 0x00010000u, 0x00020005u, 0x04000007u}) {
        for (int shift = 0; shift < 32; shift += 8) {
            block.push_back(static_cast<std::uint8_t>(word >> shift));
        }
    }
    const auto strings = testing::Utf16Block(L"CompanyName\0\0Acme\0\0FileVersion\0\0 9.9\0"s);
    block.insert(block.end(), strings.begin(), strings.end());
    return block;
}

class RecordFactsTest : public ::testing::Test {
protected:
    void SetRunAt(Hive hive, const std::wstring& key, const std::wstring& name,
                  const std::wstring& command) {
        ASSERT_TRUE(fake.registry.CreateKey(hive, key));
        ASSERT_TRUE(fake.registry.SetValue(hive, key, name,
                                           {platform::kRegSz, services::EncodeRegSz(command)}));
    }
    void AddShortcut(const std::wstring& folder, const std::wstring& name,
                     const std::wstring& target, const std::wstring& arguments) {
        fake.files.AddFile(folder + L"\\" + name, "L");
        fake.links.readable[fakes::FoldCase(folder + L"\\" + name)] = {target, arguments};
    }
    void Scan() {
        ASSERT_EQ(ScanStartupRecords(fake.Get(), facts, inventory, {.readOnly = true}),
                  ScanOutcome::Records);
    }
    // The facts as "Field=value" lines, the labels checked apart.
    std::vector<std::wstring> Values(int index) {
        std::vector<std::wstring> lines;
        for (const RecordFact& fact : RecordFacts(fake.Get(), facts, inventory, index, English)) {
            lines.push_back(std::wstring(fact.field) + L"=" + fact.value);
        }
        return lines;
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts = testing::FakeProfileFacts();
    StartupInventory inventory;
};

TEST_F(RecordFactsTest, RunValueOfTheMachinesThirtyTwoBitView) {
    fake.files.AddFile(L"C:\\Tools\\TrayHelper.exe", std::string(12345, 'x'));
    fake.files.SetLastWriteTime(L"C:\\Tools\\TrayHelper.exe", FileTimeOfUtc({2026, 3, 4, 5, 6, 7}));
    fake.version.blocks[fakes::FoldCase(L"C:\\Tools\\TrayHelper.exe")] = VersionBlock();
    fake.processes.Start(L"C:\\Tools\\TrayHelper.exe");
    SetRunAt(Hive::LocalMachine, kMachineRun32, L"Tray Helper", L"C:\\Tools\\TrayHelper.exe /min");
    Scan();
    EXPECT_EQ(Values(0),
              (std::vector<std::wstring>{
                  L"Location=Run key for all users (32-bit): "
                  L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion"
                  L"\\Run",
                  L"EntryName=Tray Helper", L"CommandLine=C:\\Tools\\TrayHelper.exe /min",
                  L"ProgramPath=C:\\Tools\\TrayHelper.exe", L"Description=(none)", L"Company=Acme",
                  L"Version=2.5.1024.7", L"Size=13 KB (12345 bytes)",
                  // The fake zone is an hour ahead of UTC.
                  L"Modified=3/4/2026 6:06:07 AM", L"Running=Yes", L"Signature=Not signed",
                  L"AlsoStartedFrom="}));
    const auto labelled = RecordFacts(fake.Get(), facts, inventory, 0, English);
    ASSERT_EQ(labelled.size(), 12u);
    EXPECT_EQ(labelled[0].label, L"Location");
    EXPECT_EQ(labelled[1].label, L"Value name");
    EXPECT_EQ(labelled[9].label, L"Running now");
    EXPECT_EQ(labelled[11].label, L"Also started from");
    EXPECT_TRUE(RecordFacts(fake.Get(), facts, inventory, 1, English).empty());
    EXPECT_TRUE(RecordFacts(fake.Get(), facts, inventory, -1, English).empty());
}

TEST_F(RecordFactsTest, ShortcutInTheUsersStartupFolder) {
    fake.files.AddFile(L"C:\\Tools\\agent.exe", std::string(800, 'x'));
    AddShortcut(facts.StartupFolder, L"Agent.lnk", L"C:\\Tools\\agent.exe", L"-q");
    Scan();
    EXPECT_EQ(
        Values(0),
        (std::vector<std::wstring>{
            L"Location=Your Startup folder: " + facts.StartupFolder, L"EntryName=Agent.lnk",
            L"CommandLine=\"C:\\Tools\\agent.exe\" -q", L"ProgramPath=C:\\Tools\\agent.exe",
            L"Description=(none)", L"Company=(none)", L"Version=(none)", L"Size=800 bytes",
            L"Modified=(unknown)", L"Running=No", L"Signature=Not signed", L"AlsoStartedFrom="}));
    EXPECT_EQ(RecordFacts(fake.Get(), facts, inventory, 0, English)[1].label, L"File name");
}

TEST_F(RecordFactsTest, MissingProgramSaysSoForEveryFileFact) {
    SetRunAt(Hive::CurrentUser, kRunKey, L"Gone", L"\"C:\\Old\\gone.exe\" --tray");
    Scan();
    EXPECT_EQ(Values(0),
              (std::vector<std::wstring>{
                  L"Location=Your Run key: "
                  L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                  L"EntryName=Gone", L"CommandLine=\"C:\\Old\\gone.exe\" --tray",
                  L"ProgramPath=File not found: C:\\OLD\\gone.exe", L"Description=File not found",
                  L"Company=File not found", L"Version=File not found", L"Size=File not found",
                  L"Modified=File not found", L"Running=No", L"Signature=File not found",
                  L"AlsoStartedFrom="}));
}

TEST_F(RecordFactsTest, TwoRecordsOfOneProgramNameEachOther) {
    fake.files.AddFile(L"C:\\Tools\\sync.exe", "12");
    fake.files.AddFile(L"C:\\Tools\\other.exe", "12");
    SetRunAt(Hive::LocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"Sync",
             L"C:\\Tools\\sync.exe");
    SetRunAt(Hive::CurrentUser, kRunKey, L"Other", L"C:\\Tools\\other.exe");
    AddShortcut(facts.CommonStartupFolder, L"Sync.lnk", L"C:\\TOOLS\\SYNC.EXE", L"/again");
    Scan();
    ASSERT_EQ(inventory.LastRecordIndex, 2);
    const auto also = [&](int index) {
        return RecordFacts(fake.Get(), facts, inventory, index, English).back().value;
    };
    EXPECT_EQ(also(0), L"Startup folder for all users: Sync.lnk");
    EXPECT_EQ(also(1), L"");
    EXPECT_EQ(also(2), L"Run key for all users (64-bit): Sync");
}

TEST(RecordFactWords, SizesAndPlaceholders) {
    EXPECT_EQ(SizeText(0, English), L"0 bytes");
    EXPECT_EQ(SizeText(1023, English), L"1023 bytes");
    EXPECT_EQ(SizeText(1024, English), L"1 KB (1024 bytes)");
    EXPECT_EQ(SizeText(1025, English), L"2 KB (1025 bytes)");
    EXPECT_EQ(SizeText(5'000'000'000ULL, English), L"4882813 KB (5000000000 bytes)");
    // A translation that lost its placeholders still shows the numbers.
    const auto bare = [](const std::wstring&) { return std::wstring(L"KB"); };
    EXPECT_EQ(SizeText(2048, bare), L"KB 2 2048");
}

TEST(RecordFactWords, FileVersionPrefersTheFixedPart) {
    fakes::FakeLocale locale;
    EXPECT_EQ(FileVersionText(locale, VersionBlock()), L"2.5.1024.7");
    EXPECT_EQ(FileVersionText(locale, testing::Utf16Block(L"FileVersion\0\0 9.9\0"s)), L" 9.9");
    EXPECT_EQ(FileVersionText(locale, {}), L"");
    // A signature without the two numbers after it is no fixed part.
    auto cut = VersionBlock();
    cut.resize(40 + 12);
    EXPECT_EQ(FileVersionText(locale, cut), L"");
}

} // namespace
} // namespace vtrl::inventory
