#include "fakes/fake_platform.h"
#include "services/registry_access.h"
#include "services/settings_store.h"
#include "shell/entry.h"
#include "shell/setup_uninstall.h"

#include <gtest/gtest.h>

namespace vtrl::shell {
namespace {

constexpr wchar_t kAgentShortcut[] =
    L"C:\\users\\tester\\Start Menu\\Programs\\Startup\\Vantorel.lnk";
constexpr wchar_t kDesktopShortcut[] = L"C:\\users\\Public\\Desktop\\Vantorel 1.lnk";
constexpr wchar_t kGroup[] = L"C:\\ProgramData\\Start Menu\\Programs\\Vantorel 1";
constexpr wchar_t kUninstallKey[] =
    L"HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel 1";

// A tray agent that ignores the request to close for a number of looks, or for ever.
class SlowAgentDesktop final : public platform::Desktop {
public:
    void CloseWindowByTitle(const std::wstring& caption, bool) override {
        asked.push_back(caption);
    }
    bool WindowExists(const std::wstring& caption) override {
        return caption == services::kTrayAgentCaption && (looksLeft < 0 || looksLeft-- > 0);
    }
    int looksLeft = -1;
    std::vector<std::wstring> asked;
};

class SetupUninstallTest : public ::testing::Test {
protected:
    SetupUninstallTest() {
        facts = services::FrameworkStartup(fake.Get());
        fake.files.AddFile(kAgentShortcut, "link");
        fake.files.AddFile(kDesktopShortcut, "link");
        fake.files.AddFile(std::wstring(kGroup) + L"\\Vantorel 1.lnk", "link");
        fake.files.AddFile(std::wstring(kGroup) + L"\\Vantorel on the Web.url", "url");
        fake.files.AddFile(std::wstring(kGroup) + L"\\desktop.ini", "hidden");
        fake.files.SetAttributes(std::wstring(kGroup) + L"\\desktop.ini",
                                 platform::kAttributeHidden | platform::kAttributeSystem);
        services::RegWriteValue(fake.registry, kUninstallKey, L"DisplayName", L"Vantorel 1.00",
                                platform::kRegSz);
        services::SaveSetting(fake.registry, services::kAppKey, L"Settings", L"Sound", L"NO");
        fake.files.AddFile(facts.DataFolder + L"\\ActionsDB.txt", "decisions");
    }
    platform::Platform WithDesktop(platform::Desktop& desktop) {
        platform::Platform& p = fake.Get();
        return platform::Platform{p.registry, p.files, p.folders,     p.links,      p.locale,
                                  p.version,  p.clock, p.processes,   p.ini,        p.messages,
                                  p.launcher, p.http,  p.icons,       p.sound,      desktop,
                                  p.changes,  p.locks, p.environment, p.signatures, p.clipboard};
    }
    PauseFunction Recorder() {
        return [this](std::chrono::milliseconds time) { pauses.push_back(time); };
    }

