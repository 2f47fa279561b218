// One check-cycle pass against the fake platform with a controllable clock: the reminder rule and
// its spacing, the restriction steps, the removal notice and the notification sound.

#include "decisions/backup_log.h"
#include "inventory_test_support.h"
#include "inventory/removable_record.h"
#include "inventory/signature_cache.h"
#include "monitor/check_cycle.h"
#include "monitor/restriction_way.h"
#include "inventory/startup_approved_value.h"
#include "services/date_time.h"
#include "monitor/hand_off.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "services/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace vtrl::monitor {
namespace {

using platform::Hive;
using services::ShiftedTime;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kOwnExe[] = L"\"C:\\Program Files\\Vantorel\\vantorel.exe\" ";

// A file system whose removal of one path fails while `refuse` is set, as for a shortcut in a
// folder the user may not write.
class StubbornFiles final : public platform::FileSystem {
public:
    explicit StubbornFiles(fakes::FakeFileSystem& inner) : inner_(inner) {}
    bool FileExists(const std::wstring& path) override { return inner_.FileExists(path); }
    bool FolderExists(const std::wstring& path) override { return inner_.FolderExists(path); }
    bool CreateFolder(const std::wstring& path) override { return inner_.CreateFolder(path); }
    std::optional<std::string> ReadAll(const std::wstring& path) override {
        return inner_.ReadAll(path);
    }
    bool ReplaceAll(const std::wstring& path, std::string_view bytes) override {
        return inner_.ReplaceAll(path, bytes);
    }
    bool CreateNewEmpty(const std::wstring& path) override { return inner_.CreateNewEmpty(path); }
    bool Remove(const std::wstring& path) override {
        if (refuse && fakes::FoldCase(path) == fakes::FoldCase(refusedPath)) {
            return false;
        }
        return inner_.Remove(path);
    }
    std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
        return inner_.FileSize(path);
    }
    std::vector<platform::FolderEntry> ListFolder(const std::wstring& folder,
                                                  const std::wstring& pattern) override {
        return inner_.ListFolder(folder, pattern);
    }
    std::wstring refusedPath;
    bool refuse = false;

private:
    fakes::FakeFileSystem& inner_;
};

class CheckCycle : public ::testing::Test {
protected:
    CheckCycle() {
        facts.ProgramFolder = fake.folders.programFolder;
        facts.ProgramName = fake.folders.programName;
        fake.files.AddFolder(facts.DataFolder);
        fake.registry.CreateKey(Hive::CurrentUser, kRunKey);
        // Not the first run: records are not stamped by the scan.
        services::SaveSetting(fake.registry, services::kAppKey, L"Data", L"FirstRun", L"WAS");
    }

