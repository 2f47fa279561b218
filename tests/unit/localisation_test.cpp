#include "fakes/fake_platform.h"
#include "services/localisation.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;

constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";

class LocalisationTest : public ::testing::Test {
protected:
    LocalisationTest() : facts(FrameworkStartup(fake.Get())) {
        fake.files.AddFolder(kLanguages);
        language.LanguageFolder = kLanguages;
        language.LanguageName = L"German";
    }

    void AddLanguage(const std::wstring& name, const std::string& content) {
        fake.files.AddFile(std::wstring(kLanguages) + L"\\" + name + L".ini", content);
    }
    std::wstring SavedLanguage() {
        return GetSetting(fake.registry, kAppKey, L"Settings", L"Language");
    }
    void SaveLanguage(const std::wstring& name) {
        SaveSetting(fake.registry, kAppKey, L"Settings", L"Language", name);
    }

    fakes::FakePlatform fake;
    SystemFacts facts;
    Language language;
};

TEST_F(LocalisationTest, GetTextFallsBackToEnglishThenToTheErrorText) {
    AddLanguage(L"English", "[INTERFACE]\r\nOK=OK\r\nAPPLY=Apply\r\nUNDO=Restore\r\n");
    AddLanguage(L"German", "[INTERFACE]\r\nOK=Gut\r\nAPPLY=\r\n");

    EXPECT_EQ(GetText(fake.Get(), language, L"INTERFACE", L"OK"), L"Gut");
    // Present but empty counts as missing, like a key that is not there at all.
    EXPECT_EQ(GetText(fake.Get(), language, L"INTERFACE", L"APPLY"), L"Apply");
    EXPECT_EQ(GetText(fake.Get(), language, L"INTERFACE", L"UNDO"), L"Restore");
    EXPECT_EQ(GetText(fake.Get(), language, L"INTERFACE", L"NORECORDS"),
              L"German error, text not found: INTERFACE, NORECORDS");
    // The section is part of the lookup: the same key elsewhere is not found.
    EXPECT_EQ(GetText(fake.Get(), language, L"UPDATES", L"OK"),
              L"German error, text not found: UPDATES, OK");
}

TEST_F(LocalisationTest, IniReadLowerCasesTheKeyAndCutsAt749Characters) {
    const std::string longValue(800, 'x');
    AddLanguage(L"English", "[INTERFACE]\r\nMAIN2=" + longValue + "\r\n");
    const std::wstring file = std::wstring(kLanguages) + L"\\English.ini";

    const std::wstring value = IniRead(fake.Get(), L"INTERFACE", L"MAIN2", file);
    EXPECT_EQ(value, std::wstring(749, L'x'));
    ASSERT_FALSE(fake.ini.reads.empty());
    EXPECT_EQ(fake.ini.reads.back().key, L"main2");
    EXPECT_EQ(fake.ini.reads.back().bufferLength, 750u);

    EXPECT_EQ(IniRead(fake.Get(), L"INTERFACE", L"MAIN2", file + L".missing"), L"");
    EXPECT_EQ(IniRead(fake.Get(), L"NOSUCH", L"MAIN2", file), L"");
}

TEST_F(LocalisationTest, MissingLanguagesFolderEndsTheProcessAfterTheErrorBox) {
    fake.folders.programFolder = L"C:\\Elsewhere";
    facts.ProgramFolder = L"C:\\Elsewhere";
    fake.files.AddFolder(L"C:\\Elsewhere");

    EXPECT_FALSE(ChooseLanguage(fake.Get(), facts).has_value());
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Languages not found! Reinstall program!");
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(fake.messages.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(SavedLanguage(), L"");
}

TEST_F(LocalisationTest, SavedLanguageWithoutItsFileResetsToEnglishAndEnds) {
    AddLanguage(L"English", "[INTERFACE]\r\nOK=OK\r\n");
    SaveLanguage(L"Klingon");

    EXPECT_FALSE(ChooseLanguage(fake.Get(), facts).has_value());
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text,
              L"Language file Klingon not found! Restart/reinstall program!");
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::Error);
    EXPECT_EQ(SavedLanguage(), L"English");
}

