// The exact copy kept beside the backup-and-log file: its file format, how a removal writes it
// and a restore puts back the same type and bytes, and every way a copy that does not belong to
// the entry (or cannot be read) falls back to writing from the log's lines.

#include "decision_test_support.h"
#include "decisions/backup_log.h"
#include "decisions/record_copy.h"
#include "decisions/record_removal.h"
#include "decisions/record_restore.h"
#include "inventory_test_support.h"
#include "services/registry_access.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace vtrl::decisions {
namespace {

using platform::Hive;
using testing::kDataFolder;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kStartup[] = L"C:\\users\\tester\\Start Menu\\Programs\\Startup";
// Mixed case and a variable, as an installer writes a REG_EXPAND_SZ value.
constexpr wchar_t kExpandCommand[] = L"\"%ProgramFiles%\\Mixed Case\\Tool.EXE\" -Min";

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(RecordCopyFormatTest, RoundTripKeepsEveryCharacterAndByte) {
    RecordCopy copy;
    copy.Kind = L"REGISTRY";
    copy.FullLocation = L"HKEY_CURRENT_USER\\Run\\Tool  two";
    copy.RemovedAt = L"12/8/2026 5:34:07 AM";
    // A line break, a lone surrogate and a character outside every ANSI code page.
    copy.content.exactLocation =
        std::wstring(L"HKEY_CURRENT_USER\\Run\\Tool\r\ntwo") + wchar_t(0xD800) + wchar_t(0x4E2D);
    copy.content.valueType = platform::kRegExpandSz;
    copy.content.attributes = 0x12345678;
    copy.content.data = std::string("a\0b\xff\xfe", 5);
    EXPECT_EQ(ParseRecordCopy(FormatRecordCopy(copy)), copy);

    const RecordCopy empty;
    EXPECT_EQ(ParseRecordCopy(FormatRecordCopy(empty)), empty);
}

TEST(RecordCopyFormatTest, DamagedFilesReadAsNoCopy) {
    RecordCopy copy{L"SHORTCUT", L"C:\\s\\a.lnk", L"now", {L"C:\\s\\a.lnk", 0, 0x21, "LNKDATA"}};
    const std::string whole = FormatRecordCopy(copy);
    // Every cut-short file, and one with a byte too many.
    for (std::size_t size = 0; size < whole.size(); ++size) {
        EXPECT_FALSE(ParseRecordCopy(whole.substr(0, size))) << size;
    }
    EXPECT_FALSE(ParseRecordCopy(whole + "x"));
    // Another mark, another format number, a count far beyond the file, a text of odd length.
    std::string damaged = whole;
    damaged[0] = 'X';
    EXPECT_FALSE(ParseRecordCopy(damaged));
    damaged = whole;
    damaged[8] = 2;
    EXPECT_FALSE(ParseRecordCopy(damaged));
    damaged = whole;
    damaged.replace(12, 4, "\xff\xff\xff\xff");
    EXPECT_FALSE(ParseRecordCopy(damaged));
    damaged = whole;
    damaged[12] = static_cast<char>(damaged[12] + 1);
    EXPECT_FALSE(ParseRecordCopy(damaged));
}

TEST(RecordCopyFormatTest, OneFilePerPlaceComparedAsTheLogComparesPlaces) {
    fakes::FakeLocale locale;
    const std::wstring place = L"HKEY_CURRENT_USER\\" + std::wstring(kRunKey) + L"\\Tool";
    const std::wstring path = RecordCopyPath(locale, kDataFolder, L"REGISTRY", place);
    EXPECT_EQ(path.substr(0, path.rfind(L'\\')), std::wstring(kDataFolder) + L"\\Backups");
    EXPECT_EQ(path.size() - path.rfind(L'\\'), std::wstring(L"\\0123456789abcdef.bin").size());
    EXPECT_EQ(RecordCopyPath(locale, kDataFolder, L"REGISTRY", locale.ToUpper(place)), path);
    EXPECT_NE(RecordCopyPath(locale, kDataFolder, L"SHORTCUT", place), path);
    EXPECT_NE(RecordCopyPath(locale, kDataFolder, L"REGISTRY", place + L"2"), path);
}

class RecordCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.fake.registry.CreateKey(Hive::CurrentUser, kRunKey);
        fixture.fake.files.AddFolder(kStartup);
        facts.DataFolder = kDataFolder;
    }
    platform::Platform& P() { return fixture.Get(); }
    void SetValue(const std::wstring& name, std::uint32_t type,
                  const std::vector<std::uint8_t>& data) {
        ASSERT_TRUE(fixture.fake.registry.SetValue(Hive::CurrentUser, kRunKey, name, {type, data}));
    }
    std::optional<platform::RegistryValue> Value(const std::wstring& name) {
        return fixture.fake.registry.QueryValue(Hive::CurrentUser, kRunKey, name);
    }
    static inventory::StartupRecord Record(const std::wstring& kind, const std::wstring& location,
                                           const std::wstring& name) {
        inventory::StartupRecord record;
        record.InUse = true;
        record.Kind = kind;
        record.Location = location;
        record.EntryName = name;
        record.CommandLine = kExpandCommand;
        record.ExeFolder = L"c:\\program files\\mixed case";
        record.ExeName = L"tool.exe";
        record.Arguments = L"-min";
        return record;
    }
    static inventory::StartupRecord RunRecord(const std::wstring& name) {
        return Record(L"REGISTRY", L"HKEY_CURRENT_USER\\" + std::wstring(kRunKey), name);
    }
    std::vector<BackupEntry> Logged() {
        const auto lines =
            services::ReadTextLines(P().files, P().locale, BackupLogPath(kDataFolder));
        return lines ? ParseBackupLines(*lines) : std::vector<BackupEntry>{};
    }
    // Removes the Run value "Tool" (ASSERTs inside a helper stop only the helper): its entry.
    BackupEntry RemoveTool() {
        EXPECT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
        const auto logged = Logged();
        EXPECT_EQ(logged.size(), 1u);
        return logged.empty() ? BackupEntry{} : logged.back();
    }
    std::wstring CopyPathOf(const BackupEntry& entry) {
        return RecordCopyPath(P().locale, kDataFolder, entry.Kind, entry.FullLocation);
    }
    RestoreOutcome Restore(const BackupEntry& entry) {
        return RestoreRemovedRecord(P(), facts, decisions, entry);
    }

    testing::DecisionFixture fixture;
    services::SystemFacts facts = inventory::testing::FakeProfileFacts(false);
    Decisions decisions;
    const std::vector<std::uint8_t> expandData =
        inventory::testing::Utf16Block(std::wstring(kExpandCommand) + L'\0');
};

