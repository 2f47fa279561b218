// The tray agent's start modes and the popup notice, headless: their windows' logic driven
// through the forms and controls against the fake platform, and the entry's hand-off modes.

#include "fakes/fake_platform.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_folder_redirection.h"
#include "monitor/check_cycle.h"
#include "monitor/hand_off.h"
#include "monitor/popup_reminder.h"
#include "monitor/tray_agent.h"
#include "services/date_time.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "shell/entry.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace vtrl::monitor {
namespace {

using platform::Hive;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kLanguages[] = L"C:\\Program Files\\Vantorel\\Languages";

class MonitorWindows : public ::testing::Test {
protected:
    MonitorWindows() : facts(services::FrameworkStartup(fake.Get())) {
        fake.files.AddFile(std::wstring(kLanguages) + L"\\English.ini",
                           "[INTERFACE]\r\nOK=OK\r\nNOTIFY-NEW=New program.\r\n"
                           "NOTIFY-DEL=Removed.\r\nNORECORDS=Nothing starts.\r\n");
        language.LanguageFolder = kLanguages;
        language.LanguageName = L"English";
        fake.registry.CreateKey(Hive::CurrentUser, kRunKey);
        Set(L"Data", L"FirstRun", L"WAS");
    }

    void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
        services::SaveSetting(fake.registry, services::kAppKey, section, key, value);
    }
    std::wstring Get(const std::wstring& section, const std::wstring& key) {
        return services::GetSetting(fake.registry, services::kAppKey, section, key);
    }
    // A restricted Run record: each pass deletes it.
    void AddRestrictedRecord() {
        fake.files.AddFile(L"C:\\Tools\\bad.exe", "MZ");
        fake.registry.SetValue(Hive::CurrentUser, kRunKey, L"Bad",
                               {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\bad.exe")});
        fake.files.AddFile(facts.DataFolder + L"\\ActionsDB.txt",
                           "\r\nc:\\tools\r\nbad.exe\r\n\r\nN\r\nY\r\n2\r\n\r\n\r\n\r\n\r\n");
    }
    bool RecordPresent() {
        return fake.registry.QueryValue(Hive::CurrentUser, kRunKey, L"Bad").has_value();
    }
    TrayAgent& StartAgent(const std::wstring& mode) {
        return static_cast<TrayAgent&>(fake.windows.Load(std::make_unique<TrayAgent>(
            fake.Get(), facts, language, services::StartModeFromStored(mode))));
    }
    fakes::FakeFormHost& HostOf(const ui::Form& form) {
        return static_cast<fakes::FakeFormHost&>(*form.Host());
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts;
    services::Language language;
};

TEST_F(MonitorWindows, EveryRunsOnePassAndEnds) {
    AddRestrictedRecord();
    Set(L"Settings", L"SMode", L"Every");
    TrayAgent& agent = StartAgent(L"Every");
    EXPECT_EQ(agent.PassCount(), 1);
    EXPECT_FALSE(RecordPresent());
    EXPECT_TRUE(agent.Unloaded());
    EXPECT_TRUE(HostOf(agent).trayTips.empty());
}

TEST_F(MonitorWindows, OnceRunsAPassOnlyAfterADay) {
    AddRestrictedRecord();
    // The first start only notes the time.
    EXPECT_EQ(StartAgent(L"Once").PassCount(), 0);
    EXPECT_TRUE(RecordPresent());
    const std::wstring first = Get(L"Data", L"LAR");
    EXPECT_FALSE(first.empty());
    // Exactly a day (86,400 s, a literal so that a changed constant shows) later: not more
    // than a day, no pass.
    fake.clock.now = services::ShiftedTime(fake.clock.now, 86400);
    EXPECT_EQ(StartAgent(L"Once").PassCount(), 0);
    EXPECT_EQ(Get(L"Data", L"LAR"), first);
    // A second more: a pass, and the time is renewed.
    fake.clock.now = services::ShiftedTime(fake.clock.now, 1);
    TrayAgent& due = StartAgent(L"Once");
    EXPECT_EQ(due.PassCount(), 1);
    EXPECT_TRUE(due.Unloaded());
    EXPECT_FALSE(RecordPresent());
    EXPECT_NE(Get(L"Data", L"LAR"), first);
    // Unreadable: taken as never checked.
    Set(L"Data", L"LAR", L"not a date");
    EXPECT_EQ(StartAgent(L"Once").PassCount(), 0);
    EXPECT_NE(Get(L"Data", L"LAR"), L"not a date");
}

TEST_F(MonitorWindows, ResidentAgentWaitsForItsTimerAndEndsOnALeftClick) {
    AddRestrictedRecord();
    TrayAgent& agent = StartAgent(L"");
    auto& host = HostOf(agent);
    EXPECT_EQ(agent.Caption(), services::kTrayAgentCaption);
    EXPECT_EQ(agent.PassCount(), 0) << "never a pass at start";
    EXPECT_TRUE(RecordPresent());
    EXPECT_TRUE(agent.MagicSubTimer.Enabled());
    EXPECT_EQ(agent.MagicSubTimer.Interval(), 30000);
    EXPECT_EQ(host.trayTips, std::vector<std::wstring>{L"Vantorel 1.0"});
    // Parked just outside the bottom-right corner at once.
    ASSERT_FALSE(host.positions.empty());
    EXPECT_EQ(host.positions.back().left, host.screen.widthTwips);
    EXPECT_EQ(host.positions.back().top, host.screen.heightTwips);

    agent.MagicSubTimer.onTick();
    EXPECT_EQ(agent.PassCount(), 1);
    EXPECT_FALSE(RecordPresent());
    fake.launcher.started.clear(); // the removal notice

    for (unsigned message : {0x0200u, 0x0203u, 0x0205u, 0x0201u}) {
        agent.Form_TrayMessage(message);
    }
    EXPECT_FALSE(agent.Unloaded());
    EXPECT_TRUE(fake.launcher.started.empty());
    agent.Form_TrayMessage(kLeftButtonUp);
    EXPECT_TRUE(agent.Unloaded());
    EXPECT_FALSE(host.trayIcon);
    EXPECT_EQ(fake.launcher.started,
              std::vector<std::wstring>{L"\"" + facts.ProgramFolder + L"\\vantorel.exe\""});
}

TEST_F(MonitorWindows, HiddenIconAndUnknownModes) {
    Set(L"Settings", L"HideTrayIcon", L"YES");
    TrayAgent& hidden = StartAgent(L"");
    EXPECT_TRUE(HostOf(hidden).trayTips.empty());
    EXPECT_TRUE(hidden.MagicSubTimer.Enabled());
    // A close from outside removes the icon on the way.
    hidden.Unload();
    EXPECT_GE(HostOf(hidden).trayRemovals, 1);

    TrayAgent& unknown = StartAgent(L"Weekly");
    EXPECT_FALSE(unknown.MagicSubTimer.Enabled());
    EXPECT_FALSE(unknown.Unloaded());
    EXPECT_TRUE(HostOf(unknown).trayTips.empty());
}

TEST_F(MonitorWindows, AgentWithoutAnyRecordWarnsAndEnds) {
    TrayAgent& agent = StartAgent(L"Every");
    EXPECT_TRUE(agent.Unloaded());
    ASSERT_EQ(fake.messages.shown.size(), 1u);
    EXPECT_EQ(fake.messages.shown[0].text, L"Nothing starts.");
}

class Popup : public MonitorWindows {
protected:
    PopupReminder& Open(PopupNotice notice) {
        auto& popup = static_cast<PopupReminder&>(
            fake.windows.Load(std::make_unique<PopupReminder>(fake.Get(), facts, language)));
        popup.Activate(L"C:\\Tools", L"Sample.exe", notice);
        return popup;
    }
};

TEST_F(Popup, RemovalAndNewRecordNotices) {
    PopupReminder& removal = Open(PopupNotice::Removed);
    EXPECT_FALSE(removal.Command2.Visible());
    EXPECT_EQ(removal.Label3.Caption(), L"Removed.");
    EXPECT_EQ(removal.Label2.Caption(), L"SAMPLE.EXE");
    EXPECT_EQ(removal.Label1.Caption(), L"C:\\Tools");
    EXPECT_EQ(removal.Command1.Caption(), L"OK");
    EXPECT_TRUE(removal.Visible());
    EXPECT_TRUE(removal.Topmost());

    PopupReminder& fresh = Open(PopupNotice::NewRecord);
    EXPECT_TRUE(fresh.Command2.Visible());
    EXPECT_EQ(fresh.Command2.Caption(), L"Vantorel");
    EXPECT_EQ(fresh.Label3.Caption(), L"New program.");
    fresh.Command2.Click();
    EXPECT_TRUE(fresh.Unloaded());
    EXPECT_EQ(fake.launcher.started,
              std::vector<std::wstring>{L"\"" + facts.ProgramFolder +
                                        L"\\vantorel.exe\" preopenSAMPLE.EXE"});
}

TEST_F(Popup, SlidesInToTheTopEdgeAndOutUpwards) {
    PopupReminder& popup = Open(PopupNotice::Removed);
    auto& host = HostOf(popup);
    const int width = 6000;
    EXPECT_EQ(popup.Left(), host.screen.widthTwips - width - width / 2);
    EXPECT_EQ(popup.Top(), -2250);
    int ticks = 0;
    while (popup.Timer2.Enabled() && ticks < 1000) {
        popup.Timer2.onTick();
        ++ticks;
    }
    EXPECT_EQ(popup.Top(), 0);
    EXPECT_EQ(ticks, 12) << "2250 twips in steps of 180, the last short one snapped to 0";
    // A drag moves it; a later slide still ends flush with the top.
    popup.UserSetPosition(popup.Left(), 3000);
    popup.Timer2.SetEnabled(true);
    popup.Timer2.onTick();
    EXPECT_EQ(popup.Top(), 0);

    // The slide-out's steps come from its timer, one per tick, not from the click.
    popup.Command1.Click();
    EXPECT_FALSE(popup.Unloaded());
    EXPECT_EQ(popup.Top(), 0);
    EXPECT_TRUE(popup.SlideOut.Enabled());
    ticks = 0;
    while (!popup.Unloaded() && ticks < 1000) {
        popup.SlideOut.onTick();
        ++ticks;
        EXPECT_EQ(popup.Top(), popup.Unloaded() ? -2340 : -180 * ticks);
    }
    EXPECT_TRUE(popup.Unloaded());
    EXPECT_EQ(ticks, 14) << "13 steps of 180 twips past -2250, then the tick that unloads";
    EXPECT_EQ(host.pausedMs, 0);
}

TEST_F(Popup, ClosingWhileStillSlidingInEnds) {
    PopupReminder& popup = Open(PopupNotice::Removed);
    // Timer ticks that the close's own event handling lets through must not undo the slide-out.
    static_cast<fakes::FakeFormHost&>(*popup.Host()).screen.twipsPerPixel = 15;
    popup.Timer2.onTick();
    popup.Form_Escape(); // as "Ok"
    EXPECT_FALSE(popup.Timer2.Enabled());
    EXPECT_TRUE(popup.SlideOut.Enabled());
    // A second close (the auto close, a double click) leaves the slide-out running.
    popup.SlideOut.onTick();
    popup.Command1_Click();
    EXPECT_TRUE(popup.SlideOut.Enabled());
    for (int tick = 0; tick < 1000 && !popup.Unloaded(); ++tick) {
        popup.SlideOut.onTick();
    }
    EXPECT_TRUE(popup.Unloaded());
}

TEST_F(Popup, AutoCloseCountsDownElevenSeconds) {
    Set(L"Settings", L"AutoClose", L"YES");
    PopupReminder& popup = Open(PopupNotice::NewRecord);
    EXPECT_TRUE(popup.AutoClose.Enabled());
    EXPECT_EQ(popup.Label4.Caption(), L"10");
    int seconds = 0;
    while (!popup.SlideOut.Enabled() && seconds < 100) {
        popup.AutoClose.onTick();
        ++seconds;
    }
    EXPECT_EQ(seconds, 11) << "then it slides out as if OK had been pressed";
    EXPECT_FALSE(popup.AutoClose.Enabled());

    Set(L"Settings", L"AutoClose", L"");
    PopupReminder& staying = Open(PopupNotice::NewRecord);
    EXPECT_FALSE(staying.AutoClose.Enabled());
    EXPECT_FALSE(staying.Label4.Visible());
}

TEST_F(Popup, SoundPlaysOnceAfterLoad) {
    fake.files.AddFile(facts.ProgramFolder + L"\\sound.wav", "RIFF");
    PopupReminder& popup = Open(PopupNotice::Removed);
    EXPECT_TRUE(fake.sound.played.empty());
    popup.Timer1.onTick();
    EXPECT_FALSE(popup.Timer1.Enabled());
    EXPECT_EQ(fake.sound.played.size(), 1u);
}

class EntryModes : public MonitorWindows {
protected:
    void HandOff(const std::wstring& name, const std::string& text) {
        fake.files.AddFile(facts.DataFolder + L"\\" + name, text);
    }
};

TEST_F(EntryModes, HandOffWordsOpenTheirNotice) {
    fake.files.AddFile(facts.ProgramFolder + L"\\Languages\\English.ini",
                       "[INTERFACE]\r\nNOTIFY-DEL=Removed.\r\nNOTIFY-NEW=New program.\r\n");
    Set(L"Settings", L"Recent Update", fake.locale.FormatDateTime(fake.clock.now));
    Set(L"Settings", L"Language", L"English");
    HandOff(L"12345", "C:\\Tools\r\nbad.exe\r\n");
    HandOff(L"3003", "C:\\Tools\r\nnew.exe\r\n");

    EXPECT_EQ(shell::RunEntry(fake.Get(), fake.windows, L"notifi12345"),
              shell::DispatchOutcome::Returned);
    auto* removal = fake.windows.Find<PopupReminder>();
    ASSERT_NE(removal, nullptr);
    EXPECT_EQ(removal->Label3.Caption(), L"Removed.");
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\12345"));
    EXPECT_TRUE(Get(L"Remind", L"bad.exe").empty());

    EXPECT_EQ(shell::RunEntry(fake.Get(), fake.windows, L"unknown3003"),
              shell::DispatchOutcome::Returned);
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\3003"));
    EXPECT_EQ(Get(L"Remind", L"new.exe"), fake.locale.FormatDateTime(fake.clock.now));
    EXPECT_EQ(fake.windows.forms.size(), 2u);
    EXPECT_EQ(fake.windows.messageLoops, 2);
}

TEST_F(EntryModes, BadHandOffNamesShowNothingAndDeleteNothing) {
    Set(L"Settings", L"Recent Update", fake.locale.FormatDateTime(fake.clock.now));
    fake.files.AddFile(L"C:\\outside.txt", "C:\\\r\nvictim.exe\r\n");
    HandOff(L"short", "C:\\only\r\n");
    for (const wchar_t* line : {L"notifi..\\..\\..\\..\\outside.txt", L"notifiC:\\outside.txt",
                                L"unknownmissing", L"notifishort", L"notifi"}) {
        shell::RunEntry(fake.Get(), fake.windows, line);
    }
    EXPECT_TRUE(fake.windows.forms.empty());
    EXPECT_TRUE(fake.files.FileExists(L"C:\\outside.txt"));
    EXPECT_TRUE(fake.files.FileExists(facts.DataFolder + L"\\short"));

    // The same entry with a hand-off as the check pass writes it does open its notice, so the
    // names above were refused for what they are, not because the entry gave up early.
    const auto written = WriteHandOffFile(fake.Get(), facts.DataFolder, {L"C:\\Tools", L"bad.exe"});
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(shell::RunEntry(fake.Get(), fake.windows, L"notifi" + *written),
              shell::DispatchOutcome::Returned);
    auto* popup = fake.windows.Find<PopupReminder>();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Label3.Caption(), L"Removed.");
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\" + *written));
    EXPECT_EQ(fake.windows.forms.size(), 1u);
}

TEST_F(EntryModes, StartupHandsTheStoredModeToTheAgent) {
    Set(L"Settings", L"Recent Update", fake.locale.FormatDateTime(fake.clock.now));
    Set(L"Settings", L"SMode", L"Weekly");
    EXPECT_EQ(shell::RunEntry(fake.Get(), fake.windows, L"startup"),
              shell::DispatchOutcome::Returned);
    auto* agent = fake.windows.Find<TrayAgent>();
    ASSERT_NE(agent, nullptr);
    EXPECT_FALSE(agent->MagicSubTimer.Enabled()) << "an unknown mode enables nothing";
    EXPECT_EQ(shell::RunEntry(fake.Get(), fake.windows, L"Startup"),
              shell::DispatchOutcome::NoMatch);
}

} // namespace
} // namespace vtrl::monitor

