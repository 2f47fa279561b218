// Outside text and pictures checked before use: spreadsheet formulas in CSV cells, characters
// that reorder a terminal line, web link queries, the browser fallback, download limits and
// bitmap files.

#include "cli/text_output.h"
#include "fakes/fake_platform.h"
#include "platform/ui/bitmap_file.h"
#include "services/icon_bitmap.h"
#include "services/system_facts.h"
#include "services/web_links.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace vtrl {
namespace {

TEST(CliCsvSafety, FormulaStartsGetAQuoteNumbersStayAsTheyAre) {
    cli::OutputRows rows;
    rows.names = {L"text", L"number"};
    rows.rows = {{cli::TextCell(L"=cmd|' /c calc'!A0"), cli::NumberCell(-5)},
                 {cli::TextCell(L"+1"), cli::NumberCell(3)},
                 {cli::TextCell(L"-2+3"), cli::NumberCell(0)},
                 {cli::TextCell(L"@SUM(A1)"), cli::NumberCell(0)},
                 {cli::TextCell(L"\t=1"), cli::NumberCell(0)},
                 {cli::TextCell(L"\r=1"), cli::NumberCell(0)},
                 {cli::TextCell(L"a=1"), cli::NumberCell(0)}};
    EXPECT_EQ(cli::RowsAsCsv(rows), "text,number\r\n"
                                    "'=cmd|' /c calc'!A0,-5\r\n"
                                    "'+1,3\r\n"
                                    "'-2+3,0\r\n"
                                    "'@SUM(A1),0\r\n"
                                    "'\t=1,0\r\n"
                                    "\"'\r=1\",0\r\n"
                                    "a=1,0\r\n");
}

TEST(CliTableSafety, DirectionControlsAndC1ShowAsEscapes) {
    cli::OutputRows rows;
    rows.names = {L"name"};
    rows.rows = {{cli::TextCell(L"abc\u202Eexe.txt")},
                 {cli::TextCell(L"\u2066x\u2069\u200E\u200F\u061C\u202A")},
                 {cli::TextCell(L"c1\u0085\u009B")},
                 {cli::TextCell(L"caf\u00e9")}};
    EXPECT_EQ(cli::RowsAsTable(rows), "name\r\n"
                                      "abc\\u202Eexe.txt\r\n"
                                      "\\u2066x\\u2069\\u200E\\u200F\\u061C\\u202A\r\n"
                                      "c1\\u0085\\u009B\r\n"
                                      "caf\xC3\xA9\r\n");
}

class WebLinkSafety : public ::testing::Test {
protected:
    WebLinkSafety() : facts(services::FrameworkStartup(fake.Get())) {
        facts.VersionText = L"3.51";
        facts.MachineId = L"0123456789ABCDEF";
        language.LanguageName = L"Fran\u00e7ais&x=1";
    }
    fakes::FakePlatform fake;
    services::SystemFacts facts;
    services::Language language;
};

TEST_F(WebLinkSafety, EveryQueryValueIsPercentEncoded) {
    EXPECT_EQ(services::WebLink(facts, language, L"C\u00f4te d'Ivoire", L"help", L"&q=a b&r"),
              std::wstring(services::kVendorWebEndpoint) +
                  L"?scn=VTRL&to=help&version=3.51&country=C%C3%B4te%20d%27Ivoire"
                  L"&pcid=0123456789ABCDEF&language=Fran%C3%A7ais%26x%3D1&q=a%20b&r");
}

// A high surrogate is paired only with the low one that follows it.
TEST_F(WebLinkSafety, PercentEncodingPairsOnlyRealSurrogatePairs) {
    const std::wstring text = {static_cast<wchar_t>(0xD800), static_cast<wchar_t>(0xD801),
                               static_cast<wchar_t>(0xDC00)};
    EXPECT_EQ(services::PercentEncode(text), L"%EF%BF%BD%F0%90%90%80");
}

TEST_F(WebLinkSafety, InternetExplorerFallbackIsQuoted) {
    fake.launcher.shellOpenSucceeds = false;
    fake.files.AddFile(services::kInternetExplorerPath, "MZ");
    services::OpenInBrowser(fake.Get(), L"https://x.example/?a=1");
    EXPECT_EQ(
        fake.launcher.started,
        std::vector<std::wstring>{
            L"\"C:\\Program Files\\Internet Explorer\\iexplore.exe\" \"https://x.example/?a=1\""});
}

TEST_F(WebLinkSafety, ReplyOverTheLimitIsAFailureNotATruncatedBody) {
    const std::wstring target = L"C:\\users\\tester\\reply.txt";
    fake.files.AddFolder(L"C:\\users\\tester");
    const std::wstring url = L"http://x.example/big";
    fake.http.bodies[url] = std::string(platform::kHttpReplyLimit + 1, 'a');
    EXPECT_FALSE(services::HttpGet(fake.Get(), url, target,
                                   static_cast<std::int32_t>(platform::kHttpReplyLimit)));
    EXPECT_FALSE(fake.files.FileExists(target));
    fake.http.bodies[url] = std::string(platform::kHttpReplyLimit, 'a');
    EXPECT_TRUE(services::HttpGet(fake.Get(), url, target,
                                  static_cast<std::int32_t>(platform::kHttpReplyLimit)));
}

TEST(IconBitmapNames, ReadingNamesNothingOutsideTheDataFolder) {
    EXPECT_EQ(services::IconBitmapPath(L"C:\\d", L"a.exe"), L"C:\\d\\a.exe.bmp");
    const std::vector<std::wstring> names = {L"", L"..\\..\\x", L"a/b", L"C:x",
                                             std::wstring(L"a\0b", 3)};
    for (const std::wstring& name : names) {
        EXPECT_EQ(services::IconBitmapPath(L"C:\\d", name), L"") << name.size();
    }
    EXPECT_EQ(services::IconBitmapPath(L"", L"a.exe"), L"");
}

// A bitmap file with the given header fields and room for its table and rows.
struct BitmapFields {
    std::int32_t width = 2;
    std::int32_t height = 2;
    std::uint32_t infoSize = 40;
    std::uint16_t planes = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::size_t tableEntries = 0;
    std::int64_t offsetShift = 0; // moves the stated pixel offset
    std::int64_t sizeShift = 0;   // grows or cuts the file
};

std::vector<std::uint8_t> MakeBitmap(const BitmapFields& fields) {
    const std::size_t stride =
        ((static_cast<std::size_t>(std::abs(fields.width)) * fields.bits + 31) / 32) * 4;
    const std::size_t rows = static_cast<std::size_t>(
        std::min<std::int64_t>(std::abs(static_cast<std::int64_t>(fields.height)), 64));
    const std::size_t offset = 14 + fields.infoSize + fields.tableEntries * 4;
    // Room for every field written below, even when the stated header is shorter.
    std::vector<std::uint8_t> file(std::max<std::size_t>(offset + stride * rows, 14 + 40), 0);
    const auto put32 = [&](std::size_t at, std::uint32_t value) {
        std::memcpy(&file[at], &value, 4);
    };
    const auto put16 = [&](std::size_t at, std::uint16_t value) {
        std::memcpy(&file[at], &value, 2);
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, static_cast<std::uint32_t>(static_cast<std::int64_t>(offset) + fields.offsetShift));
    put32(14, fields.infoSize);
    put32(18, static_cast<std::uint32_t>(fields.width));
    put32(22, static_cast<std::uint32_t>(fields.height));
    put16(26, fields.planes);
    put16(28, fields.bits);
    put32(30, fields.compression);
    put32(46, fields.coloursUsed);
    file.resize(
        static_cast<std::size_t>(static_cast<std::int64_t>(file.size()) + fields.sizeShift));
    return file;
}

TEST(BitmapFileCheck, WellFormedFilesPass) {
    auto layout = ui::CheckBitmapFile(MakeBitmap({}));
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->width, 2);
    EXPECT_EQ(layout->pixelOffset, 54u);
    EXPECT_EQ(layout->pixelBytes, 16u);
    // Top-down rows, a palette picture with its full table, a V5 header.
    EXPECT_TRUE(ui::CheckBitmapFile(MakeBitmap({.height = -2})));
    EXPECT_TRUE(ui::CheckBitmapFile(MakeBitmap({.bits = 8, .tableEntries = 256})));
    EXPECT_TRUE(ui::CheckBitmapFile(MakeBitmap({.bits = 8, .coloursUsed = 2, .tableEntries = 2})));
    EXPECT_TRUE(ui::CheckBitmapFile(MakeBitmap({.infoSize = 124})));
}