    // A Run value starting C:\Tools\<exe>, whose file exists.
    void AddRunRecord(const std::wstring& name, const std::wstring& exe) {
        fake.files.AddFile(L"C:\\Tools\\" + exe, "MZ");
        fake.registry.SetValue(Hive::CurrentUser, kRunKey, name,
                               {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\" + exe)});
    }
    void AddShortcutRecord(const std::wstring& linkName, const std::wstring& exe) {
        fake.files.AddFile(L"C:\\Tools\\" + exe, "MZ");
        const std::wstring link = facts.StartupFolder + L"\\" + linkName;
        fake.files.AddFile(link, "L");
        fake.links.readable[fakes::FoldCase(link)] = {L"C:\\Tools\\" + exe, L""};
    }
    bool HasRunValue(const std::wstring& name) {
        return fake.registry.QueryValue(Hive::CurrentUser, kRunKey, name).has_value();
    }
    void Decide(const std::wstring& exe, const wchar_t* status, bool kill, bool remove) {
        DecideIn(L"C:\\Tools", exe, status, kill, remove);
    }
    void DecideIn(const std::wstring& folder, const std::wstring& exe, const wchar_t* status,
                  bool kill, bool remove) {
        decisions::Decisions table;
        decisions::LoadDecisions(fake.Get().files, fake.Get().locale, facts.DataFolder, table);
        ASSERT_TRUE(decisions::SaveDecision(fake.Get(), facts.DataFolder, table, folder, exe, L"",
                                            kill, remove, status));
    }
    void Pass() { RunCheckCycle(fake.Get(), facts, inventory, table); }

    std::wstring Setting(const std::wstring& section, const std::wstring& key) {
        return services::GetSetting(fake.registry, services::kAppKey, section, key);
    }
    void SetSetting(const std::wstring& section, const std::wstring& key,
                    const std::wstring& value) {
        services::SaveSetting(fake.registry, services::kAppKey, section, key, value);
    }
    std::wstring TimeText(long long secondsFromNow) {
        return fake.locale.FormatDateTime(ShiftedTime(fake.clock.now, secondsFromNow));
    }
    void LastReminderAgo(long long seconds) {
        SetSetting(L"Data", L"LastReminder", TimeText(-seconds));
    }
    void Advance(long long seconds) { fake.clock.now = ShiftedTime(fake.clock.now, seconds); }

    // The hand-off file names of the started popups with this word, in start order.
    std::vector<std::wstring> Popups(const std::wstring& word) {
        std::vector<std::wstring> names;
        const std::wstring prefix = kOwnExe + word;
        for (const std::wstring& command : fake.launcher.started) {
            if (command.starts_with(prefix)) {
                names.push_back(command.substr(prefix.size()));
            }
        }
        return names;
    }
    std::optional<std::string> HandOffContent(const std::wstring& name) {
        return fake.files.Content(facts.DataFolder + L"\\" + name);
    }
    std::vector<decisions::BackupEntry> Logged() {
        const auto lines = services::ReadTextLines(fake.files, fake.locale,
                                                   decisions::BackupLogPath(facts.DataFolder));
        return lines ? decisions::ParseBackupLines(*lines) : std::vector<decisions::BackupEntry>{};
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts = inventory::testing::FakeProfileFacts();
    inventory::StartupInventory inventory;
    decisions::Decisions table;
};

// --- Reminders about records without a decision ---

TEST_F(CheckCycle, FirstPassAfterAnEmptyLastReminderStartsNothing) {
    AddRunRecord(L"Tool", L"Tool.exe");
    Pass();
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{});
    EXPECT_EQ(Setting(L"Data", L"LastReminder"), TimeText(0));
    // Never seen before: stamped as due now.
    EXPECT_EQ(Setting(L"Remind", L"tool.exe"), TimeText(-kRemindIntervalSeconds));

    Advance(kReminderGapSeconds + 1);
    Pass();
    const auto popups = Popups(services::kReminderWord);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(HandOffContent(popups[0]), std::string("c:\\tools\r\ntool.exe\r\n"));
    EXPECT_EQ(Setting(L"Data", L"LastReminder"), TimeText(0));
}

TEST_F(CheckCycle, TwoUndecidedRecordsInOnePassStartOneReminder) {
    AddRunRecord(L"Alpha", L"alpha.exe");
    AddRunRecord(L"Beta", L"beta.exe");
    LastReminderAgo(1000);
    Pass();
    auto popups = Popups(services::kReminderWord);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(HandOffContent(popups[0]), std::string("c:\\tools\r\nalpha.exe\r\n"));

    // What the popup process stores for alpha.exe.
    SetSetting(L"Remind", L"alpha.exe", TimeText(0));
    Advance(kReminderGapSeconds);
    Pass();
    EXPECT_EQ(Popups(services::kReminderWord).size(), 1u) << "the gap must exceed 300 s";
    Advance(1);
    Pass();
    popups = Popups(services::kReminderWord);
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_EQ(HandOffContent(popups[1]), std::string("c:\\tools\r\nbeta.exe\r\n"));
}

// The boundaries are written as literals: a test built from the product's own constants would
// follow them wherever they moved.
TEST_F(CheckCycle, GapBoundaryIsMoreThan300Seconds) {
    AddRunRecord(L"Tool", L"tool.exe");
    LastReminderAgo(300);
    Pass();
    EXPECT_EQ(fake.launcher.started.size(), 0u);
    LastReminderAgo(301);
    Pass();
    EXPECT_EQ(Popups(services::kReminderWord).size(), 1u);
}

TEST_F(CheckCycle, IntervalBoundaryIsAtLeast21600Seconds) {
    AddRunRecord(L"Tool", L"tool.exe");
    LastReminderAgo(10000);
    SetSetting(L"Remind", L"tool.exe", TimeText(-21599));
    Pass();
    EXPECT_EQ(fake.launcher.started.size(), 0u);
    Advance(1);
    Pass();
    EXPECT_EQ(Popups(services::kReminderWord).size(), 1u);
}

TEST_F(CheckCycle, UnreadableRemindTimeCountsAsNone) {
    AddRunRecord(L"Tool", L"tool.exe");
    LastReminderAgo(1000);
    SetSetting(L"Remind", L"tool.exe", L"not a date");
    Pass();
    EXPECT_EQ(Popups(services::kReminderWord).size(), 1u);
    EXPECT_EQ(Setting(L"Remind", L"tool.exe"), TimeText(-kRemindIntervalSeconds));
}

TEST_F(CheckCycle, UnknownNoSwitchesRemindersOffButNotRestrictions) {
    AddRunRecord(L"New", L"new.exe");
    AddRunRecord(L"Bad", L"bad.exe");
    Decide(L"bad.exe", decisions::kStatusRestricted, false, true);
    LastReminderAgo(100000);
    const std::wstring lastReminder = Setting(L"Data", L"LastReminder");
    SetSetting(L"Settings", L"Unknown", L"NO");
    Pass();
    EXPECT_EQ(Popups(services::kReminderWord).size(), 0u);
    EXPECT_EQ(Setting(L"Remind", L"new.exe"), L"");
    EXPECT_EQ(Setting(L"Data", L"LastReminder"), lastReminder);
    EXPECT_FALSE(HasRunValue(L"Bad"));
    EXPECT_EQ(Popups(services::kRemovalWord).size(), 1u);
}

TEST_F(CheckCycle, AReminderWhoseProcessDidNotStartLeavesNoHandOffFile) {
    AddRunRecord(L"Tool", L"tool.exe");
    LastReminderAgo(1000);
    fake.launcher.startSucceeds = false;
    Pass();
    std::vector<std::wstring> names;
    for (const platform::FolderEntry& entry : fake.files.ListFolder(facts.DataFolder, L"*")) {
        names.push_back(entry.name);
    }
    EXPECT_EQ(names, (std::vector<std::wstring>{decisions::kDecisionFileName,
                                                inventory::kSignatureCacheFileName}));
    EXPECT_EQ(Setting(L"Data", L"LastReminder"), TimeText(0)) << "tried; the gap still holds";
}

// --- Restricted and approved records ---

TEST_F(CheckCycle, AllApprovedInventoryChangesNothing) {
    AddRunRecord(L"Alpha", L"alpha.exe");
    AddShortcutRecord(L"Beta.lnk", L"beta.exe");
    Decide(L"alpha.exe", decisions::kStatusApproved, true, true);
    Decide(L"beta.exe", decisions::kStatusApproved, false, false);
    LastReminderAgo(100000);
    fake.processes.Start(L"C:\\Tools\\alpha.exe");
    const auto decisionFile = fake.files.Content(decisions::DecisionFilePath(facts.DataFolder));
    const std::size_t files = fake.files.FileCount();
    const std::size_t registryWrites = fake.registry.MutatingCalls();

    Pass();
    Pass();
    EXPECT_EQ(fake.files.Content(decisions::DecisionFilePath(facts.DataFolder)), decisionFile);
    EXPECT_FALSE(fake.files.FileExists(decisions::BackupLogPath(facts.DataFolder)));
    // The first pass remembers the programs' signatures; nothing else is written.
    EXPECT_TRUE(fake.files.FileExists(inventory::SignatureCachePath(facts.DataFolder)));
    EXPECT_EQ(fake.files.FileCount(), files + 1);
    EXPECT_EQ(fake.registry.MutatingCalls(), registryWrites);
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{});
    EXPECT_EQ(fake.launcher.startedHidden, std::vector<std::wstring>{});
    EXPECT_TRUE(HasRunValue(L"Alpha"));
}

TEST_F(CheckCycle, RestrictedRegistryRecordIsRemovedLoggedAndAnnounced) {
    AddRunRecord(L"Bad", L"Bad.exe");
    Decide(L"bad.exe", decisions::kStatusRestricted, false, true);
    Pass();
    EXPECT_FALSE(HasRunValue(L"Bad"));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].FullLocation, std::wstring(L"HKEY_CURRENT_USER\\") + kRunKey + L"\\Bad");
    EXPECT_EQ(logged[0].CommandLine, L"C:\\Tools\\Bad.exe");
    const auto popups = Popups(services::kRemovalWord);
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(HandOffContent(popups[0]), std::string("c:\\tools\r\nbad.exe\r\n"));
    EXPECT_EQ(fake.sound.played, std::vector<std::wstring>{}) << "the popup plays it";
}