// The case: a REG_EXPAND_SZ value in mixed case with a variable comes back as it was,
// and its command starts with the variable expanded.
TEST_F(RecordCopyTest, ExpandValueRestoredWithItsTypeAndBytes) {
    SetValue(L"Tool", platform::kRegExpandSz, expandData);
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
    ASSERT_FALSE(Value(L"Tool"));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);

    const RestoreOutcome outcome = Restore(logged[0]);
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    const auto value = Value(L"Tool");
    ASSERT_TRUE(value);
    EXPECT_EQ(value->type, platform::kRegExpandSz);
    EXPECT_EQ(value->data, expandData);
    EXPECT_EQ(fixture.fake.launcher.started,
              std::vector<std::wstring>{L"\"C:\\Program Files\\Mixed Case\\Tool.EXE\" -Min"});
    EXPECT_TRUE(outcome.approved);
}

// Data no text reading keeps: no terminating NUL, an odd byte, a binary type.
TEST_F(RecordCopyTest, RawDataOfAnyTypeComesBackUnchanged) {
    const std::vector<std::uint8_t> odd = Bytes(std::string("c\0:\0\\\0x", 7));
    SetValue(L"Odd", platform::kRegSz, odd);
    SetValue(L"Bin", platform::kRegBinary, Bytes("\x01\x02"));
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Odd")));
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Bin")));
    for (const BackupEntry& entry : Logged()) {
        EXPECT_TRUE(Restore(entry).exactCopy);
    }
    EXPECT_EQ(Value(L"Odd")->data, odd);
    EXPECT_EQ(Value(L"Bin")->type, platform::kRegBinary);
    EXPECT_EQ(Value(L"Bin")->data, Bytes("\x01\x02"));
}

TEST_F(RecordCopyTest, ShortcutFileRestoredWithItsBytesAndAttributes) {
    const std::wstring link = std::wstring(kStartup) + L"\\Tool.lnk";
    const std::string bytes("L\0\0\0\x01\x14\x02\0hotkey-icon-workdir", 27);
    fixture.fake.files.AddFile(link, bytes);
    fixture.fake.files.SetAttributes(link,
                                     platform::kAttributeReadOnly | platform::kAttributeArchive);
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, Record(L"SHORTCUT", kStartup, L"Tool.lnk")));
    ASSERT_FALSE(fixture.fake.files.FileExists(link));

    const RestoreOutcome outcome = Restore(Logged().at(0));
    EXPECT_TRUE(outcome.exactCopy);
    EXPECT_TRUE(outcome.recordWritten);
    EXPECT_EQ(fixture.fake.files.Content(link), bytes);
    EXPECT_EQ(fixture.fake.files.FileAttributes(link),
              platform::kAttributeReadOnly | platform::kAttributeArchive);
    EXPECT_TRUE(fixture.fake.links.created.empty()) << "written back, not re-created";

    // A read-only shortcut already in the way is replaced all the same.
    fixture.fake.files.AddFile(link, "other");
    fixture.fake.files.SetAttributes(link, platform::kAttributeReadOnly);
    EXPECT_TRUE(Restore(Logged().at(0)).recordWritten);
    EXPECT_EQ(fixture.fake.files.Content(link), bytes);
}

