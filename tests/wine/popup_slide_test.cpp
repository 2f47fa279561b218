// The popup notice on a real window: its slide-out runs on its own timer through the program's
// one message loop, not in a loop of the close button's own.

#include "monitor/popup_reminder.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/win32_platform.h"
#include "services/system_facts.h"
#include "ticking_form.h"
#include "wine_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vtrl {
namespace {

TEST(RealPopup, SlidesOutStepByStepOnItsTimerWhileTheLoopGoesOn) {
    win32::ComApartment com;
    win32::Win32Platform real;
    platform::Platform& platform = real.Get();
    const services::SystemFacts facts = services::FrameworkStartup(platform);
    services::Language language;
    language.LanguageFolder = testing_support::ShippedLanguagesFolder();
    language.LanguageName = L"English";
    win32::Win32WindowSystem& windows = real.Windows();

    auto& popup = static_cast<monitor::PopupReminder&>(
        windows.Load(std::make_unique<monitor::PopupReminder>(platform, facts, language)));
    popup.Activate(L"C:\\windows", L"notepad.exe", monitor::PopupNotice::Removed);
    windows.RunMessageLoopUntil([&popup] { return !popup.Timer2.Enabled(); });
    ASSERT_EQ(popup.Top(), 0) << "slid in to the top edge";
    const int step = monitor::kSlideStepPixels * popup.Screen().twipsPerPixel;

    // The close only starts the slide: the popup is still there, where it was.
    popup.Command1_Click();
    ASSERT_FALSE(popup.Unloaded());
    EXPECT_EQ(popup.Top(), 0);

    auto& probe = static_cast<testing_support::TickingForm&>(
        windows.Load(std::make_unique<testing_support::TickingForm>(1)));
    std::vector<int> tops;
    bool gone = false;
    int probeTicksWhileSliding = 0;
    const auto slide = popup.SlideOut.onTick;
    popup.SlideOut.onTick = [&] {
        slide();
        if (popup.Unloaded()) {
            gone = true;
            probeTicksWhileSliding = probe.ticks;
        } else {
            tops.push_back(popup.Top());
        }
    };
    const ULONGLONG started = GetTickCount64();
    windows.RunMessageLoopUntil([&gone] { return gone; });
    const ULONGLONG took = GetTickCount64() - started;

    // 2250 twips high: one tick per step until it is above the screen, then the one that unloads.
    ASSERT_EQ(tops.size(), static_cast<std::size_t>(2250 / step + 1));
    for (std::size_t n = 0; n < tops.size(); ++n) {
        EXPECT_EQ(tops[n], -step * static_cast<int>(n + 1)) << n;
    }
    EXPECT_GE(took, static_cast<ULONGLONG>(tops.size()) * monitor::kSlideStepMs)
        << "each step waits for its timer";
    EXPECT_GT(probeTicksWhileSliding, 0) << "other windows' messages went on during the slide";
    probe.Unload();
    windows.RunMessageLoop();
}

} // namespace
} // namespace vtrl