// A standard user's pass leaves a restricted machine-wide record in place, with no backup, and
// says so in its spaced notice; the user's own restricted record goes as always.
TEST_F(CheckCycle, AMachineRecordIsLeftToAnAdministratorAndTheUserIsTold) {
    const std::wstring machineRun = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    fake.files.AddFile(L"C:\\Tools\\Shared.exe", "MZ");
    fake.registry.CreateKey(Hive::LocalMachine, machineRun);
    fake.registry.SetValue(Hive::LocalMachine, machineRun, L"Shared",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\Shared.exe")});
    AddRunRecord(L"Mine", L"Mine.exe");
    Decide(L"shared.exe", decisions::kStatusRestricted, false, true);
    Decide(L"mine.exe", decisions::kStatusRestricted, false, true);
    LastReminderAgo(3600);
    facts.IsAdmin = false;
    Pass();
    EXPECT_TRUE(fake.registry.QueryValue(Hive::LocalMachine, machineRun, L"Shared"));
    EXPECT_FALSE(HasRunValue(L"Mine"));
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_EQ(Logged()[0].ExeName, L"mine.exe");
    const auto notices = Popups(services::kAdminOnlyWord);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(HandOffContent(notices[0]), std::string("c:\\tools\r\nshared.exe\r\n"));
    // Spaced like every reminder: not again at the next pass.
    Pass();
    EXPECT_EQ(Popups(services::kAdminOnlyWord).size(), 1u);
    // An administrator's pass removes it.
    facts.IsAdmin = true;
    Pass();
    EXPECT_FALSE(fake.registry.QueryValue(Hive::LocalMachine, machineRun, L"Shared"));
}

// A record whose program is missing is reminded of, removed with its backup and announced like
// any other; a restricted one is never looked for among the running processes by name alone.
TEST_F(CheckCycle, AMissingProgramsRecordIsTreatedLikeAnyOther) {
    fake.registry.SetValue(Hive::CurrentUser, kRunKey, L"Gone",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Gone\\gone.exe -x")});
    fake.registry.SetValue(Hive::CurrentUser, kRunKey, L"Lost",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Lost\\lost.exe")});
    fake.processes.Start(L"C:\\Elsewhere\\gone.exe");
    decisions::Decisions decided;
    decisions::LoadDecisions(fake.Get().files, fake.Get().locale, facts.DataFolder, decided);
    ASSERT_TRUE(decisions::SaveDecision(fake.Get(), facts.DataFolder, decided, L"C:\\Gone",
                                        L"gone.exe", L"-x", true, true,
                                        decisions::kStatusRestricted));
    LastReminderAgo(1000);
    Pass();
    EXPECT_FALSE(HasRunValue(L"Gone"));
    const auto logged = Logged();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].CommandLine, L"C:\\Gone\\gone.exe -x");
    EXPECT_EQ(HandOffContent(Popups(services::kRemovalWord).at(0)),
              std::string("c:\\gone\r\ngone.exe\r\n"));
    EXPECT_EQ(HandOffContent(Popups(services::kReminderWord).at(0)),
              std::string("c:\\lost\r\nlost.exe\r\n"));
    EXPECT_TRUE(fake.processes.ended.empty()) << "a namesake elsewhere keeps running";
}

TEST_F(CheckCycle, TwoRemovalsInOnePassGetTwoHandOffFiles) {
    AddRunRecord(L"One", L"one.exe");
    AddShortcutRecord(L"Two.lnk", L"two.exe");
    Decide(L"one.exe", decisions::kStatusRestricted, false, true);
    Decide(L"two.exe", decisions::kStatusRestricted, false, true);
    Pass();
    const auto popups = Popups(services::kRemovalWord);
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_NE(popups[0], popups[1]);
    EXPECT_EQ(HandOffContent(popups[0]), std::string("c:\\tools\r\none.exe\r\n"));
    EXPECT_EQ(HandOffContent(popups[1]), std::string("c:\\tools\r\ntwo.exe\r\n"));
    EXPECT_FALSE(fake.files.FileExists(facts.StartupFolder + L"\\Two.lnk"));
    EXPECT_EQ(Logged().size(), 2u);
}

TEST_F(CheckCycle, ShutDownOnlyKeepsTheRecordAndEndsEachProcessOfThatFile) {
    AddRunRecord(L"Tool", L"Tool.exe");
    Decide(L"tool.exe", decisions::kStatusRestricted, true, false);
    const std::uint32_t first = fake.processes.Start(L"C:\\TOOLS\\TOOL.EXE");
    fake.processes.Start(L"C:\\Tools\\toolbox.exe");
    const std::uint32_t second = fake.processes.Start(L"c:\\tools/tool.exe");
    Pass();
    ASSERT_EQ(fake.processes.ended.size(), 2u);
    EXPECT_EQ(fake.processes.ended[0].id, first);
    EXPECT_EQ(fake.processes.ended[1].id, second);
    EXPECT_TRUE(HasRunValue(L"Tool"));
    EXPECT_EQ(Logged().size(), 0u);
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{});
    EXPECT_EQ(fake.launcher.startedHidden, std::vector<std::wstring>{}) << "no taskkill by name";
    // Started again, ended again.
    fake.processes.Start(L"C:\\Tools\\tool.exe");
    Pass();
    EXPECT_EQ(fake.processes.ended.size(), 3u);
}

