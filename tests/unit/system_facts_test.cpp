#include "fakes/fake_platform.h"
#include "services/registry_access.h"
#include "services/system_facts.h"

#include <gtest/gtest.h>

namespace vtrl::services {
namespace {

using platform::FolderResult;
using platform::Hive;

TEST(VersionText, MinorHasAtLeastTwoDigits) {
    EXPECT_EQ(VersionTextFor(1, 0), L"1.00");
    EXPECT_EQ(VersionTextFor(1, 5), L"1.05");
    EXPECT_EQ(VersionTextFor(1, 10), L"1.10");
    EXPECT_EQ(VersionTextFor(3, 51), L"3.51");
    EXPECT_EQ(VersionTextFor(3, 9), L"3.09");
}

TEST(TempFolder, DropsTrailingBackslashAndUsesLongForm) {
    fakes::FakeFolders folders;
    folders.tempPath = L"C:\\users\\TESTER~1\\Temp\\";
    folders.longForms[L"C:\\users\\TESTER~1\\Temp\\"] = L"C:\\users\\tester one\\Temp\\";
    EXPECT_EQ(GetTempFolder(folders, L"C"), L"C:\\users\\tester one\\Temp");

    // A path the long-form conversion cannot handle is kept as it is.
    folders.tempPath = L"D:\\scratch\\";
    EXPECT_EQ(GetTempFolder(folders, L"C"), L"D:\\scratch");

    folders.tempPath = L"C:\\";
    EXPECT_EQ(GetTempFolder(folders, L"C"), L"C:");

    // No answer at all: the root of the Windows drive.
    folders.tempPath = std::nullopt;
    EXPECT_EQ(GetTempFolder(folders, L"E"), L"E:");

    // A single backslash is not dropped: at least two characters must remain before the cut.
    folders.tempPath = L"\\";
    EXPECT_EQ(GetTempFolder(folders, L"C"), L"\\");
}

TEST(SpecialFolder, MarkersAndFailures) {
    fakes::FakeFolders folders;
    folders.special[1] = {FolderResult::Ok, L"C:\\somewhere"};
    folders.special[2] = {FolderResult::InvalidId, {}};
    folders.special[3] = {FolderResult::DoesNotExist, {}};
    folders.special[4] = {FolderResult::Failed, {}};
    EXPECT_EQ(GetSpecialFolder(folders, 1), L"C:\\somewhere");
    EXPECT_EQ(GetSpecialFolder(folders, 2), kInvalidFolderIdText);
    EXPECT_EQ(GetSpecialFolder(folders, 3), kFolderMissingText);
    const std::wstring failed = GetSpecialFolder(folders, 4);
    EXPECT_EQ(failed, std::wstring(260, L'\0'));
}

TEST(TextHelpers, TrimAtNulAndCountry) {
    EXPECT_EQ(TrimAtNul(std::wstring(L"abc\0def", 7)), L"abc");
    EXPECT_EQ(TrimAtNul(L"abc"), L"");
    EXPECT_EQ(TrimAtNul(std::wstring(1, L'\0')), L"");

    fakes::FakeLocale locale;
    locale.country = std::wstring(L"Germany") + L'\0' + L"junk";
    EXPECT_EQ(GetCountryName(locale), L"Germany");
    locale.country = L"no terminator";
    EXPECT_EQ(GetCountryName(locale), L"");
}

TEST(MachineId, StableOpaqueAndDistinct) {
    const std::wstring guid = L"6f1e2a3b-1111-2222-3333-444455556666";
    const std::wstring id = MachineIdFrom(guid);
    EXPECT_EQ(id, MachineIdFrom(guid));
    EXPECT_EQ(id.size(), 16u);
    EXPECT_EQ(id.find(L"6f1e2a3b"), std::wstring::npos);
    EXPECT_NE(id, MachineIdFrom(L"6f1e2a3b-1111-2222-3333-444455556667"));
}

class FrameworkStartupTest : public ::testing::Test {
protected:
    fakes::FakePlatform fake;
};

TEST_F(FrameworkStartupTest, FillsFoldersAndCreatesDataFolder) {
    const SystemFacts facts = FrameworkStartup(fake.Get());
    EXPECT_EQ(facts.StartupFolder, L"C:\\users\\tester\\Start Menu\\Programs\\Startup");
    EXPECT_EQ(facts.CommonStartupFolder, L"C:\\ProgramData\\Start Menu\\Programs\\Startup");
    EXPECT_EQ(facts.WindowsFolder, L"C:\\windows");
    EXPECT_EQ(facts.WindowsDrive, L"C");
    EXPECT_EQ(facts.DataFolder, L"C:\\users\\tester\\AppData\\Roaming\\VTRL1");
    EXPECT_TRUE(fake.files.FolderExists(facts.DataFolder));
    EXPECT_EQ(facts.VersionText, L"1.00");
    EXPECT_EQ(facts.TempFolder, L"C:\\users\\tester\\Temp");
    EXPECT_EQ(facts.ProgramFolder, L"C:\\Program Files\\Vantorel");
    EXPECT_EQ(facts.MachineId.size(), 16u);
}

TEST_F(FrameworkStartupTest, DataFolderFollowsMajorVersion) {
    fake.version.version = platform::ModuleVersion{3, 51};
    const SystemFacts facts = FrameworkStartup(fake.Get());
    EXPECT_EQ(facts.VersionText, L"3.51");
    EXPECT_EQ(facts.DataFolder, L"C:\\users\\tester\\AppData\\Roaming\\VTRL3");
}

TEST_F(FrameworkStartupTest, MissingVersionResourceKeepsTheBuildsDataFolder) {
    fake.version.version = std::nullopt;
    const SystemFacts facts = FrameworkStartup(fake.Get());
    EXPECT_EQ(facts.DataFolder,
              L"C:\\users\\tester\\AppData\\Roaming\\VTRL" + std::to_wstring(VTRL_VERSION_MAJOR));
}

TEST_F(FrameworkStartupTest, MachineIdComesFromTheMachineGuid) {
    fake.registry.CreateKey(Hive::LocalMachine, L"SOFTWARE\\Microsoft\\Cryptography");
    RegWriteValue(fake.registry, L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography",
                  L"MachineGuid", L"abcd-ef", platform::kRegSz);
    EXPECT_EQ(FrameworkStartup(fake.Get()).MachineId, MachineIdFrom(L"abcd-ef"));
}

class AdministratorProbe : public FrameworkStartupTest {
protected:
    bool TestValuePresent() {
        return fake.registry.QueryValue(Hive::LocalMachine, L"Software\\Microsoft", L"Test")
            .has_value();
    }
};

TEST_F(AdministratorProbe, AdministratorLeavesNoTrace) {
    const std::size_t filesBefore = fake.files.FileCount();
    EXPECT_TRUE(IsAdministrator(fake.registry, fake.files, L"C"));
    EXPECT_FALSE(TestValuePresent());
    EXPECT_FALSE(fake.files.FileExists(L"C:\\testwrit"));
    EXPECT_EQ(fake.files.FileCount(), filesBefore);
}

TEST_F(AdministratorProbe, RegistryWithoutDriveRootIsNotAdministrator) {
    fake.files.MakeReadOnly(L"C:");
    EXPECT_FALSE(IsAdministrator(fake.registry, fake.files, L"C"));
    EXPECT_FALSE(TestValuePresent()); // removed before the file step failed
}

TEST_F(AdministratorProbe, LockedRegistryIsNotAdministrator) {
    fake.registry.DenyAccess(Hive::LocalMachine, L"Software\\Microsoft");
    EXPECT_FALSE(IsAdministrator(fake.registry, fake.files, L"C"));
    EXPECT_FALSE(fake.files.FileExists(L"C:\\testwrit"));
}

TEST_F(AdministratorProbe, AnAdministratorRefusesLinksInItsDataFolderBelowTheProfile) {
    const SystemFacts admin = FrameworkStartup(fake.Get());
    ASSERT_TRUE(admin.IsAdmin);
    EXPECT_EQ(fake.files.guardedFolder, admin.DataFolder);
    EXPECT_EQ(fake.files.guardRoot, L"C:\\users\\tester");

    fakes::FakePlatform standard;
    standard.files.MakeReadOnly(L"C:");
    ASSERT_FALSE(FrameworkStartup(standard.Get()).IsAdmin);
    EXPECT_EQ(standard.files.guardedFolder, L"") << "a standard user's process needs no guard";
}

TEST_F(AdministratorProbe, ForeignTestValueAndFileSurvive) {
    fake.registry.SetValue(Hive::LocalMachine, L"Software\\Microsoft", L"Test",
                           {platform::kRegDword, {7, 0, 0, 0}});
    fake.files.AddFile(L"C:\\testwrit", "someone's data");
    EXPECT_TRUE(IsAdministrator(fake.registry, fake.files, L"C"));
    const auto value =
        fake.registry.QueryValue(Hive::LocalMachine, L"Software\\Microsoft", L"Test");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, platform::kRegDword);
    EXPECT_EQ(value->data, (std::vector<std::uint8_t>{7, 0, 0, 0}));
    EXPECT_EQ(fake.files.Content(L"C:\\testwrit"), "someone's data");
    EXPECT_FALSE(fake.files.FileExists(L"C:\\testwrit1"));
}

TEST(ShellLinkService, PassesEveryFieldInOrder) {
    fakes::FakeShellLinks links;
    CreateLinkFile(links, L"C:\\l.lnk", L"C:\\t.exe", L"desc", L"C:\\", L"startup", L"");
    ASSERT_EQ(links.created.size(), 1u);
    EXPECT_EQ(links.created[0].linkPath, L"C:\\l.lnk");
    EXPECT_EQ(links.created[0].targetPath, L"C:\\t.exe");
    EXPECT_EQ(links.created[0].description, L"desc");
    EXPECT_EQ(links.created[0].workingDirectory, L"C:\\");
    EXPECT_EQ(links.created[0].arguments, L"startup");
    EXPECT_EQ(links.created[0].iconLocation, L"");
}

} // namespace
} // namespace vtrl::services
