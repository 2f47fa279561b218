// Language files through the real profile-string API, and HttpGet through WinINet against a
// loopback HTTP server run by the test itself.

#include "wine_test_support.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/localisation.h"
#include "services/web_links.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace vtrl {
namespace {

using testing_support::LoopbackHttpServer;
using testing_support::ReadFileBytes;
using testing_support::ShippedLanguagesFolder;

class RealLocalisationTest : public ::testing::Test {
protected:
    void SetUp() override {
        facts = services::FrameworkStartup(real.Get());
        scratch = facts.TempFolder + L"\\vtrl-l10n-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(scratch.c_str(), nullptr);
    }
    void TearDown() override {
        for (const auto& entry : real.Get().files.ListFolder(scratch, L"*")) {
            DeleteFileW((scratch + L"\\" + entry.name).c_str());
        }
        RemoveDirectoryW(scratch.c_str());
    }
    void PutFile(const std::wstring& name, const std::string& bytes) {
        ASSERT_TRUE(real.Get().files.ReplaceAll(scratch + L"\\" + name, bytes));
    }
    services::Language Shipped(const std::wstring& name) {
        return {ShippedLanguagesFolder(), name, 1};
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    services::SystemFacts facts;
    std::wstring scratch;
};

TEST_F(RealLocalisationTest, ShippedFilesThroughTheProfileApi) {
    ASSERT_TRUE(real.Get().files.FileExists(ShippedLanguagesFolder() + L"\\English.ini"))
        << "no Languages folder at " << ShippedLanguagesFolder();
    auto& platform = real.Get();
    EXPECT_EQ(services::GetText(platform, Shipped(L"English"), L"UPDATES", L"DAYSAGO"),
              L"days ago.");
    EXPECT_EQ(services::GetText(platform, Shipped(L"English"), L"INTERFACE", L"SHOWPAST7DAYS"),
              L"Show only the past week's records");
    // The profile API reads ANSI files in the system code page: the Western translations
    // come out right on a Western system (the test prefix uses code page 1252).
    ASSERT_EQ(GetACP(), 1252u);
    EXPECT_EQ(services::GetText(platform, Shipped(L"German"), L"INTERFACE", L"APPLY"),
              L"\u00dcbernehmen");
    EXPECT_EQ(services::GetText(platform, Shipped(L"French"), L"INTERFACE", L"AREYOUSURE"),
              L"\u00cates-vous s\u00fbr ?");
    EXPECT_EQ(services::GetText(platform, Shipped(L"Spain"), L"INTERFACE", L"AREYOUSURE"),
              L"\u00bfEst\u00e1 seguro?");
    EXPECT_EQ(services::GetText(platform, Shipped(L"Portuguese"), L"INTERFACE", L"CREATE17"),
              L"Par\u00e2metros");
    // A key no file has.
    EXPECT_EQ(services::GetText(platform, Shipped(L"Italian"), L"INTERFACE", L"NOSUCHKEY"),
              L"Italian error, text not found: INTERFACE, NOSUCHKEY");
    for (const auto& [name, charset] : {std::pair{L"English", 0}, std::pair{L"German", 0},
                                        std::pair{L"Polish", 238}, std::pair{L"Russian", 204}}) {
        EXPECT_EQ(services::FontCharsetFromText(
                      services::GetText(platform, Shipped(name), L"CHARSET", L"CHARSET")),
                  charset)
            << name;
    }
}

TEST_F(RealLocalisationTest, ProfileRulesTheFakeCopies) {
    PutFile(L"English.ini", "[INTERFACE]\r\nOK=OK\r\nAPPLY=Apply\r\n");
    PutFile(L"Test.ini", "; a comment=with an equals sign\r\n"
                         "[interface]\r\n"
                         "  Apply  =  \"Quoted\"  \r\n"
                         "; note=hidden\r\n"
                         "EMPTY=\r\n"
                         "LONG=" +
                             std::string(800, 'x') + "\r\n");
    auto& platform = real.Get();
    const services::Language test{scratch, L"Test", 1};
    const std::wstring file = scratch + L"\\Test.ini";
    // Sections and keys without regard to case, blanks trimmed, quotes removed.
    EXPECT_EQ(services::IniRead(platform, L"INTERFACE", L"APPLY", file), L"Quoted");
    EXPECT_EQ(services::IniRead(platform, L"INTERFACE", L"LONG", file), std::wstring(749, L'x'));
    // A comment line is a key like any other to the profile API.
    EXPECT_EQ(services::IniRead(platform, L"INTERFACE", L"; note", file), L"hidden");
    EXPECT_EQ(services::IniRead(platform, L"INTERFACE", L"OK", file + L"x"), L"");
    EXPECT_EQ(services::GetText(platform, test, L"INTERFACE", L"EMPTY"),
              L"Test error, text not found: INTERFACE, EMPTY");
    EXPECT_EQ(services::GetText(platform, test, L"INTERFACE", L"OK"), L"OK");

    // The same file through the fake gives the same answers.
    EXPECT_EQ(services::TranslationReport(platform, test),
              L"================= TEST =================\r\nOK=OK\r\n\r\n");
}

// "GET /<n>" is answered with n bytes of the fill character.
std::string FilledBody(const std::string& request, char fill) {
    const auto slash = request.find('/');
    return std::string(
        slash == std::string::npos ? 0 : std::strtoul(request.c_str() + slash + 1, nullptr, 10),
        fill);
}

TEST_F(RealLocalisationTest, HttpGetAgainstLoopbackServer) {
    auto& platform = real.Get();
    const std::wstring target = scratch + L"\\reply.txt";
    int port = 0;
    {
        char fill = 'a';
        LoopbackHttpServer server(
            [&fill](const std::string& request) { return FilledBody(request, fill); });
        port = server.Port();
        ASSERT_NE(port, 0);

        EXPECT_FALSE(services::HttpGet(platform, server.Url(L"999"), target, 1000));
        EXPECT_FALSE(services::HttpGet(platform, server.Url(L"1001"), target, 1000));
        EXPECT_FALSE(platform.files.FileExists(target));

        // An older, longer file is replaced whole.
        PutFile(L"reply.txt", std::string(4000, 'z'));
        EXPECT_TRUE(services::HttpGet(platform, server.Url(L"1000"), target, 1000));
        EXPECT_EQ(ReadFileBytes(target), std::string(1000, 'a'));

        // Several 2,048-byte pieces, and the same URL fetched again from the server, not from a
        // cache.
        server.Change([&fill] { fill = 'b'; });
        EXPECT_TRUE(services::HttpGet(platform, server.Url(L"5000"), target, 5000));
        EXPECT_EQ(ReadFileBytes(target), std::string(5000, 'b'));
        server.Change([&fill] { fill = 'c'; });
        EXPECT_TRUE(services::HttpGet(platform, server.Url(L"5000"), target, 5000));
        EXPECT_EQ(ReadFileBytes(target), std::string(5000, 'c'));

        const auto requests = server.Requests();
        ASSERT_EQ(requests.size(), 5u);
        for (const std::string& request : requests) {
            EXPECT_NE(request.find("User-Agent: Download Agent\r\n"), std::string::npos) << request;
        }
    }
    // Nobody listening any more: false, and the file stays as it was.
    EXPECT_FALSE(services::HttpGet(
        platform, L"http://127.0.0.1:" + std::to_wstring(port) + L"/1000", target, 1000));
    EXPECT_EQ(ReadFileBytes(target), std::string(5000, 'c'));
}

TEST_F(RealLocalisationTest, LauncherStartsProgramsAndReportsShellFailures) {
    auto& launcher = real.Get().launcher;
    const std::wstring marker = scratch + L"\\started.txt";
    ASSERT_TRUE(launcher.StartProgram(L"cmd.exe /c echo started>\"" + marker + L"\""));
    for (int tries = 0; tries < 200 && !real.Get().files.FileExists(marker); ++tries) {
        Sleep(50);
    }
    EXPECT_TRUE(real.Get().files.FileExists(marker));
    EXPECT_FALSE(launcher.StartProgram(L"C:\\no\\such\\program.exe"));
    EXPECT_FALSE(launcher.ShellOpen(scratch + L"\\missing.txt"));
    // Links go to whatever handles http; the system always has one.
    EXPECT_NE(launcher.WebBrowserCommand(), L"");
}

} // namespace
} // namespace vtrl
