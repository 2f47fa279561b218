// Hand-off files between the check cycle and the popup process: names that never collide, exact
// content, and a reading side that cannot be steered outside the data folder.

#include "decision_test_support.h"
#include "monitor/hand_off.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vtrl::monitor {
namespace {

using decisions::testing::kDataFolder;

class HandOffFiles : public ::testing::Test {
protected:
    HandOffFiles() { fake.files.AddFolder(kDataFolder); }
    std::wstring PathOf(const std::wstring& name) const {
        return std::wstring(kDataFolder) + L"\\" + name;
    }

    fakes::FakePlatform fake;
};

TEST_F(HandOffFiles, WrittenAsTwoAnsiLinesUnderADigitsOnlyName) {
    const auto name = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\caf\u00e9 tools", L"t.exe"});
    ASSERT_TRUE(name);
    EXPECT_FALSE(name->empty());
    EXPECT_TRUE(std::all_of(name->begin(), name->end(), [](wchar_t c) {
        return c >= L'0' && c <= L'9';
    })) << *name;
    EXPECT_EQ(fake.files.Content(PathOf(*name)), std::string("c:\\caf\xe9 tools\r\nt.exe\r\n"));
}

TEST_F(HandOffFiles, WritesInTheSameSecondGetTheirOwnFiles) {
    std::set<std::wstring> names;
    for (int i = 0; i < 3; ++i) {
        const auto name = WriteHandOffFile(fake.Get(), kDataFolder,
                                           {L"c:\\p", L"tool" + std::to_wstring(i) + L".exe"});
        ASSERT_TRUE(name);
        names.insert(*name);
        EXPECT_EQ(fake.files.Content(PathOf(*name)),
                  "c:\\p\r\ntool" + std::to_string(i) + ".exe\r\n");
    }
    EXPECT_EQ(names.size(), 3u);
}

TEST_F(HandOffFiles, AnExistingFileIsNeverOverwritten) {
    // Whatever name the first write picks is taken by another process before the second write.
    const auto first = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p", L"a.exe"});
    ASSERT_TRUE(first);
    fake.files.Remove(PathOf(*first));
    fake.files.AddFile(PathOf(*first), "someone else's");
    const auto second = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p", L"b.exe"});
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
    EXPECT_EQ(fake.files.Content(PathOf(*first)), std::string("someone else's"));
}

TEST_F(HandOffFiles, AFolderOfTheSameNameIsSkipped) {
    const auto first = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p", L"a.exe"});
    ASSERT_TRUE(first);
    fake.files.Remove(PathOf(*first));
    fake.files.AddFolder(PathOf(*first));
    const auto second = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p", L"b.exe"});
    ASSERT_TRUE(second);
    EXPECT_NE(*second, *first);
}

TEST_F(HandOffFiles, UnwritableFolderGivesNoNameAndLeavesNothing) {
    fake.files.MakeReadOnly(kDataFolder);
    const std::size_t before = fake.files.FileCount();
    EXPECT_FALSE(WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p", L"a.exe"}));
    EXPECT_EQ(fake.files.FileCount(), before);
}

TEST(HandOffName, EveryOccurrenceOfTheWordIsRemovedCaseSensitively) {
    EXPECT_EQ(HandOffNameIn(L"notifi12345", services::kRemovalWord), L"12345");
    EXPECT_EQ(HandOffNameIn(L"unknown0.3", services::kReminderWord), L"0.3");
    EXPECT_EQ(HandOffNameIn(L"notifi12notifi34notifi", services::kRemovalWord), L"1234");
    EXPECT_EQ(HandOffNameIn(L"NOTIFI1 notifi2", services::kRemovalWord), L"NOTIFI1 2");
    EXPECT_EQ(HandOffNameIn(L"notifi", services::kRemovalWord), L"");
}

TEST(HandOffName, OnlyTheWritersDigitsOnlyShapeIsAccepted) {
    for (const std::wstring name : {L"7", L"12345", L"202612080930001", L"202612080930001000"}) {
        EXPECT_TRUE(IsHandOffName(name)) << name;
    }
    // Other files of the data folder, paths, devices, streams and digits in disguise.
    for (const std::wstring name :
         {L"", L"ActionsDB.txt", L"BackupAndLog.txt", L"fileerror.txt", L"tool.exe.bmp", L"0.3",
          L"12 34", L"12345 ", L"..\\12345", L"C:\\12345", L"12:stream", L"CON", L"nul",
          L"1234567890123456789", L"\uFF11\uFF12", L"\u0661\u0662"}) {
        EXPECT_FALSE(IsHandOffName(name)) << name;
    }
    EXPECT_FALSE(IsHandOffName(std::wstring(L"12\0..\\x", 7)));
}

TEST_F(HandOffFiles, TheLongestWrittenNameIsAcceptedByTheReader) {
    fake.clock.now = {9999, 12, 31, 23, 59, 59};
    const std::wstring stem = L"99991231235959";
    for (int sequence = 1; sequence < kHandOffNameAttempts; ++sequence) {
        fake.files.AddFile(PathOf(stem + std::to_wstring(sequence)), "taken");
    }
    const auto name = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p", L"q.exe"});
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, stem + std::to_wstring(kHandOffNameAttempts));
    EXPECT_TRUE(IsHandOffName(*name)) << *name;
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, *name),
              (HandOff{L"c:\\p", L"q.exe"}));
}