TEST_F(CheckCycle, ANamesakeInAnotherFolderKeepsRunning) {
    fake.files.AddFile(L"C:\\Users\\x\\AppData\\Roaming\\svchost.exe", "MZ");
    fake.registry.SetValue(
        Hive::CurrentUser, kRunKey, L"Fake",
        {platform::kRegSz, services::EncodeRegSz(L"C:\\Users\\x\\AppData\\Roaming\\svchost.exe")});
    DecideIn(L"C:\\USERS\\X\\APPDATA\\ROAMING", L"svchost.exe", decisions::kStatusRestricted, true,
             false);
    const std::uint32_t system = fake.processes.Start(L"C:\\Windows\\System32\\svchost.exe");
    fake.processes.Start(L"svchost.exe"); // path unreadable: judged by name only
    const std::uint32_t roaming =
        fake.processes.Start(L"C:\\Users\\x\\AppData\\Roaming\\svchost.exe");
    Pass();
    ASSERT_EQ(fake.processes.ended.size(), 1u);
    EXPECT_EQ(fake.processes.ended[0].id, roaming);
    EXPECT_TRUE(std::any_of(fake.processes.processes.begin(), fake.processes.processes.end(),
                            [&](const auto& process) { return process.id == system; }));
    EXPECT_EQ(fake.processes.processes.size(), 5u);
}

