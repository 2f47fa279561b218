// Icon bitmaps against the fake shell: the file name rule, replacing an older bitmap, what stays
// when the shell has no icon, and the inventory scan's icon step with its error-log marker.

#include "inventory/inventory_scan.h"
#include "inventory_test_support.h"
#include "services/error_log.h"
#include "services/icon_bitmap.h"
#include "services/registry_access.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vtrl::services {
namespace {

constexpr wchar_t kDataFolder[] = L"C:\\users\\tester\\AppData\\Roaming\\VTRL1";
constexpr wchar_t kNotepad[] = L"C:\\Windows\\notepad.exe";

std::vector<std::uint8_t> Picture(char tag) {
    return {'B', 'M', static_cast<std::uint8_t>(tag)};
}
std::string Bytes(const std::vector<std::uint8_t>& picture) {
    return std::string(picture.begin(), picture.end());
}

class IconBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.files.AddFolder(kDataFolder);
        fake.icons.pictures[fakes::FoldCase(kNotepad)] = Picture('n');
    }
    std::optional<IconBitmap> Save(const std::wstring& path, const std::wstring& name,
                                   int size = kIconBitmapSize) {
        return SaveIconBitmap(fake.Get().files, fake.Get().icons, kDataFolder, path, size, name);
    }
    std::optional<std::string> Stored(const std::wstring& fileName) {
        return fake.files.Content(std::wstring(kDataFolder) + L"\\" + fileName);
    }

    fakes::FakePlatform fake;
};

TEST_F(IconBitmapTest, NamedAfterTheExecutableWithItsExtension) {
    EXPECT_EQ(IconBitmapPath(kDataFolder, L"notepad.exe"),
              std::wstring(kDataFolder) + L"\\notepad.exe.bmp");
    EXPECT_EQ(IconBitmapPath(kDataFolder, kUserIconName),
              std::wstring(kDataFolder) + L"\\user.bmp");

    const auto saved = Save(kNotepad, L"notepad.exe");
    ASSERT_TRUE(saved.has_value());
    EXPECT_TRUE(saved->saved);
    EXPECT_EQ(saved->picture, Picture('n'));
    EXPECT_EQ(Stored(L"notepad.exe.bmp"), Bytes(Picture('n')));
    ASSERT_EQ(fake.icons.requests.size(), 1u);
    EXPECT_EQ(fake.icons.requests[0].path, kNotepad);
    EXPECT_EQ(fake.icons.requests[0].size, 32);
}

TEST_F(IconBitmapTest, UserBitmapForTheChosenFile) {
    const auto saved = Save(kNotepad, kUserIconName);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(Stored(L"user.bmp"), Bytes(Picture('n')));
    EXPECT_FALSE(Stored(L"notepad.exe.bmp").has_value());
}

TEST_F(IconBitmapTest, ReplacesAnOlderBitmapOfTheSameName) {
    fake.files.AddFile(std::wstring(kDataFolder) + L"\\notepad.exe.bmp", "old picture");
    fake.files.AddFile(std::wstring(kDataFolder) + L"\\other.exe.bmp", "other picture");
    ASSERT_TRUE(Save(kNotepad, L"notepad.exe").has_value());
    EXPECT_EQ(Stored(L"notepad.exe.bmp"), Bytes(Picture('n')));
    EXPECT_EQ(Stored(L"other.exe.bmp"), "other picture");
}

TEST_F(IconBitmapTest, NoIconLeavesEverythingAsItWas) {
    fake.files.AddFile(std::wstring(kDataFolder) + L"\\gone.exe.bmp", "old picture");
    const std::size_t files = fake.files.FileCount();
    EXPECT_FALSE(Save(L"C:\\nowhere\\gone.exe", L"gone.exe").has_value());
    EXPECT_EQ(fake.files.FileCount(), files);
    EXPECT_EQ(Stored(L"gone.exe.bmp"), "old picture");
    // An empty picture is no icon either.
    fake.icons.pictures[fakes::FoldCase(L"C:\\empty.exe")] = {};
    EXPECT_FALSE(Save(L"C:\\empty.exe", L"empty.exe").has_value());
    EXPECT_EQ(fake.files.FileCount(), files);
}

TEST_F(IconBitmapTest, FailedWriteIsNotReportedAsSaved) {
    fake.files.MakeReadOnly(kDataFolder);
    const auto saved = Save(kNotepad, L"notepad.exe");
    ASSERT_TRUE(saved.has_value());
    EXPECT_FALSE(saved->saved);
    EXPECT_EQ(saved->picture, Picture('n')); // still drawn for the caller's picture
    EXPECT_FALSE(Stored(L"notepad.exe.bmp").has_value());
}