TEST_F(HandOffFiles, DataFilesNamedOnTheCommandLineStayByteIdentical) {
    const std::string actions = "c:\\tools\r\ntool.exe\r\n\r\nY\r\nY\r\n2\r\n";
    for (const wchar_t* name : {L"ActionsDB.txt", L"BackupAndLog.txt"}) {
        fake.files.AddFile(PathOf(name), actions);
        EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, name),
                  std::nullopt)
            << name;
        EXPECT_EQ(fake.files.Content(PathOf(name)), actions) << name;
    }
}

TEST_F(HandOffFiles, TakeReadsTheTwoLinesAndDeletesTheFile) {
    fake.files.AddFile(PathOf(L"12345"), "c:\\tools\r\ntool.exe\r\nextra line\r\n");
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, L"12345"),
              (HandOff{L"c:\\tools", L"tool.exe"}));
    EXPECT_FALSE(fake.files.FileExists(PathOf(L"12345")));
}

TEST_F(HandOffFiles, TakeRoundTripsWhatTheWriterWrote) {
    const auto name = WriteHandOffFile(fake.Get(), kDataFolder, {L"c:\\p q", L"r.exe"});
    ASSERT_TRUE(name);
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, *name),
              (HandOff{L"c:\\p q", L"r.exe"}));
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, *name),
              std::nullopt);
}

TEST_F(HandOffFiles, MissingOrShortFilesGiveNothingAndStay) {
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, L"999"),
              std::nullopt);
    fake.files.AddFile(PathOf(L"1"), "c:\\tools\r\n");
    fake.files.AddFile(PathOf(L"2"), "");
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, L"1"),
              std::nullopt);
    EXPECT_EQ(TakeHandOffFile(fake.Get().files, fake.Get().locale, kDataFolder, L"2"),
              std::nullopt);
    EXPECT_TRUE(fake.files.FileExists(PathOf(L"1")));
    EXPECT_TRUE(fake.files.FileExists(PathOf(L"2")));
}

// Records every path the reading side asks about, so a refused name is seen never to reach the
// file system at all (the fake does not resolve "..", Windows does).
class TouchedFiles final : public platform::FileSystem {
public:
    explicit TouchedFiles(fakes::FakeFileSystem& inner) : inner_(inner) {}
    bool FileExists(const std::wstring& path) override {
        return Touch(path), inner_.FileExists(path);
    }
    bool FolderExists(const std::wstring& path) override {
        return Touch(path), inner_.FolderExists(path);
    }
    bool CreateFolder(const std::wstring& path) override {
        return Touch(path), inner_.CreateFolder(path);
    }
    std::optional<std::string> ReadAll(const std::wstring& path) override {
        Touch(path);
        return inner_.ReadAll(path);
    }
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override {
        Touch(path);
        return inner_.ReplaceAll(path, bytes);
    }
    bool CreateNewEmpty(const std::wstring& path) override {
        return Touch(path), inner_.CreateNewEmpty(path);
    }
    bool Remove(const std::wstring& path) override { return Touch(path), inner_.Remove(path); }
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
        Touch(path);
        return inner_.FileSize(path);
    }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override {
        Touch(folder);
        return inner_.ListFolder(folder, pattern);
    }
    std::vector<std::wstring> touched;

private:
    void Touch(const std::wstring& path) { touched.push_back(path); }
    fakes::FakeFileSystem& inner_;
};

TEST_F(HandOffFiles, NamesOutsideTheDataFolderNeverReachTheFileSystem) {
    TouchedFiles files{fake.files};
    platform::Platform watched{
        fake.registry, files,      fake.folders,     fake.links,      fake.locale,
        fake.version,  fake.clock, fake.processes,   fake.ini,        fake.messages,
        fake.launcher, fake.http,  fake.icons,       fake.sound,      fake.desktop,
        fake.changes,  fake.locks, fake.environment, fake.signatures, fake.clipboard};
    for (const std::wstring name :
         {L"..\\x", L"..\\..\\..\\..\\x", L"C:\\x", L"../x", L"CON", L""}) {
        EXPECT_EQ(TakeHandOffFile(watched.files, watched.locale, kDataFolder, name), std::nullopt)
            << name;
    }
    EXPECT_EQ(files.touched, std::vector<std::wstring>{});
    // The same gate lets a plain name through to exactly one file in the folder.
    fake.files.AddFile(PathOf(L"7"), "c:\\p\r\nq.exe\r\n");
    EXPECT_TRUE(TakeHandOffFile(watched.files, watched.locale, kDataFolder, L"7"));
    for (const std::wstring& path : files.touched) {
        EXPECT_EQ(path, PathOf(L"7"));
    }
}

} // namespace
} // namespace vtrl::monitor
