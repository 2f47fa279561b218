#include "fakes/fake_platform.h"
#include "services/error_log.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

class ErrorLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts.DataFolder = L"C:\\data\\VTRL1";
        facts.VersionText = L"1.00";
        fake.files.AddFolder(facts.DataFolder);
    }
    std::optional<std::string> Marker() {
        return fake.files.Content(L"C:\\data\\VTRL1\\fileerror.txt");
    }

    fakes::FakePlatform fake;
    SystemFacts facts;
};

TEST_F(ErrorLogTest, WritesOneLineAndReplacesAnOldMarker) {
    fake.files.AddFile(L"C:\\data\\VTRL1\\fileerror.txt", "x|ver:0.90|SCROLLCHANGE\r\nstale\r\n");
    TraceStep(fake.Get().files, fake.Get().locale, facts, kStepExtractFileIcon);
    EXPECT_EQ(Marker(), "x|ver:1.00|EXTRACTFILEICON\r\n");
    TraceStep(fake.Get().files, fake.Get().locale, facts, kStepPlayingSound);
    EXPECT_EQ(Marker(), "x|ver:1.00|PLAYINGSOUND\r\n");
}

TEST_F(ErrorLogTest, EmptyStepClearsTheMarker) {
    TraceStep(fake.Get().files, fake.Get().locale, facts, kStepActivating);
    TraceStep(fake.Get().files, fake.Get().locale, facts, L"");
    EXPECT_FALSE(Marker().has_value());
    TraceStep(fake.Get().files, fake.Get().locale, facts, L""); // nothing to clear: nothing happens
    EXPECT_FALSE(Marker().has_value());
}

TEST_F(ErrorLogTest, MissingOrLockedFolderIsSwallowed) {
    facts.DataFolder = L"C:\\nowhere";
    TraceStep(fake.Get().files, fake.Get().locale, facts, kStepFileProperties);
    EXPECT_FALSE(fake.files.FileExists(L"C:\\nowhere\\fileerror.txt"));

    facts.DataFolder = L"C:\\data\\VTRL1";
    fake.files.MakeReadOnly(facts.DataFolder);
    TraceStep(fake.Get().files, fake.Get().locale, facts, kStepFileProperties);
    EXPECT_FALSE(Marker().has_value());
}

TEST(TextFile, LinesEndWithCrLfInTheAnsiCodePage) {
    fakes::FakePlatform fake;
    fake.files.AddFolder(L"C:\\d");
    ASSERT_TRUE(
        WriteTextLines(fake.files, fake.locale, L"C:\\d\\f.txt", {L"caf\u00e9", L"", L"b"}));
    EXPECT_EQ(fake.files.Content(L"C:\\d\\f.txt"), "caf\xe9\r\n\r\nb\r\n");
    const auto lines = ReadTextLines(fake.files, fake.locale, L"C:\\d\\f.txt");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, (std::vector<std::wstring>{L"caf\u00e9", L"", L"b"}));
    EXPECT_FALSE(ReadTextLines(fake.files, fake.locale, L"C:\\d\\missing.txt").has_value());
}

TEST(TextFile, SplitsEveryLineEnding) {
    EXPECT_EQ(SplitLines(L"a\r\nb\rc\nd"), (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(SplitLines(L"a\r\n\r\n"), (std::vector<std::wstring>{L"a", L""}));
    EXPECT_TRUE(SplitLines(L"").empty());
}

} // namespace
} // namespace vtrl::services

namespace vtrl::fakes {
namespace {

TEST(FakeFiles, ListingMatchesPatternsAndKeepsSpelling) {
    FakeFileSystem files;
    files.AddFile(L"C:\\S\\One.lnk", "12345");
    files.AddFile(L"C:\\S\\two.LNK", "");
    files.AddFile(L"C:\\S\\three.txt", "x");
    files.AddFile(L"C:\\S\\deeper\\four.lnk", "");
    files.SetAttributes(L"C:\\S\\two.LNK", platform::kAttributeHidden);
    const auto entries = files.ListFolder(L"c:\\s", L"*.lnk");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, L"One.lnk");
    EXPECT_EQ(entries[0].size, 5u);
    EXPECT_EQ(entries[1].name, L"two.LNK");
    EXPECT_EQ(entries[1].attributes, platform::kAttributeHidden);
    EXPECT_EQ(files.FileSize(L"C:\\s\\ONE.LNK"), 5u);
}

} // namespace
} // namespace vtrl::fakes