// A copy that is not the entry's own is never used: the entry restores as entries always did.
TEST_F(RecordCopyTest, CopyOfAnotherRemovalOrDamagedCopyFallsBackToTheLog) {
    SetValue(L"Tool", platform::kRegExpandSz, expandData);
    const BackupEntry entry = RemoveTool();
    const std::wstring copyPath = CopyPathOf(entry);
    ASSERT_TRUE(fixture.fake.files.FileExists(copyPath));
    const std::string good = *fixture.fake.files.Content(copyPath);

    BackupEntry older = entry;
    older.RemovedAt = L"1/1/2020 0:00:00 AM"; // an earlier removal of the same place
    BackupEntry edited = entry;
    edited.FullLocation += L"2";
    RecordCopy elsewhere = *ParseRecordCopy(good);
    elsewhere.content.exactLocation = L"HKEY_CURRENT_USER\\" + std::wstring(kRunKey) + L"\\Evil";
    for (const auto& [what, tried, bytes] :
         std::vector<std::tuple<const char*, BackupEntry, std::string>>{
             {"older entry", older, good},
             {"other place", edited, good},
             {"cut short", entry, good.substr(0, good.size() - 1)},
             {"random bytes", entry, "\x13\x37"},
             {"copy pointing elsewhere", entry, FormatRecordCopy(elsewhere)}}) {
        SCOPED_TRACE(what);
        fixture.fake.files.ReplaceAll(copyPath, bytes);
        fixture.fake.registry.DeleteValue(Hive::CurrentUser, kRunKey, L"Tool");
        const RestoreOutcome outcome = Restore(tried);
        EXPECT_FALSE(outcome.exactCopy);
        EXPECT_TRUE(outcome.recordWritten);
        const auto name = tried.FullLocation.substr(tried.FullLocation.rfind(L'\\') + 1);
        const auto value = Value(name);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, platform::kRegSz);
        EXPECT_EQ(services::DecodeRegSz(value->data), kExpandCommand);
        EXPECT_FALSE(Value(L"Evil"));
    }
}

// When the copy cannot be written nothing is deleted and the log stays as it was; when the log
// cannot be written after it, the copy of the earlier removal is back in place.
TEST_F(RecordCopyTest, NothingIsRemovedWithoutItsCopy) {
    SetValue(L"Tool", platform::kRegExpandSz, expandData);
    fixture.fake.files.AddFolder(RecordCopyFolder(kDataFolder));
    fixture.fake.files.MakeReadOnly(RecordCopyFolder(kDataFolder));
    EXPECT_FALSE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
    EXPECT_TRUE(Value(L"Tool"));
    EXPECT_FALSE(fixture.fake.files.FileExists(BackupLogPath(kDataFolder)));
}

TEST_F(RecordCopyTest, LogThatCannotBeWrittenPutsTheEarlierCopyBack) {
    SetValue(L"Tool", platform::kRegExpandSz, expandData);
    const BackupEntry first = RemoveTool();
    const std::wstring copyPath = CopyPathOf(first);
    const auto firstCopy = fixture.fake.files.Content(copyPath);

    SetValue(L"Tool", platform::kRegSz, Bytes(std::string_view("x\0\0", 4)));
    fixture.fake.clock.now.minute += 1;
    fixture.fake.files.MakeReadOnly(kDataFolder);
    EXPECT_FALSE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
    EXPECT_TRUE(Value(L"Tool"));
    EXPECT_EQ(fixture.fake.files.Content(copyPath), firstCopy);
    EXPECT_EQ(Logged(), std::vector<BackupEntry>{first});
    EXPECT_TRUE(FindRecordCopy(P().files, P().locale, kDataFolder, first));
}

// A place that is already gone is logged as before, and an older copy of it no longer counts.
TEST_F(RecordCopyTest, PlaceWithoutContentIsLoggedWithoutACopy) {
    SetValue(L"Tool", platform::kRegExpandSz, expandData);
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
    fixture.fake.clock.now.minute += 1;
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_FALSE(FindRecordCopy(P().files, P().locale, kDataFolder, logged[0]));
    EXPECT_TRUE(fixture.fake.files.ListFolder(RecordCopyFolder(kDataFolder), L"*").empty());
    EXPECT_FALSE(Restore(logged[0]).exactCopy);
    EXPECT_EQ(Value(L"Tool")->type, platform::kRegSz);
}

TEST_F(RecordCopyTest, ClearingTheLogClearsTheCopies) {
    SetValue(L"Tool", platform::kRegExpandSz, expandData);
    ASSERT_TRUE(RemoveStartupRecord(P(), kDataFolder, RunRecord(L"Tool")));
    ASSERT_EQ(fixture.fake.files.ListFolder(RecordCopyFolder(kDataFolder), L"*").size(), 1u);
    ASSERT_TRUE(ClearBackupLog(P().files, P().locks, kDataFolder));
    EXPECT_TRUE(fixture.fake.files.ListFolder(RecordCopyFolder(kDataFolder), L"*").empty());
    EXPECT_FALSE(fixture.fake.files.FileExists(BackupLogPath(kDataFolder)));
}

} // namespace
} // namespace vtrl::decisions
