// The framework dialog on real windows with the real registry, files and HTTP stack, and the
// flag pictures decoded by the real imaging component.
//
// The subscription test needs a loopback server: the end-to-end case 53_framework_dialog runs
// one and names it in VTRL_SUBSCRIBE_ENDPOINT; without it the test is skipped.

#include "wine_test_support.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window_system.h"
#include "services/framework_dialog.h"
#include "services/newsletter.h"
#include "services/settings_store.h"
#include "services/web_links.h"
#include "ticking_form.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vtrl {
namespace {

std::wstring ShippedLanguages() {
    return testing_support::ShippedLanguagesFolder();
}

// The colour of pixel (x, y), counted from the top, of a 24-bit bottom-up bitmap file.
struct Rgb {
    int r, g, b;
};
Rgb PixelOf(const std::vector<std::uint8_t>& file, int x, int y) {
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    std::memcpy(&header, file.data(), sizeof(header));
    std::memcpy(&info, file.data() + sizeof(header), sizeof(info));
    const int stride = (info.biWidth * 3 + 3) & ~3;
    const std::uint8_t* pixel =
        file.data() + header.bfOffBits + (info.biHeight - 1 - y) * stride + x * 3;
    return {pixel[2], pixel[1], pixel[0]};
}

TEST(RealPictureFiles, ShippedFlagsDecodeToBitmaps) {
    win32::ComApartment com;
    win32::Win32Icons icons;
    const auto german = icons.RenderPictureFile(ShippedLanguages() + L"\\German.jpg");
    ASSERT_TRUE(german.has_value());
    ASSERT_GT(german->size(), sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER));
    EXPECT_EQ((*german)[0], 'B');
    EXPECT_EQ((*german)[1], 'M');
    BITMAPINFOHEADER info{};
    std::memcpy(&info, german->data() + sizeof(BITMAPFILEHEADER), sizeof(info));
    EXPECT_EQ(info.biWidth, 48);
    EXPECT_EQ(info.biHeight, 32);
    EXPECT_EQ(info.biBitCount, 24);
    // Black, red and gold stripes from the top.
    const Rgb top = PixelOf(*german, 24, 2);
    EXPECT_LT(top.r + top.g + top.b, 90);
    const Rgb middle = PixelOf(*german, 24, 16);
    EXPECT_GT(middle.r, 180);
    EXPECT_LT(middle.g, 60);
    const Rgb bottom = PixelOf(*german, 24, 29);
    EXPECT_GT(bottom.r, 200);
    EXPECT_GT(bottom.g, 160);
    EXPECT_LT(bottom.b, 80);

    EXPECT_FALSE(icons.RenderPictureFile(ShippedLanguages() + L"\\Missing.jpg").has_value());
    // A file that is no picture at all.
    EXPECT_FALSE(icons.RenderPictureFile(ShippedLanguages() + L"\\German.ini").has_value());
    EXPECT_FALSE(icons.RenderPictureFile(L"").has_value());
}

// Message boxes would wait for a user: these are only recorded.
class RecordedMessages final : public platform::MessageBoxes {
public:
    platform::MessageAnswer Show(const std::wstring& text, const std::wstring& caption,
                                 platform::MessageIcon icon, platform::MessageButtons) override {
        shown.push_back({text, caption, icon});
        return platform::MessageAnswer::Ok;
    }
    struct Shown {
        std::wstring text;
        std::wstring caption;
        platform::MessageIcon icon;
    };
    std::vector<Shown> shown;
};

// Sends what would go to the vendor's server to another endpoint, through the real stack.
class RedirectedHttp final : public platform::Http {
public:
    RedirectedHttp(platform::Http& real, std::wstring endpoint)
        : real_(real), endpoint_(std::move(endpoint)) {}
    std::optional<std::string> Get(const std::wstring& url) override {
        const std::wstring vendor = services::kVendorWebEndpoint;
        return real_.Get(url.rfind(vendor, 0) == 0 ? endpoint_ + url.substr(vendor.size()) : url);
    }

private:
    platform::Http& real_;
    std::wstring endpoint_;
};