TEST_F(CheckCycle, ANameWithTwoDotsIsFoundAndEnded) {
    AddRunRecord(L"Tool", L"my.tool.exe");
    Decide(L"my.tool.exe", decisions::kStatusRestricted, true, false);
    fake.processes.Start(L"C:\\Tools\\my.exe");
    const std::uint32_t dotted = fake.processes.Start(L"C:\\Tools\\my.tool.exe");
    Pass();
    ASSERT_EQ(fake.processes.ended.size(), 1u);
    EXPECT_EQ(fake.processes.ended[0].id, dotted);
}

TEST_F(CheckCycle, OneProcessListServesTheWholePass) {
    for (const wchar_t* exe : {L"a.exe", L"b.exe", L"c.exe"}) {
        AddRunRecord(exe, exe);
        Decide(exe, decisions::kStatusRestricted, true, false);
        fake.processes.Start(std::wstring(L"C:\\Tools\\") + exe);
    }
    const std::size_t before = fake.processes.snapshots;
    Pass();
    EXPECT_EQ(fake.processes.snapshots - before, 1u);
    EXPECT_EQ(fake.processes.ended.size(), 3u);
}

TEST_F(CheckCycle, AValueNameWithANulIsNeverRemovedNorItsPrefixSibling) {
    AddRunRecord(L"Tool", L"approved.exe");
    fake.files.AddFile(L"C:\\Tools\\bad.exe", "MZ");
    const std::wstring odd(L"Tool\0hidden", 11);
    fake.registry.PlantValue(Hive::CurrentUser, kRunKey, odd,
                             {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\bad.exe")});
    Decide(L"approved.exe", decisions::kStatusApproved, false, false);
    Decide(L"bad.exe", decisions::kStatusRestricted, false, true);
    Pass();
    ASSERT_EQ(inventory.LastRecordIndex, 1);
    const inventory::StartupRecord& record = inventory.Records[1];
    EXPECT_EQ(record.EntryName, odd);
    EXPECT_EQ(record.ExeName, L"bad.exe") << "read by its whole name, not the prefix";
    EXPECT_FALSE(inventory::CanBeRemoved(record));
    EXPECT_TRUE(HasRunValue(L"Tool"));
    EXPECT_TRUE(HasRunValue(odd));
    EXPECT_EQ(Logged().size(), 0u) << "no backup of a record left in place";
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{});
}

TEST_F(CheckCycle, AFailedDeletionRaisesNoNoticeAndIsTriedAgain) {
    AddShortcutRecord(L"Bad.lnk", L"bad.exe");
    Decide(L"bad.exe", decisions::kStatusRestricted, false, true);
    StubbornFiles files{fake.files};
    files.refusedPath = facts.StartupFolder + L"\\Bad.lnk";
    files.refuse = true;
    platform::Platform stubborn = fake.WithFiles(files);
    SetSetting(L"Settings", L"NotifiWin", L"NO");
    fake.files.AddFile(facts.ProgramFolder + L"\\sound.wav", "RIFF");

    RunCheckCycle(stubborn, facts, inventory, table);
    EXPECT_TRUE(fake.files.FileExists(files.refusedPath));
    EXPECT_EQ(Logged().size(), 1u) << "the backup comes first";
    EXPECT_EQ(fake.sound.played, std::vector<std::wstring>{});
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{});

    files.refuse = false;
    RunCheckCycle(stubborn, facts, inventory, table);
    EXPECT_FALSE(fake.files.FileExists(files.refusedPath));
    EXPECT_EQ(Logged().size(), 1u) << "one entry per executable";
    EXPECT_EQ(fake.sound.played.size(), 1u);
}