TEST_F(LocalisationTest, SavedLanguageThatIsNoPlainFileNameCountsAsMissing) {
    AddLanguage(L"English", "[INTERFACE]\r\nOK=OK\r\n");
    // Each file exists where the joined path points; only the name's shape refuses it.
    for (const std::wstring name :
         {L"..\\..\\Users\\x\\evil", L"sub\\English", L"sub/English", L"C:\\evil",
          L"English:stream", L"nul", L"nul.txt", L"\u0001English"}) {
        AddLanguage(name, "[CHARSET]\r\nCHARSET=2\r\n");
        SaveLanguage(name);
        fake.messages.shown.clear();
        EXPECT_FALSE(ChooseLanguage(fake.Get(), facts).has_value()) << name;
        ASSERT_EQ(fake.messages.shown.size(), 1u) << name;
        EXPECT_EQ(fake.messages.shown[0].text,
                  L"Language file " + name + L" not found! Restart/reinstall program!");
        EXPECT_EQ(SavedLanguage(), L"English") << name;
    }
}

TEST_F(LocalisationTest, SavedLanguageIsKeptWhateverTheCountry) {
    AddLanguage(L"English", "[CHARSET]\r\nCHARSET=0\r\n");
    AddLanguage(L"French", "[CHARSET]\r\nCHARSET=0\r\n");
    AddLanguage(L"Russian", "[CHARSET]\r\nCHARSET=204\r\n");
    SaveLanguage(L"Russian");
    fake.locale.country = L"France";

    const auto chosen = ChooseLanguage(fake.Get(), facts);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->LanguageName, L"Russian");
    EXPECT_EQ(chosen->LanguageFolder, kLanguages);
    EXPECT_EQ(chosen->FontCharset, 204);
    EXPECT_EQ(SavedLanguage(), L"Russian");
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(LocalisationTest, FirstStartDerivesTheLanguageFromTheCountryAndSavesIt) {
    AddLanguage(L"English", "[CHARSET]\r\nCHARSET=0\r\n");

    // Brazil without Portuguese.ini stays English.
    fake.locale.country = std::wstring(L"Brazil") + L'\0';
    auto chosen = ChooseLanguage(fake.Get(), facts);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->LanguageName, L"English");
    EXPECT_EQ(SavedLanguage(), L"English");

    // With the file, a fresh profile in Brazil gets Portuguese.
    SaveLanguage(L"");
    AddLanguage(L"Portuguese", "[CHARSET]\r\nCHARSET=0\r\n");
    chosen = ChooseLanguage(fake.Get(), facts);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->LanguageName, L"Portuguese");
    EXPECT_EQ(SavedLanguage(), L"Portuguese");
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(LocalisationTest, CountryTable) {
    AddLanguage(L"English", "");
    EXPECT_EQ(CountryLanguageTable().size(), 19u);
    for (const wchar_t* name : {L"Russian", L"French", L"Spain", L"Korean", L"Portuguese",
                                L"Arabic", L"Polish", L"German"}) {
        AddLanguage(name, "");
    }
    const auto languageFor = [&](const std::wstring& country) {
        return LanguageForCountry(fake.files, language, country);
    };
    EXPECT_EQ(languageFor(L"Russia"), L"Russian");
    EXPECT_EQ(languageFor(L"Spain"), L"Spain");
    EXPECT_EQ(languageFor(L"Portugal"), L"Portuguese");
    EXPECT_EQ(languageFor(L"Egypt"), L"Arabic");
    EXPECT_EQ(languageFor(L"Saudi Arabia"), L"Arabic");
    // Korea is matched anywhere in the name; every other row needs the exact name.
    EXPECT_EQ(languageFor(L"Korea"), L"Korean");
    EXPECT_EQ(languageFor(L"South Korea"), L"Korean");
    EXPECT_EQ(languageFor(L"Democratic People's Republic of Korea"), L"Korean");
    EXPECT_EQ(languageFor(L"korea"), L"English");
    EXPECT_EQ(languageFor(L"Russian Federation"), L"English");
    EXPECT_EQ(languageFor(L"germany"), L"English");
    EXPECT_EQ(languageFor(L"Austria"), L"English");
    EXPECT_EQ(languageFor(L"United States"), L"English");
    // A matching row whose file is missing leaves English.
    EXPECT_EQ(languageFor(L"Japan"), L"English");
    EXPECT_EQ(languageFor(L"Italy"), L"English");
}