TEST_F(IconBitmapTest, NameOutsideTheDataFolderIsDrawnButNotSaved) {
    const std::size_t files = fake.files.FileCount();
    for (const wchar_t* name : {L"", L"..\\escape", L"sub/name", L"C:name"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        const auto saved = Save(kNotepad, name);
        ASSERT_TRUE(saved.has_value());
        EXPECT_FALSE(saved->saved);
    }
    EXPECT_EQ(fake.files.FileCount(), files);
}

TEST_F(IconBitmapTest, SmallAndLargeSizesOnly) {
    ASSERT_TRUE(Save(kNotepad, L"notepad.exe", kSmallIconBitmapSize).has_value());
    ASSERT_EQ(fake.icons.requests.size(), 1u);
    EXPECT_EQ(fake.icons.requests[0].size, 16);
    EXPECT_FALSE(Save(kNotepad, L"notepad.exe", 0).has_value());
    EXPECT_FALSE(Save(kNotepad, L"notepad.exe", 48).has_value());
    EXPECT_EQ(fake.icons.requests.size(), 1u);
}

class ScanIcons : public ::testing::Test {
protected:
    void SetUp() override {
        fake.files.AddFolder(facts.DataFolder);
        AddRun(L"a", L"C:\\Tools\\Alpha.EXE -x");
        AddRun(L"b", L"C:\\Tools\\beta.exe");
        fake.icons.pictures[fakes::FoldCase(L"C:\\Tools\\alpha.exe")] = Picture('a');
    }
    void AddRun(const std::wstring& name, const std::wstring& command) {
        const std::wstring key = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
        const std::wstring program = command.substr(0, command.find(L' '));
        fake.files.AddFile(program, "MZ");
        ASSERT_TRUE(fake.registry.CreateKey(platform::Hive::CurrentUser, key));
        ASSERT_TRUE(fake.registry.SetValue(platform::Hive::CurrentUser, key, name,
                                           {platform::kRegSz, services::EncodeRegSz(command)}));
    }
    inventory::ScanOutcome Scan(inventory::ScanOptions options) {
        return inventory::ScanStartupRecords(fake.Get(), facts, inventory, options);
    }
    std::wstring ErrorLog() const { return facts.DataFolder + L"\\" + services::kErrorLogName; }

    fakes::FakePlatform fake;
    services::SystemFacts facts = inventory::testing::FakeProfileFacts();
    inventory::StartupInventory inventory;
};

TEST_F(ScanIcons, EachRecordAskedUnderItsLowerCaseNameInsideTheMarker) {
    std::vector<std::optional<std::string>> markers;
    fake.icons.onRender = [&](const std::wstring&) {
        markers.push_back(fake.files.Content(ErrorLog()));
    };
    ASSERT_EQ(Scan({.withIcons = true}), inventory::ScanOutcome::Records);

    ASSERT_EQ(fake.icons.requests.size(), 2u);
    EXPECT_EQ(fakes::FoldCase(fake.icons.requests[0].path), L"c:\\tools\\alpha.exe");
    EXPECT_EQ(fake.icons.requests[0].size, 32);
    EXPECT_EQ(fake.files.Content(facts.DataFolder + L"\\alpha.exe.bmp"), Bytes(Picture('a')));
    // The shell had no icon for beta: no file, and no bitmap under the upper-case spelling.
    EXPECT_FALSE(fake.files.FileExists(facts.DataFolder + L"\\beta.exe.bmp"));
    const auto listed = fake.files.ListFolder(facts.DataFolder, L"*.bmp");
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, L"alpha.exe.bmp");

    ASSERT_EQ(markers.size(), 2u);
    for (const auto& marker : markers) {
        ASSERT_TRUE(marker.has_value());
        EXPECT_NE(marker->find("|EXTRACTFILEICON"), std::string::npos) << *marker;
    }
    EXPECT_FALSE(fake.files.FileExists(ErrorLog()));
}

TEST_F(ScanIcons, CheckCycleScanDrawsNoIcons) {
    ASSERT_EQ(Scan({.withIcons = false}), inventory::ScanOutcome::Records);
    EXPECT_TRUE(fake.icons.requests.empty());
    EXPECT_TRUE(fake.files.ListFolder(facts.DataFolder, L"*.bmp").empty());
}

TEST_F(ScanIcons, ReadOnlyScanLeavesNoMarker) {
    bool markerSeen = false;
    fake.icons.onRender = [&](const std::wstring&) {
        markerSeen = markerSeen || fake.files.FileExists(ErrorLog());
    };
    ASSERT_EQ(Scan({.withIcons = true, .readOnly = true}), inventory::ScanOutcome::Records);
    EXPECT_EQ(fake.icons.requests.size(), 2u);
    EXPECT_FALSE(markerSeen);
}

} // namespace
} // namespace vtrl::services