// --- Removal notice and sound ---

class RemovalNotice : public CheckCycle {
protected:
    std::wstring SoundPath() const { return facts.ProgramFolder + L"\\sound.wav"; }
};

TEST_F(RemovalNotice, StartsAPopupWithItsOwnHandOffFile) {
    NotifyRemoval(fake.Get(), facts, L"c:\\tools", L"bad.exe");
    ASSERT_EQ(fake.launcher.started.size(), 1u);
    const std::wstring command = fake.launcher.started[0];
    ASSERT_TRUE(command.starts_with(std::wstring(kOwnExe) + L"notifi")) << command;
    const std::wstring name = command.substr(std::wstring(kOwnExe).size() + 6);
    EXPECT_TRUE(IsHandOffName(name));
    EXPECT_EQ(HandOffContent(name), std::string("c:\\tools\r\nbad.exe\r\n"));
}

TEST_F(RemovalNotice, NotifiWinNoOnlyPlaysTheSound) {
    fake.files.AddFile(SoundPath(), "RIFF");
    SetSetting(L"Settings", L"NotifiWin", L"NO");
    const std::size_t files = fake.files.FileCount();
    NotifyRemoval(fake.Get(), facts, L"c:\\tools", L"bad.exe");
    EXPECT_EQ(fake.sound.played, std::vector<std::wstring>{SoundPath()});
    EXPECT_EQ(fake.launcher.started, std::vector<std::wstring>{});
    EXPECT_EQ(fake.files.FileCount(), files);
}