TEST_F(LocalisationTest, CharsetRule) {
    EXPECT_EQ(FontCharsetFromText(L"204"), 204);
    EXPECT_EQ(FontCharsetFromText(L" 238 "), 238);
    EXPECT_EQ(FontCharsetFromText(L"0"), 0);
    EXPECT_EQ(FontCharsetFromText(L"161.9"), 161); // the integer part
    EXPECT_EQ(FontCharsetFromText(L"-1.5"), -2);   // rounded down, as an integer part is
    EXPECT_EQ(FontCharsetFromText(L"1e2"), 100);
    EXPECT_EQ(FontCharsetFromText(L"Cyrillic"), 1);
    EXPECT_EQ(FontCharsetFromText(L"204x"), 1);
    EXPECT_EQ(FontCharsetFromText(L""), 1);
    EXPECT_EQ(FontCharsetFromText(L"70000"), 1);
    EXPECT_EQ(FontCharsetFromText(L"English error, text not found: CHARSET, CHARSET"), 1);

    // Through the language choice: a file without the entry keeps the default.
    AddLanguage(L"English", "[INTERFACE]\r\nOK=OK\r\n");
    const auto chosen = ChooseLanguage(fake.Get(), facts);
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(chosen->FontCharset, 1);
}

TEST_F(LocalisationTest, TranslationReportFormat) {
    AddLanguage(L"English", "; the reference\r\n"
                            "[CHARSET]\r\nCHARSET=0\r\n"
                            "\r\n"
                            "[INTERFACE]\r\n"
                            "OK=OK\r\n"
                            "APPLY=Apply\r\n"
                            "; note=read me\r\n"
                            ";=skipped\r\n"
                            "MAIN1=Programs on Startup\r\n"
                            "[UPDATES]\r\nDAYSAGO=days ago.\r\n");
    AddLanguage(L"German", "[INTERFACE]\r\nOK=OK\r\nAPPLY=Anwenden\r\nMAIN1=Programme\r\n"
                           "; note=lies mich\r\n");
    AddLanguage(L"Dutch", "[INTERFACE]\r\nOK=OK\r\n");

    const std::wstring report = TranslationReport(fake.Get(), language);
    // Listing order (the fake lists by name), a header for every file, complete or not; only
    // INTERFACE is compared; a comment holding "=" counts as a key unless its key is ";".
    EXPECT_EQ(report, L"================= DUTCH =================\r\n"
                      L"APPLY=Apply\r\n"
                      L"; note=read me\r\n"
                      L"MAIN1=Programs on Startup\r\n"
                      L"\r\n"
                      L"================= GERMAN =================\r\n"
                      L"\r\n");
}

TEST_F(LocalisationTest, CheckTranslationWritesTheReportAndOpensItsShortPath) {
    AddLanguage(L"English", "[INTERFACE]\r\nOK=OK\r\nAPPLY=Apply\r\n");
    AddLanguage(L"Polish", "[INTERFACE]\r\nOK=OK\r\n");
    const std::wstring reportPath = facts.DataFolder + L"\\temp.txt";
    fake.files.AddFile(reportPath, std::string(5000, 'o')); // an old, longer report
    fake.folders.shortForms[reportPath] = L"C:\\users\\tester\\APPDAT~1\\VTRL1\\temp.txt";

    CheckTranslation(fake.Get(), facts, language);
    EXPECT_EQ(fake.files.Content(reportPath),
              "================= POLISH =================\r\nAPPLY=Apply\r\n\r\n\r\n");
    ASSERT_EQ(fake.launcher.opened.size(), 1u);
    EXPECT_EQ(fake.launcher.opened[0], L"C:\\users\\tester\\APPDAT~1\\VTRL1\\temp.txt");
    EXPECT_TRUE(fake.messages.shown.empty());
}

TEST_F(LocalisationTest, CheckTranslationWithEnglishAloneSaysSo) {
    AddLanguage(L"English", "[INTERFACE]\r\nOK=OK\r\n");
    fake.files.AddFile(std::wstring(kLanguages) + L"\\English.jpg", "jpeg");

    CheckTranslation(fake.Get(), facts, language);
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Interface translated completely.");
    EXPECT_EQ(fake.messages.shown[0].icon, MessageIcon::None);
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\temp.txt"));
    EXPECT_TRUE(fake.launcher.opened.empty());
}

} // namespace
} // namespace vtrl::services