TEST(BitmapFileCheck, InconsistentOrAbsurdFilesAreRefused) {
    const std::pair<const char*, BitmapFields> refused[] = {
        {"core header", {.infoSize = 12}},
        {"unknown header size", {.infoSize = 41}},
        {"no width", {.width = 0}},
        {"negative width", {.width = -2}},
        {"no height", {.height = 0}},
        {"most negative height", {.height = INT32_MIN}},
        {"too wide", {.width = 5000}},
        {"too high", {.height = 5000}},
        {"two planes", {.planes = 2}},
        {"odd depth", {.bits = 7}},
        {"compressed", {.compression = 1}},
        {"table larger than the depth allows",
         {.bits = 8, .coloursUsed = 300, .tableEntries = 300}},
        {"table missing", {.bits = 8, .tableEntries = 0}},
        {"rows cut short", {.sizeShift = -1}},
        {"pixels inside the header", {.offsetShift = -2}},
        {"pixels beyond the end", {.offsetShift = 1000}},
    };
    for (const auto& [what, fields] : refused) {
        EXPECT_FALSE(ui::CheckBitmapFile(MakeBitmap(fields))) << what;
    }
    auto bad = MakeBitmap({});
    bad[0] = 'X';
    EXPECT_FALSE(ui::CheckBitmapFile(bad));
    // A header that claims more than the file holds.
    auto large = MakeBitmap({});
    const std::uint32_t huge = 0x7FFFFFFF;
    std::memcpy(&large[14], &huge, 4);
    EXPECT_FALSE(ui::CheckBitmapFile(large));
    EXPECT_FALSE(ui::CheckBitmapFile(std::vector<std::uint8_t>(53, 'B')));
}

} // namespace
} // namespace vtrl