TEST_F(RemovalNotice, SoundIsSilentWhenSwitchedOffOrMissing) {
    PlayNotificationSound(fake.Get(), facts);
    EXPECT_EQ(fake.sound.played, std::vector<std::wstring>{}) << "no sound.wav";
    fake.files.AddFile(SoundPath(), "RIFF");
    SetSetting(L"Settings", L"Sound", L"NO");
    PlayNotificationSound(fake.Get(), facts);
    EXPECT_EQ(fake.sound.played, std::vector<std::wstring>{}) << "Sound = NO";
    SetSetting(L"Settings", L"Sound", L"");
    PlayNotificationSound(fake.Get(), facts);
    EXPECT_EQ(fake.sound.played, std::vector<std::wstring>{SoundPath()});
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\fileerror.txt"))
        << "the step marker is cleared afterwards";
}

TEST(ShiftedTime, CrossesDaysMonthsAndYears) {
    EXPECT_EQ(ShiftedTime({2026, 12, 31, 23, 59, 30}, 45),
              (platform::LocalTime{2027, 1, 1, 0, 0, 15}));
    EXPECT_EQ(ShiftedTime({2028, 3, 1, 3, 0, 0}, -kRemindIntervalSeconds),
              (platform::LocalTime{2028, 2, 29, 21, 0, 0}));
    EXPECT_EQ(ShiftedTime({2026, 1, 1, 0, 0, 0}, -1),
              (platform::LocalTime{2025, 12, 31, 23, 59, 59}));
    EXPECT_EQ(ShiftedTime({2026, 6, 15, 12, 0, 0}, 0),
              (platform::LocalTime{2026, 6, 15, 12, 0, 0}));
}

// --- Windows' own switch ---

