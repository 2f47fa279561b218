// Language files: any bytes in English.ini and a translation give texts taken from those files
// (or the visible error text), never longer than the read buffer, and a translation report that
// names only keys the translation lacks.
//
// What this covers, plainly: the reading itself is the fake profile reader's (tests/fakes), as
// the program reads language files only through the profile API. So the product code exercised
// here is what sits on top of it - GetText's fallback from the translation to English to the
// error text, the font charset rule, the translation report and the "vexo" file - judged against
// the reads the fake gives. The real reader, GetPrivateProfileStringW, is exercised on damaged
// files under Wine (case 69 and the localisation tests there), not here.

#include "fuzz_support.h"
#include "services/localisation.h"
#include "services/text_file.h"

#include <cmath>
#include <string>

namespace {

constexpr wchar_t kTranslationName[] = L"German";

// The file's text as each of the two readers sees it: the profile reader byte for byte (the fake
// knows no byte-order mark), the translation report through the program's own text decoder.
struct FileText {
    std::wstring raw;
    std::wstring decoded;
    bool Holds(const std::wstring& part) const {
        return vtrl::fuzz::Contains(raw, part) || vtrl::fuzz::Contains(decoded, part);
    }
};

// Every character a read returns comes from the file, in one piece.
void CheckRead(const std::wstring& value, const FileText& fileText) {
    VTRL_FUZZ_CHECK(value.size() <= vtrl::services::kIniReadBufferLength - 1);
    VTRL_FUZZ_CHECK(fileText.Holds(value));
    VTRL_FUZZ_CHECK(value.find_first_of(L"\r\n") == std::wstring::npos);
}

void CheckCharset(const std::wstring& text) {
    const std::int16_t charset = vtrl::services::FontCharsetFromText(text);
    // A plain whole number in range is taken as it is.
    if (!text.empty() && text.size() <= 6 &&
        text.find_first_not_of(L"0123456789") == std::wstring::npos) {
        const long number = std::stol(text);
        VTRL_FUZZ_CHECK(charset ==
                        (number <= 32767 ? number : vtrl::services::kDefaultFontCharset));
    }
}

// Each report block is a header for one translation and "key=English text" lines for keys that
// the translation does not have.
void CheckReport(vtrl::fakes::FakePlatform& fake, const vtrl::services::Language& language,
                 const FileText& englishText, const std::wstring& report) {
    const std::wstring translationFile =
        vtrl::services::LanguageFilePath(language, kTranslationName);
    const std::wstring header = L"================= GERMAN =================";
    VTRL_FUZZ_CHECK(report.starts_with(header + L"\r\n"));
    VTRL_FUZZ_CHECK(report.ends_with(L"\r\n\r\n"));
    const std::vector<std::wstring> lines =
        vtrl::services::SplitLines(report.substr(header.size() + 2));
    for (const std::wstring& line : lines) {
        if (line.empty()) {
            continue;
        }
        const std::size_t equals = line.find(L'=');
        VTRL_FUZZ_CHECK(equals != std::wstring::npos);
        const std::wstring key = line.substr(0, equals);
        VTRL_FUZZ_CHECK(englishText.Holds(key + L"="));
        VTRL_FUZZ_CHECK(
            vtrl::services::IniRead(fake.Get(), L"INTERFACE", key, translationFile).empty());
        CheckRead(line.substr(equals + 1), englishText);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    vtrl::fakes::FakePlatform fake;
    const vtrl::services::SystemFacts facts = vtrl::fuzz::ProfileFacts();
    vtrl::services::Language language;
    language.LanguageFolder = facts.ProgramFolder + L"\\" + vtrl::services::kLanguagesFolderName;
    language.LanguageName = kTranslationName;
    fake.files.AddFolder(facts.DataFolder);

    const std::wstring section =
        input.ConsumeBool() ? L"INTERFACE" : vtrl::fuzz::AnsiText(input, 16);
    const std::wstring key = vtrl::fuzz::AnsiText(input, 16);
    const std::string english = input.ConsumeRandomLengthString(8192);
    const std::string translation = vtrl::fuzz::RestAsFile(input);
    const FileText englishText{vtrl::fuzz::FromBytes(english),
                               vtrl::services::DecodeText(fake.locale, english).text};
    const FileText translationText{vtrl::fuzz::FromBytes(translation),
                                   vtrl::services::DecodeText(fake.locale, translation).text};
    const std::wstring englishFile =
        vtrl::services::LanguageFilePath(language, vtrl::services::kEnglishLanguage);
    const std::wstring translationFile =
        vtrl::services::LanguageFilePath(language, kTranslationName);
    fake.files.AddFile(englishFile, english);

    // English alone: nothing to report.
    VTRL_FUZZ_CHECK(vtrl::services::TranslationReport(fake.Get(), language).empty());
    fake.files.AddFile(translationFile, translation);

    const std::wstring fromEnglish = vtrl::services::IniRead(fake.Get(), section, key, englishFile);
    const std::wstring fromTranslation =
        vtrl::services::IniRead(fake.Get(), section, key, translationFile);
    CheckRead(fromEnglish, englishText);
    CheckRead(fromTranslation, translationText);

    const std::wstring text = vtrl::services::GetText(fake.Get(), language, section, key);
    VTRL_FUZZ_CHECK(!text.empty());
    if (!fromTranslation.empty()) {
        VTRL_FUZZ_CHECK(text == fromTranslation);
    } else if (!fromEnglish.empty()) {
        VTRL_FUZZ_CHECK(text == fromEnglish);
    } else {
        VTRL_FUZZ_CHECK(text == std::wstring(kTranslationName) + L" error, text not found: " +
                                    section + L", " + key);
    }
    CheckCharset(text);
    CheckCharset(fromEnglish);
    CheckCharset(key);

    const std::wstring report = vtrl::services::TranslationReport(fake.Get(), language);
    CheckReport(fake, language, englishText, report);

    // The "vexo" tool writes that report to the data folder, as it is.
    vtrl::services::CheckTranslation(fake.Get(), facts, language);
    const auto written =
        fake.files.Content(facts.DataFolder + L"\\" + vtrl::services::kTranslationReportName);
    VTRL_FUZZ_CHECK(written.has_value());
    VTRL_FUZZ_CHECK(*written == vtrl::services::EncodeText(fake.locale, report + L"\r\n"));
    return 0;
}
