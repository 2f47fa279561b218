#pragma once
// The settings page: how the tray agent monitors (started with Windows or not, and in which of
// three modes) and how the program notifies. The values live in the settings store, the agent's
// autostart in a shortcut in the user's Startup folder.

#include "platform/ui/control.h"
#include "services/settings_keys.h"
#include "services/system_facts.h"

#include <string>

namespace vtrl::manager {

class Main;

// How an on/off setting reads: on unless any text is stored ("NO"), or on only for "YES".
enum class SettingSense { OnUnlessSet, OnWhenYes };

bool SettingIsOn(const std::wstring& stored, SettingSense sense);
// The text an on/off setting is saved as.
std::wstring StoredSetting(bool on, SettingSense sense);

// The shortcut that starts the tray agent at logon: Startup folder\Vantorel.lnk.
std::wstring AutostartShortcutPath(const services::SystemFacts& facts);

class SettingsPage {
public:
    explicit SettingsPage(Main& main) : main_(main) {}

    ui::Control Deza2{ui::ControlKind::Label, L"Deza(2)", {120, 120, 8400, 375}, L"Preferences"};
    ui::Control Check5{ui::ControlKind::CheckBox, L"Check5", {360, 600, 8160, 300}, L"play sounds"};
    ui::Control Check7{ui::ControlKind::CheckBox,
                       L"Check7",
                       {360, 930, 8160, 300},
                       L"constantly monitor startup records (tray agent)"};
    ui::Control Option4{ui::ControlKind::OptionButton,
                        L"Option4",
                        {720, 1260, 7800, 300},
                        L"run check once per day on win startup and exit tray agent"};
    ui::Control Option5{ui::ControlKind::OptionButton,
                        L"Option5",
                        {720, 1590, 7800, 300},
                        L"run check always on win startup, and exit tray agent"};
    ui::Control Option6{ui::ControlKind::OptionButton,
                        L"Option6",
                        {720, 1920, 7800, 300},
                        L"run check always in the background with tray agent"};
    ui::Control Check8{
        ui::ControlKind::CheckBox, L"Check8", {720, 2250, 7800, 300}, L"hide tray icon"};
    ui::Control Check9{ui::ControlKind::CheckBox,
                       L"Check9",
                       {360, 2700, 8160, 300},
                       L"notify me about new unknown programs"};
    ui::Control Check11{ui::ControlKind::CheckBox,
                        L"Check11",
                        {360, 3030, 8160, 300},
                        L"Auto close popup notifications after 10 seconds"};
    ui::Control Check6{ui::ControlKind::CheckBox,
                       L"Check6",
                       {360, 3360, 8160, 300},
                       L"show notification window when removing startup records"};
    ui::Control Check12{ui::ControlKind::CheckBox,
                        L"Check12",
                        {360, 3690, 8160, 300},
                        L"Hide Windows' own entries"};
    // How a restricted program's startup record is stopped (monitor/restriction_way.h).
    ui::Control Label16{ui::ControlKind::Label,
                        L"Label16",
                        {360, 4110, 8160, 255},
                        L"When a program is restricted:"};
    ui::Control Option10{ui::ControlKind::OptionButton,
                         L"Option10",
                         {720, 4365, 3840, 300},
                         L"switch its startup record off (Windows' way)"};
    ui::Control Option11{ui::ControlKind::OptionButton,
                         L"Option11",
                         {4680, 4365, 3840, 300},
                         L"delete it with a backup"};
    ui::Control Command3{ui::ControlKind::Button, L"Command3", {120, 4785, 1815, 420}, L"apply"};

    // Adds the page's controls to the window; the window's constructor calls it once.
    void Build();
    // Keyed captions from the language file and the language's character set for labels.
    void LoadTexts();
    // Fills every control from the settings store.
    void LoadSettingsPage();
    // Writes every control to the settings store and the autostart shortcut; failures are silent.
    void SaveSettings();
    // The mode options and the tray-icon box are usable only while the agent box is checked.
    void UpdateMonitorModeOptions();
    void Check7_Click();
    void Command3_Click();
    // Whether leaving the window with "Apply and Close" starts the tray agent again: the agent
    // box checked with its background mode selected, as the controls stand now.
    bool StartsAgentOnClose() const;

private:
    Main& main_;
};

} // namespace vtrl::manager