class RealFrameworkDialog : public ::testing::Test {
protected:
    RealFrameworkDialog() {
        facts = services::FrameworkStartup(real.Get());
        language.LanguageFolder = ShippedLanguages();
        language.LanguageName = L"German";
    }
    platform::Platform With(platform::Http& http) {
        platform::Platform& r = real.Get();
        return {r.registry,  r.files,   r.folders, r.links,       r.locale,     r.version,  r.clock,
                r.processes, r.ini,     messages,  r.launcher,    http,         r.icons,    r.sound,
                r.desktop,   r.changes, r.locks,   r.environment, r.signatures, r.clipboard};
    }
    services::CORVEN_FORM_2_2& Open(platform::Platform& platform, services::FrameworkPage page) {
        auto& dialog = static_cast<services::CORVEN_FORM_2_2&>(
            Windows().Load(std::make_unique<services::CORVEN_FORM_2_2>(platform, facts, language)));
        dialog.OpenOn(page);
        return dialog;
    }
    // The subscription page in English, filled in with an address the server accepts.
    services::CORVEN_FORM_2_2& OpenFilled(platform::Platform& platform) {
        language.LanguageName = L"English";
        auto& dialog = Open(platform, services::FrameworkPage::Subscription);
        dialog.FN.UserSetCaption(L"Ann");
        dialog.LN.UserSetCaption(L"Lee");
        dialog.Text1.UserSetCaption(L"okay@x.io");
        return dialog;
    }
    win32::Win32WindowSystem& Windows() { return real.Windows(); }
    // The answer comes back through the message loop.
    void AwaitAnswer() {
        Windows().RunMessageLoopUntil([this] { return !messages.shown.empty(); });
    }
    void Close(services::CORVEN_FORM_2_2& dialog) {
        dialog.Unload();
        Windows().RunMessageLoop(); // returns once the dialog is gone
    }

    win32::ComApartment com;
    win32::Win32Platform real;
    RecordedMessages messages;
    services::SystemFacts facts;
    services::Language language;
};

TEST_F(RealFrameworkDialog, LanguagePageShowsEveryShippedLanguageAndTheCurrentFlag) {
    platform::Platform platform = With(real.Get().http);
    auto& dialog = Open(platform, services::FrameworkPage::Language);
    ASSERT_EQ(dialog.LangCount(), 9);
    EXPECT_EQ(dialog.LangArray(0).Caption(), L"English");
    int selected = -1;
    for (int i = 0; i < dialog.LangCount(); ++i) {
        if (dialog.LangArray(i).Value() != 0) {
            EXPECT_EQ(selected, -1) << "two options selected";
            selected = i;
        }
    }
    ASSERT_NE(selected, -1);
    EXPECT_EQ(dialog.LangArray(selected).Caption(), L"German");
    ASSERT_FALSE(dialog.CFlag.Picture().empty());
    EXPECT_EQ(dialog.CFlag.Picture()[0], 'B');
    EXPECT_EQ(dialog.Label11.Caption(), L"Vorname:");
    EXPECT_TRUE(messages.shown.empty());
    Close(dialog);
}

