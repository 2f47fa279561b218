// The subscription request and its answer through the real HTTP stack against a loopback
// server, and the internet shortcut and quality-programme files on the real file system.

#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/internet_shortcut.h"
#include "services/newsletter.h"
#include "services/quality_programme.h"
#include "services/settings_store.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vtrl {
namespace {

// Answers every request with the same body and keeps the request lines.
class ReplyServer {
public:
    ReplyServer() {
        WSADATA data{};
        started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        int length = sizeof(address);
        if (listener_ == INVALID_SOCKET ||
            bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
            listen(listener_, 4) != 0 ||
            getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            return;
        }
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~ReplyServer() {
        if (listener_ != INVALID_SOCKET) {
            closesocket(listener_); // wakes the blocked accept
        }
        if (thread_.joinable()) {
            thread_.join();
        }
        if (started_) {
            WSACleanup();
        }
    }
    ReplyServer(const ReplyServer&) = delete;
    ReplyServer& operator=(const ReplyServer&) = delete;

    std::wstring Endpoint() const {
        return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/check.php";
    }
    void SetBody(std::string body) {
        std::lock_guard lock(mutex_);
        body_ = std::move(body);
    }
    std::vector<std::string> RequestLines() {
        std::lock_guard lock(mutex_);
        return lines_;
    }
    int Port() const { return port_; }

private:
    void Serve() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) {
                return;
            }
            std::string request;
            char buffer[1024];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const int got = recv(client, buffer, sizeof(buffer), 0);
                if (got <= 0) {
                    break;
                }
                request.append(buffer, got);
            }
            std::string body;
            {
                std::lock_guard lock(mutex_);
                lines_.push_back(request.substr(0, request.find("\r\n")));
                body = body_;
            }
            const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n"
                                      "Content-Length: " +
                                      std::to_string(body.size()) +
                                      "\r\nConnection: close\r\n\r\n" + body;
            for (std::size_t sent = 0; sent < reply.size();) {
                const int wrote =
                    send(client, reply.data() + sent, static_cast<int>(reply.size() - sent), 0);
                if (wrote <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(wrote);
            }
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }

    bool started_ = false;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::mutex mutex_;
    std::string body_;
    std::vector<std::string> lines_;
    std::thread thread_;
};

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
    ReplyServer server;
    ASSERT_NE(server.Port(), 0);
    const services::SubscriptionFields fields{L"J\u00fcrgen&to=x", L"O'Neil #2", L"j+r@x.io"};
    const std::wstring replyFile = scratch + L"\\corven-2.2.txt";

    server.SetBody(Padded("[OKAY]\r\n", 1000));
    auto outcome = services::Subscribe(platform, facts, language, fields, server.Endpoint());
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"OK-SERVER-RESPONSE"});
    EXPECT_TRUE(outcome.moveOn);
    EXPECT_FALSE(platform.files.FileExists(replyFile));
    EXPECT_EQ(services::SavedSubscriptionEmail(platform.registry), L"j+r@x.io");

    // The names and the address reach the server as sent: encoded, no key added.
    const auto lines = server.RequestLines();
    ASSERT_EQ(lines.size(), 1u);
    const std::string& line = lines[0];
    EXPECT_EQ(line.rfind("GET /check.php?scn=VTRL&version=", 0), 0u) << line;
    EXPECT_NE(line.find("&email=j%2Br@x.io&language=English&t=1000"
                        "&fn=J%C3%BCrgen%26to%3Dx&ln=O%27Neil%20%232 HTTP/1."),
              std::string::npos)
        << line;
    EXPECT_EQ(line.find("&to="), std::string::npos) << line;
    // A well-formed request line: method, target and version, nothing else split off.
    EXPECT_EQ(std::count(line.begin(), line.end(), ' '), 2) << line;

    server.SetBody(Padded("[ERROR]", 1000));
    outcome = services::Subscribe(platform, facts, language, fields, server.Endpoint());
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_FALSE(outcome.moveOn);

    server.SetBody(Padded("[ALREADY-SUBSCRIBED]", 1000));
    outcome = services::Subscribe(platform, facts, language, fields, server.Endpoint());
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"ALREADY-SERVER-RESPONSE"});
    EXPECT_TRUE(outcome.moveOn);

    // One character short: a failed download, whatever it says.
    server.SetBody(Padded("[OKAY]", 999));
    outcome = services::Subscribe(platform, facts, language, fields, server.Endpoint());
    EXPECT_EQ(outcome.messageKeys, std::vector<std::wstring>{L"WRONG-SERVER-RESPONSE"});
    EXPECT_EQ(outcome.icon, platform::MessageIcon::Warning);
    EXPECT_FALSE(outcome.moveOn);
    EXPECT_FALSE(platform.files.FileExists(replyFile));
}

TEST_F(RealNewsletterTest, UrlFileAndQualityFile) {
    auto& platform = real.Get();
    const std::wstring url = scratch + L"\\Vantorel on the Web.url";
    services::CreateUrlFile(platform, url, L"https://www.vantorel.example/check.php?to=site", L"",
                            L"");
    EXPECT_EQ(platform.files.ReadAll(url).value_or(""),
              "[InternetShortcut]\r\nURL=https://www.vantorel.example/check.php?to=site\r\n"
              "IconIndex=\r\nIconFile=\r\n");
    // The profile API reads it back as the shell does.
    wchar_t value[256] = {};
    GetPrivateProfileStringW(L"InternetShortcut", L"URL", L"", value, 256, url.c_str());
    EXPECT_STREQ(value, L"https://www.vantorel.example/check.php?to=site");

    const std::wstring cip = scratch + L"\\cip.txt";
    ASSERT_TRUE(platform.files.ReplaceAll(cip, "x"));
    EXPECT_FALSE(services::SaveQualityConsent(platform, facts, false));
    EXPECT_TRUE(platform.files.FileExists(cip));
    EXPECT_FALSE(services::QualityConsentGiven(platform.registry));
    EXPECT_TRUE(services::SaveQualityConsent(platform, facts, true));
    EXPECT_FALSE(platform.files.FileExists(cip));
    EXPECT_TRUE(services::QualityConsentGiven(platform.registry));
}

} // namespace
} // namespace vtrl