constexpr wchar_t kUserRunSwitch[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

TEST_F(CheckCycle, RestrictionWayIsChosenOnceByWhetherTheProfileHasDecisions) {
    EXPECT_EQ(LoadRestrictionWay(fake.Get(), facts.DataFolder), RestrictionWay::SwitchOff);
    EXPECT_EQ(Setting(L"Settings", L"RestrictBy"), L"SWITCH");
    // Stored: a decision made later does not change it.
    Decide(L"tool.exe", L"2", false, true);
    EXPECT_EQ(LoadRestrictionWay(fake.Get(), facts.DataFolder), RestrictionWay::SwitchOff);

    SetSetting(L"Settings", L"RestrictBy", L"");
    EXPECT_EQ(LoadRestrictionWay(fake.Get(), facts.DataFolder), RestrictionWay::Delete);
    EXPECT_EQ(Setting(L"Settings", L"RestrictBy"), L"DELETE");
    SetSetting(L"Settings", L"RestrictBy", L"Weekly");
    EXPECT_EQ(LoadRestrictionWay(fake.Get(), facts.DataFolder), RestrictionWay::Delete);
}

TEST_F(CheckCycle, SwitchOffWayKeepsTheRecordAndSwitchesItOffOnce) {
    AddRunRecord(L"Tool", L"tool.exe");
    AddRunRecord(L"Keeper", L"keeper.exe");
    Decide(L"tool.exe", L"2", false, true);
    Decide(L"keeper.exe", L"1", false, false);
    SetSetting(L"Settings", L"RestrictBy", L"SWITCH");
    Pass();
    EXPECT_TRUE(HasRunValue(L"Tool"));
    const auto value = fake.registry.QueryValue(Hive::CurrentUser, kUserRunSwitch, L"Tool");
    ASSERT_TRUE(value);
    EXPECT_FALSE(inventory::ParseApprovedValue(value->data).enabled);
    EXPECT_FALSE(fake.registry.QueryValue(Hive::CurrentUser, kUserRunSwitch, L"Keeper"));
    const auto notices = Popups(services::kSwitchedOffWord);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(HandOffContent(notices[0]), std::string("c:\\tools\r\ntool.exe\r\n"));
    EXPECT_TRUE(Popups(services::kRemovalWord).empty());
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_EQ(Logged()[0].Kind, L"WINSWITCH");

    // Switched off it is harmless: the next pass neither writes nor notifies again.
    const auto before = value->data;
    Advance(60);
    Pass();
    EXPECT_EQ(fake.registry.QueryValue(Hive::CurrentUser, kUserRunSwitch, L"Tool")->data, before);
    EXPECT_EQ(Popups(services::kSwitchedOffWord).size(), 1u);
    // Switched on again behind the agent's back: off again at the next pass.
    fake.registry.SetValue(Hive::CurrentUser, kUserRunSwitch, L"Tool",
                           {platform::kRegBinary, inventory::SwitchedOnValue()});
    Pass();
    EXPECT_FALSE(inventory::ParseApprovedValue(
                     fake.registry.QueryValue(Hive::CurrentUser, kUserRunSwitch, L"Tool")->data)
                     .enabled);
    EXPECT_EQ(Popups(services::kSwitchedOffWord).size(), 2u);
}

TEST_F(CheckCycle, WithoutASwitchOrInDeleteWayTheRecordIsDeleted) {
    fake.registry.CreateKey(Hive::CurrentUser,
                            L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
    fake.files.AddFile(L"C:\\Tools\\once.exe", "MZ");
    fake.registry.SetValue(Hive::CurrentUser,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Once",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\once.exe")});
    AddRunRecord(L"Tool", L"tool.exe");
    Decide(L"once.exe", L"2", false, true);
    SetSetting(L"Settings", L"RestrictBy", L"SWITCH");
    Pass();
    EXPECT_FALSE(fake.registry
                     .QueryValue(Hive::CurrentUser,
                                 L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Once")
                     .has_value());
    ASSERT_EQ(Logged().size(), 1u);
    EXPECT_EQ(Logged()[0].Kind, L"REGISTRY");
    EXPECT_EQ(Popups(services::kRemovalWord).size(), 1u);

    Decide(L"tool.exe", L"2", false, true);
    SetSetting(L"Settings", L"RestrictBy", L"DELETE");
    Pass();
    EXPECT_FALSE(HasRunValue(L"Tool"));
    EXPECT_FALSE(fake.registry.QueryValue(Hive::CurrentUser, kUserRunSwitch, L"Tool"));
}

TEST_F(CheckCycle, ARecordSwitchedOffInWindowsIsNeitherRemindedNorDeleted) {
    AddRunRecord(L"Quiet", L"quiet.exe");
    AddRunRecord(L"Gone", L"gone.exe");
    fake.registry.CreateKey(Hive::CurrentUser, kUserRunSwitch);
    for (const wchar_t* name : {L"Quiet", L"Gone"}) {
        fake.registry.SetValue(Hive::CurrentUser, kUserRunSwitch, name,
                               {platform::kRegBinary, inventory::SwitchedOffValue(0)});
    }
    Decide(L"gone.exe", L"2", false, true);
    SetSetting(L"Settings", L"RestrictBy", L"DELETE");
    LastReminderAgo(1000);
    Pass();
    EXPECT_TRUE(Popups(services::kReminderWord).empty());
    EXPECT_TRUE(HasRunValue(L"Gone")) << "harmless while Windows keeps it off";
    EXPECT_TRUE(Logged().empty());
}

} // namespace
} // namespace vtrl::monitor
