#include "manager/settings_page.h"

#include "manager/main_window.h"
#include "monitor/check_cycle.h"
#include "monitor/popup_reminder.h"
#include "monitor/restriction_way.h"
#include "monitor/tray_agent.h"
#include "services/localisation.h"
#include "services/settings_store.h"

namespace vtrl::manager {
namespace {

constexpr wchar_t kYes[] = L"YES";
constexpr wchar_t kNo[] = L"NO";
constexpr ui::Colour kWhite = 0x00FFFFFF;
// Option10 and Option11 exclude each other, not the monitor modes.
constexpr int kRestrictionGroup = 3;

// Each on/off box with the setting it mirrors.
struct BoxSetting {
    ui::Control SettingsPage::*box;
    const wchar_t* key;
    SettingSense sense;
};

constexpr BoxSetting kBoxSettings[] = {
    {&SettingsPage::Check5, services::kSoundKey, SettingSense::OnUnlessSet},
    {&SettingsPage::Check6, services::kNotifiWinKey, SettingSense::OnUnlessSet},
    {&SettingsPage::Check8, services::kHideTrayIconKey, SettingSense::OnWhenYes},
    {&SettingsPage::Check9, services::kUnknownKey, SettingSense::OnUnlessSet},
    {&SettingsPage::Check11, services::kAutoCloseKey, SettingSense::OnWhenYes},
    {&SettingsPage::Check12, services::kHideWindowsKey, SettingSense::OnWhenYes},
};

} // namespace

bool SettingIsOn(const std::wstring& stored, SettingSense sense) {
    return sense == SettingSense::OnUnlessSet ? stored.empty() : stored == kYes;
}

std::wstring StoredSetting(bool on, SettingSense sense) {
    if (sense == SettingSense::OnUnlessSet) {
        return on ? L"" : kNo;
    }
    return on ? kYes : L"";
}

std::wstring AutostartShortcutPath(const services::SystemFacts& facts) {
    return facts.StartupFolder + L"\\" + services::kProductName + L".lnk";
}

void SettingsPage::Build() {
    ui::Font title;
    title.points = 12;
    title.bold = true;
    Deza2.SetFont(title);
    Deza2.SetColours(ui::kDefaultColour, kWhite);
    for (ui::Control* control :
         {&Deza2, &Check5, &Check7, &Option4, &Option5, &Option6, &Check8, &Check9, &Check11,
          &Check6, &Check12, &Label16, &Option10, &Option11, &Command3}) {
        main_.AddToPage(*control, kSettingsPage);
    }
    Label16.SetColours(ui::kDefaultColour, kWhite);
    Option10.SetGroup(kRestrictionGroup);
    Option11.SetGroup(kRestrictionGroup);
    Check7.onClick = [this] { Check7_Click(); };
    Command3.onClick = [this] { Command3_Click(); };
}

void SettingsPage::LoadTexts() {
    main_.UseLanguageCharset(Deza2);
    Deza2.SetCaption(main_.Text(L"SETTINGS"));
    const std::pair<ui::Control*, const wchar_t*> keyed[] = {
        {&Check5, L"CHECK5"},           {&Check7, L"CHECK7"},           {&Option4, L"OPTION4"},
        {&Option5, L"OPTION5"},         {&Option6, L"OPTION6"},         {&Check8, L"CHECK8"},
        {&Check9, L"CHECK9"},           {&Check11, L"CHECK11"},         {&Check6, L"CHECK6"},
        {&Command3, L"APPLY"},          {&Check12, L"HIDEWINDOWS"},     {&Label16, L"RESTRICTHOW"},
        {&Option10, L"RESTRICTSWITCH"}, {&Option11, L"RESTRICTDELETE"},
    };
    main_.UseLanguageCharset(Label16);
    for (const auto& [control, key] : keyed) {
        control->SetCaption(main_.Text(key));
    }
}

void SettingsPage::LoadSettingsPage() {
    platform::Platform& platform = main_.Platform();
    auto stored = [&platform](const wchar_t* key) {
        return services::GetSetting(platform.registry, services::kAppKey,
                                    services::kSettingsSection, key);
    };
    Check7.SetValue(platform.files.FileExists(AutostartShortcutPath(main_.Facts())) ? 1 : 0);
    if (const auto mode = services::StartModeFromStored(stored(services::kStartModeKey))) {
        switch (*mode) {
        case services::StartMode::Resident:
            Option6.SetValue(1);
            break;
        case services::StartMode::Every:
            Option5.SetValue(1);
            break;
        case services::StartMode::Once:
            Option4.SetValue(1);
            break;
        }
    }
    for (const BoxSetting& setting : kBoxSettings) {
        (this->*setting.box).SetValue(SettingIsOn(stored(setting.key), setting.sense) ? 1 : 0);
    }
    const bool switchOff = monitor::LoadRestrictionWay(platform, main_.Facts().DataFolder) ==
                           monitor::RestrictionWay::SwitchOff;
    (switchOff ? Option10 : Option11).SetValue(1);
    UpdateMonitorModeOptions();
}

void SettingsPage::SaveSettings() {
    platform::Platform& platform = main_.Platform();
    const services::SystemFacts& facts = main_.Facts();
    auto save = [&platform](const wchar_t* key, const std::wstring& value) {
        services::SaveSetting(platform.registry, services::kAppKey, services::kSettingsSection, key,
                              value);
    };
    for (const BoxSetting& setting : kBoxSettings) {
        save(setting.key, StoredSetting((this->*setting.box).Value() != 0, setting.sense));
    }
    const std::wstring shortcut = AutostartShortcutPath(facts);
    if (Check7.Value() != 0) {
        services::CreateLinkFile(
            platform.links, shortcut, facts.ProgramFolder + L"\\" + facts.ProgramName + L".exe",
            services::kProductName, facts.ProgramFolder, services::kStartupWord, L"");
    } else if (platform.files.FileExists(shortcut)) {
        platform.files.Remove(shortcut);
    }
    if (Option10.Value() != 0 || Option11.Value() != 0) {
        monitor::SaveRestrictionWay(platform.registry, Option10.Value() != 0
                                                           ? monitor::RestrictionWay::SwitchOff
                                                           : monitor::RestrictionWay::Delete);
    }
    // The mode is kept even while the agent does not start with Windows.
    if (Option6.Value() != 0) {
        save(services::kStartModeKey, services::StoredStartMode(services::StartMode::Resident));
    } else if (Option5.Value() != 0) {
        save(services::kStartModeKey, services::StoredStartMode(services::StartMode::Every));
    } else if (Option4.Value() != 0) {
        save(services::kStartModeKey, services::StoredStartMode(services::StartMode::Once));
    }
}

void SettingsPage::UpdateMonitorModeOptions() {
    const bool agent = Check7.Value() != 0;
    for (ui::Control* control : {&Option4, &Option5, &Option6, &Check8}) {
        control->SetEnabled(agent);
    }
}

void SettingsPage::Check7_Click() {
    UpdateMonitorModeOptions();
}

void SettingsPage::Command3_Click() {
    SaveSettings();
    main_.ShowPage(kListPage);
}

bool SettingsPage::StartsAgentOnClose() const {
    return Check7.Value() != 0 && Option6.Value() != 0;
}

} // namespace vtrl::manager