TEST_F(RealFrameworkDialog, SubscribesAgainstALoopbackServer) {
    const wchar_t* endpoint = _wgetenv(L"VTRL_SUBSCRIBE_ENDPOINT");
    if (endpoint == nullptr || *endpoint == L'\0') {
        GTEST_SKIP() << "needs the loopback server of the end-to-end case 53_framework_dialog";
    }
    RedirectedHttp http(real.Get().http, endpoint);
    platform::Platform platform = With(http);
    language.LanguageName = L"English";
    // The server answers by address: okay@, error@, already@, short@ (999 characters).
    struct Case {
        const wchar_t* email;
        const wchar_t* key;
        bool movesOn;
    };
    const Case cases[] = {
        {L"error@x.io", L"WRONG-SERVER-RESPONSE", false},
        {L"short@x.io", L"WRONG-SERVER-RESPONSE", false},
        {L"already@x.io", L"ALREADY-SERVER-RESPONSE", true},
        {L"okay@x.io", L"OK-SERVER-RESPONSE", true},
    };
    for (const Case& c : cases) {
        messages.shown.clear();
        auto& dialog = Open(platform, services::FrameworkPage::Subscription);
        dialog.FN.UserSetCaption(L"J\u00fcrgen&fn=x");
        dialog.LN.UserSetCaption(L"Lee");
        dialog.Text1.UserSetCaption(c.email);
        dialog.Command2.Click();
        AwaitAnswer();
        ASSERT_EQ(messages.shown.size(), 1u) << c.email;
        EXPECT_EQ(messages.shown[0].text,
                  services::GetText(platform, language, L"SUBSCRIBER", c.key))
            << c.email;
        EXPECT_EQ(messages.shown[0].caption, L"Vantorel");
        EXPECT_EQ(dialog.CurrentPage() == services::FrameworkPage::QualityProgramme, c.movesOn)
            << c.email;
        EXPECT_TRUE(dialog.Command2.Enabled() || c.movesOn) << c.email;
        EXPECT_EQ(services::SavedSubscriptionEmail(platform.registry), c.email);
        EXPECT_FALSE(platform.files.FileExists(facts.AppDataFolder + L"\\corven-2.2.txt"));
        Close(dialog);
    }
}

// The server takes this long to answer: long enough for many timer ticks of a window.
constexpr DWORD kSlowAnswerMs = 1500;

std::string SlowOkay(const std::string&) {
    Sleep(kSlowAnswerMs);
    std::string body = "[OKAY]";
    body.resize(services::kSubscriptionReplyLength, ' ');
    return body;
}

TEST_F(RealFrameworkDialog, SlowDownloadRunsOnAWorkerWhileTheWindowsAnswer) {
    testing_support::LoopbackHttpServer server(SlowOkay);
    ASSERT_NE(server.Port(), 0);
    RedirectedHttp http(real.Get().http, server.Url(L"check.php"));
    platform::Platform platform = With(http);
    auto& dialog = OpenFilled(platform);
    auto& probe = static_cast<testing_support::TickingForm&>(
        Windows().Load(std::make_unique<testing_support::TickingForm>(50)));

    // The click returns at once: no answer yet, and no second request meanwhile.
    const ULONGLONG clicked = GetTickCount64();
    dialog.Command2.Click();
    EXPECT_LT(GetTickCount64() - clicked, kSlowAnswerMs / 2);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(dialog.Command2.Enabled());
    EXPECT_EQ(dialog.CurrentPage(), services::FrameworkPage::Subscription);

    AwaitAnswer();
    EXPECT_GE(probe.ticks, 5) << "the loop handled timer messages during the download";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text,
              services::GetText(platform, language, L"SUBSCRIBER", L"OK-SERVER-RESPONSE"));
    EXPECT_EQ(dialog.CurrentPage(), services::FrameworkPage::QualityProgramme);
    EXPECT_FALSE(platform.files.FileExists(facts.AppDataFolder + L"\\corven-2.2.txt"));
    EXPECT_EQ(server.Requests().size(), 1u);
    probe.Unload();
    Close(dialog);
}

TEST_F(RealFrameworkDialog, AnswerAfterTheDialogClosedIsDropped) {
    testing_support::LoopbackHttpServer server(SlowOkay);
    ASSERT_NE(server.Port(), 0);
    RedirectedHttp http(real.Get().http, server.Url(L"check.php"));
    platform::Platform platform = With(http);
    auto& dialog = OpenFilled(platform);
    dialog.Command2.Click();
    Close(dialog);

    // The loop goes on (for another window) past the download's end.
    auto& probe = static_cast<testing_support::TickingForm&>(
        Windows().Load(std::make_unique<testing_support::TickingForm>(50)));
    const ULONGLONG closed = GetTickCount64();
    Windows().RunMessageLoopUntil(
        [closed] { return GetTickCount64() - closed > kSlowAnswerMs + 1000; });
    EXPECT_EQ(server.Requests().size(), 1u);
    EXPECT_TRUE(messages.shown.empty()) << "no message for a window that is gone";
    probe.Unload();
    Windows().RunMessageLoop();
}

} // namespace
} // namespace vtrl
