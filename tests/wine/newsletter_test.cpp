// The subscription request and its answer through the real HTTP stack against a loopback
// server, and the internet shortcut and quality-programme files on the real file system.

#include "wine_test_support.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/internet_shortcut.h"
#include "services/newsletter.h"
#include "services/quality_programme.h"
#include "services/settings_store.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace vtrl {
namespace {

using testing_support::LoopbackHttpServer;

std::string Padded(const std::string& head, std::size_t length) {
    return head + std::string(length - head.size(), ' ');
}

class RealNewsletterTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        scratch = facts.TempFolder + L"\\vtrl-news-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(scratch.c_str(), nullptr);
        // The answer file lands in the application-data folder; here, a scratch folder.
        facts.AppDataFolder = scratch;
        facts.DataFolder = scratch;
        language.LanguageName = L"English";
    }
    void TearDown() override {
        for (const auto& entry : real.Get().files.ListFolder(scratch, L"*")) {
            DeleteFileW((scratch + L"\\" + entry.name).c_str());
        }
        RemoveDirectoryW(scratch.c_str());
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    services::Language language;
    std::wstring scratch;
};

TEST_F(RealNewsletterTest, RequestAndAnswersThroughTheHttpStack) {
    auto& platform = real.Get();
    std::string body;
    LoopbackHttpServer server([&body](const std::string&) { return body; });
    ASSERT_NE(server.Port(), 0);
    const services::SubscriptionFields fields{L"J\u00fcrgen&to=x", L"O'Neil #2", L"j+r@x.io"};
    const std::wstring replyFile = scratch + L"\\corven-2.2.txt";

    server.Change([&body] { body = Padded("[OKAY]\r\n", 1000); });
    auto outcome = services::Subscribe(platform, facts, language, fields, server.Url(L"check.php"));
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"OK-SERVER-RESPONSE"});
    EXPECT_TRUE(outcome.moveOn);
    EXPECT_FALSE(platform.files.FileExists(replyFile));
    EXPECT_EQ(services::SavedSubscriptionEmail(platform.registry), L"j+r@x.io");

    // The names and the address reach the server as sent: encoded, no key added.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string line = requests[0].substr(0, requests[0].find("\r\n"));
    EXPECT_EQ(line.rfind("GET /check.php?scn=VTRL&version=", 0), 0u) << line;
    EXPECT_NE(line.find("&email=j%2Br@x.io&language=English&t=1000"
                        "&fn=J%C3%BCrgen%26to%3Dx&ln=O%27Neil%20%232 HTTP/1."),
              std::string::npos)
        << line;
    EXPECT_EQ(line.find("&to="), std::string::npos) << line;
    // A well-formed request line: method, target and version, nothing else split off.
    EXPECT_EQ(std::count(line.begin(), line.end(), ' '), 2) << line;

    server.Change([&body] { body = Padded("[ERROR]", 1000); });
    outcome = services::Subscribe(platform, facts, language, fields, server.Url(L"check.php"));
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_FALSE(outcome.moveOn);

    server.Change([&body] { body = Padded("[ALREADY-SUBSCRIBED]", 1000); });
    outcome = services::Subscribe(platform, facts, language, fields, server.Url(L"check.php"));
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"ALREADY-SERVER-RESPONSE"});
    EXPECT_TRUE(outcome.moveOn);

    // One character short: a failed download, whatever it says.
    server.Change([&body] { body = Padded("[OKAY]", 999); });
    outcome = services::Subscribe(platform, facts, language, fields, server.Url(L"check.php"));
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_EQ(outcome.icon, platform::MessageIcon::Warning);
    EXPECT_FALSE(outcome.moveOn);
    EXPECT_FALSE(platform.files.FileExists(replyFile));
}

TEST_F(RealNewsletterTest, UrlFileAndQualityFile) {
    auto& platform = real.Get();
    const std::wstring url = scratch + L"\\Vantorel on the Web.url";
    services::CreateUrlFile(platform.files, platform.locale, url,
                            L"https://www.vantorel.example/check.php?to=site", L"", L"");
    EXPECT_EQ(platform.files.ReadAll(url).value_or(""),
              "[InternetShortcut]\r\nURL=https://www.vantorel.example/check.php?to=site\r\n"
              "IconIndex=\r\nIconFile=\r\n");
    // The profile API reads it back as the shell does.
    wchar_t value[256] = {};
    GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", value, 256, url.c_str());
    EXPECT_STREQ(value, L"https://www.vantorel.example/check.php?to=site");

    const std::wstring cip = scratch + L"\\cip.txt";
    ASSERT_TRUE(platform.files.ReplaceAll(cip, "x"));
    EXPECT_FALSE(services::SaveQualityConsent(platform.files, platform.registry, facts, false));
    EXPECT_TRUE(platform.files.FileExists(cip));
    EXPECT_FALSE(services::QualityConsentGiven(platform.registry));
    EXPECT_TRUE(services::SaveQualityConsent(platform.files, platform.registry, facts, true));
    EXPECT_FALSE(platform.files.FileExists(cip));
    EXPECT_TRUE(services::QualityConsentGiven(platform.registry));
}

} // namespace
} // namespace vtrl
