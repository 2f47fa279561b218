// The console companion's output formats: CSV quoting as RFC 4180 has it, JSON escaping that a
// parser reads back exactly, UTF-8 of every plane, and a table that stays aligned with accented
// and East Asian text.

#include "cli/record_output.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace vtrl::cli {
namespace {

using inventory::StartupRecord;

StartupRecord Sample() {
    StartupRecord record;
    record.InUse = true;
    record.Kind = inventory::kKindRegistry;
    record.Location = L"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    record.EntryName = L"Tray";
    record.CommandLine = L"\"C:\\Tools\\tray.exe\" -a";
    record.ExeFolder = L"C:\\TOOLS";
    record.ExeName = L"tray.exe";
    record.Arguments = L"-a";
    record.Company = L"Sample";
    record.Description = L"Tray helper";
    record.FileSize = 1234;
    record.IsRunning = true;
    record.Found = true;
    record.ValueType = L"REG_SZ";
    return record;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", from)) {
        lines.push_back(text.substr(from, at - from));
        from = at + 2;
    }
    EXPECT_EQ(from, text.size()) << "the text does not end with CR LF";
    return lines;
}

TEST(CliUtf8, EncodesEveryLengthAndReplacesBrokenSurrogates) {
    EXPECT_EQ(ToUtf8(L"A\u00e9\u20ac"), "A\xC3\xA9\xE2\x82\xAC");
    // U+1F600 as a surrogate pair where wchar_t has 16 bits, as one unit where it has 32.
    std::wstring emoji;
    if constexpr (sizeof(wchar_t) == 2) {
        emoji = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    } else {
        emoji = {static_cast<wchar_t>(0x1F600)};
    }
    EXPECT_EQ(ToUtf8(emoji), "\xF0\x9F\x98\x80");
    const std::wstring lone = {L'a', static_cast<wchar_t>(0xD800), L'b',
                               static_cast<wchar_t>(0xDC00)};
    EXPECT_EQ(ToUtf8(lone), "a\xEF\xBF\xBD"
                            "b\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(std::wstring(1, L'\0')), std::string(1, '\0'));
}

TEST(CliCsv, QuotesOnlyWhatNeedsIt) {
    EXPECT_EQ(CsvField(L"plain text"), "plain text");
    EXPECT_EQ(CsvField(L""), "");
    EXPECT_EQ(CsvField(L"a,b"), "\"a,b\"");
    EXPECT_EQ(CsvField(L"say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(CsvField(L"two\r\nlines"), "\"two\r\nlines\"");
    EXPECT_EQ(CsvField(L"lf\nonly"), "\"lf\nonly\"");
    EXPECT_EQ(CsvField(L"caf\u00e9"), "caf\xC3\xA9");
}

TEST(CliCsv, HeaderThenOneRowPerRecord) {
    StartupRecord second = Sample();
    second.EntryName = L"Comma, \"quoted\"";
    second.IsRunning = false;
    second.ViaRundll = true;
    second.Found = false;
    second.Launcher = L"C:\\windows\\system32\\rundll32.exe";
    second.HijackRisk = true;
    second.ValueType = L"REG_EXPAND_SZ";
    second.Opener = L"C:\\S\\x.vbs";
    second.HiddenFile = true;
    second.EnabledInWindows = false;
    second.DisabledSince = 0x01DD87C2B3BE9600; // 2026-12-09 09:50:20 UTC
    const std::vector<StartupRecord> records = {Sample(), second};
    const auto lines = Lines(FormatCsv(records));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Kind,Location,EntryName,CommandLine,ExeFolder,ExeName,Arguments,Company,"
                        "Description,FileSize,IsRunning,ViaRundll,Found,Launcher,HijackRisk,"
                        "ValueType,Signer,Verified,SignatureStatus,Sha256,Opener,HiddenFile,"
                        "SystemFile,NeedsAdministrator,EnabledInWindows,DisabledSince");
    EXPECT_EQ(lines[1], "REGISTRY,HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion"
                        "\\Run,Tray,\"\"\"C:\\Tools\\tray.exe\"\" -a\",C:\\TOOLS,tray.exe,'-a,"
                        "Sample,Tray helper,1234,true,false,true,,false,REG_SZ,,false,Not signed,,,"
                        "false,false,false,true,");
    EXPECT_NE(lines[2].find(",\"Comma, \"\"quoted\"\"\","), std::string::npos) << lines[2];
    EXPECT_TRUE(
        lines[2].ends_with(",1234,false,true,false,C:\\windows\\system32\\rundll32.exe,true,"
                           "REG_EXPAND_SZ,,false,Not signed,,C:\\S\\x.vbs,true,false,false,false,"
                           "2026-12-09T09:50:20Z"))
        << lines[2];
}

TEST(CliJson, EscapesQuotesBackslashesAndControlCharacters) {
    EXPECT_EQ(JsonString(L"C:\\a \"b\""), "\"C:\\\\a \\\"b\\\"\"");
    EXPECT_EQ(JsonString(L"\t\n\r\b\f"), "\"\\t\\n\\r\\b\\f\"");
    EXPECT_EQ(JsonString(std::wstring{L'\x01', L'\x1f', L'\0'}), "\"\\u0001\\u001f\\u0000\"");
    // DEL and everything above ASCII stay as they are, in UTF-8.
    EXPECT_EQ(JsonString(L"\x7f\u00fc\u4e2d"), "\"\x7f\xC3\xBC\xE4\xB8\xAD\"");
    EXPECT_EQ(JsonString(L"/"), "\"/\"");
}

TEST(CliJson, ArrayOfObjectsWithTypedValues) {
    const std::vector<StartupRecord> records = {Sample()};
    const std::string json = FormatJson(records);
    EXPECT_EQ(json.front(), '[');
    EXPECT_TRUE(json.ends_with("]\r\n"));
    EXPECT_NE(json.find("\"FileSize\": 1234,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"IsRunning\": true,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"ViaRundll\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"Found\": true,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"HijackRisk\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"ValueType\": \"REG_SZ\","), std::string::npos) << json;
    EXPECT_NE(json.find("\"Verified\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"Sha256\": \"\","), std::string::npos) << json;
    EXPECT_NE(json.find("\"HiddenFile\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"SystemFile\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"NeedsAdministrator\": false,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"EnabledInWindows\": true,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"DisabledSince\": \"\"}"), std::string::npos) << json;
    EXPECT_NE(json.find("\"CommandLine\": \"\\\"C:\\\\Tools\\\\tray.exe\\\" -a\""),
              std::string::npos)
        << json;
    for (const std::wstring_view name : RecordFieldNames()) {
        EXPECT_NE(json.find("\"" + ToUtf8(name) + "\": "), std::string::npos) << ToUtf8(name);
    }
    // Two records: one separating comma between the objects, none after the last.
    const std::vector<StartupRecord> two = {Sample(), Sample()};
    const auto lines = Lines(FormatJson(two));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(lines[1].ends_with("},"));
    EXPECT_TRUE(lines[2].ends_with("}"));
    EXPECT_EQ(FormatJson({}), "[]\r\n");
}

TEST(CliTable, ColumnsAlignWithWideAndAccentedText) {
    StartupRecord accented = Sample();
    accented.EntryName = L"\u00c9t\u00e9"; // three columns, five bytes
    StartupRecord wide = Sample();
    wide.EntryName = L"\u4e2d\u6587"; // four columns
    StartupRecord combining = Sample();
    combining.EntryName = L"e\u0301t"; // two columns
    const std::vector<StartupRecord> records = {accented, wide, combining};
    const auto lines = Lines(FormatTable(records));
    ASSERT_EQ(lines.size(), 4u);
    // The CommandLine column starts at the same display column on every line.
    const auto columnOf = [](const std::string& line, const std::string& text) {
        const std::size_t at = line.find(text);
        EXPECT_NE(at, std::string::npos) << line;
        std::wstring before;
        for (std::size_t i = 0; i < at;) {
            // Decode just enough UTF-8 to measure the prefix.
            const auto lead = static_cast<unsigned char>(line[i]);
            const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
            std::uint32_t code = length == 1 ? lead : lead & (0x3F >> (length - 1));
            for (std::size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
            }
            before += static_cast<wchar_t>(code);
            i += length;
        }
        return DisplayWidth(before);
    };
    const std::size_t header = columnOf(lines[0], "CommandLine");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(columnOf(lines[i], "\"C:\\Tools"), header) << lines[i];
    }
    EXPECT_TRUE(lines[0].ends_with("DisabledSince")) << "no padding after the last column";
}

TEST(CliTable, ControlCharactersNeverBreakARow) {
    StartupRecord record = Sample();
    record.CommandLine = L"a\r\nb\tc";
    const std::vector<StartupRecord> records = {record};
    const auto lines = Lines(FormatTable(records));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("a\xEF\xBF\xBD\xEF\xBF\xBD"
                            "b\xEF\xBF\xBD"
                            "c"),
              std::string::npos);
}

TEST(CliRecords, OnlyLiveSlotsInSlotOrder) {
    inventory::StartupInventory inventory;
    inventory.Records[0].EntryName = L"first";
    inventory.Records[1].EntryName = L"second";
    inventory.Records[2].EntryName = L"stale"; // free, kept from an earlier scan
    inventory.LastRecordIndex = 1;
    const auto live = LiveRecords(inventory);
    ASSERT_EQ(live.size(), 2u);
    EXPECT_EQ(live[1].EntryName, L"second");
    inventory.LastRecordIndex = -1;
    EXPECT_TRUE(LiveRecords(inventory).empty());
    // Grown past the initial slots.
    inventory.Records.resize(150);
    inventory.LastRecordIndex = 149;
    EXPECT_EQ(LiveRecords(inventory).size(), 150u);
}

} // namespace
} // namespace vtrl::cli