    fakes::FakePlatform fake;
    services::SystemFacts facts;
    std::vector<std::chrono::milliseconds> pauses;
};

TEST_F(SetupUninstallTest, RemovesWhatInstallMadeAndKeepsTheUsersData) {
    fake.desktop.open.insert(services::kTrayAgentCaption);

    UninstallForSetup(fake.Get(), facts, Recorder());

    EXPECT_FALSE(fake.files.FileExists(kAgentShortcut));
    EXPECT_FALSE(fake.files.FileExists(kDesktopShortcut));
    EXPECT_FALSE(fake.files.FolderExists(kGroup)) << "hidden files of the group go with it";
    EXPECT_EQ(services::RegReadValue(fake.registry, std::wstring(kUninstallKey) + L"\\DisplayName"),
              L"");
    ASSERT_EQ(fake.desktop.closes.size(), 1u);
    EXPECT_EQ(fake.desktop.closes[0],
              std::make_pair(std::wstring(services::kTrayAgentCaption), false));

    // Nothing asks, shows, opens or runs anything, and the user's settings and data stay.
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_TRUE(fake.launcher.opened.empty());
    EXPECT_TRUE(fake.launcher.startedHidden.empty());
    EXPECT_EQ(services::GetSetting(fake.registry, services::kAppKey, L"Settings", L"Sound"), L"NO");
    EXPECT_EQ(fake.files.Content(facts.DataFolder + L"\\ActionsDB.txt"), "decisions");
    EXPECT_TRUE(pauses.empty()) << "the agent was gone at once";
}

TEST_F(SetupUninstallTest, AFolderSomeoneAddedKeepsTheGroup) {
    // Even an empty one: it is not the program's to remove.
    fake.files.AddFolder(std::wstring(kGroup) + L"\\Tools");
    UninstallForSetup(fake.Get(), facts, Recorder());
    EXPECT_FALSE(fake.files.FileExists(std::wstring(kGroup) + L"\\Vantorel 1.lnk"));
    EXPECT_TRUE(fake.files.FolderExists(std::wstring(kGroup) + L"\\Tools"));
    EXPECT_TRUE(fake.files.FolderExists(kGroup));
}

TEST_F(SetupUninstallTest, WaitsForTheAgentToEndButNotForEver) {
    SlowAgentDesktop slow;
    slow.looksLeft = 3;
    platform::Platform platform = WithDesktop(slow);
    UninstallForSetup(platform, facts, Recorder());
    EXPECT_EQ(slow.asked, std::vector<std::wstring>{services::kTrayAgentCaption});
    EXPECT_EQ(pauses.size(), 3u);

    // An agent that never ends holds the steps only for the bound; the rest still runs.
    fake.files.AddFile(kDesktopShortcut, "link");
    slow.looksLeft = -1;
    pauses.clear();
    UninstallForSetup(platform, facts, Recorder());
    EXPECT_EQ(pauses.size(), static_cast<std::size_t>(kAgentCloseWait / kAgentCloseLook));
    EXPECT_FALSE(fake.files.FileExists(kDesktopShortcut));
}

TEST_F(SetupUninstallTest, NothingOutsideTheProgramsOwnFoldersIsRemoved) {
    // Shell folders that did not resolve properly: the paths built on them name something else.
    facts.CommonDesktopFolder = L"C:\\users\\Public\\Desktop\\..";
    facts.CommonProgramsFolder = L"C:\\ProgramData\\Start Menu\\Programs\\.";
    const InstallLayout layout = LayoutFor(facts);
    fake.files.AddFile(layout.desktopShortcut, "someone else's");
    fake.files.AddFile(layout.programGroup + L"\\other.lnk", "someone else's");
    UninstallForSetup(fake.Get(), facts, Recorder());
    EXPECT_TRUE(fake.files.FileExists(layout.desktopShortcut));
    EXPECT_TRUE(fake.files.FileExists(layout.programGroup + L"\\other.lnk"));
}

TEST_F(SetupUninstallTest, TheSetupWordsRunTheirStepsWithoutTheUpdateQuestion) {
    fake.files.AddFile(L"C:\\Program Files\\Vantorel\\Languages\\English.ini",
                       "[UPDATES]\r\nCHECKUPDATESNOW=Check now?\r\n");
    // Long past the reminder's days: any other mode asks first.
    services::SaveSetting(fake.registry, services::kAppKey, L"Settings", L"Recent Update",
                          L"1/1/2026 9:30:00 AM");

    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, services::kSetupInstallWord),
              DispatchOutcome::EndProcess);
    EXPECT_TRUE(fake.messages.shown.empty());
    ASSERT_FALSE(fake.links.created.empty()) << "the install steps ran";
    EXPECT_EQ(fake.links.created[0].linkPath, kAgentShortcut);

    EXPECT_EQ(RunEntry(fake.Get(), fake.windows, services::kSetupUninstallWord),
              DispatchOutcome::EndProcess);
    EXPECT_TRUE(fake.messages.shown.empty());
    EXPECT_FALSE(fake.files.FileExists(kAgentShortcut));

    EXPECT_EQ(
        RunEntry(fake.Get(), fake.windows, std::wstring(services::kSetupUninstallWord) + L" "),
        DispatchOutcome::NoMatch);
    EXPECT_EQ(fake.messages.shown.size(), 1u) << "another command line still asks";
}

} // namespace
} // namespace vtrl::shell
