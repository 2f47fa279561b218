#pragma once
// The popup notice: a small always-on-top window that slides down from the top edge of the
// screen to announce one executable, either a startup record nobody has decided about yet (with
// a button that opens the manager window at it) or a restricted record the check pass has just
// removed. It lives in a process of its own, which ends when the popup closes.

#include "platform/platform.h"
#include "platform/ui/form.h"
#include "services/command_words.h"
#include "services/localisation.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"

#include <string>

namespace vtrl::monitor {

inline constexpr int kAutoCloseSeconds = 11;
// Each slide step moves the popup by this many pixels.
inline constexpr int kSlideStepPixels = 12;
inline constexpr int kSlideStepMs = 10;
inline constexpr int kSoundDelayMs = 150;

// What the popup announces.
enum class PopupNotice {
    NewRecord,   // nobody has decided about it yet
    Removed,     // restricted, and its record was removed
    AdminOnly,   // restricted, but only an administrator can remove its record
    SwitchedOff, // restricted, and its record was switched off with Windows' own switch
};

class PopupReminder : public ui::Form {
public:
    PopupReminder(platform::Platform& platform, const services::SystemFacts& facts,
                  const services::Language& language);

    // A band of the program's colour along the left edge, with its icon.
    ui::Control Accent{ui::ControlKind::Frame, L"Accent", {0, 0, 1200, 2250}};
    ui::Control AccentIcon{ui::ControlKind::Picture, L"AccentIcon", {360, 300, 480, 480}};
    ui::Control PicBuffer{ui::ControlKind::Picture, L"PicBuffer", {5040, 240, 735, 735}};
    ui::Control Label2{ui::ControlKind::Label, L"Label2", {1560, 240, 3255, 255}, L"Label2"};
    ui::Control Label1{ui::ControlKind::Label, L"Label1", {1560, 600, 3255, 495}, L"Label1"};
    ui::Control Label3{ui::ControlKind::Label, L"Label3", {1560, 1080, 4215, 615}, L"information"};
    ui::Control Command2{
        ui::ControlKind::Button, L"Command2", {1560, 1680, 2055, 375}, L"open startupmanager"};
    ui::Control Command1{ui::ControlKind::Button, L"Command1", {4440, 1680, 1335, 375}, L"Ok"};
    // Lies below the client area, as it always has; its text still counts down.
    ui::Control Label4{ui::ControlKind::Label, L"Label4", {1200, 2760, 735, 255}, L"auto close"};
    ui::Timer Timer1{L"Timer1", kSoundDelayMs, true};
    ui::Timer Timer2{L"Timer2", kSlideStepMs, true};
    ui::Timer AutoClose{L"AutoClose", 1000, false};
    // Moves the closing popup up one step per tick until it is off the screen, then unloads it.
    ui::Timer SlideOut{L"SlideOut", kSlideStepMs, false};

    int AutoCloseCountdown = 0;

    // Fills the popup for one executable and shows it.
    void Activate(const std::wstring& PathsIs, const std::wstring& EXE, PopupNotice notice);

    void Form_Load() override;
    void Form_MouseDown() override;
    // Escape closes the notice as "Ok" does.
    void Form_Escape() override { Command1_Click(); }
    void Timer1_Timer();
    void Timer2_Timer();
    void AutoClose_Timer();
    void Command1_Click();
    void SlideOut_Timer();
    void Command2_Click();
    void Label1_Click();

private:
    platform::Platform& platform_;
    const services::SystemFacts& facts_;
    const services::Language& language_;
    bool closing_ = false;
};

} // namespace vtrl::monitor
