#include "fakes/fake_platform.h"
#include "services/language_page.h"
#include "services/newsletter.h"
#include "services/quality_programme.h"
#include "services/settings_store.h"
#include "services/web_links.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using platform::MessageIcon;

// ---------------------------------------------------------------------------------------------
// Validation: every check runs, the last failing one names the message.

struct ValidationCase {
    const wchar_t* firstName;
    const wchar_t* lastName;
    const wchar_t* email;
    const wchar_t* expected; // nullptr: valid
};

TEST(NewsletterValidationTest, LastFailingCheckWins) {
    const ValidationCase cases[] = {
        {L"Ann", L"Lee", L"ann@x.io", nullptr},
        {L"A", L"Lee", L"ann@x.io", L"INVALID-NAME"},
        {L"Ann", L"L", L"ann@x.io", L"INVALID-NAME"},
        {L"", L"", L"ann@x.io", L"INVALID-NAME"},
        {L"Ann", L"Lee", L"a@x.io", L"SHORT-EMAIL"},     // six characters with "@" and "."
        {L"Ann", L"Lee", L"ab@x.io", nullptr},           // seven pass
        {L"A", L"Lee", L"a@x.io", L"SHORT-EMAIL"},       // the later check wins over the name
        {L"Ann", L"Lee", L"ann@xio", L"INVALID-EMAIL"},  // no "."
        {L"Ann", L"Lee", L"ann.x.io", L"INVALID-EMAIL"}, // no "@"
        {L"Ann", L"Lee", L"an n@x.io", L"INVALID-EMAIL"},
        {L"Ann", L"Lee", L"an&n@x.io", L"INVALID-EMAIL"},
        {L"A", L"Lee", L"annxx.io", L"INVALID-EMAIL"}, // one-letter name and no "@"
        {L"A", L"B", L"a@b", L"INVALID-EMAIL"},        // short, and then no "."
        {L"Ann", L"Lee", L"", L"INVALID-EMAIL"},
    };
    for (const auto& c : cases) {
        const auto message = ValidateSubscription({c.firstName, c.lastName, c.email});
        if (c.expected == nullptr) {
            EXPECT_FALSE(message.has_value()) << c.email << " gave " << message.value_or(L"");
        } else {
            EXPECT_EQ(message.value_or(L"<valid>"), c.expected)
                << c.firstName << "|" << c.lastName << "|" << c.email;
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The request.

TEST(NewsletterRequestTest, KeysInOrderWithNamesAndAddressEncoded) {
    SystemFacts facts;
    facts.VersionText = L"1.00";
    Language language;
    language.LanguageName = L"German";
    EXPECT_EQ(SubscriptionRequest(facts, language, L"Germany", {L"Ann", L"Lee", L"ann@x.io"}),
              std::wstring(kVendorWebEndpoint) +
                  L"?scn=VTRL&version=1.00&country=Germany&email=ann@x.io&language=German"
                  L"&t=1000&fn=Ann&ln=Lee");
    // A name cannot add a key or cut the query short.
    EXPECT_EQ(
        SubscriptionRequest(facts, language, L"Germany", {L"A&scn=X", L"L#e e+%", L"a+b@x.io"}),
        std::wstring(kVendorWebEndpoint) +
            L"?scn=VTRL&version=1.00&country=Germany&email=a%2Bb@x.io&language=German"
            L"&t=1000&fn=A%26scn%3DX&ln=L%23e%20e%2B%25");
}

TEST(NewsletterRequestTest, PercentEncodingUsesUtf8) {
    EXPECT_EQ(PercentEncode(L"Az09-._~@"), L"Az09-._~@");
    EXPECT_EQ(PercentEncode(L"J\u00fcrgen"), L"J%C3%BCrgen");                 // two bytes
    EXPECT_EQ(PercentEncode(L"\u20ac"), L"%E2%82%AC");                        // three bytes
    EXPECT_EQ(PercentEncode(L"\U0001F600"), L"%F0%9F%98%80");                 // a surrogate pair
    EXPECT_EQ(PercentEncode(std::wstring(1, wchar_t(0xD800))), L"%EF%BF%BD"); // a lone half
    EXPECT_EQ(PercentEncode(L"a/b?c=d;e"), L"a%2Fb%3Fc%3Dd%3Be");
    EXPECT_EQ(PercentEncode(L""), L"");
}

// ---------------------------------------------------------------------------------------------
// The answer.

TEST(NewsletterReplyTest, MarkersAndFailures) {
    const auto failed = InterpretReply(false, L"[OKAY]");
    EXPECT_EQ(failed.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_EQ(failed.icon, MessageIcon::Warning);
    EXPECT_FALSE(failed.moveOn);

    const auto okay = InterpretReply(true, L"xx[OKAY]   ");
    EXPECT_EQ(okay.messageKeys, std::vector<std::wstring>{L"OK-SERVER-RESPONSE"});
    EXPECT_EQ(okay.icon, MessageIcon::Information);
    EXPECT_TRUE(okay.moveOn);

    const auto error = InterpretReply(true, L"[ERROR]");
    EXPECT_EQ(error.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_EQ(error.icon, MessageIcon::Information);
    EXPECT_FALSE(error.moveOn);

    const auto already = InterpretReply(true, L"[ALREADY-SUBSCRIBED]");
    EXPECT_EQ(already.messageKeys, std::vector<std::wstring>{L"ALREADY-SERVER-RESPONSE"});
    EXPECT_TRUE(already.moveOn);

    const auto silent = InterpretReply(true, L"nothing known");
    EXPECT_TRUE(silent.messageKeys.empty());
    EXPECT_TRUE(silent.moveOn);

    // Markers are tested one after the other; an error stops before the third.
    EXPECT_EQ(InterpretReply(true, L"[OKAY][ERROR][ALREADY-SUBSCRIBED]").messageKeys,
              (std::vector<std::wstring>{L"OK-SERVER-RESPONSE", L"WRONG-SERVER-RESPONSE"}));
    EXPECT_EQ(InterpretReply(true, L"[OKAY][ALREADY-SUBSCRIBED]").messageKeys,
              (std::vector<std::wstring>{L"OK-SERVER-RESPONSE", L"ALREADY-SERVER-RESPONSE"}));
    // Markers are case-sensitive.
    EXPECT_TRUE(InterpretReply(true, L"[okay]").messageKeys.empty());
}

class SubscribeTest : public ::testing::Test {
protected:
    SubscribeTest() : facts(FrameworkStartup(fake.Get())) { language.LanguageName = L"English"; }
    std::wstring Request() {
        return SubscriptionRequest(facts, language, L"United States", fields);
    }
    std::wstring ReplyFile() { return facts.AppDataFolder + L"\\corven-2.2.txt"; }

    fakes::FakePlatform fake;
    SystemFacts facts;
    Language language;
    SubscriptionFields fields{L"Ann", L"Lee", L"ann@x.io"};
};

TEST_F(SubscribeTest, AnswerOfExactlyAThousandCharacters) {
    fake.http.bodies[Request()] = "[OKAY]\r\n" + std::string(992, ' ');
    const auto outcome = Subscribe(fake.Get(), facts, language, fields);
    EXPECT_EQ(fake.http.requests, std::vector<std::wstring>{Request()});
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"OK-SERVER-RESPONSE"});
    EXPECT_TRUE(outcome.moveOn);
    EXPECT_FALSE(fake.files.FileExists(ReplyFile())); // read, then deleted
    EXPECT_EQ(SavedSubscriptionEmail(fake.registry), L"ann@x.io");
}

TEST_F(SubscribeTest, AnswerOneCharacterShortIsAFailure) {
    fake.http.bodies[Request()] = "[OKAY]" + std::string(993, ' ');
    const auto outcome = Subscribe(fake.Get(), facts, language, fields);
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_EQ(outcome.icon, MessageIcon::Warning);
    EXPECT_FALSE(outcome.moveOn);
    // The address is saved before sending, whatever the answer.
    EXPECT_EQ(SavedSubscriptionEmail(fake.registry), L"ann@x.io");
}

TEST_F(SubscribeTest, LeftoverAnswerFileIsDeletedButNotBelieved) {
    fake.files.AddFile(ReplyFile(), "[OKAY]\r\n");
    const auto outcome = Subscribe(fake.Get(), facts, language, fields); // no answer at all
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_FALSE(fake.files.FileExists(ReplyFile()));
}

// ---------------------------------------------------------------------------------------------
// The quality programme.

TEST(QualityProgrammeTest, ConsentDeletesTheFileAndThanks) {
    fakes::FakePlatform fake;
    const SystemFacts facts = FrameworkStartup(fake.Get());
    const std::wstring file = facts.DataFolder + L"\\cip.txt";
    fake.files.AddFile(file, "x");
    EXPECT_FALSE(QualityConsentGiven(fake.registry));

    EXPECT_TRUE(SaveQualityConsent(fake.Get().files, fake.Get().registry, facts, true));
    EXPECT_FALSE(fake.files.FileExists(file));
    EXPECT_EQ(GetSetting(fake.registry, kAppKey, L"Settings", L"CIP"), L"YES");
    EXPECT_TRUE(QualityConsentGiven(fake.registry));

    fake.files.AddFile(file, "x");
    EXPECT_FALSE(SaveQualityConsent(fake.Get().files, fake.Get().registry, facts, false));
    EXPECT_TRUE(fake.files.FileExists(file));
    EXPECT_EQ(GetSetting(fake.registry, kAppKey, L"Settings", L"CIP"), L"NO");
    EXPECT_FALSE(QualityConsentGiven(fake.registry));
}

// ---------------------------------------------------------------------------------------------
// The language page.

constexpr TwipsRect kEnglish{240, 600, 1500, 300};
constexpr int kColumn2 = 240 + 1500 + 400;
constexpr int kColumn3 = 240 + 2 * 1500 + 800;
constexpr int kRow(int row) {
    return 600 + row * (300 + 60);
}

TEST(LanguagePageTest, FiveFilesFillThreeColumns) {
    const auto placed = PlaceLanguageOptions(
        {L"Dutch.ini", L"English.ini", L"French.ini", L"German.ini", L"Italian.ini"}, kEnglish,
        L"german");
    const std::vector<LanguageOption> expected = {
        {L"English", kEnglish},
        {L"Dutch", {240, kRow(1), 1500, 300}},        // under English
        {L"French", {kColumn2, kRow(0), 1500, 300}},  // starts the second column
        {L"German", {kColumn3, kRow(0), 1500, 300}},  // starts the third column
        {L"Italian", {kColumn3, kRow(1), 1500, 300}}, // under element 3
    };
    EXPECT_EQ(placed.options, expected);
    EXPECT_EQ(placed.selected, 3u);
}

TEST(LanguagePageTest, ElevenFiles) {
    const std::vector<std::wstring> files = {
        L"Czech.ini",   L"Dutch.ini",  L"English.ini", L"French.ini",  L"German.ini", L"Greek.ini",
        L"Italian.ini", L"Polish.ini", L"Russian.ini", L"Spanish.ini", L"Turkish.ini"};
    const auto placed = PlaceLanguageOptions(files, kEnglish, L"Klingon");
    ASSERT_EQ(placed.options.size(), 11u);
    EXPECT_EQ(placed.selected, 0u); // no match: English
    // Elements 4 and 7 start the second and third columns.
    const std::vector<std::pair<int, int>> places = {
        {240, kRow(0)},      {240, kRow(1)},      {240, kRow(2)},      {240, kRow(3)},
        {kColumn2, kRow(0)}, {kColumn2, kRow(1)}, {kColumn2, kRow(2)}, {kColumn3, kRow(0)},
        {kColumn3, kRow(1)}, {kColumn3, kRow(2)}, {kColumn3, kRow(3)}};
    for (std::size_t n = 0; n < places.size(); ++n) {
        EXPECT_EQ(placed.options[n].place.left, places[n].first) << n;
        EXPECT_EQ(placed.options[n].place.top, places[n].second) << n;
    }
    EXPECT_EQ(placed.options[4].caption, L"German");
    EXPECT_EQ(placed.options[7].caption, L"Polish");
}

TEST(LanguagePageTest, OnlyEnglishOrNoFolder) {
    EXPECT_EQ(PlaceLanguageOptions({L"English.ini"}, kEnglish, L"English").options,
              (std::vector<LanguageOption>{{L"English", kEnglish}}));
    EXPECT_EQ(PlaceLanguageOptions({}, kEnglish, L"German").options.size(), 1u);
}

TEST(LanguagePageTest, FilesFlagsAndTheChoice) {
    fakes::FakePlatform fake;
    Language language{L"C:\\P\\Languages", L"English", kDefaultFontCharset};
    fake.files.AddFile(L"C:\\P\\Languages\\German.ini", "");
    fake.files.AddFile(L"C:\\P\\Languages\\English.ini", "");
    fake.files.AddFile(L"C:\\P\\Languages\\German.jpg", "");
    fake.files.AddFile(L"C:\\P\\Languages\\notes.txt", "");
    EXPECT_EQ(ListLanguageFiles(fake.files, language),
              (std::vector<std::wstring>{L"English.ini", L"German.ini"}));
    EXPECT_EQ(FlagPicture(fake.files, language, L"German"), L"C:\\P\\Languages\\German.jpg");
    EXPECT_EQ(FlagPicture(fake.files, language, L"English"), L"");

    SaveLanguageChoice(fake.registry, language, L"German");
    EXPECT_EQ(language.LanguageName, L"German");
    EXPECT_EQ(GetSetting(fake.registry, kAppKey, L"Settings", L"Language"), L"German");
}

} // namespace
} // namespace vtrl::services
