// Stored text that the ANSI code page cannot hold: written as UTF-8 with a byte-order mark,
// read back from every accepted form, with the reader telling clean files from damaged ones.

#include "decisions/decision_database.h"
#include "fakes/fake_platform.h"
#include "services/text_encoding.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

constexpr wchar_t kFile[] = L"C:\\d\\f.txt";
// "C:\Users\Łukasz" and a Chinese program name: neither fits a Western ANSI code page.
const std::wstring kPolish = L"C:\\Users\\\u0141ukasz\\tool.exe";
const std::wstring kChinese = L"\u8bb0\u4e8b\u672c.exe";

class TextEncodingTest : public ::testing::Test {
protected:
    TextEncodingTest() { fake.files.AddFolder(L"C:\\d"); }
    fakes::FakePlatform fake;
};

TEST_F(TextEncodingTest, AnsiWhenEverythingFitsUtf8WithMarkOtherwise) {
    ASSERT_TRUE(WriteTextLines(fake.files, fake.locale, kFile, {L"caf\u00e9", L"?"}));
    EXPECT_EQ(fake.files.Content(kFile), "caf\xe9\r\n?\r\n");

    ASSERT_TRUE(WriteTextLines(fake.files, fake.locale, kFile, {L"plain", kPolish, kChinese}));
    EXPECT_EQ(fake.files.Content(kFile),
              "\xEF\xBB\xBFplain\r\nC:\\Users\\\xC5\x81ukasz\\tool.exe\r\n"
              "\xE8\xAE\xB0\xE4\xBA\x8B\xE6\x9C\xAC.exe\r\n");
    const auto read = ReadTextFile(fake.files, fake.locale, kFile);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->lines, (std::vector<std::wstring>{L"plain", kPolish, kChinese}));
    EXPECT_EQ(read->encoding, TextEncoding::Utf8);
    EXPECT_TRUE(read->clean);
}

TEST_F(TextEncodingTest, ReadsUtf16EitherWayWithItsMark) {
    // "A\u0141" and a character outside the basic plane (a surrogate pair).
    fake.files.AddFile(kFile, std::string("\xFF\xFE"
                                          "A\0\x41\x01\r\0\n\0\x3D\xD8\x00\xDE",
                                          14));
    auto read = ReadTextFile(fake.files, fake.locale, kFile);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->encoding, TextEncoding::Utf16LittleEndian);
    EXPECT_TRUE(read->clean);
    ASSERT_EQ(read->lines.size(), 2u);
    EXPECT_EQ(read->lines[0], L"A\u0141");
    EXPECT_EQ(Utf8FromText(read->lines[1]), "\xF0\x9F\x98\x80");

    fake.files.AddFile(kFile, std::string("\xFE\xFF\0A\x01\x41", 6));
    read = ReadTextFile(fake.files, fake.locale, kFile);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->encoding, TextEncoding::Utf16BigEndian);
    EXPECT_EQ(read->lines, std::vector<std::wstring>{L"A\u0141"});
}

// A file the program did not write this way is read as well as it can be, and said to be so.
TEST_F(TextEncodingTest, BrokenOrForeignBytesAreNotClean) {
    const std::pair<std::string, TextEncoding> damaged[] = {
        {"\xEF\xBB\xBF"
         "a\xC5",
         TextEncoding::Utf8}, // cut-off sequence
        {"\xEF\xBB\xBF"
         "\xC0\xAF",
         TextEncoding::Utf8}, // overlong "/"
        {"\xEF\xBB\xBF"
         "\xED\xA0\x80",
         TextEncoding::Utf8}, // an encoded surrogate
        {std::string("\xFF\xFE"
                     "a\0b",
                     5),
         TextEncoding::Utf16LittleEndian},                                     // odd length
        {std::string("\xFF\xFE\x00\xDC", 4), TextEncoding::Utf16LittleEndian}, // lone half
        {std::string("a\0b\0", 4), TextEncoding::Ansi}, // UTF-16 without its mark
    };
    for (const auto& [bytes, encoding] : damaged) {
        fake.files.AddFile(kFile, bytes);
        const auto read = ReadTextFile(fake.files, fake.locale, kFile);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->encoding, encoding);
        EXPECT_FALSE(read->clean) << ::testing::PrintToString(bytes);
    }
    bool clean = true;
    EXPECT_EQ(TextFromUtf8("a\xFF"
                           "b",
                           clean),
              L"a\uFFFDb");
    EXPECT_FALSE(clean);
}

// Text whose ANSI bytes would begin like a byte-order mark is stored as UTF-8, so that it reads
// back as it was.
TEST_F(TextEncodingTest, AnsiThatLooksLikeAByteOrderMarkIsStoredAsUtf8) {
    for (const std::wstring first : {L"\u00ef\u00bb\u00bfx", L"\u00ff\u00fex", L"\u00fe\u00ffx"}) {
        ASSERT_TRUE(WriteTextLines(fake.files, fake.locale, kFile, {first, L"b"}));
        EXPECT_EQ(ReadTextLines(fake.files, fake.locale, kFile),
                  (std::vector<std::wstring>{first, L"b"}));
    }
}

TEST_F(TextEncodingTest, ExactConversionsReportLoss) {
    EXPECT_EQ(fake.locale.ToAnsiExact(L"caf\u00e9?"), "caf\xe9?");
    EXPECT_FALSE(fake.locale.ToAnsiExact(kPolish).has_value());
    EXPECT_EQ(EncodeText(fake.locale, L""), "");
    EXPECT_EQ(DecodeText(fake.locale, "").text, L"");
}

// A batch line that the OEM code page cannot hold would make cmd act on another path: nothing is
// written, and an older file stays as it was.
TEST_F(TextEncodingTest, BatchFileRefusesALineTheOemCodePageCannotHold) {
    const std::wstring batch = L"C:\\d\\x.bat";
    fake.files.AddFile(batch, "old");
    EXPECT_FALSE(WriteBatchLines(fake.files, fake.locale, batch, {L"rmdir \"" + kPolish + L"\""}));
    EXPECT_EQ(fake.files.Content(batch), "old");
    EXPECT_TRUE(WriteBatchLines(fake.files, fake.locale, batch, {L"Del \"J\u00fcrgen\""}));
    EXPECT_EQ(fake.files.Content(batch), "Del \"J\x81rgen\"\r\n");
}

// The decision of a program in a folder the ANSI code page cannot name still matches after a
// reload: before, the folder came back as "C:\users\?ukasz" and matched nothing.
TEST_F(TextEncodingTest, DecisionForAFolderOutsideTheAnsiCodePageMatchesAfterReload) {
    const std::wstring data = L"C:\\d";
    const std::wstring folder = L"c:\\users\\\u0142ukasz\\tools";
    decisions::Decisions saved;
    decisions::LoadDecisions(fake.Get().files, fake.Get().locale, data, saved);
    ASSERT_TRUE(decisions::SaveDecision(fake.Get(), data, saved, folder, kChinese, L"", true, true,
                                        decisions::kStatusRestricted));
    EXPECT_TRUE(fake.files.Content(decisions::DecisionFilePath(data))->starts_with("\xEF\xBB\xBF"));

    decisions::Decisions reloaded;
    decisions::LoadDecisions(fake.Get().files, fake.Get().locale, data, reloaded);
    inventory::StartupRecord record;
    record.ExeFolder = folder;
    record.ExeName = kChinese;
    EXPECT_EQ(decisions::LookupDecision(fake.locale, reloaded, record).Status,
              decisions::kStatusRestricted);
}

} // namespace
} // namespace vtrl::services
