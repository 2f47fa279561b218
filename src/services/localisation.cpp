#include "services/localisation.h"

#include "services/plain_file_name.h"
#include "services/settings_keys.h"
#include "services/settings_store.h"
#include "services/text_file.h"
#include "services/web_links.h"

#include <cmath>
#include <cwctype>
#include <limits>

namespace vtrl::services {

namespace {

constexpr wchar_t kInterfaceSection[] = L"INTERFACE";
constexpr wchar_t kInterfaceHeader[] = L"[INTERFACE]";
constexpr wchar_t kReportRule[] = L"=================";
constexpr wchar_t kCrLf[] = L"\r\n";

bool IsBlank(wchar_t character) {
    return character == L' ' || character == L'\t';
}

// A decimal number with blanks around it, an optional sign and an optional fraction or
// exponent, as a number test accepts it; nullopt for anything else.
std::optional<double> ParseNumber(const std::wstring& text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) {
        ++at;
    }
    std::size_t end = text.size();
    while (end > at && IsBlank(text[end - 1])) {
        --end;
    }
    const std::wstring number = text.substr(at, end - at);
    if (number.empty()) {
        return std::nullopt;
    }
    std::size_t i = 0;
    if (number[i] == L'+' || number[i] == L'-') {
        ++i;
    }
    std::size_t digits = 0;
    while (i < number.size() && std::iswdigit(number[i])) {
        ++i;
        ++digits;
    }
    if (i < number.size() && number[i] == L'.') {
        ++i;
        while (i < number.size() && std::iswdigit(number[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (i < number.size() && (number[i] == L'e' || number[i] == L'E')) {
        ++i;
        if (i < number.size() && (number[i] == L'+' || number[i] == L'-')) {
            ++i;
        }
        std::size_t exponentDigits = 0;
        while (i < number.size() && std::iswdigit(number[i])) {
            ++i;
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (i != number.size()) {
        return std::nullopt;
    }
    return std::wcstod(number.c_str(), nullptr);
}

// Ends the process after the user has read the message.
std::nullopt_t Refuse(platform::Platform& platform, const std::wstring& text) {
    platform.messages.Show(text, kProductName, platform::MessageIcon::Error,
                           platform::MessageButtons::Ok);
    return std::nullopt;
}

} // namespace

std::wstring LanguageFilePath(const Language& language, const std::wstring& languageName) {
    return language.LanguageFolder + L"\\" + languageName + L".ini";
}

std::wstring IniRead(platform::Platform& platform, const std::wstring& section,
                     const std::wstring& key, const std::wstring& file) {
    std::wstring value =
        platform.ini.ReadString(section, platform.locale.ToLower(key), file, kIniReadBufferLength);
    if (value.size() > kIniReadBufferLength - 1) {
        value.resize(kIniReadBufferLength - 1);
    }
    return value;
}

std::wstring GetText(platform::Platform& platform, const Language& language,
                     const std::wstring& section, const std::wstring& key) {
    std::wstring value =
        IniRead(platform, section, key, LanguageFilePath(language, language.LanguageName));
    if (value.empty()) {
        value = IniRead(platform, section, key, LanguageFilePath(language, kEnglishLanguage));
    }
    if (value.empty()) {
        value = language.LanguageName + L" error, text not found: " + section + L", " + key;
    }
    return value;
}

const std::vector<CountryLanguage>& CountryLanguageTable() {
    static const std::vector<CountryLanguage> table = {
        {L"Russia", false, L"Russian"},
        {L"France", false, L"French"},
        {L"Spain", false, L"Spain"},
        {L"Indonesia", false, L"Indonesian"},
        {L"Netherlands", false, L"Dutch"},
        {L"Germany", false, L"German"},
        {L"People's Republic of China", false, L"Chinese"},
        {L"Italy", false, L"Italian"},
        {L"Saudi Arabia", false, L"Arabic"},
        {L"Egypt", false, L"Arabic"},
        {L"Norway", false, L"Norwegian"},
        {L"Korea", true, L"Korean"},
        {L"Brazil", false, L"Portuguese"},
        {L"Portugal", false, L"Portuguese"},
        {L"Turkey", false, L"Turkish"},
        {L"Japan", false, L"Japanese"},
        {L"Sweden", false, L"Swedish"},
        {L"Finland", false, L"Finnish"},
        {L"Poland", false, L"Polish"},
    };
    return table;
}

std::wstring LanguageForCountry(platform::FileSystem& files, const Language& language,
                                const std::wstring& country) {
    std::wstring chosen = kEnglishLanguage;
    for (const CountryLanguage& row : CountryLanguageTable()) {
        const bool matches = row.substring ? country.find(row.country) != std::wstring::npos
                                           : country == row.country;
        if (matches && files.FileExists(LanguageFilePath(language, row.languageName))) {
            chosen = row.languageName;
        }
    }
    return chosen;
}

std::int16_t FontCharsetFromText(const std::wstring& text) {
    const std::optional<double> number = ParseNumber(text);
    if (!number) {
        return kDefaultFontCharset;
    }
    const double whole = std::floor(*number);
    if (whole < std::numeric_limits<std::int16_t>::min() ||
        whole > std::numeric_limits<std::int16_t>::max()) {
        return kDefaultFontCharset;
    }
    return static_cast<std::int16_t>(whole);
}

std::optional<Language> ChooseLanguage(platform::Platform& platform, const SystemFacts& facts) {
    Language language;
    const std::wstring folder = facts.ProgramFolder + L"\\" + kLanguagesFolderName;
    if (!platform.files.FolderExists(folder)) {
        return Refuse(platform, kLanguagesMissingText);
    }
    language.LanguageFolder = folder;

    language.LanguageName =
        GetSetting(platform.registry, kAppKey, kSettingsSection, kLanguageSetting);
    if (!language.LanguageName.empty()) {
        // The setting is writable by any process of the user; a name that is not one file in
        // "Languages" (a path, a stream, a device) counts as a missing language file.
        if (!IsPlainFileName(language.LanguageName) ||
            !platform.files.FileExists(LanguageFilePath(language, language.LanguageName))) {
            const std::wstring text = L"Language file " + language.LanguageName +
                                      L" not found! Restart/reinstall program!";
            platform.messages.Show(text, kProductName, platform::MessageIcon::Error,
                                   platform::MessageButtons::Ok);
            // The next start then finds a language that exists.
            SaveSetting(platform.registry, kAppKey, kSettingsSection, kLanguageSetting,
                        kEnglishLanguage);
            return std::nullopt;
        }
    } else {
        language.LanguageName =
            LanguageForCountry(platform.files, language, GetCountryName(platform.locale));
        SaveSetting(platform.registry, kAppKey, kSettingsSection, kLanguageSetting,
                    language.LanguageName);
    }

    language.FontCharset = FontCharsetFromText(GetText(platform, language, L"CHARSET", L"CHARSET"));
    return language;
}

std::wstring TranslationReport(platform::Platform& platform, const Language& language) {
    const std::wstring englishFile = LanguageFilePath(language, kEnglishLanguage);
    const std::vector<std::wstring> englishLines =
        ReadTextLines(platform.files, platform.locale, englishFile)
            .value_or(std::vector<std::wstring>{});
    std::wstring report;
    for (const platform::FolderEntry& entry :
         platform.files.ListFolder(language.LanguageFolder, L"*.ini")) {
        if ((entry.attributes & platform::kAttributeDirectory) != 0 ||
            entry.name == kEnglishFileName) {
            continue;
        }
        const std::wstring baseName =
            entry.name.size() > 4 ? entry.name.substr(0, entry.name.size() - 4) : std::wstring();
        report += std::wstring(kReportRule) + L" " + platform.locale.ToUpper(baseName) + L" " +
                  kReportRule + kCrLf;
        const std::wstring file = language.LanguageFolder + L"\\" + entry.name;
        bool inInterface = false;
        for (const std::wstring& line : englishLines) {
            if (line.empty()) {
                continue;
            }
            if (line.front() == L'[') {
                inInterface = line == kInterfaceHeader;
                continue;
            }
            const auto equals = line.find(L'=');
            if (!inInterface || equals == std::wstring::npos) {
                continue;
            }
            const std::wstring key = line.substr(0, equals);
            if (key != L";" && IniRead(platform, kInterfaceSection, key, file).empty()) {
                report +=
                    key + L"=" + IniRead(platform, kInterfaceSection, key, englishFile) + kCrLf;
            }
        }
        report += kCrLf;
    }
    return report;
}

void CheckTranslation(platform::Platform& platform, const SystemFacts& facts,
                      const Language& language) {
    const std::wstring report = TranslationReport(platform, language);
    if (report.empty()) {
        platform.messages.Show(kTranslatedCompletelyText, kProductName, platform::MessageIcon::None,
                               platform::MessageButtons::Ok);
        return;
    }
    const std::wstring path = facts.DataFolder + L"\\" + kTranslationReportName;
    if (!platform.files.ReplaceAll(path, EncodeText(platform.locale, report + kCrLf))) {
        return;
    }
    // The short form keeps blanks out of the command the browser is started with; a volume
    // without short names gets the path as it is.
    std::wstring shortPath = GetShortPath(platform.folders, path);
    OpenInBrowser(platform, shortPath.empty() ? path : shortPath);
}

} // namespace vtrl::services
