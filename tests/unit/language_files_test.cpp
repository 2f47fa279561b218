// Checks the shipped language files themselves: every text the code asks for exists in English,
// every translation is complete, and each file is in the code page its character set expects.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRepository = fs::path(__FILE__).parent_path().parent_path().parent_path();
const fs::path kLanguages = kRepository / "Languages";

std::string ReadBytes(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// section -> key -> value, with section and key names in upper case, as the profile API
// compares them; comment lines are left out.
using IniContent = std::map<std::string, std::map<std::string, std::string>>;

IniContent ParseIni(const std::string& bytes) {
    IniContent content;
    std::string section;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == ';') {
            continue;
        }
        if (line[0] == '[') {
            section = Upper(line.substr(1, line.find(']') - 1));
            content[section];
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            content[section].emplace(Upper(line.substr(0, equals)), line.substr(equals + 1));
        }
    }
    return content;
}

std::vector<fs::path> LanguageFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kLanguages)) {
        if (entry.is_regular_file() && entry.path().extension() == ".ini") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// True when every byte above 0x7F belongs to a well-formed UTF-8 sequence.
bool IsUtf8(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = lead < 0x80                    ? 1
                           : lead >= 0xC2 && lead <= 0xDF ? 2
                           : lead >= 0xE0 && lead <= 0xEF ? 3
                           : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                          : 0;
        if (length == 0 || i + length > bytes.size()) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

// Every GetText call with a literal section and key anywhere in the program's sources.
std::set<std::pair<std::string, std::string>> TextsUsedInCode() {
    std::set<std::pair<std::string, std::string>> used;
    const std::regex literal(R"(L"([^"]*)\")");
    for (const auto& entry : fs::recursive_directory_iterator(kRepository / "src")) {
        const auto extension = entry.path().extension();
        if (!entry.is_regular_file() || (extension != ".cpp" && extension != ".h")) {
            continue;
        }
        const std::string source = ReadBytes(entry.path());
        for (std::size_t at = source.find("GetText("); at != std::string::npos;
             at = source.find("GetText(", at + 1)) {
            // The arguments up to the closing parenthesis of this call.
            std::size_t end = at + 8;
            for (int depth = 1; end < source.size() && depth > 0; ++end) {
                depth += source[end] == '(' ? 1 : source[end] == ')' ? -1 : 0;
            }
            const std::string arguments = source.substr(at + 8, end - at - 9);
            std::vector<std::string> literals;
            for (auto it = std::sregex_iterator(arguments.begin(), arguments.end(), literal);
                 it != std::sregex_iterator(); ++it) {
                literals.push_back((*it)[1]);
            }
            if (literals.size() >= 2) {
                used.emplace(literals[0], literals[1]);
            }
        }
    }
    return used;
}

TEST(LanguageFiles, EveryTextTheCodeAsksForIsInEnglish) {
    const IniContent english = ParseIni(ReadBytes(kLanguages / "English.ini"));
    const auto used = TextsUsedInCode();
    // The scan must see the calls we know of, or it proves nothing.
    EXPECT_TRUE(used.count({"UPDATES", "DAYSAGO"}));
    EXPECT_TRUE(used.count({"CHARSET", "CHARSET"}));
    for (const auto& [section, key] : used) {
        const auto found = english.find(Upper(section));
        ASSERT_NE(found, english.end()) << "section " << section << " missing from English.ini";
        const auto value = found->second.find(Upper(key));
        EXPECT_TRUE(value != found->second.end() && !value->second.empty())
            << section << "/" << key << " is used in the code but missing from English.ini";
    }
}

TEST(LanguageFiles, EnglishHasEveryDocumentedKey) {
    const std::map<std::string, std::vector<std::string>> documented = {
        {"CHARSET", {"CHARSET"}},
        {"UPDATES", {"RECENTUPDATECHECKWAS", "DAYSAGO", "CHECKUPDATESNOW"}},
        {"SHORTCUTS", {"TOSITE", "CHECK-UPD"}},
        {"UNINSTALL", {"R-U-SURE", "WHAT-ABOUT-SETTINGS", "REMOVED"}},
        {"SUBSCRIBER",
         {"FN", "LN", "ENTER-YOUR-EMAIL", "NEWSLETTER-INFO", "GET-FREE-UPDATES", "CANCEL-BUTTON",
          "SUBSCRIBE-BUTTON", "INVALID-NAME", "SHORT-EMAIL", "INVALID-EMAIL",
          "WRONG-SERVER-RESPONSE", "OK-SERVER-RESPONSE", "ALREADY-SERVER-RESPONSE"}},
        {"CIP", {"C1", "C2", "C3", "C4", "THANKS"}},
        {"INTERFACE",
         {"NORECORDS",
          "NOTADMIN",
          "DELETED",
          "AREYOUSURE",
          "AREYOUSUREUNDO",
          "CREATED",
          "RESTORED",
          "REC-UNKNOWN",
          "REC-OK",
          "REC-BLACK",
          "NOTIFY-NEW",
          "NOTIFY-DEL",
          "OK",
          "UNDO",
          "UNDODELETE",
          "YOUSHOULDUNDO",
          "CLEARLIST",
          "SHOWPAST7DAYS",
          "CREATEYOUROWN",
          "CREATE16",
          "CREATE17",
          "CREATE18",
          "CREATE19",
          "COMMAND13",
          "COMMAND15",
          "COMMAND16",
          "COMMAND17",
          "APPLY",
          "APPLYANDCLOSE",
          "SETTINGS",
          "MYDB",
          "MAIN1",
          "MAIN2",
          "CHECK3",
          "CHECK4",
          "CHECK5",
          "CHECK6",
          "CHECK7",
          "CHECK8",
          "CHECK9",
          "CHECK11",
          "OPTION1",
          "OPTION2",
          "OPTION3",
          "OPTION4",
          "OPTION5",
          "OPTION6",
          "OPTION7",
          "OPTION8",
          "OPTION9",
          "LABEL2",
          "LABEL4",
          "LABEL5",
          "LABEL6",
          "LABEL7",
          "LABEL14",
          "LABEL23"}},
    };
    const IniContent english = ParseIni(ReadBytes(kLanguages / "English.ini"));
    for (const auto& [section, keys] : documented) {
        for (const auto& key : keys) {
            const auto found = english.find(section);
            EXPECT_TRUE(found != english.end() && found->second.count(key) &&
                        !found->second.at(key).empty())
                << section << "/" << key << " missing from English.ini";
        }
    }
}

TEST(LanguageFiles, EveryTranslationIsComplete) {
    const IniContent english = ParseIni(ReadBytes(kLanguages / "English.ini"));
    const auto files = LanguageFiles();
    EXPECT_GE(files.size(), 9u) << "English and at least eight translations ship";
    for (const auto& file : files) {
        const IniContent translation = ParseIni(ReadBytes(file));
        for (const auto& [section, keys] : english) {
            for (const auto& [key, value] : keys) {
                const auto found = translation.find(section);
                EXPECT_TRUE(found != translation.end() && found->second.count(key) &&
                            !found->second.at(key).empty())
                    << file.filename() << " lacks " << section << "/" << key;
            }
        }
        // Nothing the English file does not know either: a misspelt key would never be read.
        for (const auto& [section, keys] : translation) {
            for (const auto& [key, value] : keys) {
                EXPECT_TRUE(english.count(section) && english.at(section).count(key))
                    << file.filename() << " has the unknown key " << section << "/" << key;
            }
        }
    }
}

TEST(LanguageFiles, CharsetAndCodePageAgree) {
    // Font character sets by Windows number, and the ANSI code page each file is written in.
    const std::map<std::string, std::string> charsets = {
        {"English", "0"},    {"German", "0"},   {"French", "0"},
        {"Spain", "0"},      {"Italian", "0"},  {"Dutch", "0"},
        {"Portuguese", "0"}, {"Polish", "238"}, {"Russian", "204"},
    };
    for (const auto& file : LanguageFiles()) {
        const std::string bytes = ReadBytes(file);
        const std::string name = file.stem().string();
        const IniContent content = ParseIni(bytes);
        const auto expected = charsets.find(name);
        ASSERT_NE(expected, charsets.end()) << "no character set known for " << name;
        EXPECT_EQ(content.at("CHARSET").at("CHARSET"), expected->second) << name;

        EXPECT_FALSE(bytes.starts_with("\xEF\xBB\xBF")) << name << " has a UTF-8 mark";
        EXPECT_EQ(bytes.find("\n"), bytes.find("\r\n") + 1) << name << " needs CR LF lines";
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'),
                  static_cast<long>(std::count(bytes.begin(), bytes.end(), '\r')))
            << name << " needs CR LF lines";
        // A single-byte code page: the accented letters are not UTF-8 sequences.
        const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii) {
            EXPECT_FALSE(IsUtf8(bytes)) << name << " looks like UTF-8";
        }
    }
    // Spot checks of the code pages: "ü" in 1252, "ł" in 1250, "О" in 1251.
    EXPECT_NE(ReadBytes(kLanguages / "German.ini").find("\xFC"), std::string::npos);
    EXPECT_NE(ReadBytes(kLanguages / "Polish.ini").find("\xB3"), std::string::npos);
    EXPECT_NE(ReadBytes(kLanguages / "Russian.ini").find("OK=\xCE\xCA\r\n"), std::string::npos);
}

TEST(LanguageFiles, EveryLanguageHasAFlagPicture) {
    for (const auto& file : LanguageFiles()) {
        fs::path flag = file;
        flag.replace_extension(".jpg");
        const std::string bytes = ReadBytes(flag);
        EXPECT_TRUE(bytes.starts_with("\xFF\xD8\xFF")) << flag.filename() << " is no JPEG";
        EXPECT_LT(bytes.size(), 8192u) << flag.filename() << " is not small";
    }
}

} // namespace
