#pragma once
// Interface texts from the language files: one Windows ".ini" file per language in the
// "Languages" folder beside the executable, looked up by section and key with English as the
// fallback.

#include "platform/platform.h"
#include "services/system_facts.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtrl::services {

inline constexpr wchar_t kProductName[] = L"Vantorel";
inline constexpr wchar_t kLanguagesFolderName[] = L"Languages";
inline constexpr wchar_t kEnglishLanguage[] = L"English";
inline constexpr wchar_t kEnglishFileName[] = L"English.ini";
inline constexpr wchar_t kTranslationReportName[] = L"temp.txt";
// Profile values are read through a buffer of this many characters, the NUL included.
inline constexpr std::size_t kIniReadBufferLength = 750;
// The platform's default font character set, used unless the language file names another.
inline constexpr std::int16_t kDefaultFontCharset = 1;

inline constexpr wchar_t kLanguagesMissingText[] = L"Languages not found! Reinstall program!";
inline constexpr wchar_t kTranslatedCompletelyText[] = L"Interface translated completely.";

// The language this process shows, chosen once at start-up and passed to every lookup.
struct Language {
    std::wstring LanguageFolder; // program folder + "\Languages"
    std::wstring LanguageName;   // the language file's base name, e.g. "German"
    std::int16_t FontCharset = kDefaultFontCharset;
};

// The language file of a language name in the language folder.
std::wstring LanguageFilePath(const Language& language, const std::wstring& languageName);

// The key's value in the file, at most 749 characters; empty when anything is missing.
std::wstring IniRead(platform::Platform& platform, const std::wstring& section,
                     const std::wstring& key, const std::wstring& file);

// The current language's text, else the English one, else a visible error text; never empty.
std::wstring GetText(platform::Platform& platform, const Language& language,
                     const std::wstring& section, const std::wstring& key);

// One row of the first-start table that maps the user's country to a language.
struct CountryLanguage {
    const wchar_t* country;
    bool substring; // the country name only has to contain the text
    const wchar_t* languageName;
};
const std::vector<CountryLanguage>& CountryLanguageTable();

// The language for a first start: English unless a row of the table matches the country and
// its file exists; a later matching row wins over an earlier one.
std::wstring LanguageForCountry(platform::FileSystem& files, const Language& language,
                                const std::wstring& country);

// The font character set a "CHARSET" text names: its integer part when it is a number that
// fits, otherwise the default.
std::int16_t FontCharsetFromText(const std::wstring& text);

// Chooses the language: checks the Languages folder, reads the saved language or derives one
// from the user's country on the first start and saves it, and reads the character set.
// nullopt means the user was told the language files are missing and the process must end.
std::optional<Language> ChooseLanguage(platform::Platform& platform, const SystemFacts& facts);

// The report of INTERFACE keys that each translation lacks, one header per non-English file;
// empty when English.ini is the only language file.
std::wstring TranslationReport(platform::Platform& platform, const Language& language);

// The "vexo" tool: writes the report to temp.txt in the data folder and opens it, or says that
// nothing is missing when there is no translation at all.
void CheckTranslation(platform::Platform& platform, const SystemFacts& facts,
                      const Language& language);

} // namespace vtrl::services