namespace vtrl::monitor {
namespace {

class InstantProtection : public MonitorWindows {
protected:
    const std::wstring userRun = std::wstring(L"HKEY_CURRENT_USER\\") + kRunKey;
};

TEST_F(InstantProtection, AChangeRunsOnePassAfterTheSettlingDelay) {
    AddRestrictedRecord();
    TrayAgent& agent = StartAgent(L"");
    const auto sources = inventory::DefaultScanSources(facts);
    // The Startup folder's shortcuts and other files share one watch; a RunOnceEx key is
    // watched for its values and, apart, with its sections.
    std::set<std::pair<std::wstring, inventory::WatchScope>> locations;
    for (const inventory::PlaceSite& site : sources.places) {
        locations.insert({site.location, site.type->Watch()});
    }
    EXPECT_EQ(agent.WatchedLocations(), static_cast<int>(locations.size()));
    EXPECT_TRUE(fake.changes.Watching(userRun));
    EXPECT_TRUE(fake.changes.Watching(inventory::UserStartupSetting().keyText));
    EXPECT_TRUE(fake.changes.Watching(facts.StartupFolder));

    // An installer writing several values: one settle timer, one pass.
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(fake.changes.Fire(userRun));
    }
    EXPECT_EQ(agent.PassCount(), 0) << "no pass before the delay";
    EXPECT_TRUE(agent.SettleTimer.Enabled());
    EXPECT_EQ(agent.SettleTimer.Interval(), kSettleTimerMs);
    agent.SettleTimer.onTick();
    EXPECT_EQ(agent.PassCount(), 1);
    EXPECT_FALSE(agent.SettleTimer.Enabled());
    EXPECT_FALSE(RecordPresent());
    // The 30-second pass goes on as before.
    EXPECT_TRUE(agent.MagicSubTimer.Enabled());
}

TEST_F(InstantProtection, TraceFileCountsEachPassWithItsCause) {
    const std::wstring trace = L"C:\\trace.txt";
    fake.files.AddFile(L"C:\\Tools\\keep.exe", "MZ");
    fake.registry.SetValue(Hive::CurrentUser, kRunKey, L"Keep",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\keep.exe")});
    TrayAgent& agent = StartAgent(L"");
    agent.MagicSubTimer.onTick();
    EXPECT_FALSE(fake.files.FileExists(trace)) << "nothing is written without the setting";
    Set(L"Data", L"AgentTrace", trace);
    agent.MagicSubTimer.onTick();
    ASSERT_TRUE(fake.changes.Fire(userRun));
    agent.SettleTimer.onTick();
    EXPECT_FALSE(agent.Unloaded());
    // Another agent appends; its count starts again.
    Set(L"Settings", L"SMode", L"Every");
    StartAgent(L"Every");
    EXPECT_EQ(fake.files.ReadAll(trace), std::string("pass 2 timer records 1\r\n"
                                                     "pass 3 change records 1\r\n"
                                                     "pass 1 start records 1\r\n"));
}

TEST_F(InstantProtection, UnwatchableLocationsAreTriedAgainByTheTimerPass) {
    fake.changes.unwatchable = {facts.StartupFolder};
    AddRestrictedRecord();
    TrayAgent& agent = StartAgent(L"");
    EXPECT_FALSE(fake.changes.Watching(facts.StartupFolder));
    const int watched = agent.WatchedLocations();

    fake.changes.unwatchable.clear();
    fake.changes.Lose(userRun); // the key was deleted
    EXPECT_EQ(agent.WatchedLocations(), watched - 1);
    agent.MagicSubTimer.onTick();
    EXPECT_TRUE(fake.changes.Watching(facts.StartupFolder));
    EXPECT_TRUE(fake.changes.Watching(userRun));
    EXPECT_EQ(agent.WatchedLocations(), watched + 1);
}

TEST_F(InstantProtection, ARedirectedStartupFolderIsFollowedWithoutARestart) {
    const std::wstring moved = L"D:\\Moved Startup";
    const std::wstring old = facts.StartupFolder;
    fake.files.AddFile(L"C:\\Tools\\keep.exe", "MZ");
    fake.registry.SetValue(Hive::CurrentUser, kRunKey, L"Keep",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\keep.exe")});
    fake.files.AddFile(facts.DataFolder + L"\\ActionsDB.txt",
                       "\r\nd:\\moved startup\r\nlate.bat\r\n\r\nN\r\nY\r\n2\r\n\r\n\r\n\r\n\r\n"
                       "\r\nd:\\moved startup\r\nlater.bat\r\n\r\nN\r\nY\r\n2\r\n\r\n\r\n\r\n\r\n");
    fake.files.AddFile(moved + L"\\late.bat", "@exit\r\n");
    TrayAgent& agent = StartAgent(L"");
    const int watched = agent.WatchedLocations();

    // "User Shell Folders" changes: the pass it starts reads the folder again.
    fake.folders.known[platform::KnownFolder::Startup] = moved;
    ASSERT_TRUE(fake.changes.Fire(inventory::UserStartupSetting().keyText));
    agent.SettleTimer.onTick();
    EXPECT_FALSE(fake.files.FileExists(moved + L"\\late.bat")) << "the new folder is scanned";
    EXPECT_TRUE(fake.changes.Watching(moved));
    EXPECT_FALSE(fake.changes.Watching(old));
    EXPECT_TRUE(fake.changes.Watching(userRun)) << "the other watches are armed again";
    EXPECT_EQ(agent.WatchedLocations(), watched);

    // A file dropped there later is seen through the new folder's own watch.
    fake.files.AddFile(moved + L"\\later.bat", "@exit\r\n");
    ASSERT_TRUE(fake.changes.Fire(moved));
    agent.SettleTimer.onTick();
    EXPECT_FALSE(fake.files.FileExists(moved + L"\\later.bat"));
    EXPECT_EQ(agent.PassCount(), 2);
    EXPECT_FALSE(agent.Unloaded());
}

TEST_F(InstantProtection, OneShotModesWatchNothingAndClosingStopsTheWatches) {
    AddRestrictedRecord();
    StartAgent(L"Every");
    EXPECT_TRUE(fake.changes.watches.empty());
    TrayAgent& resident = StartAgent(L"");
    EXPECT_FALSE(fake.changes.watches.empty());
    resident.Unload();
    EXPECT_TRUE(fake.changes.watches.empty());
}

} // namespace
} // namespace vtrl::monitor
