// Windows' own on/off switch: the 12-byte "StartupApproved" value read and written as Task
// Manager does, the key Windows reads it from for each place, and what the list says.

#include "fakes/fake_platform.h"
#include "inventory/inventory_scan.h"
#include "inventory/startup_approved_value.h"
#include "inventory/windows_switch.h"
#include "inventory_test_support.h"
#include "manager/list_row_text.h"
#include "manager_window_fixture.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include <cstdint>
#include <vector>

namespace vtrl::inventory {
namespace {

using namespace std::string_literals;

// 2026-12-09 09:50:20 UTC as a FILETIME, little-endian.
constexpr std::uint64_t kSwitchedOffAt = 0x01DD87C2B3BE9600;
const std::vector<std::uint8_t> kTimeBytes = {0x00, 0x96, 0xBE, 0xB3, 0xC2, 0x87, 0xDD, 0x01};

std::vector<std::uint8_t> ValueOf(std::uint8_t first, const std::vector<std::uint8_t>& time) {
    std::vector<std::uint8_t> value = {first, 0, 0, 0};
    value.insert(value.end(), time.begin(), time.end());
    return value;
}

TEST(StartupApprovedValue, BothFirstBytesOfEachState) {
    const std::vector<std::uint8_t> zeros(8, 0);
    EXPECT_EQ(ParseApprovedValue(ValueOf(0x02, zeros)), (ApprovedState{true, 0}));
    EXPECT_EQ(ParseApprovedValue(ValueOf(0x06, zeros)), (ApprovedState{true, 0}));
    EXPECT_EQ(ParseApprovedValue(ValueOf(0x03, kTimeBytes)),
              (ApprovedState{false, kSwitchedOffAt}));
    EXPECT_EQ(ParseApprovedValue(ValueOf(0x07, kTimeBytes)),
              (ApprovedState{false, kSwitchedOffAt}));
    // Switched off without a time: off all the same, with no date to show.
    EXPECT_EQ(ParseApprovedValue(ValueOf(0x03, zeros)), (ApprovedState{false, 0}));
}

TEST(StartupApprovedValue, AnythingElseReadsAsOn) {
    std::vector<std::uint8_t> off = ValueOf(0x03, kTimeBytes);
    EXPECT_TRUE(ParseApprovedValue({}).enabled);
    EXPECT_TRUE(ParseApprovedValue(std::vector<std::uint8_t>{0x03}).enabled);
    EXPECT_TRUE(ParseApprovedValue(std::span(off).first(11)).enabled);
    off.push_back(0);
    EXPECT_TRUE(ParseApprovedValue(off).enabled);
    for (const std::uint8_t first : {0x00, 0x01, 0x04, 0x05, 0x13, 0xFF}) {
        EXPECT_TRUE(ParseApprovedValue(ValueOf(first, kTimeBytes)).enabled) << int{first};
    }
}

TEST(StartupApprovedValue, WritesWhatTaskManagerWrites) {
    EXPECT_EQ(SwitchedOffValue(kSwitchedOffAt), ValueOf(0x03, kTimeBytes));
    EXPECT_EQ(SwitchedOnValue(), ValueOf(0x02, std::vector<std::uint8_t>(8, 0)));
    EXPECT_EQ(ParseApprovedValue(SwitchedOffValue(kSwitchedOffAt)).disabledSince, kSwitchedOffAt);
    EXPECT_TRUE(ParseApprovedValue(SwitchedOnValue()).enabled);
}

TEST(StartupApprovedValue, TimeRoundTrip) {
    const platform::LocalTime at{2026, 12, 9, 9, 50, 20};
    EXPECT_EQ(FileTimeOfUtc(at), kSwitchedOffAt);
    EXPECT_EQ(UtcOfFileTime(kSwitchedOffAt), at);
    // Fractions of a second are dropped, and the epoch itself is 1601-01-01.
    EXPECT_EQ(UtcOfFileTime(kSwitchedOffAt + 9'999'999), at);
    EXPECT_EQ(UtcOfFileTime(0), (platform::LocalTime{1601, 1, 1, 0, 0, 0}));
    const platform::LocalTime leapDay{2024, 2, 29, 23, 59, 59};
    EXPECT_EQ(UtcOfFileTime(FileTimeOfUtc(leapDay)), leapDay);
}

using platform::Hive;

constexpr wchar_t kApproved[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
constexpr wchar_t kRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunOnce[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
constexpr wchar_t kRun32[] = L"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

class WindowsSwitch : public ::testing::Test {
protected:
    WindowsSwitch() { fake.files.AddFile(L"C:\\Tools\\a.exe", "MZ"); }
    void Set(Hive hive, const std::wstring& key, const std::wstring& name,
             const platform::RegistryValue& value) {
        ASSERT_TRUE(fake.registry.CreateKey(hive, key));
        ASSERT_TRUE(fake.registry.SetValue(hive, key, name, value));
    }
    void Run(Hive hive, const std::wstring& key, const std::wstring& name) {
        Set(hive, key, name, {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\a.exe")});
    }
    void Shortcut(const std::wstring& folder, const std::wstring& name) {
        fake.files.AddFile(folder + L"\\" + name, "L");
        fake.links.readable[fakes::FoldCase(folder + L"\\" + name)] = {L"C:\\Tools\\a.exe", L""};
    }
    void Approved(Hive hive, const std::wstring& subkey, const std::wstring& name,
                  const std::vector<std::uint8_t>& data) {
        Set(hive, kApproved + subkey, name, {platform::kRegBinary, data});
    }
    // The scanned records by where they live and what they are called.
    std::map<std::wstring, StartupRecord> Scan() {
        ScanStartupRecords(fake.Get(), facts, inventory, {false, true});
        std::map<std::wstring, StartupRecord> byPlace;
        for (int i = 0; i <= inventory.LastRecordIndex; ++i) {
            const StartupRecord& record = inventory.Records[static_cast<std::size_t>(i)];
            byPlace[record.Location + L"|" + record.EntryName] = record;
        }
        return byPlace;
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts = testing::FakeProfileFacts(true);
    StartupInventory inventory;
};

TEST_F(WindowsSwitch, EachPlaceReadsTheKeyWindowsReads) {
    const std::wstring user = L"HKEY_CURRENT_USER\\";
    const std::wstring machine = L"HKEY_LOCAL_MACHINE\\";
    Run(Hive::CurrentUser, kRun, L"same");
    Run(Hive::CurrentUser, kRunOnce, L"same");
    Run(Hive::LocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", L"same");
    Run(Hive::LocalMachine, kRun32, L"same");
    Shortcut(facts.StartupFolder, L"user.lnk");
    Shortcut(facts.CommonStartupFolder, L"common.lnk");
    const auto off = SwitchedOffValue(kSwitchedOffAt);
    // Only the user's Run value and the 32-bit view's are off; RunOnce has no switch at all.
    Approved(Hive::CurrentUser, L"Run", L"SAME", off);
    Approved(Hive::LocalMachine, L"Run32", L"same", ValueOf(0x07, kTimeBytes));
    // A Startup-folder item is switched by file name in its folder owner's hive.
    Approved(Hive::CurrentUser, L"StartupFolder", L"user.lnk", off);
    Approved(Hive::CurrentUser, L"StartupFolder", L"common.lnk", off);

    auto records = Scan();
    ASSERT_EQ(records.size(), 6u);
    const StartupRecord& cu = records.at(user + kRun + L"|same");
    EXPECT_FALSE(cu.EnabledInWindows);
    EXPECT_EQ(cu.DisabledSince, kSwitchedOffAt);
    // Local time: the fake zone is an hour ahead of UTC.
    EXPECT_EQ(cu.DisabledSinceText, L"12/9/2026 10:50:20 AM");
    EXPECT_EQ(cu.SwitchKey, user + kApproved + L"Run");
    const StartupRecord& once = records.at(user + kRunOnce + L"|same");
    EXPECT_TRUE(once.EnabledInWindows);
    EXPECT_TRUE(once.SwitchKey.empty());
    EXPECT_FALSE(CanSwitchInWindows(once));
    const StartupRecord& lm =
        records.at(machine + L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run|same");
    EXPECT_TRUE(lm.EnabledInWindows) << "the 32-bit view's switch is not the 64-bit one's";
    EXPECT_EQ(lm.SwitchKey, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                            L"Explorer\\StartupApproved\\Run");
    const StartupRecord& wow = records.at(machine + kRun32 + L"|same");
    EXPECT_FALSE(wow.EnabledInWindows);
    EXPECT_EQ(wow.SwitchKey, lm.SwitchKey + L"32");
    EXPECT_FALSE(records.at(facts.StartupFolder + L"|user.lnk").EnabledInWindows);
    EXPECT_TRUE(records.at(facts.CommonStartupFolder + L"|common.lnk").EnabledInWindows);

    Approved(Hive::LocalMachine, L"StartupFolder", L"common.lnk", off);
    Approved(Hive::CurrentUser, L"Run", L"same", SwitchedOnValue());
    records = Scan();
    EXPECT_FALSE(records.at(facts.CommonStartupFolder + L"|common.lnk").EnabledInWindows);
    EXPECT_TRUE(records.at(user + kRun + L"|same").EnabledInWindows);
    EXPECT_EQ(records.at(user + kRun + L"|same").DisabledSince, 0u);
    EXPECT_TRUE(records.at(user + kRun + L"|same").DisabledSinceText.empty());
}

TEST_F(WindowsSwitch, SwitchingWritesOnlyTheValueStampedInUtc) {
    Run(Hive::CurrentUser, kRun, L"Tool");
    Run(Hive::CurrentUser, kRunOnce, L"Tool");
    auto records = Scan();
    const StartupRecord run = records.at(L"HKEY_CURRENT_USER\\"s + kRun + L"|Tool");
    ASSERT_TRUE(SetWindowsSwitch(fake.Get(), run, false));
    // The fake clock's 2026-12-08 09:30:00 local is 08:30:00 UTC.
    const std::vector<std::uint8_t> expected = {0x03, 0,    0,    0,    0x00, 0x34,
                                                0x63, 0x50, 0xEE, 0x86, 0xDD, 0x01};
    const auto written = fake.registry.QueryValue(Hive::CurrentUser, kApproved + L"Run"s, L"Tool");
    ASSERT_TRUE(written);
    EXPECT_EQ(written->type, platform::kRegBinary);
    EXPECT_EQ(written->data, expected);
    EXPECT_TRUE(fake.registry.QueryValue(Hive::CurrentUser, kRun, L"Tool")) << "nothing removed";
    EXPECT_FALSE(Scan().at(L"HKEY_CURRENT_USER\\"s + kRun + L"|Tool").EnabledInWindows);

    ASSERT_TRUE(SetWindowsSwitch(fake.Get(), run, true));
    EXPECT_EQ(fake.registry.QueryValue(Hive::CurrentUser, kApproved + L"Run"s, L"Tool")->data,
              SwitchedOnValue());
    // A place without a switch is refused, and nothing is written for it.
    const StartupRecord once = records.at(L"HKEY_CURRENT_USER\\"s + kRunOnce + L"|Tool");
    EXPECT_FALSE(SetWindowsSwitch(fake.Get(), once, false));
    EXPECT_EQ(fake.registry.ListValueNames(Hive::CurrentUser, kApproved + L"Run"s)->size(), 1u);
}

TEST(WindowsSwitchRow, SaysSwitchedOffFirstWithTheDate) {
    const auto text = [](const std::wstring& key) {
        return key == L"REC-WINOFF" ? L"Disabled in Windows"s : L"<" + key + L">";
    };
    StartupRecord record;
    record.Found = true;
    record.EnabledInWindows = false;
    record.DisabledSinceText = L"12/9/2026 10:50:20 AM";
    EXPECT_EQ(manager::RowStatusText(record, L"0", text),
              L"Disabled in Windows (12/9/2026 10:50:20 AM)");
    EXPECT_EQ(manager::RowStatusText(record, L"2", text),
              L"Disabled in Windows (12/9/2026 10:50:20 AM) - <REC-BLACK>");
    record.DisabledSinceText.clear();
    EXPECT_EQ(manager::RowStatusText(record, L"1", text), L"Disabled in Windows - <REC-OK>");
    record.EnabledInWindows = true;
    EXPECT_EQ(manager::RowStatusText(record, L"1", text), L"<REC-OK>");
}

} // namespace
} // namespace vtrl::inventory

namespace vtrl::manager {
namespace {

using namespace std::string_literals;

constexpr wchar_t kUserRunSwitch[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

class SwitchPages : public testing::ManagerPages {
protected:
    SwitchPages() {
        AddRunRecord(L"Tool", L"C:\\Tools", L"tool.exe", L"-min");
        fake.files.AddFile(
            std::wstring(testing::kLanguages) + L"\\English.ini",
            *fake.files.ReadAll(std::wstring(testing::kLanguages) + L"\\English.ini") +
                "SWITCHOFF=Switch off\r\nSWITCHON=Switch on\r\n"
                "SWITCHEDOFF=Switched off.\r\nSWITCHEDON=Switched on.\r\n"
                "NOTSWITCHED=Not switched.\r\nREC-NOSWITCH=Only removed.\r\n"
                "REC-WINOFF=Disabled in Windows\r\n");
    }
    std::optional<platform::RegistryValue> Switch() {
        return fake.registry.QueryValue(platform::Hive::CurrentUser, kUserRunSwitch, L"Tool");
    }
};

TEST_F(SwitchPages, SwitchOffKeepsTheRecordAndTheUndoPageSwitchesItOnAgain) {
    // Switched on once before (by Task Manager's own 06 form): that is what the undo gives back.
    const std::vector<std::uint8_t> before = {0x06, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(fake.registry.CreateKey(platform::Hive::CurrentUser, kUserRunSwitch));
    ASSERT_TRUE(fake.registry.SetValue(platform::Hive::CurrentUser, kUserRunSwitch, L"Tool",
                                       {platform::kRegBinary, before}));
    Main& main = Open();
    main.BAexe_Click(0);
    RecordPage& page = main.recordPage;
    ASSERT_TRUE(page.CommandSwitch.Visible());
    EXPECT_EQ(page.CommandSwitch.Caption(), L"Switch off");
    page.CommandSwitch.Click();

    ASSERT_TRUE(Switch());
    EXPECT_EQ(Switch()->data,
              inventory::SwitchedOffValue(inventory::FileTimeOfUtc(fake.clock.UtcNow())));
    EXPECT_TRUE(RunValuePresent(L"Tool")) << "switched off, not deleted";
    EXPECT_EQ(MessageTexts(), std::vector<std::wstring>{L"Switched off."});
    EXPECT_TRUE(main.Unloaded());
    const auto listing = decisions::ListBackupEntries(fake.Get(), facts.DataFolder, false);
    ASSERT_EQ(listing.displayLines.size(), 1u);
    const auto entry = decisions::ListedEntry(listing, 0);
    EXPECT_EQ(entry->Kind, L"WINSWITCH");
    EXPECT_EQ(entry->FullLocation, L"HKEY_CURRENT_USER\\"s + kUserRunSwitch + L"\\Tool");
    EXPECT_EQ(entry->ExeName, L"tool.exe");

    // The fresh window offers the way back on the record page ...
    fake.messages.shown.clear();
    Main& again = Open();
    again.BAexe_Click(0);
    EXPECT_EQ(again.recordPage.CommandSwitch.Caption(), L"Switch on");
    EXPECT_NE(again.recordPage.Label15.Caption().find(L"Disabled in Windows"s), std::wstring::npos)
        << again.recordPage.Label15.Caption();
    // ... and the undo page writes back exactly what was there.
    again.Label22_Click();
    if (again.undoPage.Check10.Value() != 0) {
        again.undoPage.Check10.Click();
    }
    again.undoPage.List1.SetListIndex(0);
    fake.messages.answers.push_back(platform::MessageAnswer::Yes);
    again.undoPage.Command8.Click();
    ASSERT_TRUE(Switch());
    EXPECT_EQ(Switch()->data, before);
    EXPECT_EQ(MessageTexts().back(), L"Restored.");
}

TEST_F(SwitchPages, OnlyPlacesWithASwitchOfferIt) {
    fake.registry.CreateKey(platform::Hive::CurrentUser,
                            L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
    fake.registry.SetValue(platform::Hive::CurrentUser,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Once",
                           {platform::kRegSz, services::EncodeRegSz(L"C:\\Tools\\tool.exe")});
    Main& main = Open();
    main.BAexe_Click(1);
    EXPECT_FALSE(main.recordPage.CommandSwitch.Visible());
    EXPECT_TRUE(main.recordPage.Label15.Caption().ends_with(L"Only removed."))
        << main.recordPage.Label15.Caption();
    main.BAexe_Click(0);
    EXPECT_TRUE(main.recordPage.CommandSwitch.Visible());
}

} // namespace
} // namespace vtrl::manager
